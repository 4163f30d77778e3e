#include "panel/CDlgMain.h"

#include "framework/AfxModule.h"
#include "framework/AfxShell.h"
#include "framework/CString.h"
#include "magnifier/IMagCommand.h"
#include "panel/CDlgAbout.h"
#include "panel/CkvguiApp.h"
#include "panel/HighContrast.h"
#include "panel/PanelMessages.h"
#include "panel/PanelSettings.h"
#include "resources/kvgui_resource.h"

namespace {

// Icon slots (0-based), as loaded by OnInitDialog.
enum IconSlot {
    kSmallIcon = 0,
    kLargeIcon = 2,
    kRunning = 4,
    kPaused = 5,
    kZoomIn = 6,
    kZoomOut = 8,
    kCursorOn = 10,
    kCursorOff = 11,
    kFocusOn = 12,
    kFocusOff = 13,
    kCaretOn = 14,
    kCaretOff = 15,
    kFullScreen = 16,
    kWindowMode = 17,
};

struct IconLoad {
    int slot;
    WORD resource;
    int size;
};

const IconLoad kIcons[] = {
    {kSmallIcon, IDI_PROGRAM, 16},   {kLargeIcon, IDI_PROGRAM, 32},     {kRunning, IDI_RUNNING, 64},
    {kPaused, IDI_PAUSED, 64},       {kZoomIn, IDI_ZOOMIN, 32},         {kZoomOut, IDI_ZOOMOUT, 32},
    {kCursorOn, IDI_CURSOR_ON, 48},  {kCursorOff, IDI_CURSOR_OFF, 48},  {kFocusOn, IDI_FOCUS_ON, 48},
    {kFocusOff, IDI_FOCUS_OFF, 48},  {kCaretOn, IDI_CARET_ON, 48},      {kCaretOff, IDI_CARET_OFF, 48},
    {kFullScreen, IDI_FULLSCREEN, 48}, {kWindowMode, IDI_WINDOW, 48},
};

const int kNoNotice = -1;

// The Options menu's switches: the registry value each toggles and the change
// announced to the magnifier.
struct Switch {
    UINT command;
    SettingValue value;
    int kind;
};

const Switch kSwitches[] = {
    {ID_HIDE_SYS_CURSOR, Setting::HideSysCursor, kSettingHideSysCursor},
    {ID_HIDE_MINIMIZE, Setting::HideMinimize, kNoNotice},
    {ID_MEM_CACHE, Setting::UseMemCache, kSettingUseMemCache},
    {ID_INVERT_COLORS, Setting::InvertColors, kSettingInvertColors},
};

struct Preset {
    UINT command;
    DWORD rate;
};

const Preset kPresets[] = {{ID_PERF_HIGH, 30}, {ID_PERF_AVERAGE, 20}, {ID_PERF_POOR, 10}};

const Switch* SwitchFor(UINT command) {
    for (const Switch& s : kSwitches) {
        if (s.command == command) return &s;
    }
    return nullptr;
}

UINT CheckedIf(bool on) { return MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED); }

}  // namespace

CDlgMain::CDlgMain(IMagCommand* command) : CDialog(IDD_MAIN, nullptr), command_(command) {}

CDlgMain::~CDlgMain() {
    for (HICON& icon : icons_) {
        if (icon) DestroyIcon(icon);
        icon = nullptr;
    }
    // The tray member goes after this body, and removes the icon with it.
}

BOOL CDlgMain::OnInitDialog() {
    CDialog::OnInitDialog();
    HINSTANCE instance = AfxGetResourceHandle();
    for (const IconLoad& load : kIcons) {
        icons_[load.slot] = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(load.resource), IMAGE_ICON, load.size, load.size, 0));
    }
    SetImage(IDC_ZOOMIN, kZoomIn);
    SetImage(IDC_ZOOMOUT, kZoomOut);
    SetImage(IDC_PAUSE, kRunning);
    SetImage(IDC_HILIGHT_CURSOR, kCursorOn);
    SetImage(IDC_HILIGHT_CARET, kCaretOn);
    SetImage(IDC_HILIGHT_FOCUS, kFocusOn);
    SetImage(IDC_FULLSCREEN, kFullScreen);
    SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons_[kSmallIcon]));
    SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons_[kLargeIcon]));

    if (!trayMessage_) {
        trayMessage_ = RegisterWindowMessageW(L"KOVAX.Message.TrayIcon");
        if (trayMessage_ && tray_.Create(instance, GetSafeHwnd(), trayMessage_, icons_[kSmallIcon])) {
            tray_.SetMenuDefaultItem();
        }
    }
    return TRUE;
}

void CDlgMain::SetImage(int id, int slot) {
    SendDlgItemMessageW(GetSafeHwnd(), id, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icons_[slot]));
}

void CDlgMain::ShowState(int id, int state, int onSlot, int offSlot) {
    SetImage(id, state ? onSlot : offSlot);
    SendDlgItemMessageW(GetSafeHwnd(), id, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CDlgMain::UpdateControls() {
    CommandScope magnifier;
    if (!magnifier) return;
    CString format;
    format.LoadFromResource(IDS_CAPTION_FORMAT);
    CString caption;
    caption.Format(format, command_->GetZoom());
    SetWindowTextW(GetSafeHwnd(), caption);

    ShowState(IDC_PAUSE, command_->IsRunning(), kRunning, kPaused);
    ShowState(IDC_HILIGHT_CURSOR, command_->GetHilightCursorShow(), kCursorOn, kCursorOff);
    ShowState(IDC_HILIGHT_CARET, command_->GetHilightCaretShow(), kCaretOn, kCaretOff);
    ShowState(IDC_HILIGHT_FOCUS, command_->GetHilightFocusShow(), kFocusOn, kFocusOff);
    ShowState(IDC_FULLSCREEN, command_->GetFullScreen(), kFullScreen, kWindowMode);
}

bool CDlgMain::OnCommand(UINT id, UINT code) {
    if (code != 0) return false;  // only clicks and menu choices
    switch (id) {
        case ID_APP_ABOUT:
            ShowAbout();
            return true;
        case ID_APP_EXIT:
            OnCancel();
            return true;
        case ID_VISIT_WEBSITE:
            OpenAddress(IDS_HOME_PAGE);
            return true;
        case ID_CHECK_UPDATES:
            OpenAddress(IDS_DOWNLOAD_PAGE);
            return true;
        case ID_SHOW_MAIN:
            ShowWindow(SW_RESTORE);
            return true;
        case ID_HIGH_CONTRAST:
            FlipHighContrast();
            return true;
        default:
            break;
    }
    CommandScope magnifier;
    if (!magnifier) return true;  // closing: the magnifier may be gone
    return MagnifierCommand(id);
}

bool CDlgMain::MagnifierCommand(UINT id) {
    switch (id) {
        case IDC_PAUSE:
            // The paused picture at once; the update that follows shows the real state.
            SetImage(IDC_PAUSE, kPaused);
            command_->StartStop();
            return true;
        case IDC_ZOOMIN:
            command_->ZoomIn();
            return true;
        case IDC_ZOOMOUT:
            command_->ZoomOut();
            return true;
        case IDC_HILIGHT_CURSOR:
            command_->SetHilightCursorShow(!command_->GetHilightCursorShow());
            return true;
        case IDC_HILIGHT_CARET:
            command_->SetHilightCaretShow(!command_->GetHilightCaretShow());
            return true;
        case IDC_HILIGHT_FOCUS:
            command_->SetHilightFocusShow(!command_->GetHilightFocusShow());
            return true;
        case IDC_FULLSCREEN:
            command_->ToggleFullScreen();
            return true;
        default:
            break;
    }
    if (const Switch* s = SwitchFor(id)) {
        // Any stored number but 0 counts as on, and becomes 0.
        WritePanelSetting(s->value, ReadPanelSetting(s->value) == 0 ? 1 : 0);
        if (s->kind != kNoNotice) command_->OnSettingChanged(s->kind, 0);
        return true;
    }
    for (const Preset& preset : kPresets) {
        if (preset.command != id) continue;
        WritePanelSetting(Setting::MaxFrameRate, preset.rate);
        command_->OnSettingChanged(kSettingMaxFrameRate, 0);
        return true;
    }
    return false;
}

void CDlgMain::OpenAddress(UINT stringId) {
    CString address;
    address.LoadFromResource(stringId);
    AfxShellOpen(address);  // a failure shows nothing
}

void CDlgMain::FlipHighContrast() {
    HIGHCONTRASTW record{};
    record.cbSize = sizeof(record);
    // Without the current state a flip could switch the wrong way.
    if (!CallHighContrast(SPI_GETHIGHCONTRAST, &record, 0)) return;
    record.dwFlags ^= HCF_HIGHCONTRASTON;
    CallHighContrast(SPI_SETHIGHCONTRAST, &record, SPIF_SENDCHANGE);
}

void CDlgMain::ShowAbout() {
    if (showingAbout_ || theApp.Closing()) return;
    showingAbout_ = true;
    CDlgAbout about(GetSafeHwnd());
    about.DoModal();
    showingAbout_ = false;
}

void CDlgMain::OnCancel() {
    if (askingToQuit_ || theApp.Closing()) return;
    CString question;
    question.LoadFromResource(IDS_QUIT_QUESTION);
    CString title;
    title.LoadFromResource(IDS_APP_TITLE);
    askingToQuit_ = true;
    int answer = MessageBoxW(GetSafeHwnd(), question, title, MB_YESNO | MB_ICONQUESTION);
    askingToQuit_ = false;
    if (answer != IDYES) return;
    {
        // When the program closes the panel itself, it ends the box: there is
        // nothing to ask the program then.
        CommandScope magnifier;
        if (!magnifier) return;
        command_->Exit();
    }
    quitConfirmed_ = true;
    PostQuitMessage(0);
}

void CDlgMain::EndModalLoops() {
    // A quit message does not end an open menu.
    EndMenu();
    // A move or size loop ends when it loses the capture; under Wine only on
    // a quit message, which it swallows.
    if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
    // Ends a box (About box, quit question), which passes it on to the loop
    // beneath; a loop that swallows it gets the next ask of kvgui_Uninit.
    PostQuitMessage(0);
}

bool CDlgMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (message == g_updateUiMessage && message) {
        UpdateControls();
        return true;
    }
    if (message == trayMessage_ && message) {
        result = OnTrayMessage(wParam, lParam);
        return true;
    }
    switch (message) {
        case kClosePanelMessage:
            if (theApp.Closing()) EndModalLoops();  // else not from kvgui_Uninit
            return true;
        case WM_INITMENUPOPUP:
            if (theApp.Closing()) {
                EndMenu();
                return true;
            }
            OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
            return true;
        case WM_SYSCOMMAND:
            return OnSysCommand(wParam, lParam);
        default:
            return false;
    }
}

LRESULT CDlgMain::OnTrayMessage(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(lParam) != WM_RBUTTONUP) return tray_.OnTrayNotification(wParam, lParam);
    if (theApp.Closing()) return 0;
    HMENU menu = LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_TRAYMENU));
    if (!menu) return 0;
    HMENU popup = GetSubMenu(menu, 0);
    LRESULT shown = popup && wParam == IDR_TRAYMENU ? tray_.ShowPopupMenu(popup) : 0;
    DestroyMenu(menu);
    return shown;
}

void CDlgMain::OnInitMenuPopup(HMENU popup) {
    HMENU options = GetSubMenu(GetMenu(GetSafeHwnd()), 1);
    if (!popup || !options) return;
    if (popup == options) {
        for (const Switch& s : kSwitches) {
            if (s.command == ID_MEM_CACHE) continue;  // in the performance submenu
            CheckMenuItem(popup, s.command, CheckedIf(ReadPanelSetting(s.value) != 0));
        }
        HIGHCONTRASTW record{};
        record.cbSize = sizeof(record);
        bool high = CallHighContrast(SPI_GETHIGHCONTRAST, &record, 0) && (record.dwFlags & HCF_HIGHCONTRASTON);
        CheckMenuItem(popup, ID_HIGH_CONTRAST, CheckedIf(high));
    } else if (popup == GetSubMenu(options, 6)) {
        const Switch* cache = SwitchFor(ID_MEM_CACHE);
        CheckMenuItem(popup, cache->command, CheckedIf(ReadPanelSetting(cache->value) != 0));
        DWORD rate = ReadPanelSetting(Setting::MaxFrameRate);
        CheckMenuItem(popup, ID_PERF_HIGH, CheckedIf(rate >= 30));
        CheckMenuItem(popup, ID_PERF_AVERAGE, CheckedIf(rate >= 20 && rate < 30));
        CheckMenuItem(popup, ID_PERF_POOR, CheckedIf(rate < 20));
    }
}

bool CDlgMain::OnSysCommand(WPARAM command, LPARAM lParam) {
    // The low four bits belong to the system.
    if ((command & 0xFFF0) != SC_MINIMIZE) return false;
    // Hidden, the dialog can only come back through the tray icon: hide it
    // only while there is one.
    if (!ReadPanelSetting(Setting::HideMinimize) || !tray_.IsShown()) return false;
    DefWindowProcW(GetSafeHwnd(), WM_SYSCOMMAND, command, lParam);
    ShowWindow(SW_HIDE);
    return true;
}
