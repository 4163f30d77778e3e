// The hub and the hook library: binding the recording stand-in KVHook.dll that
// sits next to this program, its mouse callback, and the delayed checks that
// confirm focus, caret and activation against real windows of this thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "core/EventDispatcher.h"
#include "core/KeyEventInfo.h"
#include "core/ModulePath.h"
#include "tests/support/HubLoop.h"
#include "tests/support/MessagePump.h"

using namespace Hook;

namespace {

// ---- the stand-in's test controls ---------------------------------------------

// Loaded by the same full path the hub uses, so both share one module and it
// stays loaded between the hub's binds.
struct FakeHook {
    FakeHook() {
        HMODULE m = LoadLibraryW(ProgramFolderFile(L"KVHook.dll").c_str());
        if (!m) return;
        setFailStep = ModuleExport<void (*)(int)>(m, "FakeHook_SetFailStep");
        target = ModuleExport<HWND (*)()>(m, "FakeHook_Target");
        message = ModuleExport<UINT (*)(int)>(m, "FakeHook_Message");
        uninstalls = ModuleExport<int (*)()>(m, "FakeHook_Uninstalls");
        unhooks = ModuleExport<int (*)()>(m, "FakeHook_Unhooks");
        mouse = ModuleExport<bool (*)(UINT, const MSLLHOOKSTRUCT*)>(m, "FakeHook_Mouse");
    }
    bool Ready() const { return setFailStep && target && message && uninstalls && unhooks && mouse; }

    void (*setFailStep)(int) = nullptr;
    HWND (*target)() = nullptr;
    UINT (*message)(int) = nullptr;
    int (*uninstalls)() = nullptr;
    int (*unhooks)() = nullptr;
    bool (*mouse)(UINT, const MSLLHOOKSTRUCT*) = nullptr;
};

const FakeHook& Fake() {
    static FakeHook fake;
    return fake;
}

// Settings from a private key, no load meter, and the stand-in told to work.
class HookTest : public HubLoopTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(Fake().Ready()) << "KVHook.dll stand-in or its controls missing";
        Fake().setFailStep(0);
        HubLoopTest::SetUp();
    }
    void TearDown() override {
        if (Fake().Ready()) Fake().setFailStep(0);
        HubLoopTest::TearDown();
    }
};

// ---- listeners ------------------------------------------------------------------

// Counts ticks once armed and ends the loop on the first: a loop that was
// asked to quit meanwhile sees none.
struct TickProbe {
    EventDispatcher* hub;
    bool armed = false;
    int ticks = 0;
};

bool OnProbeTick(void* context, void*) {
    auto* p = static_cast<TickProbe*>(context);
    if (p->armed && p->ticks++ == 0) PostMessageW(p->hub->Window(), WM_DESTROY, 0, 0);
    return true;
}

bool RecordPoint(void* context, void* data) {
    static_cast<std::vector<POINT>*>(context)->push_back(*static_cast<POINT*>(data));
    return true;
}

bool RecordPointer(void* context, void* data) {
    static_cast<std::vector<const void*>*>(context)->push_back(data);
    return true;
}

// What the hub confirmed, in order.
struct Confirmed {
    std::vector<int> kinds;
    std::vector<FocusMessageInfo> focus;
    std::vector<GUITHREADINFO> carets;  // CaretFound and CaretChanged
    std::vector<ActivationInfo> activations;
    bool refuseCaretFound = false;
};

bool OnFocus(void* context, void* data) {
    auto* c = static_cast<Confirmed*>(context);
    c->kinds.push_back(FocusMessage);
    c->focus.push_back(*static_cast<FocusMessageInfo*>(data));
    return true;
}

bool OnCaretFound(void* context, void* data) {
    auto* c = static_cast<Confirmed*>(context);
    c->kinds.push_back(CaretFound);
    c->carets.push_back(*static_cast<GUITHREADINFO*>(data));
    return !c->refuseCaretFound;
}

bool OnCaretChanged(void* context, void* data) {
    auto* c = static_cast<Confirmed*>(context);
    c->kinds.push_back(CaretChanged);
    c->carets.push_back(*static_cast<GUITHREADINFO*>(data));
    return true;
}

bool OnActivated(void* context, void* data) {
    auto* c = static_cast<Confirmed*>(context);
    c->kinds.push_back(Activated);
    c->activations.push_back(*static_cast<ActivationInfo*>(data));
    return true;
}

void Listen(EventDispatcher& hub, Confirmed& c) {
    hub.AddListener(FocusMessage, OnFocus, &c);
    hub.AddListener(CaretFound, OnCaretFound, &c);
    hub.AddListener(CaretChanged, OnCaretChanged, &c);
    hub.AddListener(Activated, OnActivated, &c);
}

// ---- real windows -----------------------------------------------------------------

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Alt pressed and released alone would open the window menu's modal loop.
    if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP || message == WM_SYSCHAR) return 0;
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window of this thread with an EDIT in it.
struct Frame {
    Frame(int x = 100) {
        static const wchar_t* cls = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = FrameProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"KOVAXHookTestFrame";
            RegisterClassW(&wc);
            return wc.lpszClassName;
        }();
        window = CreateWindowExW(0, cls, L"Hook test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 100, 400, 200, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        edit = CreateWindowExW(0, L"EDIT", L"some text", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 300, 30, window,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        Pump();
    }
    ~Frame() {
        DestroyWindow(window);
        Pump();
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    HWND window = nullptr;
    HWND edit = nullptr;
};

// Brings the window to the front; a generous number of tries, never a hang.
bool Foreground(HWND window, HWND focus = nullptr) {
    for (int i = 0; i < 200; ++i) {
        SetForegroundWindow(window);
        if (focus) SetFocus(focus);
        Pump();
        if (GetForegroundWindow() == window && (!focus || GetFocus() == focus)) return true;
        Sleep(10);
    }
    return false;
}

HWND CaretWindow() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) ? info.hwndCaret : nullptr;
}

// ---- binding --------------------------------------------------------------------------

TEST_F(HookTest, TheHubBindsTheLibraryForTheLoopAndUnbindsItAfter) {
    EventDispatcher hub;
    const int uninstalls = Fake().uninstalls(), unhooks = Fake().unhooks();
    HWND target = nullptr, own = nullptr;
    UINT given[4] = {};
    bool mouseHooked = false;
    LoopScript script;
    script.Post([&] {
        target = Fake().target();
        own = hub.Window();
        for (int i = 0; i < 4; ++i) given[i] = Fake().message(i);
        MSLLHOOKSTRUCT record = {};
        mouseHooked = Fake().mouse(WM_LBUTTONDOWN, &record);
        EndLoop(hub);
    });
    ASSERT_TRUE(RunLoop(hub));

    EXPECT_NE(nullptr, own);
    EXPECT_EQ(own, target);
    const wchar_t* names[4] = {L"Message.SetFocus", L"Message.Activate", L"Message.CreateWnd", L"Message.DestroyWnd"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(RegisterWindowMessageW(names[i]), hub.RegisteredMessage(i)) << i;
        EXPECT_EQ(hub.RegisteredMessage(i), given[i]) << i;
    }
    EXPECT_TRUE(mouseHooked);
    // Unbound once each, with the window the hooks were installed for.
    EXPECT_EQ(uninstalls + 1, Fake().uninstalls());
    EXPECT_EQ(unhooks + 1, Fake().unhooks());
    EXPECT_EQ(nullptr, Fake().target());
    MSLLHOOKSTRUCT record = {};
    EXPECT_FALSE(Fake().mouse(WM_MOUSEMOVE, &record));
    EXPECT_FALSE(TakeStrayQuit());
}

TEST_F(HookTest, AFailedBindingEndsTheRunBeforeTheLoopAndUndoesWhatWasDone) {
    for (int step : {1, 2}) {
        SCOPED_TRACE(step);
        Fake().setFailStep(step);
        EventDispatcher hub;
        int ticks = 0;
        hub.AddListener(Tick, Count, &ticks);
        const int uninstalls = Fake().uninstalls(), unhooks = Fake().unhooks();
        bool stepRan = false;
        bool ok = true, fired = false;
        {
            LoopScript script;
            script.Post([&] {
                stepRan = true;
                EndLoop(hub);
            });
            QuitWatchdog dog;
            ok = hub.RunMessageLoop();
            fired = dog.Fired();
        }
        Fake().setFailStep(0);
        EXPECT_FALSE(ok);
        EXPECT_EQ(EventDispatcher::HookBinding::kRefused, hub.LastHookBinding()) << "told apart from a missing one";
        EXPECT_FALSE(fired);
        EXPECT_FALSE(stepRan);
        EXPECT_EQ(0, ticks);
        // Hooks that were never installed are not uninstalled; the mouse
        // callback was never taken either way.
        EXPECT_EQ(uninstalls + (step == 2 ? 1 : 0), Fake().uninstalls());
        EXPECT_EQ(unhooks, Fake().unhooks());
        EXPECT_EQ(nullptr, Fake().target());
        EXPECT_FALSE(TakeStrayQuit());
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), kMsgWindowClass, &wc));
    }
}

// ---- the mouse callback -------------------------------------------------------------

TEST_F(HookTest, PointerMovesReachTheListenersAndOtherMessagesNothing) {
    ASSERT_GE(GetAsyncKeyState(VK_MENU), 0) << "Alt is held down";
    EventDispatcher hub;
    std::vector<POINT> moves;
    int wheels = 0, refused = 0;
    std::vector<bool> answers;
    TickProbe probe{&hub};
    hub.AddListener(MouseMove, RecordPoint, &moves);
    hub.AddListener(AltWheel, Count, &wheels);
    hub.AddListener(Tick, OnProbeTick, &probe);
    LoopScript script;
    script.Post([&] {
        MSLLHOOKSTRUCT record = {};
        record.pt = {100, 200};
        answers.push_back(Fake().mouse(WM_MOUSEMOVE, &record));
        // A listener that says stop changes nothing for the loop.
        hub.AddListener(MouseMove, Refuse, &refused);
        record.pt = {-30, 5};
        answers.push_back(Fake().mouse(WM_MOUSEMOVE, &record));
        for (UINT other : {WM_MOUSEWHEEL, WM_MOUSEHWHEEL, WM_LBUTTONDOWN, WM_RBUTTONUP})
            answers.push_back(Fake().mouse(other, &record));
        probe.armed = true;
    });
    ASSERT_TRUE(RunLoop(hub));

    const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN), vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
    ASSERT_EQ(2u, moves.size());
    EXPECT_EQ(100 - vx, moves[0].x);
    EXPECT_EQ(200 - vy, moves[0].y);
    EXPECT_EQ(-30 - vx, moves[1].x);
    EXPECT_EQ(5 - vy, moves[1].y);
    EXPECT_EQ(1, refused);
    EXPECT_EQ(0, wheels);
    EXPECT_EQ(std::vector<bool>(6, true), answers);
    EXPECT_EQ(1, probe.ticks) << "the loop must go on after a refused move";
}

// Alt held down through SendInput for the life of the object. The X server's
// own keyboard state, reported when a window gains the X focus, may release
// it again under Wine: pressed once more then, and checked where it counts.
class AltDown {
public:
    AltDown() {
        for (int i = 0; i < 5 && !pressed_; ++i) pressed_ = Send(0) && Wait(true);
    }
    ~AltDown() {
        Send(KEYEVENTF_KEYUP);
        Wait(false);
    }
    AltDown(const AltDown&) = delete;
    AltDown& operator=(const AltDown&) = delete;
    bool Pressed() const { return pressed_; }

private:
    static bool Send(DWORD flags) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = VK_MENU;
        input.ki.dwFlags = flags;
        return SendInput(1, &input, sizeof(input)) == 1;
    }
    static bool Wait(bool down) {
        for (int i = 0; i < 60; ++i) {
            Pump();
            if ((GetAsyncKeyState(VK_MENU) < 0) == down) return true;
            Sleep(10);
        }
        return false;
    }
    bool pressed_ = false;
};

TEST_F(HookTest, WheelWithAltHeldGoesToTheAltWheelListenersAndTheirRefusalEndsTheLoop) {
    Frame frame;
    ASSERT_TRUE(Foreground(frame.window));
    AltDown alt;
    if (!alt.Pressed()) GTEST_SKIP() << "GetAsyncKeyState does not see the Alt key sent with SendInput";

    EventDispatcher hub;
    std::vector<const void*> wheels;
    int refused = 0, moves = 0;
    std::vector<bool> answers;
    TickProbe probe{&hub};
    hub.AddListener(AltWheel, RecordPointer, &wheels);
    hub.AddListener(MouseMove, Count, &moves);
    hub.AddListener(Tick, OnProbeTick, &probe);
    MSLLHOOKSTRUCT first = {}, second = {};
    first.mouseData = static_cast<DWORD>(WHEEL_DELTA) << 16;
    LoopScript script;
    bool altHeld = true;
    script.Post([&] {
        altHeld = GetAsyncKeyState(VK_MENU) < 0;
        answers.push_back(Fake().mouse(WM_MOUSEWHEEL, &first));
        hub.AddListener(AltWheel, Refuse, &refused);
        answers.push_back(Fake().mouse(WM_MOUSEWHEEL, &second));
        altHeld = altHeld && GetAsyncKeyState(VK_MENU) < 0;
        probe.armed = true;
    });
    ASSERT_TRUE(RunLoop(hub));
    if (!altHeld) GTEST_SKIP() << "Alt was let go (by the X server's key state) before the wheel turns";

    EXPECT_EQ((std::vector<const void*>{&first, &second}), wheels);
    EXPECT_EQ(1, refused);
    EXPECT_EQ(0, moves);
    EXPECT_EQ(std::vector<bool>(2, true), answers);
    EXPECT_EQ(0, probe.ticks) << "a refused Alt+wheel must end the loop";
    EXPECT_FALSE(TakeStrayQuit());
}

// ---- focus and caret ----------------------------------------------------------------

TEST_F(HookTest, FocusOnAWindowShowingItsCaretIsConfirmedInTheSameMessage) {
    SetMaxFrameRate(0);
    Frame frame;
    ASSERT_TRUE(Foreground(frame.window, frame.edit));
    ASSERT_EQ(frame.edit, CaretWindow());
    EventDispatcher hub;
    Confirmed seen;
    Listen(hub, seen);
    Confirmed afterEdit, afterNull;
    Seen pendingAfterEdit{{-1, -1}}, pendingAfterNull{{-1, -1}};
    LoopScript script;
    script.Post([&] {
        PostMessageW(hub.Window(), hub.RegisteredMessage(0), reinterpret_cast<WPARAM>(frame.edit), 9);
        script.Post([&] {
            afterEdit = seen;
            pendingAfterEdit = Pending(hub);
            PostMessageW(hub.Window(), hub.RegisteredMessage(0), 0, 4);
            script.Post([&] {
                afterNull = seen;
                pendingAfterNull = Pending(hub);
                EndLoop(hub);
            });
        });
    });
    ASSERT_TRUE(RunLoop(hub));

    EXPECT_EQ((std::vector<int>{FocusMessage, CaretFound}), afterEdit.kinds);
    ASSERT_EQ(1u, afterEdit.carets.size());
    EXPECT_EQ(frame.edit, afterEdit.carets[0].hwndCaret);
    EXPECT_EQ(9, afterEdit.focus[0].lParam);
    EXPECT_EQ(reinterpret_cast<WPARAM>(frame.edit), afterEdit.focus[0].wParam);
    // The caret found is watched for a move right after the focus change.
    EXPECT_EQ((Seen{{CheckCaretPosition, 100}}), pendingAfterEdit);
    // No window: the message is passed on and nothing is checked.
    EXPECT_EQ((std::vector<int>{FocusMessage, CaretFound, FocusMessage}), afterNull.kinds);
    EXPECT_EQ(4, afterNull.focus[1].lParam);
    EXPECT_EQ(0u, afterNull.focus[1].wParam);
    EXPECT_EQ(pendingAfterEdit, pendingAfterNull);
}

TEST_F(HookTest, FocusWithoutACaretIsCheckedAgainUntilTheCaretShows) {
    Frame frame;
    ASSERT_TRUE(Foreground(frame.window, frame.window));
    ASSERT_EQ(nullptr, CaretWindow());
    EventDispatcher hub;
    Confirmed seen;
    Listen(hub, seen);

    EXPECT_TRUE(hub.CheckFocus(frame.edit));
    EXPECT_EQ((Seen{{CheckFocusCaret, 200}}), Pending(hub));
    hub.TickChecks(199);
    EXPECT_EQ((Seen{{CheckFocusCaret, 1}}), Pending(hub));
    hub.TickChecks(1);
    EXPECT_EQ((Seen{{CheckFocusCaret, 1000}}), Pending(hub));
    hub.TickChecks(1000);
    EXPECT_EQ((Seen{{CheckFocusCaret, 1000}}), Pending(hub));
    EXPECT_TRUE(seen.kinds.empty());

    SetFocus(frame.edit);
    Pump();
    ASSERT_EQ(frame.edit, CaretWindow());
    hub.TickChecks(999);
    EXPECT_TRUE(seen.kinds.empty());
    hub.TickChecks(1);
    EXPECT_EQ(std::vector<int>{CaretFound}, seen.kinds);
    ASSERT_EQ(1u, seen.carets.size());
    EXPECT_EQ(frame.edit, seen.carets[0].hwndCaret);
    EXPECT_EQ((Seen{{CheckCaretPosition, 100}}), Pending(hub));

    // A caret elsewhere in the thread is no caret of the focus window.
    EXPECT_TRUE(hub.CheckFocus(frame.window));
    EXPECT_EQ((Seen{{CheckCaretPosition, 100}, {CheckFocusCaret, 200}}), Pending(hub));
    EXPECT_EQ(1u, seen.kinds.size());
}

// An edit shows its caret at the start of the field as it takes the focus and
// moves it to the selection a moment later: a check may find it on its way.
TEST_F(HookTest, ACaretMovingJustAfterTheFocusChangeIsReportedWhereItSettles) {
    Frame frame;
    ASSERT_TRUE(Foreground(frame.window, frame.edit));
    SendMessageW(frame.edit, EM_SETSEL, 0, 0);
    EventDispatcher hub;
    Confirmed seen;
    Listen(hub, seen);

    EXPECT_TRUE(hub.CheckFocus(frame.edit));
    SendMessageW(frame.edit, EM_SETSEL, 9, 9);
    POINT settled = {};
    GetCaretPos(&settled);
    hub.TickChecks(100);
    EXPECT_EQ((std::vector<int>{CaretFound, CaretChanged}), seen.kinds);
    ASSERT_EQ(2u, seen.carets.size());
    EXPECT_NE(settled.x, seen.carets[0].rcCaret.left);
    EXPECT_EQ(settled.x, seen.carets[1].rcCaret.left);
}

TEST_F(HookTest, KeyPressesWatchTheCaretUntilItMoves) {
    Frame frame;
    ASSERT_TRUE(Foreground(frame.window, frame.edit));
    SendMessageW(frame.edit, EM_SETSEL, 0, 0);
    ASSERT_EQ(frame.edit, CaretWindow());
    EventDispatcher hub;
    Confirmed seen;
    Listen(hub, seen);
    KeyEventInfo key = {};
    key.vk = 'A';

    // Ctrl or Alt combinations are commands, not typing: nothing is watched.
    key.ctrl = true;
    EXPECT_TRUE(hub.Dispatch(KeyDown, &key));
    key.ctrl = false;
    key.alt = true;
    EXPECT_TRUE(hub.Dispatch(KeyDown, &key));
    key.alt = false;
    EXPECT_TRUE(Pending(hub).empty());

    EXPECT_TRUE(hub.Dispatch(KeyDown, &key));
    EXPECT_EQ((Seen{{CheckCaretPosition, 100}}), Pending(hub));
    hub.TickChecks(60);
    EXPECT_TRUE(hub.Dispatch(KeyDown, &key));
    EXPECT_EQ((Seen{{CheckCaretPosition, 100}}), Pending(hub));

    // Still where it was: looked at again a second later.
    hub.TickChecks(100);
    EXPECT_EQ((Seen{{CheckCaretPosition, 1000}}), Pending(hub));
    EXPECT_TRUE(seen.kinds.empty());

    POINT before = {}, after = {};
    GetCaretPos(&before);
    SendMessageW(frame.edit, EM_SETSEL, 4, 4);
    GetCaretPos(&after);
    ASSERT_NE(before.x, after.x);
    hub.TickChecks(1000);
    EXPECT_EQ(std::vector<int>{CaretChanged}, seen.kinds);
    ASSERT_EQ(1u, seen.carets.size());
    EXPECT_EQ(frame.edit, seen.carets[0].hwndCaret);
    EXPECT_EQ(after.x, seen.carets[0].rcCaret.left);
    EXPECT_EQ(after.y, seen.carets[0].rcCaret.top);
    EXPECT_TRUE(Pending(hub).empty());

    // One press, one report: a later move without a press is not reported.
    hub.ScheduleCheck(CheckCaretPosition, 1);
    SendMessageW(frame.edit, EM_SETSEL, 0, 0);
    hub.TickChecks(1);
    EXPECT_EQ(1u, seen.kinds.size());

    // The caret gone (focus moved away): the watch ends quietly.
    EXPECT_TRUE(hub.Dispatch(KeyDown, &key));
    SetFocus(frame.window);
    Pump();
    ASSERT_EQ(nullptr, CaretWindow());
    hub.TickChecks(100);
    EXPECT_EQ(1u, seen.kinds.size());
    EXPECT_TRUE(Pending(hub).empty());
}

// ---- activation --------------------------------------------------------------------------

TEST_F(HookTest, ActivationIsConfirmedOnceTheWindowIsActive) {
    SetMaxFrameRate(0);
    Frame frame, other(520);
    ASSERT_TRUE(Foreground(frame.window));
    EventDispatcher hub;
    Confirmed seen;
    Listen(hub, seen);
    const UINT activate = hub.RegisteredMessage(1);
    Confirmed atOnce, whileInactive, onceActive, afterNull;
    Seen pendingAtOnce, pending1, pending2, pendingEnd;
    bool madeActive = false, madeActive2 = false;
    LoopScript script;
    script.Post([&] {
        PostMessageW(hub.Window(), activate, reinterpret_cast<WPARAM>(frame.window), 0x77);
        script.Post([&] {
            atOnce = seen;
            pendingAtOnce = Pending(hub);
            hub.CheckActivation();  // the confirmed pair is gone: nothing again
            PostMessageW(hub.Window(), activate, reinterpret_cast<WPARAM>(other.window), 0x55);
            script.Post([&] {
                pending1 = Pending(hub);
                hub.TickChecks(200);
                pending2 = Pending(hub);
                whileInactive = seen;
                SetForegroundWindow(other.window);
                madeActive = GetActiveWindow() == other.window;
                hub.TickChecks(1000);
                onceActive = seen;
                // A pair without a window replaces the awaited one.
                PostMessageW(hub.Window(), activate, reinterpret_cast<WPARAM>(frame.window), 0x66);
                PostMessageW(hub.Window(), activate, 0, 0x11);
                script.Post([&] {
                    SetForegroundWindow(frame.window);
                    madeActive2 = GetActiveWindow() == frame.window;
                    hub.TickChecks(200);
                    afterNull = seen;
                    pendingEnd = Pending(hub);
                    EndLoop(hub);
                });
            });
        });
    });
    ASSERT_TRUE(RunLoop(hub));

    ASSERT_EQ(std::vector<int>{Activated}, atOnce.kinds);
    EXPECT_EQ(reinterpret_cast<WPARAM>(frame.window), atOnce.activations[0].window);
    EXPECT_EQ(0x77, atOnce.activations[0].lParam);
    EXPECT_TRUE(pendingAtOnce.empty());

    EXPECT_EQ((Seen{{CheckActivation, 200}}), pending1);
    EXPECT_EQ((Seen{{CheckActivation, 1000}}), pending2);
    EXPECT_EQ(1u, whileInactive.kinds.size());
    ASSERT_TRUE(madeActive);
    ASSERT_EQ((std::vector<int>{Activated, Activated}), onceActive.kinds);
    EXPECT_EQ(reinterpret_cast<WPARAM>(other.window), onceActive.activations[1].window);
    EXPECT_EQ(0x55, onceActive.activations[1].lParam);

    ASSERT_TRUE(madeActive2);
    EXPECT_EQ(2u, afterNull.kinds.size());
    EXPECT_TRUE(pendingEnd.empty());
}

// ---- what must not end the loop ----------------------------------------------------------

TEST_F(HookTest, FocusOnAWindowThatIsGoneReportsNothingAndTheLoopGoesOn) {
    Frame frame;
    ASSERT_TRUE(Foreground(frame.window, frame.edit));
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, frame.window, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(DestroyWindow(gone));
    for (HWND window : {gone, reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FFF0))}) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(window));
        EventDispatcher hub;
        Confirmed seen;
        Listen(hub, seen);
        TickProbe probe{&hub};
        hub.AddListener(Tick, OnProbeTick, &probe);
        Seen pending{{-1, -1}};
        LoopScript script;
        script.Post([&] {
            PostMessageW(hub.Window(), hub.RegisteredMessage(0), reinterpret_cast<WPARAM>(window), 0);
            script.Post([&] {
                pending = Pending(hub);
                probe.armed = true;
            });
        });
        ASSERT_TRUE(RunLoop(hub));
        EXPECT_EQ(std::vector<int>{FocusMessage}, seen.kinds);
        EXPECT_EQ(1, probe.ticks);
        // Its thread cannot be asked: there is nothing to wait for either.
        EXPECT_TRUE(pending.empty());
    }
}

TEST_F(HookTest, ChecksDueTogetherAreEachCarriedOutWhenOneFails) {
    SetMaxFrameRate(0);
    Frame frame, other(520);
    ASSERT_TRUE(Foreground(other.window));
    EventDispatcher hub;
    Confirmed seen;
    seen.refuseCaretFound = true;
    Listen(hub, seen);
    Seen pendingBoth, pendingEnd;
    LoopScript script;
    script.Post([&] {
        PostMessageW(hub.Window(), hub.RegisteredMessage(0), reinterpret_cast<WPARAM>(frame.edit), 0);
        PostMessageW(hub.Window(), hub.RegisteredMessage(1), reinterpret_cast<WPARAM>(frame.window), 3);
        script.Post([&] {
            pendingBoth = Pending(hub);
            SetForegroundWindow(frame.window);
            SetFocus(frame.edit);
            hub.TickChecks(200);
            pendingEnd = Pending(hub);
            EndLoop(hub);
        });
    });
    ASSERT_TRUE(RunLoop(hub));

    EXPECT_EQ((Seen{{CheckFocusCaret, 200}, {CheckActivation, 200}}), pendingBoth);
    EXPECT_EQ((std::vector<int>{FocusMessage, CaretFound, Activated}), seen.kinds);
    ASSERT_EQ(1u, seen.activations.size());
    EXPECT_EQ(reinterpret_cast<WPARAM>(frame.window), seen.activations[0].window);
    EXPECT_EQ(3, seen.activations[0].lParam);
    EXPECT_TRUE(pendingEnd.empty());
}

}  // namespace
