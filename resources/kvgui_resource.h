#pragma once
// Resource ids of the control panel (kvgui.dll), shared by its resource
// scripts and its code.

// Templates and menus.
#define IDD_ABOUT 103
#define IDR_TRAYMENU 105
#define IDR_MAINMENU 109
#define IDD_MAIN 137

// Commands of the menus and the tray menu.
#define ID_APP_ABOUT 104
#define ID_APP_EXIT 105
#define ID_VISIT_WEBSITE 32774
#define ID_HIDE_SYS_CURSOR 32784
#define ID_HIDE_MINIMIZE 32785
#define ID_MEM_CACHE 32786
#define ID_PERF_HIGH 32787
#define ID_PERF_AVERAGE 32788
#define ID_CHECK_UPDATES 32792
#define ID_PERF_POOR 32793
#define ID_SHOW_MAIN 32794
#define ID_INVERT_COLORS 32796
#define ID_HIGH_CONTRAST 32798

// Controls of the main dialog.
#define IDC_PAUSE 1008
#define IDC_ZOOMIN 1009
#define IDC_ZOOMOUT 1010
#define IDC_HILIGHT_CURSOR 1011
#define IDC_HILIGHT_CARET 1012
#define IDC_HILIGHT_FOCUS 1013
#define IDC_FULLSCREEN 1016

// Controls of the About box.
#define IDC_CONTACT_LINK 6003
#define IDC_HOME_LINK 6004
#define IDC_VERSION 6009

// Strings.
#define IDS_CAPTION_FORMAT 6000
#define IDS_HOME_PAGE 6004
#define IDS_QUIT_QUESTION 6005
#define IDS_VERSION_FORMAT 6009
#define IDS_DOWNLOAD_PAGE 6010
#define IDS_APP_TITLE 57344

// Icons (one set for all languages).
#define IDI_ZOOMOUT 140
#define IDI_ZOOMIN 141
#define IDI_RUNNING 142
#define IDI_CARET_ON 6006
#define IDI_PROGRAM 6007
#define IDI_FOCUS_ON 6009
#define IDI_CARET_OFF 6010
#define IDI_CURSOR_ON 6011
#define IDI_CURSOR_OFF 6012
#define IDI_PAUSED 6013
#define IDI_FOCUS_OFF 6014
#define IDI_FULLSCREEN 6016
#define IDI_WINDOW 6017
