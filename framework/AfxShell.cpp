#include "framework/AfxShell.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>

namespace {

bool ShellExecuteOpen(const wchar_t* target) {
    // ShellExecuteW reports success as a value above 32.
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", target, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

std::atomic<ShellOpener> g_opener{ShellExecuteOpen};

}  // namespace

bool AfxShellOpen(const wchar_t* target) {
    if (!target || !*target) return false;
    return g_opener.load()(target);
}

ShellOpener AfxSetShellOpener(ShellOpener opener) { return g_opener.exchange(opener ? opener : ShellExecuteOpen); }
