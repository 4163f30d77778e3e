#include "tests/support/ChildProcess.h"

bool StartProcess(const std::wstring& exe, const std::wstring& arguments, const wchar_t* currentFolder,
                  PROCESS_INFORMATION& started) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    return CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, currentFolder, &si,
                          &started) != FALSE;
}

HWND WaitForProcessWindow(HWND parent, const wchar_t* cls, const wchar_t* title, DWORD pid, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        HWND w = nullptr;
        while ((w = FindWindowExW(parent, w, cls, title)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid) return w;
        }
        Sleep(50);
    }
    return nullptr;
}
