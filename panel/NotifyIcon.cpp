#include "panel/NotifyIcon.h"

#include <atomic>

namespace {

BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAW* record) { return Shell_NotifyIconW(message, record); }

std::atomic<NotifyIconCall> g_call{ShellNotifyIcon};

}  // namespace

BOOL CallNotifyIcon(DWORD message, NOTIFYICONDATAW* record) { return g_call.load()(message, record); }

NotifyIconCall SetNotifyIconCall(NotifyIconCall call) { return g_call.exchange(call ? call : ShellNotifyIcon); }
