#pragma once
// The tray's calls on the notification area, through Shell_NotifyIconW.
// Replaceable, so that tests can record them: what the shell holds cannot be
// read back.
#include <windows.h>
#include <shellapi.h>

// message is NIM_ADD, NIM_MODIFY or NIM_DELETE.
using NotifyIconCall = BOOL (*)(DWORD message, NOTIFYICONDATAW* record);

BOOL CallNotifyIcon(DWORD message, NOTIFYICONDATAW* record);

// Puts call in place (null: the shell again); returns the one it replaces.
NotifyIconCall SetNotifyIconCall(NotifyIconCall call);
