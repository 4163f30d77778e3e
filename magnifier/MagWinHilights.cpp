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

// A screen rectangle in the pixels of an image of size that begins at the
// screen position origin.
RECT ToImage(POINT origin, const ViewRect& size, const RECT& r) {
    return Hilight::BoundTarget(static_cast<LONGLONG>(r.left) - origin.x, static_cast<LONGLONG>(r.top) - origin.y,
                                static_cast<LONGLONG>(r.right) - origin.x, static_cast<LONGLONG>(r.bottom) - origin.y,
                                size.width, size.height);
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

void MagWin::DrawHilights(const RenderRequest& request, HDC dc, bool pointerShown) {
    if (pointerShown && g_settings.HilightCursorShow.Value()) DrawCursorHilight(request, dc);
    // One copy per frame: the main thread may store new rectangles meanwhile.
    RECT focus;
    RECT caret;
    {
        ScopedLock lock(rectLock_);
        focus = focusRect_;
        caret = caretRect_;
    }
    if (g_settings.HilightFocusShow.Value()) DrawFocusHilight(request, focus, dc);
    if (g_settings.HilightCaretShow.Value()) DrawCaretHilight(request, caret, dc);
}

void MagWin::DrawCursorHilight(const RenderRequest& request, HDC dc) {
    const POINT& p = request.cursor;
    // The ring is centred on the point: a rectangle of no size.
    RECT image = ToImage(ImageOrigin(request.source), request.source, {p.x, p.y, p.x, p.y});
    POINT centre{image.left, image.top};
    g_cursorHilight->SetPoint(&centre);
    g_cursorHilight->SetShow(TRUE);
    g_cursorHilight->PaintDC(dc);
}

void MagWin::DrawFocusHilight(const RenderRequest& request, const RECT& focus, HDC dc) {
    if (!IsRectEmpty(&focus)) PaintAt(g_focusHilight, ToImage(ImageOrigin(request.source), request.source, focus), dc);
}

void MagWin::DrawCaretHilight(const RenderRequest& request, const RECT& caret, HDC dc) {
    if (!IsRectEmpty(&caret)) PaintAt(g_caretHilight, ToImage(ImageOrigin(request.source), request.source, caret), dc);
}
