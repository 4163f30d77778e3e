#pragma once
// One key press or release as the hub hands it to its listeners. A listener
// clears passOn to swallow the key.
#include <windows.h>

namespace Hook {

struct KeyEventInfo {
    bool alt;
    bool ctrl;
    bool shift;
    bool numLock;
    bool capsLock;
    bool injected;
    BYTE vk;
    DWORD scanCode;
    DWORD flags;
    bool passOn;
    bool repeat;
};

}  // namespace Hook
