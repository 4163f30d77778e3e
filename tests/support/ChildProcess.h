#pragma once
// Other programs started by a test, and their windows.
#include <windows.h>

#include <string>

// Starts exe (quoted) with arguments in currentFolder (null: this one's).
bool StartProcess(const std::wstring& exe, const std::wstring& arguments, const wchar_t* currentFolder,
                  PROCESS_INFORMATION& started);

// A window of process pid among the children of parent (HWND_MESSAGE for
// message-only windows, null for top-level ones) with that class and title
// (null: any); waits up to timeoutMs for it, null when none came.
HWND WaitForProcessWindow(HWND parent, const wchar_t* cls, const wchar_t* title, DWORD pid, DWORD timeoutMs);
