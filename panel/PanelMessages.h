#pragma once
// Window messages of the control panel. The two registered ones are
// registered while the library loads.
#include <windows.h>

// "KVGUI_WM_UPDATEUI": posted by kvgui_Update; the main dialog re-reads
// every state it shows.
extern const UINT g_updateUiMessage;
// "TaskbarCreated": the shell announces a new taskbar; the tray icon is put
// back.
extern const UINT g_taskbarCreatedMessage;

// Posted by kvgui_Uninit to the main dialog, again until the panel's thread
// has ended: end whatever modal loop runs on the panel's thread (a menu does
// not end on a quit message, a move loop swallows it), so that the panel's
// own loop gets its turn and leaves. Acted on only while the panel is being
// closed, whoever posts it.
const UINT kClosePanelMessage = WM_APP + 1;
