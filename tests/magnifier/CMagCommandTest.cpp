// The command object the panel and the shortcuts use: settings read and
// written through it, pause and resume with the system cursors, settings the
// panel has just changed, and the zoom, frame timer and exit handed over to
// the hub's loop when called from another thread. There is no kvgui.dll next
// to the test program, so every panel notification here goes nowhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/EventDispatcher.h"
#include "magnifier/CursorSystem.h"
#include "magnifier/IMagCommand.h"
#include "magnifier/SysCursorManager.h"
#include "tests/support/HubLoop.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Settings.h"
#include "tests/support/StandInMagWin.h"
#include "tracking/MagTracker.h"

namespace {

HCURSOR Handle(uintptr_t value) { return reinterpret_cast<HCURSOR>(value); }

// Writes every call as a letter: L load, C copy, S set, R reload, D destroy.
// The stand-in output adds P for pause and U for resume, so the log also
// shows the order of cursors and output.
class CursorLog : public CursorSystem {
public:
    HCURSOR LoadSystem(DWORD id) override {
        log += 'L';
        return Handle(static_cast<uintptr_t>(id) * 16);
    }
    HCURSOR Copy(HCURSOR cursor) override {
        log += 'C';
        return cursor ? Handle(0x100000 + next_++) : nullptr;
    }
    BOOL SetSystem(HCURSOR, DWORD) override {
        log += 'S';
        return TRUE;
    }
    BOOL Reload() override {
        log += 'R';
        return TRUE;
    }
    void Destroy(HCURSOR) override { log += 'D'; }

    std::string log;

private:
    uintptr_t next_ = 0;
};

// Adds its pauses and resumes to the cursor log, notes the threads the zoom is
// changed on, and runs whatever a test slips in just before a pause.
class LoggingMagWin : public StandInMagWin {
public:
    LoggingMagWin(Hook::EventDispatcher* hub, std::string& log) : StandInMagWin(hub), log_(log) {}

    bool Pause() override {
        log_ += 'P';
        if (beforePause) beforePause();
        return MagWin::Pause();
    }
    bool Resume() override {
        log_ += 'U';
        return MagWin::Resume();
    }
    bool SetZoom(int relative, double value) override {
        zoomThreads.push_back(GetCurrentThreadId());
        return MagWin::SetZoom(relative, value);
    }

    std::vector<DWORD> zoomThreads;
    std::function<void()> beforePause;

private:
    std::string& log_;
};

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedManager_ = g_sysCursorManager;
        g_sysCursorManager = &cursors_;
        g_settings.Load();
        hub_ = std::make_unique<Hook::EventDispatcher>();
        magwin_ = std::make_unique<LoggingMagWin>(hub_.get(), fake_.log);
        tracker_ = std::make_unique<MagTracker>(hub_.get(), magwin_.get());
    }
    void TearDown() override {
        magwin_->Stop();
        tracker_.reset();
        magwin_.reset();
        hub_.reset();
        g_sysCursorManager = savedManager_;
        Pump();
    }

    IMagCommand& Cmd() { return *magwin_->Command(); }
    DWORD Stored(const wchar_t* name, const std::wstring& key = kSettingsKey) { return reg_.Get(key, name).AsDword(); }
    // Stores value behind the settings object and caches the old one.
    template <class Setting>
    void ChangeBehind(Setting& setting, const wchar_t* name, DWORD before, DWORD after) {
        reg_.SetDword(kSettingsKey, name, before);
        setting.LoadValue();
        reg_.SetDword(kSettingsKey, name, after);
        ASSERT_EQ(before, setting.Value());
    }

    RegistrySandbox reg_;
    CursorLog fake_;
    SysCursorManager cursors_{Handle(0x50), fake_};
    std::unique_ptr<Hook::EventDispatcher> hub_;
    std::unique_ptr<LoggingMagWin> magwin_;
    std::unique_ptr<MagTracker> tracker_;
    NoLoadMeter meter_;  // no load-driven rate changes during the loop tests
    SysCursorManager* savedManager_ = nullptr;
};

TEST_F(CommandTest, SettingsReadAndWrittenThroughTheCommand) {
    const struct {
        DWORD stored;
        int smooth;
    } smooth[] = {{1, 1}, {2, 0}, {0, 0}};
    for (const auto& c : smooth) {
        reg_.SetDword(kSettingsKey, L"SmoothImage", c.stored);
        g_settings.SmoothImage.LoadValue();
        EXPECT_EQ(c.smooth, Cmd().GetSmoothImage()) << "stored " << c.stored;
    }
    Cmd().SetSmoothImage(5);
    EXPECT_EQ(5u, Stored(L"SmoothImage"));

    const struct {
        const wchar_t* key;
        int (IMagCommand::*get)();
        void (IMagCommand::*set)(int);
    } hilights[] = {
        {L"Software\\KOVAX\\HilightCursor", &IMagCommand::GetHilightCursorShow, &IMagCommand::SetHilightCursorShow},
        {L"Software\\KOVAX\\HilightFocus", &IMagCommand::GetHilightFocusShow, &IMagCommand::SetHilightFocusShow},
        {L"Software\\KOVAX\\HilightCaret", &IMagCommand::GetHilightCaretShow, &IMagCommand::SetHilightCaretShow},
    };
    for (const auto& h : hilights) {
        for (int show : {7, 0, 1}) {
            (Cmd().*h.set)(show);
            int expected = show ? 1 : 0;
            EXPECT_EQ(static_cast<DWORD>(expected), Stored(L"Show", h.key)) << show;
            EXPECT_EQ(expected, (Cmd().*h.get)()) << show;
        }
    }

    reg_.SetDword(kSettingsKey, L"FullScreen", 2);
    g_settings.FullScreen.LoadValue();
    Cmd().ToggleFullScreen();
    EXPECT_EQ(0u, Stored(L"FullScreen"));
    Cmd().ToggleFullScreen();
    EXPECT_EQ(1u, Stored(L"FullScreen"));
    EXPECT_EQ(1, Cmd().GetFullScreen());
}

TEST_F(CommandTest, StartStopPausesAndResumesWithTheCursorsAroundTheOutput) {
    reg_.SetDword(kSettingsKey, L"HideSysCursor", 1);
    g_settings.HideSysCursor.LoadValue();
    cursors_.HideAll();
    fake_.log.clear();
    EXPECT_EQ(1, Cmd().IsRunning());

    Cmd().StartStop();
    EXPECT_FALSE(hub_->IsActive());
    EXPECT_EQ(0, Cmd().IsRunning());
    EXPECT_FALSE(cursors_.IsHidden());
    // Back before the output goes: reload, the saved copies, then pause.
    EXPECT_EQ("R" + std::string(13, 'D') + "P", fake_.log);

    fake_.log.clear();
    Cmd().StartStop();
    EXPECT_TRUE(hub_->IsActive());
    EXPECT_EQ(1, Cmd().IsRunning());
    EXPECT_TRUE(cursors_.IsHidden());
    // Gone before the output returns.
    ASSERT_FALSE(fake_.log.empty());
    EXPECT_EQ('U', fake_.log.back());
    EXPECT_EQ(13, std::count(fake_.log.begin(), fake_.log.end(), 'S'));
    EXPECT_EQ(1, std::count(fake_.log.begin(), fake_.log.end(), 'U'));
}

TEST_F(CommandTest, StartStopLeavesTheCursorsAloneWhenTheyAreNotHidden) {
    reg_.SetDword(kSettingsKey, L"HideSysCursor", 0);
    g_settings.HideSysCursor.LoadValue();
    Cmd().StartStop();
    EXPECT_EQ(0, Cmd().IsRunning());
    Cmd().StartStop();
    EXPECT_EQ(1, Cmd().IsRunning());
    EXPECT_EQ("PU", fake_.log);

    hub_->SetActive(false);
    EXPECT_EQ(0, Cmd().IsRunning());
}

TEST_F(CommandTest, ChangedHideSysCursorHidesOnlyWhileMagnifying) {
    ChangeBehind(g_settings.HideSysCursor, L"HideSysCursor", 0, 1);
    Cmd().OnSettingChanged(kSettingHideSysCursor, 0);
    EXPECT_EQ(1u, g_settings.HideSysCursor.Value());
    EXPECT_TRUE(cursors_.IsHidden());

    reg_.SetDword(kSettingsKey, L"HideSysCursor", 0);
    fake_.log.clear();
    Cmd().OnSettingChanged(kSettingHideSysCursor, 0);
    EXPECT_FALSE(cursors_.IsHidden());
    EXPECT_EQ('R', fake_.log[0]);

    // Paused, the output is hidden: the pointer must stay until it resumes.
    hub_->SetActive(false);
    reg_.SetDword(kSettingsKey, L"HideSysCursor", 1);
    fake_.log.clear();
    Cmd().OnSettingChanged(kSettingHideSysCursor, 0);
    EXPECT_EQ(1u, g_settings.HideSysCursor.Value());
    EXPECT_FALSE(cursors_.IsHidden());
    EXPECT_EQ(std::string::npos, fake_.log.find('S'));
    Cmd().StartStop();
    EXPECT_TRUE(cursors_.IsHidden());
}

// The panel announces HideSysCursor on its thread just as the shortcut pauses
// on the main thread: the announcement must not slip in between the pause's
// restore and the pause itself, or the magnifier stays paused without a pointer.
TEST_F(CommandTest, HideSysCursorAnnouncedDuringAPauseLeavesTheCursorsShown) {
    reg_.SetDword(kSettingsKey, L"HideSysCursor", 1);
    g_settings.HideSysCursor.LoadValue();
    cursors_.HideAll();
    std::thread panel;
    HANDLE announced = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    magwin_->beforePause = [&] {
        panel = std::thread([&] {
            Cmd().OnSettingChanged(kSettingHideSysCursor, 0);
            SetEvent(announced);
        });
        // Serialised, the announcement can only finish once the pause has.
        WaitForSingleObject(announced, 1000);
    };
    Cmd().StartStop();
    panel.join();
    CloseHandle(announced);
    EXPECT_FALSE(hub_->IsActive());
    EXPECT_FALSE(cursors_.IsHidden()) << fake_.log;
}

TEST_F(CommandTest, ChangedSettingsAreReadAgainOnlyForTheirOwnKind) {
    ChangeBehind(g_settings.UseMemCache, L"UseMemCache", 0, 1);
    ChangeBehind(g_settings.InvertColors, L"InvertColors", 0, 1);
    ChangeBehind(g_settings.HideSysCursor, L"HideSysCursor", 0, 1);
    ChangeBehind(g_settings.MaxFrameRate, L"MaxFrameRate", 30, 45);

    for (int kind : {4, -1}) Cmd().OnSettingChanged(kind, 0);
    EXPECT_EQ(0u, g_settings.UseMemCache.Value());
    EXPECT_EQ(0u, g_settings.InvertColors.Value());
    EXPECT_EQ(0u, g_settings.HideSysCursor.Value());
    EXPECT_EQ(30u, g_settings.MaxFrameRate.Value());
    EXPECT_TRUE(fake_.log.empty());

    Cmd().OnSettingChanged(kSettingUseMemCache, 0);
    EXPECT_EQ(1u, g_settings.UseMemCache.Value());
    EXPECT_EQ(0u, g_settings.InvertColors.Value());
    EXPECT_EQ(30u, g_settings.MaxFrameRate.Value()) << "UseMemCache's notification went on to the frame rate";
    Cmd().OnSettingChanged(kSettingInvertColors, 0);
    EXPECT_EQ(1u, g_settings.InvertColors.Value());
    EXPECT_EQ(0u, g_settings.HideSysCursor.Value());
    EXPECT_TRUE(fake_.log.empty());
}

// Windows refuses a timer of another thread's window, and so does the hub: a
// restart attempted on the panel's thread would end this program at once.
TEST_F(CommandTest, ChangedFrameRateRestartsTheTimerOnTheMainThreadAlsoWhilePaused) {
    ChangeBehind(g_settings.MaxFrameRate, L"MaxFrameRate", 30, 45);
    bool active = false;
    bool paused = false;
    unsigned rates[2] = {0, 0};
    ASSERT_TRUE(RunLoopWith(*hub_, [&] {
        Cmd().OnSettingChanged(kSettingMaxFrameRate, 0);
        active = WaitUntil([&] { return hub_->Rate() == 45; });
        rates[0] = hub_->Rate();
        hub_->SetActive(false);
        reg_.SetDword(kSettingsKey, L"MaxFrameRate", 60);
        Cmd().OnSettingChanged(kSettingMaxFrameRate, 0);
        paused = WaitUntil([&] { return hub_->Rate() == 60; });
        rates[1] = hub_->Rate();
    }));
    EXPECT_TRUE(active) << "rate " << rates[0];
    EXPECT_TRUE(paused) << "rate " << rates[1];
    EXPECT_EQ(60u, g_settings.MaxFrameRate.Value());
}

// Each step starts where the one before left off, from the default zoom 2.
const struct ZoomStep {
    const char* what;
    void (*call)(IMagCommand&);
    double zoom;
} kZoomSteps[] = {
    {"ZoomIn", [](IMagCommand& c) { c.ZoomIn(); }, 3.0},
    {"ZoomOut", [](IMagCommand& c) { c.ZoomOut(); }, 2.0},
    {"SetZoom(4)", [](IMagCommand& c) { c.SetZoom(4.0); }, 4.0},
    {"Zoom(1, 0.5)", [](IMagCommand& c) { c.Zoom(1, 0.5); }, 5.0},
    {"Zoom(1, 0)", [](IMagCommand& c) { c.Zoom(1, 0.0); }, 4.0},
};

TEST_F(CommandTest, ZoomFromAnotherThreadIsAppliedByTheHubsLoop) {
    ASSERT_TRUE(magwin_->Start(tracker_.get()));
    bool reached[5] = {};
    double seen[5] = {};
    ASSERT_TRUE(RunLoopWith(*hub_, [&] {
        for (int i = 0; i < 5; ++i) {
            kZoomSteps[i].call(Cmd());
            reached[i] = WaitUntil([&] { return tracker_->Zoom() == kZoomSteps[i].zoom; });
            seen[i] = tracker_->Zoom();
        }
    }));
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(reached[i]) << kZoomSteps[i].what << " gave " << seen[i];
    ASSERT_EQ(5u, magwin_->zoomThreads.size());
    for (DWORD thread : magwin_->zoomThreads) EXPECT_EQ(GetCurrentThreadId(), thread);
    EXPECT_EQ(40u, Stored(L"ZoomLevel_10"));
}

TEST_F(CommandTest, ZoomOnTheMainThreadIsAppliedAtOnce) {
    ASSERT_TRUE(magwin_->Start(tracker_.get()));
    for (const ZoomStep& s : kZoomSteps) {
        s.call(Cmd());
        EXPECT_DOUBLE_EQ(s.zoom, Cmd().GetZoom()) << s.what;
        EXPECT_EQ(static_cast<DWORD>(s.zoom * 10), Stored(L"ZoomLevel_10")) << s.what;
    }
    Cmd().SetZoom(32.0);
    Cmd().ZoomIn();
    EXPECT_DOUBLE_EQ(32.0, tracker_->Zoom());
    EXPECT_EQ(320u, Stored(L"ZoomLevel_10"));
}

TEST_F(CommandTest, ExitFromAnotherThreadEndsTheLoop) {
    EXPECT_TRUE(RunLoopWith(*hub_, [&] { Cmd().Exit(); }, true));
    // Without a loop there is nothing to end.
    Cmd().Exit();
}

// The panel comes up before the hub's loop: a quit confirmed in that first
// instant must still end the program once the loop starts.
TEST_F(CommandTest, ExitBeforeTheLoopStartsEndsItAsSoonAsItRuns) {
    std::thread early([&] { Cmd().Exit(); });
    early.join();
    EXPECT_TRUE(RunLoop(*hub_));
}

}  // namespace
