#pragma once
// One key press or release as the hub hands it to its listeners. A listener
// clears passOn to swallow a press. A release goes where the key's presses
// went (passOn says which), so no program gets a release without its press
// or misses the release of a key it saw go down.
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
