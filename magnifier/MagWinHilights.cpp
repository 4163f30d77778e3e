// The highlight marks of MagWin: styled once when the magnifier opens, drawn
// into every frame on the render thread before the pointer's image, against
// the source that frame was captured at (the view may have moved on since).
#include "core/ScopedLock.h"
#include "magnifier/MagWin.h"
#include "settings/MagSettings.h"
#include "tracking/highlight/HilightInstances.h"
#include "tracking/highlight/HilightLimits.h"
#include "tracking/highlight/HilightObject.h"

namespace {

// A screen rectangle in the pixels of the frame's image, which lies at image
// on the screen.
RECT ToImage(const ViewRect& image, const RECT& r) {
    return Hilight::BoundTarget(static_cast<LONGLONG>(r.left) - image.x, static_cast<LONGLONG>(r.top) - image.y,
                                static_cast<LONGLONG>(r.right) - image.x, static_cast<LONGLONG>(r.bottom) - image.y,
                                image.width, image.height);
}

void PaintAt(Hilight::HilightObject* mark, const RECT& target, HDC dc) {
    mark->SetRect(&target);
    mark->SetShow(TRUE);
    mark->PaintDC(dc);
}

}  // namespace

void MagWin::ConfigureHilights(const HilightStyle& cursor, const HilightStyle& focus, const HilightStyle& caret) {
    Hilight::ApplyStyle(*g_cursorHilight, cursor, Hilight::kRingStyleMax);
    Hilight::ApplyStyle(*g_focusHilight, focus, Hilight::kRectangleStyleMax);
    Hilight::ApplyStyle(*g_caretHilight, caret, Hilight::kCaretStyleMax);
}

void MagWin::DrawHilights(const ViewRect& image, POINT cursor, HDC dc, bool pointerShown) {
    if (pointerShown && g_settings.HilightCursorShow.Value()) DrawCursorHilight(image, cursor, dc);
    // One copy per frame: the main thread may store new rectangles meanwhile.
    RECT focus;
    RECT caret;
    {
        ScopedLock lock(rectLock_);
        focus = focusRect_;
        caret = caretRect_;
    }
    if (g_settings.HilightFocusShow.Value()) DrawFocusHilight(image, focus, dc);
    if (g_settings.HilightCaretShow.Value()) DrawCaretHilight(image, caret, dc);
}

void MagWin::DrawCursorHilight(const ViewRect& image, POINT cursor, HDC dc) {
    // The ring is centred on the point: a rectangle of no size.
    RECT at = ToImage(image, {cursor.x, cursor.y, cursor.x, cursor.y});
    POINT centre{at.left, at.top};
    g_cursorHilight->SetPoint(&centre);
    g_cursorHilight->SetShow(TRUE);
    g_cursorHilight->PaintDC(dc);
}

void MagWin::DrawFocusHilight(const ViewRect& image, const RECT& focus, HDC dc) {
    if (!IsRectEmpty(&focus)) PaintAt(g_focusHilight, ToImage(image, focus), dc);
}

void MagWin::DrawCaretHilight(const ViewRect& image, const RECT& caret, HDC dc) {
    if (!IsRectEmpty(&caret)) PaintAt(g_caretHilight, ToImage(image, caret), dc);
}
