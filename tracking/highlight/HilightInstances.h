#pragma once
// The three marks, one of each kind for the life of the process. They are
// built during static initialisation, after the settings and GDI+ start-up,
// and destroyed at exit (ring, caret, rectangle) before GDI+ shuts down. The
// magnifier window reaches them only through the three global pointers.
namespace Hilight {
class HilightObject;
class HilightRing_Impl;
class HilightRectangle_Impl;
class HilightCaret_Impl;

HilightRing_Impl* RingInstance();
HilightRectangle_Impl* RectangleInstance();
HilightCaret_Impl* CaretInstance();
}  // namespace Hilight

extern Hilight::HilightObject* g_cursorHilight;  // the ring around the pointer
extern Hilight::HilightObject* g_focusHilight;   // the frame around the focus
extern Hilight::HilightObject* g_caretHilight;   // the triangles at the caret
