#include "tracking/highlight/HilightInstances.h"

#include "settings/StaticInitOrder.h"
#include "tracking/highlight/HilightCaret_Impl.h"
#include "tracking/highlight/HilightRectangle_Impl.h"
#include "tracking/highlight/HilightRing_Impl.h"

namespace Hilight {

// Each is built on its first call, which also registers its destruction.
HilightRing_Impl* RingInstance() {
    static HilightRing_Impl ring;
    return &ring;
}

HilightRectangle_Impl* RectangleInstance() {
    static HilightRectangle_Impl rectangle;
    return &rectangle;
}

HilightCaret_Impl* CaretInstance() {
    static HilightCaret_Impl caret;
    return &caret;
}

}  // namespace Hilight

Hilight::HilightObject* g_cursorHilight = nullptr;
Hilight::HilightObject* g_focusHilight = nullptr;
Hilight::HilightObject* g_caretHilight = nullptr;

namespace {

// In this order: focus, caret, pointer; so at exit the pointer's ring goes
// first and the focus frame last.
struct InitFocusHilight {
    InitFocusHilight() { g_focusHilight = Hilight::RectangleInstance(); }
} g_initFocusHilight KV_INIT_PRIORITY(KV_INIT_HILIGHTS);

struct InitCaretHilight {
    InitCaretHilight() { g_caretHilight = Hilight::CaretInstance(); }
} g_initCaretHilight KV_INIT_PRIORITY(KV_INIT_HILIGHTS);

struct InitCursorHilight {
    InitCursorHilight() { g_cursorHilight = Hilight::RingInstance(); }
} g_initCursorHilight KV_INIT_PRIORITY(KV_INIT_HILIGHTS);

}  // namespace
