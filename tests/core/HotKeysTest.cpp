// The global shortcuts on a real hub and tracker, with a recording command
// interface in place of the magnifier's: key records as the keyboard hook
// hands them over, Alt+wheel turns, and the zoom repeat driven by ticks.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/EventDispatcher.h"
#include "core/HotKeys.h"
#include "magnifier/IMagCommand.h"
#include "magnifier/MagWin.h"
#include "settings/MagSettings.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/StandInMagWin.h"
#include "tracking/MagTracker.h"

namespace {

// Every operation appends its name (with the factor for SetZoom).
class RecordingCommand : public IMagCommand {
public:
    std::vector<std::string> calls;

    int GetSmoothImage() override { return Log("GetSmoothImage"), 0; }
    void SetSmoothImage(int) override { Log("SetSmoothImage"); }
    int GetHilightCursorShow() override { return Log("GetHilightCursorShow"), 0; }
    void SetHilightCursorShow(int) override { Log("SetHilightCursorShow"); }
    int GetHilightFocusShow() override { return Log("GetHilightFocusShow"), 0; }
    void SetHilightFocusShow(int) override { Log("SetHilightFocusShow"); }
    int GetHilightCaretShow() override { return Log("GetHilightCaretShow"), 0; }
    void SetHilightCaretShow(int) override { Log("SetHilightCaretShow"); }
    int IsRunning() override { return Log("IsRunning"), 1; }
    void StartStop() override { Log("StartStop"); }
    int GetFullScreen() override { return Log("GetFullScreen"), 0; }
    void ToggleFullScreen() override { Log("ToggleFullScreen"); }
    void ZoomIn() override { Log("ZoomIn"); }
    void ZoomOut() override { Log("ZoomOut"); }
    void SetZoom(double factor) override { Log("SetZoom " + std::to_string(static_cast<int>(factor * 10))); }
    double GetZoom() override { return Log("GetZoom"), 2.0; }
    void OnSettingChanged(int, int) override { Log("OnSettingChanged"); }
    void Exit() override { Log("Exit"); }
    void Zoom(int, double) override { Log("Zoom"); }

private:
    void Log(const std::string& call) { calls.push_back(call); }
};

using Calls = std::vector<std::string>;

// Scan codes of a US keyboard for the keys used here; the dedicated Insert
// and Delete keys carry the extended flag.
constexpr DWORD kScanDigit1 = 0x02, kScanMinus = 0x0C, kScanEquals = 0x0D, kScanBackquote = 0x29;
constexpr DWORD kScanInsert = 0x52, kScanDelete = 0x53;

Hook::KeyEventInfo Key(BYTE vk, DWORD scan, bool alt, DWORD flags = 0) {
    Hook::KeyEventInfo k = {};
    k.alt = alt;
    k.vk = vk;
    k.scanCode = scan;
    k.flags = flags;
    k.injected = (flags & LLKHF_INJECTED) != 0;
    k.passOn = true;
    return k;
}

Hook::KeyEventInfo Digit(char digit, bool alt = true) {
    return Key(static_cast<BYTE>(digit), digit == '0' ? 0x0B : kScanDigit1 + (digit - '1'), alt);
}
Hook::KeyEventInfo Insert(bool alt) { return Key(VK_INSERT, kScanInsert, alt, LLKHF_EXTENDED); }
Hook::KeyEventInfo Delete(bool alt) { return Key(VK_DELETE, kScanDelete, alt, LLKHF_EXTENDED); }
Hook::KeyEventInfo Equals(bool alt) { return Key(VK_OEM_PLUS, kScanEquals, alt); }
Hook::KeyEventInfo Minus(bool alt) { return Key(VK_OEM_MINUS, kScanMinus, alt); }

class HotKeysTest : public ::testing::Test {
protected:
    HotKeysTest() {
        reg_.SetDword(L"Software\\KOVAX", L"ZoomLevel_10", 20);
        g_settings.Load();
        hotKeys_.SetCommand(&recorder_);
    }

    // Hands the record to the hub as the keyboard hook does, which keeps the
    // keys held: the listeners' answer must always be true; returns whether
    // the key goes on. A release takes the modifiers of the latest press.
    bool Down(Hook::KeyEventInfo key, bool repeat = false) {
        EXPECT_TRUE(hub_.HandleKey(key, true)) << "key " << int(key.vk) << " down";
        EXPECT_EQ(repeat, key.repeat) << "key " << int(key.vk) << " down";
        return key.passOn;
    }
    bool Up(Hook::KeyEventInfo key) {
        EXPECT_TRUE(hub_.HandleKey(key, false)) << "key " << int(key.vk) << " up";
        return key.passOn;
    }
    void Wheel(short delta) {
        MSLLHOOKSTRUCT record = {};
        record.mouseData = static_cast<DWORD>(static_cast<WORD>(delta)) << 16;
        EXPECT_TRUE(hub_.Dispatch(Hook::AltWheel, &record));
    }
    int ZoomRepeatDelay() const {
        for (const Hook::PendingCheck& c : hub_.PendingChecks()) {
            if (c.kind == Hook::CheckZoomRepeat) return c.remaining;
        }
        return -1;
    }
    // Ticks of 33 ms; returns the calls they made.
    Calls Ticks(int count) {
        recorder_.calls.clear();
        for (int i = 0; i < count; ++i) hub_.TickChecks(33);
        return recorder_.calls;
    }

    RegistrySandbox reg_;
    Hook::EventDispatcher hub_;
    StandInMagWin magwin_{&hub_};
    MagTracker tracker_{&hub_, &magwin_};
    HotKeys hotKeys_{&hub_, &magwin_, &tracker_};
    RecordingCommand recorder_;
};

TEST_F(HotKeysTest, KeysThatAreNotOursPassUntouched) {
    // Alt+Delete would end the program: each variation must leave it alone.
    HKL layout = GetKeyboardLayout(0);
    UINT keypadDecimal = MapVirtualKeyExW(VK_DECIMAL, MAPVK_VK_TO_VSC, layout);
    UINT keypadZero = MapVirtualKeyExW(VK_NUMPAD0, MAPVK_VK_TO_VSC, layout);
    struct Case {
        const char* name;
        Hook::KeyEventInfo key;
    };
    Hook::KeyEventInfo shifted = Delete(true), controlled = Delete(true);
    shifted.shift = true;
    controlled.ctrl = true;
    const Case cases[] = {
        {"without Alt", Delete(false)},
        {"injected", Key(VK_DELETE, kScanDelete, true, LLKHF_EXTENDED | LLKHF_INJECTED)},
        {"with Shift", shifted},
        {"with Ctrl", controlled},
        {"keypad Del", Key(VK_DELETE, keypadDecimal, true)},
        {"keypad Ins", Key(VK_INSERT, keypadZero, true)},
        {"keypad 0 with NumLock", Key(VK_NUMPAD0, keypadZero, true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(Down(c.key));
        EXPECT_TRUE(Up(c.key));
        EXPECT_EQ(Calls{}, recorder_.calls);
        EXPECT_FALSE(tracker_.NoScale());
    }
}

TEST_F(HotKeysTest, AltWithADigitSetsThatZoomAndTheKeyGoesOn) {
    for (char d = '1'; d <= '9'; ++d) {
        SCOPED_TRACE(d);
        recorder_.calls.clear();
        EXPECT_TRUE(Down(Digit(d)));
        EXPECT_TRUE(Up(Digit(d)));
        EXPECT_EQ(Calls{"SetZoom " + std::to_string((d - '0') * 10)}, recorder_.calls);
    }
    recorder_.calls.clear();
    EXPECT_TRUE(Down(Digit('0')));
    EXPECT_TRUE(Down(Digit('5', false)));
    EXPECT_EQ(Calls{}, recorder_.calls);
}

TEST_F(HotKeysTest, AltDeleteExitsAndAltBackquoteTogglesOnEveryPressAndRepeat) {
    EXPECT_FALSE(Down(Delete(true)));
    EXPECT_EQ(Calls{"Exit"}, recorder_.calls);
    recorder_.calls.clear();

    Hook::KeyEventInfo backquote = Key(VK_OEM_3, kScanBackquote, true);
    EXPECT_FALSE(Down(backquote));
    EXPECT_FALSE(Down(backquote, true));
    EXPECT_FALSE(Down(backquote, true));
    Up(backquote);
    EXPECT_FALSE(Down(backquote));
    EXPECT_EQ(Calls(4, "StartStop"), recorder_.calls);
}

TEST_F(HotKeysTest, AltEqualsZoomsInAndRepeatsEveryHundredMsOfTicksUntilReleased) {
    EXPECT_FALSE(Down(Equals(true)));
    EXPECT_EQ(Calls{"ZoomIn"}, recorder_.calls);
    EXPECT_EQ(HotKeys::kRepeatDelay, ZoomRepeatDelay());
    EXPECT_EQ(+1, hotKeys_.ZoomRepeat());

    // The key's own auto-repeat is swallowed but does nothing: the ticks pace it.
    recorder_.calls.clear();
    EXPECT_FALSE(Down(Equals(true), true));
    EXPECT_EQ(Calls{}, recorder_.calls);
    EXPECT_EQ(HotKeys::kRepeatDelay, ZoomRepeatDelay()) << "a repeat must not re-arm the check";

    EXPECT_EQ(Calls{}, Ticks(3));
    EXPECT_EQ(Calls{"ZoomIn"}, Ticks(1));
    EXPECT_EQ(Calls{"ZoomIn"}, Ticks(4));

    EXPECT_FALSE(Up(Equals(true)));
    EXPECT_EQ(0, hotKeys_.ZoomRepeat());
    EXPECT_EQ(Calls{}, Ticks(12));
    EXPECT_EQ(-1, ZoomRepeatDelay()) << "the check ends once the repeat is over";
}

TEST_F(HotKeysTest, OtherDueChecksDoNotStepTheHeldZoom) {
    Down(Equals(true));
    recorder_.calls.clear();
    for (int kind : {Hook::CheckFocusCaret, Hook::CheckWindowRaise}) {
        Hook::PendingCheck other{kind, 0};
        hub_.Dispatch(Hook::CheckDue, &other);
    }
    EXPECT_EQ(Calls{}, recorder_.calls);
}

TEST_F(HotKeysTest, MinusWhileEqualsIsHeldTurnsTheRepeatAroundAndEitherReleaseEndsIt) {
    EXPECT_FALSE(Down(Equals(true)));
    hub_.TickChecks(50);
    recorder_.calls.clear();
    EXPECT_FALSE(Down(Minus(true)));
    EXPECT_EQ(Calls{"ZoomOut"}, recorder_.calls);
    EXPECT_EQ(-1, hotKeys_.ZoomRepeat());
    EXPECT_EQ(HotKeys::kRepeatDelay, ZoomRepeatDelay()) << "re-armed by the new key";
    EXPECT_EQ(Calls{"ZoomOut"}, Ticks(4));

    EXPECT_FALSE(Up(Equals(true)));
    EXPECT_EQ(Calls{}, Ticks(10));
    EXPECT_FALSE(Up(Minus(true))) << "the program would get a release without its press";
    EXPECT_EQ(Calls{}, Ticks(10));
}

TEST_F(HotKeysTest, AltWheelZoomsInUpAndOutOtherwise) {
    const struct {
        short delta;
        const char* call;
    } cases[] = {{120, "ZoomIn"}, {240, "ZoomIn"}, {-120, "ZoomOut"}, {0, "ZoomOut"}};
    for (const auto& c : cases) {
        recorder_.calls.clear();
        Wheel(c.delta);
        EXPECT_EQ(Calls{c.call}, recorder_.calls) << "delta " << c.delta;
    }
}

TEST_F(HotKeysTest, AltInsertShowsTheViewUnzoomedWhileHeld) {
    EXPECT_FALSE(Down(Insert(true)));
    EXPECT_TRUE(tracker_.NoScale());
    EXPECT_TRUE(tracker_.NeedsUpdate());
    EXPECT_FALSE(Down(Insert(true), true));
    EXPECT_TRUE(tracker_.NoScale());
    EXPECT_FALSE(Up(Insert(true)));
    EXPECT_FALSE(tracker_.NoScale());
    EXPECT_EQ(Calls{}, recorder_.calls);
    // A lone Insert release (its press went elsewhere) is not ours.
    EXPECT_TRUE(Up(Insert(false)));
}

// Key sequences where Alt goes away or comes in while the key is held. The
// hub keeps the modifiers of the latest press for the release, so the
// release's record may say "no Alt" for a key pressed with Alt.
TEST_F(HotKeysTest, AltLetGoWhileInsertIsHeldStillEndsTheUnzoomedView) {
    Down(Insert(true));
    for (int i = 0; i < 5; ++i) Down(Insert(false), true);
    EXPECT_TRUE(Up(Insert(false))) << "the program saw the repeats go down";
    EXPECT_FALSE(tracker_.NoScale());

    EXPECT_FALSE(Down(Insert(true)));
    EXPECT_TRUE(tracker_.NoScale());
    Up(Insert(true));
    EXPECT_FALSE(tracker_.NoScale());
}

TEST_F(HotKeysTest, AltPressedWhileInsertIsHeldLeavesTheViewZoomed) {
    EXPECT_TRUE(Down(Insert(false)));
    EXPECT_FALSE(Down(Insert(true), true));
    EXPECT_FALSE(Down(Insert(true), true));
    EXPECT_FALSE(tracker_.NoScale()) << "an auto-repeat with Alt turned the unzoomed view on";
    EXPECT_TRUE(Up(Insert(true))) << "the program saw the press";
    EXPECT_FALSE(tracker_.NoScale());
    EXPECT_EQ(Calls{}, recorder_.calls);
}

TEST_F(HotKeysTest, AltLetGoWhileEqualsIsHeldStillEndsTheZoomRepeat) {
    Down(Equals(true));
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(Down(Equals(false), true));
    Ticks(3);
    EXPECT_TRUE(Up(Equals(false))) << "the program saw the repeats go down";
    EXPECT_EQ(0, hotKeys_.ZoomRepeat());
    EXPECT_EQ(Calls{}, Ticks(30));
}

}  // namespace
