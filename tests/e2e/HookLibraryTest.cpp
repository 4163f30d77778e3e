// The real hook library with magnifiers bound at once, as several starts of
// the program would be: this process and listener processes of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "core/ModulePath.h"
#include "tests/e2e/HookListener.h"
#include "tests/e2e/HookListenerProcess.h"
#include "tests/support/MessagePump.h"

namespace {

// A listener process of the hook library next to this program.
std::unique_ptr<HookListenerProcess> OtherListener() {
    return std::make_unique<HookListenerProcess>(ProgramFolderFile(L"HookListener.exe"));
}

// A window of this thread: its creation goes through every bound hook.
HWND NewWindow() {
    return CreateWindowExW(0, L"STATIC", L"created", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

TEST(HookLibrary, TwoBoundProcessesEachGetTheReportsAndUnbindOnlyThemselves) {
    HookListener first;
    ASSERT_TRUE(first.Install());
    auto second = OtherListener();
    ASSERT_EQ(1, second->Ask(HookListener::kAskBound)) << "the second process could not bind";

    HWND before = NewWindow();
    EXPECT_TRUE(PumpUntil([&] { return first.SawCreated(before); })) << "the first was cut off when the second bound";
    EXPECT_TRUE(
        PumpUntil([&] { return second->Ask(HookListener::kAskSawCreated, reinterpret_cast<WPARAM>(before)) == 1; }));

    EXPECT_EQ(1, second->Ask(HookListener::kAskUninstall));
    HWND after = NewWindow();
    EXPECT_TRUE(PumpUntil([&] { return first.SawCreated(after); })) << "the second's unbinding cut the first off";
    EXPECT_EQ(1, first.Uninstall()) << "the first must still be able to unbind its own hooks";

    DestroyWindow(before);
    DestroyWindow(after);
}

// A magnifier killed while bound never gives its slot back; the next binder
// takes it over, also when it is the only one left of the eight.
TEST(HookLibrary, ASlotLeftByAKilledProcessGoesToTheNextBinderWhenAllAreTaken) {
    std::vector<std::unique_ptr<HookListenerProcess>> holders;
    for (int i = 0; i < 8; ++i) holders.push_back(OtherListener());
    for (auto& holder : holders) ASSERT_EQ(1, holder->Ask(HookListener::kAskBound)) << "a holder could not bind";
    HookListener ninth;
    ASSERT_FALSE(ninth.Install()) << "a ninth bound beside eight";

    holders[3]->Kill();
    EXPECT_TRUE(ninth.Install()) << "the killed holder's slot was not reclaimed";
    HWND created = NewWindow();
    EXPECT_TRUE(PumpUntil([&] { return ninth.SawCreated(created); })) << "bound, but not reported to";
    EXPECT_EQ(1, ninth.Uninstall());
    DestroyWindow(created);
}

}  // namespace
