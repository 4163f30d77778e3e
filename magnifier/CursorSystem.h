#pragma once
// The system-cursor calls of the cursor manager, behind a seam: some systems
// accept SetSystemCursor and SPI_SETCURSORS without showing any effect, so
// tests record them through a fake instead.
#include <windows.h>

class CursorSystem {
public:
    virtual HCURSOR LoadSystem(DWORD id) = 0;   // the system's shared handle for id
    virtual HCURSOR Copy(HCURSOR cursor) = 0;   // a private copy (CopyIcon)
    virtual BOOL SetSystem(HCURSOR cursor, DWORD id) = 0;
    virtual BOOL Reload() = 0;                  // SPI_SETCURSORS
    virtual void Destroy(HCURSOR cursor) = 0;

protected:
    ~CursorSystem() = default;
};

// The real calls.
CursorSystem& RealCursorSystem();
