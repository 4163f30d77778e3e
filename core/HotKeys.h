#pragma once
// The global shortcuts: Alt with a key, and Alt with the mouse wheel, whatever
// program has the focus. Hub listeners on the main thread; they act through
// the command interface, and on the tracker's no-zoom flag for Alt+Insert.
#include <windows.h>

#include "core/KeyEventInfo.h"

namespace Hook {
class EventDispatcher;
}
class MagWin;
class MagTracker;
class IMagCommand;

class HotKeys {
public:
    HotKeys(Hook::EventDispatcher* hub, MagWin* magWin, MagTracker* tracker);
    ~HotKeys();
    HotKeys(const HotKeys&) = delete;
    HotKeys& operator=(const HotKeys&) = delete;

    static bool OnKeyDown(void* context, void* data);
    static bool OnKeyUp(void* context, void* data);
    static bool OnAltWheel(void* context, void* data);
    static bool OnRepeatDue(void* context, void* data);

    int ZoomRepeat() const { return zoomRepeat_; }

    static constexpr int kRepeatDelay = 100;  // ms of tick time between zoom steps

    // The command interface used; the magnifier's own unless a test gives one.
    void SetCommand(IMagCommand* command) { command_ = command; }

private:
    struct KeypadKey {
        UINT scanCode;
        bool extended;
    };

    // True when the key is none of ours: injected, with Shift or Ctrl, a
    // keypad key, or without Alt.
    bool Filtered(const Hook::KeyEventInfo& key) const;
    bool KeyDown(Hook::KeyEventInfo& key);
    bool KeyUp(Hook::KeyEventInfo& key);
    bool StepZoom();

    Hook::EventDispatcher* hub_;
    MagWin* magWin_;
    MagTracker* tracker_;
    int zoomRepeat_ = 0;
    KeypadKey keypadKeys_[16];
    IMagCommand* command_;
};
