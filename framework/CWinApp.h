#pragma once
// The module's application object: its instance and a start-up step that the
// module's entry point runs once it is loaded. A module has at most one.
#include <windows.h>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }

    HINSTANCE m_hInstance;
};
