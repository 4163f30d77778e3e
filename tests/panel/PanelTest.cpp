// The control panel as the program sees it: kvgui.dll (the tests' variant,
// next to this program) loaded for real and given a recording command object,
// its windows driven with messages from the test's thread while the panel's
// own thread serves them.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "magnifier/IMagCommand.h"
#include "resources/kvgui_resource.h"
#include "tests/support/MessagePump.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/Watchdog.h"

namespace {

using Calls = std::vector<std::string>;
const wchar_t kKey[] = L"Software\\KOVAX";

// Records the commands the panel gives (not its reads) and answers the reads
// from settable states.
class RecordingCommand : public IMagCommand {
public:
    Calls Recorded() {
        std::lock_guard<std::mutex> guard(lock_);
        return calls_;
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock_);
        calls_.clear();
    }

    std::atomic<int> running{1}, cursor{0}, focus{0}, caret{0}, fullScreen{1};
    std::function<void()> onZoomIn;  // runs inside ZoomIn, on the panel's thread

    int GetSmoothImage() override { return 1; }
    void SetSmoothImage(int value) override { Record("SetSmoothImage", value); }
    int GetHilightCursorShow() override { return cursor; }
    void SetHilightCursorShow(int show) override { Record("SetHilightCursorShow", show); }
    int GetHilightFocusShow() override { return focus; }
    void SetHilightFocusShow(int show) override { Record("SetHilightFocusShow", show); }
    int GetHilightCaretShow() override { return caret; }
    void SetHilightCaretShow(int show) override { Record("SetHilightCaretShow", show); }
    int IsRunning() override { return running; }
    void StartStop() override { Record("StartStop"); }
    int GetFullScreen() override { return fullScreen; }
    void ToggleFullScreen() override { Record("ToggleFullScreen"); }
    void ZoomIn() override {
        if (onZoomIn) onZoomIn();
        Record("ZoomIn");
    }
    void ZoomOut() override { Record("ZoomOut"); }
    void SetZoom(double) override { Record("SetZoom"); }
    double GetZoom() override {
        ++zoomReads;
        return 2.0;
    }
    std::atomic<int> zoomReads{0};  // each update of the panel reads the zoom first
    void OnSettingChanged(int kind, int second) override { Record("OnSettingChanged " + std::to_string(kind), second); }
    void Exit() override { Record("Exit"); }
    void Zoom(int, double) override { Record("Zoom"); }

private:
    void Record(const std::string& call) {
        std::lock_guard<std::mutex> guard(lock_);
        calls_.push_back(call);
    }
    void Record(const std::string& call, int value) { Record(call + " " + std::to_string(value)); }

    std::mutex lock_;
    Calls calls_;
};

// One call of the tray's on the notification area.
struct NotifyCall {
    DWORD message;
    UINT id;
    HWND window;
    bool operator==(const NotifyCall& o) const { return message == o.message && id == o.id && window == o.window; }
};

// What the panel asked the shell to open and the high-contrast switches it
// made, recorded in place of the real calls, which Wine cannot show; the
// tray's calls, recorded and passed on to the shell.
struct SystemRecord {
    std::mutex lock;
    std::vector<std::wstring> opened;
    std::vector<HIGHCONTRASTW> switched;
    std::vector<NotifyCall> notified;
    DWORD highContrastFlags = 0;  // what a read reports
    // Set: the opener serves the panel's messages until it is signalled, as a
    // shell call that runs a modal loop of its own can.
    HANDLE openBlocksUntil = nullptr;
    HANDLE inOpener = nullptr;
} g_system;

bool RecordOpen(const wchar_t* target) {
    {
        std::lock_guard<std::mutex> guard(g_system.lock);
        g_system.opened.push_back(target);
    }
    if (HANDLE until = g_system.openBlocksUntil) {
        SetEvent(g_system.inOpener);
        while (MsgWaitForMultipleObjects(1, &until, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
    }
    return true;
}

BOOL RecordNotifyIcon(DWORD message, NOTIFYICONDATAW* record) {
    {
        std::lock_guard<std::mutex> guard(g_system.lock);
        g_system.notified.push_back({message, record->uID, record->hWnd});
    }
    return Shell_NotifyIconW(message, record);
}

BOOL RecordHighContrast(UINT action, HIGHCONTRASTW* record, UINT flags) {
    std::lock_guard<std::mutex> guard(g_system.lock);
    if (action == SPI_GETHIGHCONTRAST) {
        record->dwFlags = g_system.highContrastFlags;
        return TRUE;
    }
    if (action != SPI_SETHIGHCONTRAST || flags != SPIF_SENDCHANGE) return FALSE;
    g_system.switched.push_back(*record);
    return TRUE;
}

// The last window that was sent WM_CANCELMODE on a thread watched by
// WatchCancelMode.
std::atomic<HWND> g_cancelledMode{nullptr};

LRESULT CALLBACK WatchCancelMode(int code, WPARAM wParam, LPARAM lParam) {
    auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_CANCELMODE) g_cancelledMode = sent->hwnd;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct PanelLibrary {
    HMODULE module = nullptr;
    int (*init)(IMagCommand*) = nullptr;
    void (*uninit)() = nullptr;
    int (*update)() = nullptr;
};

// Loaded once, from this program's folder, with the recorders in place.
const PanelLibrary& Panel() {
    static PanelLibrary lib = [] {
        PanelLibrary l;
        l.module = LoadLibraryW(L"kvgui.dll");
        auto bind = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(l.module, name)); };
        l.init = reinterpret_cast<int (*)(IMagCommand*)>(bind("kvgui_Init"));
        l.uninit = reinterpret_cast<void (*)()>(bind("kvgui_Uninit"));
        l.update = reinterpret_cast<int (*)()>(bind("kvgui_Update"));
        using Seams =
            void (*)(bool (*)(const wchar_t*), BOOL (*)(UINT, HIGHCONTRASTW*, UINT), BOOL (*)(DWORD, NOTIFYICONDATAW*));
        if (auto seams = reinterpret_cast<Seams>(bind("kvgui_TestSeams"))) {
            seams(RecordOpen, RecordHighContrast, RecordNotifyIcon);
        }
        return l;
    }();
    return lib;
}

std::wstring Text(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// The version resource of a module as "a.b.c".
std::wstring FileVersionOf(HMODULE module) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(module, path, MAX_PATH);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoW(path, 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) {
        return L"(no version resource)";
    }
    return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(info->dwFileVersionLS));
}

// A top-level window of this process of class cls that match accepts, or null.
HWND FindOwn(const wchar_t* cls, const std::function<bool(HWND)>& match) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, cls, nullptr)) != nullptr;) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && match(w)) return w;
    }
    return nullptr;
}

// The same, waited for up to 10 s.
HWND WaitForOwn(const wchar_t* cls, const std::function<bool(HWND)>& match) {
    HWND found = nullptr;
    PumpUntil([&] { return (found = FindOwn(cls, match)) != nullptr; });
    return found;
}

HWND OpenMenu() {
    return WaitForOwn(L"#32768", [](HWND w) { return IsWindowVisible(w) != FALSE; });
}

class PanelTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Panel().init && Panel().uninit && Panel().update) << "kvgui.dll or its exports are missing";
        {
            std::lock_guard<std::mutex> guard(g_system.lock);
            g_system.opened.clear();
            g_system.switched.clear();
            g_system.notified.clear();
            g_system.highContrastFlags = 0;
        }
        Start();
    }
    void TearDown() override { Uninit(); }

    void Start() {
        ASSERT_EQ(1, Panel().init(&command_));
        dialog_ = FindOwn(L"#32770", [](HWND w) { return GetMenu(w) != nullptr; });
        ASSERT_NE(nullptr, dialog_);
        EXPECT_TRUE(IsWindowVisible(dialog_)) << "kvgui_Init returned before the dialog was shown";
    }
    // Returns promptly whatever the panel has open; the deadline only catches a hang.
    void Uninit() {
        StepDeadline deadline("kvgui_Uninit", 2000);
        Panel().uninit();
    }
    DWORD PanelThread() const { return GetWindowThreadProcessId(dialog_, nullptr); }
    // The panel's thread inside a modal loop of the given GUI_ kind.
    bool InModalLoop(DWORD flag) {
        return PumpUntil([&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            return GetGUIThreadInfo(PanelThread(), &info) && (info.flags & flag);
        });
    }

    void Command(UINT id) { SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // For commands that open something modal on the panel's thread.
    void PostCommand(UINT id) { PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void Tray(UINT mouseMessage) {
        PostMessageW(dialog_, RegisterWindowMessageW(L"KOVAX.Message.TrayIcon"), IDR_TRAYMENU, mouseMessage);
    }
    // A REG_DWORD under the program's key; anything else reads as 0xDEADBEEF.
    DWORD Stored(const wchar_t* name) {
        RegistrySandbox::Stored s = sandbox_.Get(kKey, name);
        return s.type == REG_DWORD ? s.AsDword() : 0xDEADBEEF;
    }
    bool Checked(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
    void Opening(HMENU popup, int position) {
        SendMessageW(dialog_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(position, FALSE));
    }
    // A visible dialog (the quit question, the About box) that the panel owns.
    HWND Owned(const std::wstring& caption) {
        return WaitForOwn(L"#32770", [&](HWND w) {
            return GetWindow(w, GW_OWNER) == dialog_ && IsWindowVisible(w) && Text(w) == caption;
        });
    }
    HWND QuitQuestion(const wchar_t* title = L"KOVAX Magnifier") { return Owned(title); }
    void Answer(HWND box, int button) {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    }
    LRESULT Image(int id) { return SendDlgItemMessageW(dialog_, id, BM_GETIMAGE, IMAGE_ICON, 0); }
    LRESULT Check(int id) { return SendDlgItemMessageW(dialog_, id, BM_GETCHECK, 0, 0); }

    RecordingCommand command_;
    RegistrySandbox sandbox_;  // goes after TearDown has closed the panel
    HWND dialog_ = nullptr;
};

TEST_F(PanelTest, ButtonsAndMenusGiveTheirCommandsWritesAndSystemCalls) {
    command_.cursor = 1;
    for (UINT id :
         {IDC_ZOOMIN, IDC_ZOOMOUT, IDC_HILIGHT_CURSOR, IDC_HILIGHT_CARET, IDC_HILIGHT_FOCUS, IDC_FULLSCREEN}) {
        Command(id);
    }
    // A preset writes whatever is stored, even a text that reads as its rate.
    sandbox_.SetText(kKey, L"MaxFrameRate", L"30");
    const std::pair<UINT, DWORD> presets[] = {{ID_PERF_HIGH, 30}, {ID_PERF_POOR, 10}, {ID_PERF_AVERAGE, 20}};
    for (const auto& preset : presets) {
        Command(preset.first);
        EXPECT_EQ(preset.second, Stored(L"MaxFrameRate"));
    }
    EXPECT_EQ((Calls{"ZoomIn", "ZoomOut", "SetHilightCursorShow 0", "SetHilightCaretShow 1", "SetHilightFocusShow 1",
                     "ToggleFullScreen", "OnSettingChanged 2 0", "OnSettingChanged 2 0", "OnSettingChanged 2 0"}),
              command_.Recorded());

    g_system.highContrastFlags = HCF_HIGHCONTRASTON | HCF_AVAILABLE;
    Command(ID_HIGH_CONTRAST);
    Command(ID_VISIT_WEBSITE);
    Command(ID_CHECK_UPDATES);
    std::lock_guard<std::mutex> guard(g_system.lock);
    ASSERT_EQ(1u, g_system.switched.size());
    EXPECT_EQ(static_cast<DWORD>(HCF_AVAILABLE), g_system.switched[0].dwFlags);
    EXPECT_EQ(sizeof(HIGHCONTRASTW), g_system.switched[0].cbSize);
    EXPECT_EQ((std::vector<std::wstring>{L"https://kovax.example/", L"https://kovax.example/download/"}),
              g_system.opened);
}

TEST_F(PanelTest, UpdatesShowTheRealStateAndPauseShowsPausedAtOnce) {
    command_.cursor = 1;
    command_.caret = 1;
    command_.fullScreen = 0;
    Panel().update();
    ASSERT_TRUE(PumpUntil([&] { return Check(IDC_PAUSE) == BST_CHECKED; }));
    EXPECT_EQ(BST_CHECKED, Check(IDC_HILIGHT_CURSOR));
    EXPECT_EQ(BST_CHECKED, Check(IDC_HILIGHT_CARET));
    EXPECT_EQ(BST_UNCHECKED, Check(IDC_HILIGHT_FOCUS));
    EXPECT_EQ(BST_UNCHECKED, Check(IDC_FULLSCREEN));
    LRESULT runningImage = Image(IDC_PAUSE);

    Command(IDC_PAUSE);
    EXPECT_EQ(Calls{"StartStop"}, command_.Recorded());
    LRESULT pausedImage = Image(IDC_PAUSE);
    EXPECT_NE(runningImage, pausedImage);

    Panel().update();  // still running after all
    EXPECT_TRUE(PumpUntil([&] { return Image(IDC_PAUSE) == runningImage; }));
    command_.running = 0;
    Panel().update();
    EXPECT_TRUE(PumpUntil([&] { return Image(IDC_PAUSE) == pausedImage && Check(IDC_PAUSE) == BST_UNCHECKED; }));
}

TEST_F(PanelTest, OptionSwitchesFlipTheirValueWhateverIsStored) {
    struct Switch {
        UINT id;
        const wchar_t* name;
        DWORD fromDefault;
        const char* notice;
    };
    const Switch switches[] = {
        {ID_HIDE_SYS_CURSOR, L"HideSysCursor", 0, "OnSettingChanged 0 0"},
        {ID_HIDE_MINIMIZE, L"HideMinimize", 1, nullptr},
        {ID_MEM_CACHE, L"UseMemCache", 1, "OnSettingChanged 1 0"},
        {ID_INVERT_COLORS, L"InvertColors", 1, "OnSettingChanged 3 0"},
    };
    for (const Switch& s : switches) {
        SCOPED_TRACE(testing::Message() << "command " << s.id);
        command_.Clear();
        Command(s.id);  // absent: flips the default
        EXPECT_EQ(s.fromDefault, Stored(s.name));
        sandbox_.SetDword(kKey, s.name, 2);  // any nonzero number is on
        Command(s.id);
        EXPECT_EQ(0u, Stored(s.name));
        sandbox_.SetText(kKey, s.name, L"1");  // 4 bytes, but text: the default stands
        Command(s.id);
        EXPECT_EQ(s.fromDefault, Stored(s.name));
        EXPECT_EQ(Calls(s.notice ? 3 : 0, s.notice ? s.notice : ""), command_.Recorded());
    }
}

TEST_F(PanelTest, MenusMarkWhatTheRegistryHolds) {
    HMENU options = GetSubMenu(GetMenu(dialog_), 1);
    HMENU performance = GetSubMenu(options, 6);
    ASSERT_TRUE(options && performance);

    Opening(options, 1);  // nothing stored, high contrast off
    Opening(performance, 6);
    EXPECT_TRUE(Checked(options, ID_HIDE_SYS_CURSOR));
    EXPECT_FALSE(Checked(options, ID_HIDE_MINIMIZE) || Checked(options, ID_INVERT_COLORS) ||
                 Checked(options, ID_HIGH_CONTRAST) || Checked(performance, ID_MEM_CACHE));

    sandbox_.SetDword(kKey, L"HideSysCursor", 0);
    sandbox_.SetDword(kKey, L"HideMinimize", 1);
    sandbox_.SetDword(kKey, L"InvertColors", 2);
    sandbox_.SetDword(kKey, L"UseMemCache", 1);
    g_system.highContrastFlags = HCF_HIGHCONTRASTON;
    Opening(options, 1);
    Opening(performance, 6);
    EXPECT_FALSE(Checked(options, ID_HIDE_SYS_CURSOR));
    EXPECT_TRUE(Checked(options, ID_HIDE_MINIMIZE) && Checked(options, ID_INVERT_COLORS) &&
                Checked(options, ID_HIGH_CONTRAST) && Checked(performance, ID_MEM_CACHE));

    const std::pair<DWORD, UINT> rates[] = {{0, ID_PERF_POOR},     {19, ID_PERF_POOR}, {20, ID_PERF_AVERAGE},
                                            {29, ID_PERF_AVERAGE}, {30, ID_PERF_HIGH}, {100, ID_PERF_HIGH}};
    auto marked = [&] {
        Opening(performance, 6);
        std::vector<UINT> on;
        for (UINT id : {ID_PERF_HIGH, ID_PERF_AVERAGE, ID_PERF_POOR}) {
            if (Checked(performance, id)) on.push_back(id);
        }
        return on;
    };
    for (const auto& rate : rates) {
        sandbox_.SetDword(kKey, L"MaxFrameRate", rate.first);
        EXPECT_EQ(std::vector<UINT>{rate.second}, marked()) << "MaxFrameRate " << rate.first;
    }
    // A text whose four bytes would read as 20: the default, 30, stands.
    sandbox_.SetText(kKey, L"MaxFrameRate", std::wstring(1, wchar_t(20)));
    EXPECT_EQ(std::vector<UINT>{ID_PERF_HIGH}, marked());
}

TEST_F(PanelTest, EnterDoesNothingEscAndTheCloseBoxAskAndOnlyYesEndsTheProgramOnce) {
    HWND pause = GetDlgItem(dialog_, IDC_PAUSE);
    PostMessageW(pause, WM_KEYDOWN, VK_RETURN, 0);
    PostCommand(IDC_ZOOMIN);  // served after the key
    ASSERT_TRUE(PumpUntil([&] { return !command_.Recorded().empty(); }));
    EXPECT_TRUE(IsWindowEnabled(dialog_)) << "Enter opened something modal";

    PostMessageW(pause, WM_KEYDOWN, VK_ESCAPE, 0);
    HWND box = QuitQuestion();
    ASSERT_NE(nullptr, box);
    Answer(box, IDNO);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindowVisible(dialog_));

    PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
    box = QuitQuestion();
    ASSERT_NE(nullptr, box);
    PostCommand(ID_APP_EXIT);  // the tray's Exit while the question is up asks nothing more
    Answer(box, IDYES);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog_); })) << "the panel's loop did not end";
    EXPECT_EQ((Calls{"ZoomIn", "Exit"}), command_.Recorded());
}

TEST_F(PanelTest, MinimiseHidesOnlyWithHideMinimizeAndTheTrayBringsItBackAfterANewTaskbar) {
    // The system's own low bits in the command must not matter.
    SendMessageW(dialog_, WM_SYSCOMMAND, SC_MINIMIZE | 2, 0);
    EXPECT_TRUE(IsIconic(dialog_) && IsWindowVisible(dialog_));
    Tray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(PumpUntil([&] { return !IsIconic(dialog_); }));

    // The shell keeps the icon, and the panel knows it is there: hiding needs it.
    SendMessageW(FindWindowW(L"TrayIconClass", nullptr), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = dialog_;
    icon.uID = IDR_TRAYMENU;
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &icon)) << "the shell holds no icon of the panel";

    sandbox_.SetDword(kKey, L"HideMinimize", 1);
    SendMessageW(dialog_, WM_SYSCOMMAND, SC_MINIMIZE | 2, 0);
    EXPECT_FALSE(IsWindowVisible(dialog_));
    Tray(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(dialog_) && !IsIconic(dialog_); }));
}

TEST_F(PanelTest, AboutBoxIsModalAndOpensItsLinksWithTheirPrefix) {
    PostCommand(ID_APP_ABOUT);
    HWND about = Owned(L"About KOVAX Magnifier");
    ASSERT_NE(nullptr, about);
    EXPECT_FALSE(IsWindowEnabled(dialog_));

    SendDlgItemMessageW(about, IDC_HOME_LINK, BM_CLICK, 0, 0);
    SendDlgItemMessageW(about, IDC_CONTACT_LINK, BM_CLICK, 0, 0);
    {
        std::lock_guard<std::mutex> guard(g_system.lock);
        EXPECT_EQ((std::vector<std::wstring>{L"https://kovax.example/", L"mailto:support@kovax.example"}),
                  g_system.opened);
    }
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about) && IsWindowEnabled(dialog_); }));
    EXPECT_TRUE(command_.Recorded().empty());
}

TEST_F(PanelTest, UninitReturnsWhateverIsOpenAndASecondInitIsIgnored) {
    EXPECT_EQ(1, Panel().init(&command_));  // a panel runs already: the first Uninit must end it
    struct Open {
        const char* what;
        std::function<void()> open;
        std::function<HWND()> find;
    };
    auto about = [&] { return Owned(L"About KOVAX Magnifier"); };
    auto moving = [&] { return InModalLoop(GUI_INMOVESIZE) ? dialog_ : nullptr; };
    // Sent, not posted: served inside the menu's own loop.
    auto fromTrayMenu = [&](UINT id) {
        Tray(WM_RBUTTONUP);
        if (OpenMenu()) SendNotifyMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    };
    const Open cases[] = {
        {"menu bar", [&] { PostMessageW(dialog_, WM_SYSCOMMAND, SC_KEYMENU, 'o'); }, OpenMenu},
        {"tray menu", [&] { Tray(WM_RBUTTONUP); }, OpenMenu},
        {"About box", [&] { PostCommand(ID_APP_ABOUT); }, about},
        {"quit question", [&] { PostCommand(ID_APP_EXIT); }, [&] { return QuitQuestion(); }},
        // Any process can start these by posting to the dialog.
        {"move loop", [&] { PostMessageW(dialog_, WM_SYSCOMMAND, SC_MOVE, 0); }, moving},
        {"size loop", [&] { PostMessageW(dialog_, WM_SYSCOMMAND, SC_SIZE, 0); }, moving},
        {"About box from the tray menu", [&] { fromTrayMenu(ID_APP_ABOUT); }, about},
        {"quit question from the tray menu", [&] { fromTrayMenu(ID_APP_EXIT); }, [&] { return QuitQuestion(); }},
        {"About box being moved",
         [&] {
             PostCommand(ID_APP_ABOUT);
             PostMessageW(about(), WM_SYSCOMMAND, SC_MOVE, 0);
         },
         moving},
    };
    for (const Open& c : cases) {
        SCOPED_TRACE(c.what);
        if (!dialog_) Start();
        c.open();
        HWND open = c.find();
        ASSERT_NE(nullptr, open);
        if (c.what == std::string("tray menu")) {
            HMENU menu = reinterpret_cast<HMENU>(SendMessageW(open, MN_GETHMENU, 0, 0));
            EXPECT_EQ(static_cast<UINT>(ID_SHOW_MAIN), GetMenuItemID(menu, 0));
        }
        // Windows ends a move loop when its window loses the capture; Wine
        // only on a quit message, which proves nothing there.
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(PanelThread(), &info);
        g_cancelledMode = nullptr;
        HHOOK watch = SetWindowsHookExW(WH_CALLWNDPROC, WatchCancelMode, nullptr, PanelThread());
        Uninit();
        UnhookWindowsHookEx(watch);
        if (info.flags & GUI_INMOVESIZE) {
            EXPECT_EQ(info.hwndCapture, g_cancelledMode.load());
        }
        // Ended, not left behind: the icon went with the dialog.
        EXPECT_FALSE(IsWindow(dialog_));
        std::lock_guard<std::mutex> guard(g_system.lock);
        ASSERT_FALSE(g_system.notified.empty());
        EXPECT_TRUE((NotifyCall{NIM_DELETE, IDR_TRAYMENU, dialog_}) == g_system.notified.back());
        dialog_ = nullptr;
    }
    EXPECT_EQ(1, Panel().update());  // no panel: nothing to post to
    EXPECT_TRUE(command_.Recorded().empty()) << "closing the panel must not end the program";
}

// Held in a loop that the panel cannot end (a shell call running one of its
// own), the panel does not hold the program: kvgui_Uninit gives up on it, its
// library stays loaded under its thread, and the command object, which goes
// with the program, is never called again.
TEST_F(PanelTest, UninitLeavesAStuckPanelBehindWithItsLibraryPinnedAndTheMagnifierUntouched) {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_system.inOpener = entered;
    g_system.openBlocksUntil = release;
    PostCommand(ID_VISIT_WEBSITE);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(entered, 10000));
    g_system.openBlocksUntil = nullptr;
    Uninit();
    ASSERT_TRUE(IsWindow(dialog_)) << "the panel was not stuck";
    EXPECT_EQ(1, Panel().init(&command_));  // not beside the one still ending
    EXPECT_EQ(nullptr, FindOwn(L"#32770", [&](HWND w) { return w != dialog_ && GetMenu(w); }));

    // Served by the stuck loop, in the order posted.
    int zoomReads = command_.zoomReads;
    PostCommand(IDC_ZOOMIN);
    Panel().update();
    PostMessageW(GetDlgItem(dialog_, IDC_PAUSE), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(PumpUntil([&] { return Check(IDC_PAUSE) == BST_CHECKED; }));
    FreeLibrary(Panel().module);
    EXPECT_EQ(Panel().module, GetModuleHandleW(L"kvgui.dll")) << "unloaded under the panel's thread";

    SetEvent(release);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog_); })) << "the panel did not end once free";
    EXPECT_TRUE(command_.Recorded().empty());
    EXPECT_EQ(zoomReads, command_.zoomReads);
    CloseHandle(release);
    CloseHandle(entered);
    // The next Uninit closes what the first left open; a panel starts again.
    Uninit();
    Start();
}

// Any process can post these: the panel and the window that puts its icon
// back after a new taskbar stay.
TEST_F(PanelTest, StrayClosesAndQuitMessagesLeaveThePanelAndItsTrayWindow) {
    HWND tray = FindOwn(L"TrayIconClass", [](HWND) { return true; });
    ASSERT_NE(nullptr, tray);
    PostMessageW(tray, WM_CLOSE, 0, 0);
    PostMessageW(tray, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(dialog_, WM_QUIT, 0, 0);
    PostThreadMessageW(PanelThread(), WM_QUIT, 0, 0);
    PostCommand(IDC_ZOOMIN);  // served after them
    EXPECT_TRUE(PumpUntil([&] { return !command_.Recorded().empty(); })) << "the panel's loop ended";
    ASSERT_TRUE(IsWindow(tray));

    {
        std::lock_guard<std::mutex> guard(g_system.lock);
        g_system.notified.clear();
    }
    SendMessageW(tray, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    std::lock_guard<std::mutex> guard(g_system.lock);
    ASSERT_FALSE(g_system.notified.empty());
    EXPECT_TRUE((NotifyCall{NIM_ADD, IDR_TRAYMENU, dialog_}) == g_system.notified.front());
}

TEST_F(PanelTest, UninitServesACommandWaitingForTheCallingThreadAndOutlastsIt) {
    // A window of the test's thread stands for the program's hub window, which
    // a command of the panel may be waiting for when the program closes it.
    HWND hub = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    command_.onZoomIn = [&] {
        SetEvent(started);
        SendMessageW(hub, WM_NULL, 0, 0);
        // Longer than kvgui_Uninit waits for the panel's thread: the command
        // object, which goes with the program, is still in use.
        Sleep(1200);
    };
    PostCommand(IDC_ZOOMIN);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started, 10000));
    Uninit();
    EXPECT_EQ(Calls{"ZoomIn"}, command_.Recorded());
    DestroyWindow(hub);
    CloseHandle(started);
}

// Run once per language, each in a process of its own (LC_ALL).
TEST_F(PanelTest, LanguageTextsFollowTheSystemLanguage) {
    struct Texts {
        const wchar_t* locale;
        const wchar_t* caption;
        const wchar_t* pause;
        const wchar_t* hideCursor;
        const wchar_t* aboutCaption;
        const wchar_t* versionStart;
        const wchar_t* title;
        const wchar_t* question;
    };
    const Texts languages[] = {
        {L"zh_CN", L"KOVAX屏幕放大镜 - 2.0倍", L"暂停/恢复", L"隐藏系统鼠标(&C)", L"关于 KOVAX屏幕放大镜",
         L"KOVAX屏幕放大镜，版本", L"KOVAX屏幕放大镜", L"是否确定要退出KOVAX屏幕放大镜？"},
        {L"zh_TW", L"KOVAX放大鏡", L"暫停/恢復", L"隱藏系統鼠標(&C)", L"關於 KOVAX螢幕放大鏡", L"KOVAX屏幕放大鏡，版本",
         L"KOVAX屏幕放大鏡", L"是否確定要退出KOVAX螢幕放大鏡？"},
        {L"", L"KOVAX Magnifier - 2.0x", L"Pause/Resume", L"Hide System Mouse &Cursor", L"About KOVAX Magnifier",
         L"KOVAX Magnifier, Version ", L"KOVAX Magnifier", L"Are you sure you want to quit KOVAX magnifier?"},
    };
    wchar_t locale[64] = {};
    GetEnvironmentVariableW(L"LC_ALL", locale, 64);
    const Texts* t = &languages[2];
    for (const Texts& l : languages) {
        if (*l.locale && std::wstring(locale).rfind(l.locale, 0) == 0) t = &l;
    }

    Panel().update();
    EXPECT_TRUE(PumpUntil([&] { return Text(dialog_) == t->caption; })) << "caption " << Text(dialog_).size();
    EXPECT_EQ(t->pause, Text(GetDlgItem(dialog_, IDC_PAUSE)));
    wchar_t item[128] = {};
    GetMenuStringW(GetMenu(dialog_), ID_HIDE_SYS_CURSOR, item, 128, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(t->hideCursor), item);

    PostCommand(ID_APP_EXIT);
    HWND box = QuitQuestion(t->title);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(t->question, Text(GetDlgItem(box, 0xFFFF)));
    Answer(box, IDNO);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }));

    // The version line in full, as the library's version resource has it.
    PostCommand(ID_APP_ABOUT);
    HWND about = Owned(t->aboutCaption);
    ASSERT_NE(nullptr, about);
    EXPECT_EQ(std::wstring(t->versionStart) + FileVersionOf(Panel().module), Text(GetDlgItem(about, IDC_VERSION)));
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }));
}

}  // namespace
