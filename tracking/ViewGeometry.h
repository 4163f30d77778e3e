#pragma once
// The view tracker's arithmetic as plain functions of rectangles and screen
// sizes: what each kind of user event asks the view to contain, and how the
// view moves towards it. The tracker and the user events call these with the
// live screen metrics; tests call them with written-out numbers.
#include <windows.h>

#include "magnifier/ViewRect.h"
#include "tracking/ClampRectToScreen.h"

// Origin and size of the virtual screen, read anew at every use.
struct VirtualScreen {
    int ox;
    int oy;
    int cx;
    int cy;
    static VirtualScreen Read();
};

// A view of the zoomed size of window, centred on source and kept on a
// virtual screen of size (cx, cy). False when the size reads as 0.
bool CenteredViewRect(const ViewRect& window, const ViewRect& source, double zoom, bool noScale, ScreenSize screen,
                      ViewRect& out);

// The pointer's target: a box of half the view's size around it when the
// output does not follow the view (full screen or a sticky window), else a
// view-sized box, so that the view centres on the pointer.
ViewRect MouseTarget(POINT pointer, const ViewRect& view, bool halfBox);

// The caret's target: a box of a quarter of the view's size around its centre.
ViewRect CaretTarget(const ViewRect& caret, const ViewRect& view);

// The view moved by (dx, dy), its origin held within 0..cx and 0..cy.
ViewRect PositionTarget(int dx, int dy, const ViewRect& view, ScreenSize screen);

// The focused object itself, in virtual-screen coordinates, cut at the
// virtual screen's left, top, right and bottom.
ViewRect FocusTarget(const ViewRect& focus, const VirtualScreen& screen);

// The caret rectangle of a GUITHREADINFO in virtual-screen coordinates, given
// the screen position of the caret window's client area.
ViewRect CaretRectFromThreadInfo(const RECT& rcCaret, POINT clientOrigin, const VirtualScreen& screen);

// A focused object's RECT (screen coordinates, right and bottom inside) as a
// ViewRect.
ViewRect FocusRectFromRECT(const RECT& r);

// The next view for target, starting from source with the centred view
// centred: it moves only as far as needed to contain the target; step (when
// not 0) limits the move per axis; the result is cut and clamped to the
// virtual screen.
bool StepView(const ViewRect& target, const ViewRect& centred, const ViewRect& source, int step, ScreenSize screen,
              ViewRect& out);

// The zoom table: 1, 1.5, and every whole number from 2 to 32.
constexpr int kZoomStepCount = 33;
extern const double kZoomSteps[kZoomStepCount];
constexpr double kZoomMin = 1.0;
constexpr double kZoomMax = 32.0;
constexpr double kZoomDefault = 2.0;

// The next zoom: relative 0 sets value; otherwise one table entry up (value >
// 0) or down. Always within 1..32.
double NextZoom(double zoom, int relative, double value);
// The zoom of a stored ZoomLevel_10 (a tenth of it; 2.0 when outside 1..32),
// and the level stored for a zoom (ten times it, truncated).
double ZoomFromLevel(unsigned level);
unsigned LevelFromZoom(double zoom);
