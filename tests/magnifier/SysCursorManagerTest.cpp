// The cursor manager against a recording cursor system: which cursors are
// replaced and saved, that every copy it makes is destroyed exactly once and
// nothing the system owns is destroyed, and restores racing the render
// thread's lookups.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "magnifier/CursorSystem.h"
#include "magnifier/SysCursorManager.h"

namespace {

HCURSOR Handle(uintptr_t value) { return reinterpret_cast<HCURSOR>(value); }

const HCURSOR kOwn = Handle(0x50);

// Hands out the shared system handle 16 * id and fresh copies from 0x100000
// on, and reports misuse: copying or setting a destroyed handle, destroying
// a handle twice, one the system now owns, or one that was never a copy.
class RecordingCursors : public CursorSystem {
public:
    RecordingCursors() { InitializeCriticalSection(&lock_); }
    ~RecordingCursors() { DeleteCriticalSection(&lock_); }

    bool IsCopy(HCURSOR cursor) {
        Locked l(this);
        return copyOf.count(cursor) != 0;
    }
    static HCURSOR SystemHandle(DWORD id) { return Handle(static_cast<uintptr_t>(id) * 16); }

    HCURSOR LoadSystem(DWORD id) override {
        Locked l(this);
        return id == failLoad ? nullptr : SystemHandle(id);
    }
    HCURSOR Copy(HCURSOR cursor) override {
        // Copying a saved copy is the render thread's lookup: linger a little,
        // so that a restore racing it gets the chance to destroy the handle.
        if (IsCopy(cursor)) {
            for (int i = 0; i < 100; ++i) SwitchToThread();
        }
        Locked l(this);
        if (!cursor) return nullptr;
        if (destroyed.count(cursor)) errors.push_back("copy of a destroyed handle");
        HCURSOR copy = Handle(0x100000 + nextCopy_++);
        copyOf[copy] = cursor;
        return copy;
    }
    BOOL SetSystem(HCURSOR cursor, DWORD id) override {
        Locked l(this);
        if (destroyed.count(cursor)) errors.push_back("a destroyed handle set as system cursor");
        sets.emplace_back(id, cursor);
        if (id == refuseSet) return FALSE;
        systemOwned.insert(cursor);
        return TRUE;
    }
    BOOL Reload() override {
        Locked l(this);
        ++reloads;
        return TRUE;
    }
    void Destroy(HCURSOR cursor) override {
        Locked l(this);
        if (destroyed.count(cursor)) errors.push_back("destroyed twice");
        if (systemOwned.count(cursor)) errors.push_back("destroyed a handle the system owns");
        if (cursor != kOwn && !copyOf.count(cursor)) errors.push_back("destroyed a handle that is no copy");
        destroyed.insert(cursor);
    }

    DWORD failLoad = 0;
    DWORD refuseSet = 0;
    std::map<HCURSOR, HCURSOR> copyOf;  // copy -> what it was copied from
    std::vector<std::pair<DWORD, HCURSOR>> sets;
    std::set<HCURSOR> systemOwned;
    std::set<HCURSOR> destroyed;
    std::vector<std::string> errors;
    int reloads = 0;

private:
    struct Locked {
        explicit Locked(RecordingCursors* c) : c_(c) { EnterCriticalSection(&c_->lock_); }
        ~Locked() { LeaveCriticalSection(&c_->lock_); }
        RecordingCursors* c_;
    };
    CRITICAL_SECTION lock_;
    uintptr_t nextCopy_ = 0;
};

const DWORD kIds[13] = {32512, 32513, 32514, 32515, 32516, 32642, 32643, 32644, 32645, 32646, 32648, 32649, 32650};

class CursorTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(fake_.errors.empty()) << fake_.errors.size() << " misuses, the first: " << fake_.errors[0];
    }
    RecordingCursors fake_;
};

TEST_F(CursorTest, HideReplacesTheThirteenCursorsInOrderWithFreshCopiesOfTheOwnOne) {
    SysCursorManager m(kOwn, fake_);
    m.HideAll();
    EXPECT_TRUE(m.IsHidden());

    std::vector<SysCursorManager::SavedCursor> saved = m.Saved();
    ASSERT_EQ(13u, saved.size());
    ASSERT_EQ(13u, fake_.sets.size());
    std::set<HCURSOR> replacements;
    for (size_t i = 0; i < 13; ++i) {
        EXPECT_EQ(kIds[i], SysCursorManager::kCursorIds[i]);
        EXPECT_EQ(kIds[i], saved[i].id);
        EXPECT_EQ(RecordingCursors::SystemHandle(kIds[i]), saved[i].system);
        EXPECT_EQ(saved[i].system, fake_.copyOf[saved[i].copy]) << "the saved copy is a copy of the original";
        EXPECT_EQ(kIds[i], fake_.sets[i].first);
        EXPECT_EQ(kOwn, fake_.copyOf[fake_.sets[i].second]) << "each replacement is a copy of the own cursor";
        replacements.insert(fake_.sets[i].second);
    }
    EXPECT_EQ(13u, replacements.size());

    // Hidden already: nothing more is loaded, copied or set.
    size_t copies = fake_.copyOf.size();
    m.HideAll();
    EXPECT_EQ(13u, fake_.sets.size());
    EXPECT_EQ(copies, fake_.copyOf.size());
    EXPECT_EQ(13u, m.Saved().size());
}

TEST_F(CursorTest, RestoreReloadsAndDestroysEverySavedCopy) {
    SysCursorManager m(kOwn, fake_);
    m.RestoreAll();
    EXPECT_EQ(1, fake_.reloads) << "reloads even when nothing was hidden";
    EXPECT_TRUE(fake_.destroyed.empty());

    m.HideAll();
    std::vector<SysCursorManager::SavedCursor> first = m.Saved();
    m.RestoreAll();
    EXPECT_EQ(2, fake_.reloads);
    EXPECT_FALSE(m.IsHidden());
    EXPECT_TRUE(m.Saved().empty());
    for (const auto& s : first) EXPECT_TRUE(fake_.destroyed.count(s.copy)) << s.id;
    EXPECT_EQ(13u, fake_.destroyed.size()) << "only the saved copies; the replacements belong to the system";

    // A second round saves new copies and sets new replacements.
    m.HideAll();
    std::vector<SysCursorManager::SavedCursor> second = m.Saved();
    ASSERT_EQ(13u, second.size());
    ASSERT_EQ(26u, fake_.sets.size());
    for (size_t i = 0; i < 13; ++i) {
        EXPECT_NE(first[i].copy, second[i].copy);
        EXPECT_FALSE(fake_.destroyed.count(second[i].copy));
        EXPECT_FALSE(fake_.destroyed.count(fake_.sets[13 + i].second));
    }
}

TEST_F(CursorTest, ACursorThatCannotBeLoadedIsSkipped) {
    fake_.failLoad = 32515;
    SysCursorManager m(kOwn, fake_);
    m.HideAll();
    std::vector<SysCursorManager::SavedCursor> saved = m.Saved();
    ASSERT_EQ(12u, saved.size());
    ASSERT_EQ(12u, fake_.sets.size());
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_NE(32515u, saved[i].id);
        EXPECT_NE(32515u, fake_.sets[i].first);
    }
    EXPECT_EQ(32516u, saved[3].id);
}

TEST_F(CursorTest, AReplacementTheSystemRefusesIsDestroyed) {
    fake_.refuseSet = 32649;
    SysCursorManager m(kOwn, fake_);
    m.HideAll();
    EXPECT_EQ(13u, m.Saved().size());
    ASSERT_EQ(13u, fake_.sets.size());
    HCURSOR refused = fake_.sets[11].second;
    EXPECT_EQ(32649u, fake_.sets[11].first);
    EXPECT_TRUE(fake_.destroyed.count(refused));
    EXPECT_EQ(1u, fake_.destroyed.size());
}

TEST_F(CursorTest, WithoutAnOwnCursorTheOriginalsAreSavedButNothingIsSet) {
    {
        SysCursorManager m(nullptr, fake_);
        m.HideAll();
        EXPECT_EQ(13u, m.Saved().size());
        EXPECT_TRUE(fake_.sets.empty());
    }
    EXPECT_EQ(13u, fake_.destroyed.size()) << "the copies go with the manager";
}

TEST_F(CursorTest, LookupsFindTheSavedCopyOfAReplacedCursorOnly) {
    SysCursorManager m(kOwn, fake_);
    EXPECT_EQ(nullptr, m.FindOriginalCopy(RecordingCursors::SystemHandle(32513)));
    m.HideAll();
    SysCursorManager::SavedCursor ibeam = m.Saved()[1];
    EXPECT_EQ(ibeam.copy, m.FindOriginalCopy(ibeam.system));
    EXPECT_EQ(nullptr, m.FindOriginalCopy(Handle(0x777)));
    EXPECT_EQ(nullptr, m.CopyOfOriginal(Handle(0x777)));

    HCURSOR mine = m.CopyOfOriginal(ibeam.system);
    EXPECT_NE(ibeam.copy, mine);
    EXPECT_EQ(ibeam.copy, fake_.copyOf[mine]);

    SysCursorManager* saved = g_sysCursorManager;
    g_sysCursorManager = &m;
    EXPECT_EQ(ibeam.copy, FindOriginalCursorCopy(ibeam.system));
    g_sysCursorManager = nullptr;
    EXPECT_EQ(nullptr, FindOriginalCursorCopy(ibeam.system));
    g_sysCursorManager = saved;
}

TEST_F(CursorTest, TheDestructorDestroysTheOwnCursorAndTheRemainingCopies) {
    std::vector<SysCursorManager::SavedCursor> saved;
    {
        SysCursorManager m(kOwn, fake_);
        m.HideAll();
        saved = m.Saved();
    }
    EXPECT_TRUE(fake_.destroyed.count(kOwn));
    for (const auto& s : saved) EXPECT_TRUE(fake_.destroyed.count(s.copy)) << s.id;
    EXPECT_EQ(14u, fake_.destroyed.size());
}

struct Race {
    SysCursorManager* manager;
    volatile LONG done;
};

DWORD WINAPI HideAndRestore(LPVOID parameter) {
    auto* race = static_cast<Race*>(parameter);
    for (int i = 0; i < 3000; ++i) {
        race->manager->HideAll();
        race->manager->RestoreAll();
    }
    InterlockedExchange(&race->done, 1);
    return 0;
}

// The render thread's side: look up every cursor, and use and destroy the
// private copies it is given.
TEST_F(CursorTest, RestoreRacingTheRenderThreadsLookupsNeverHandsOutADestroyedHandle) {
    SysCursorManager m(kOwn, fake_);
    Race race{&m, 0};
    HANDLE thread = CreateThread(nullptr, 0, HideAndRestore, &race, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    while (!race.done) {
        for (DWORD id : kIds) {
            HCURSOR system = RecordingCursors::SystemHandle(id);
            m.FindOriginalCopy(system);
            HCURSOR mine = m.CopyOfOriginal(system);
            if (mine) fake_.Destroy(mine);
        }
    }
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 60000));
    CloseHandle(thread);
    EXPECT_EQ(3000, fake_.reloads);
    EXPECT_TRUE(m.Saved().empty());
    EXPECT_FALSE(m.IsHidden());
}

}  // namespace
