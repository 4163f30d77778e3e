#include "magnifier/SysCursorManager.h"

#include "core/CrashGuard.h"
#include "core/ScopedLock.h"

SysCursorManager* g_sysCursorManager = nullptr;

namespace {

class Real : public CursorSystem {
public:
    HCURSOR LoadSystem(DWORD id) override { return LoadCursorW(nullptr, MAKEINTRESOURCEW(id)); }
    HCURSOR Copy(HCURSOR cursor) override { return cursor ? CopyIcon(cursor) : nullptr; }
    BOOL SetSystem(HCURSOR cursor, DWORD id) override { return SetSystemCursor(cursor, id); }
    BOOL Reload() override { return RestoreSystemCursors(); }
    void Destroy(HCURSOR cursor) override { DestroyCursor(cursor); }
};

}  // namespace

CursorSystem& RealCursorSystem() {
    static Real real;
    return real;
}

const DWORD SysCursorManager::kCursorIds[13] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                                                32644, 32645, 32646, 32648, 32649, 32650};

SysCursorManager::SysCursorManager(HCURSOR ownCursor, CursorSystem& system) : ownCursor_(ownCursor), system_(system) {
    InitializeCriticalSection(&lock_);
}

SysCursorManager::~SysCursorManager() {
    if (ownCursor_) system_.Destroy(ownCursor_);
    for (const SavedCursor& s : saved_) {
        if (s.copy) system_.Destroy(s.copy);
    }
    DeleteCriticalSection(&lock_);
}

int SysCursorManager::ReplaceCursor(DWORD id) {
    for (const SavedCursor& s : saved_) {
        if (s.id == id) return 1;
    }
    HCURSOR system = system_.LoadSystem(id);
    if (!system) return 0;
    saved_.push_back({id, system, system_.Copy(system)});
    // The system takes the handle it is given for its own; a handle it refuses
    // is still ours to destroy.
    HCURSOR replacement = system_.Copy(ownCursor_);
    if (!replacement) return 0;
    if (system_.SetSystem(replacement, id)) return 1;
    system_.Destroy(replacement);
    return 0;
}

void SysCursorManager::HideAll() {
    ScopedLock lock(lock_);
    if (hidden_) return;
    hidden_ = 1;
    for (DWORD id : kCursorIds) ReplaceCursor(id);
}

void SysCursorManager::RestoreAll() {
    ScopedLock lock(lock_);
    system_.Reload();
    for (const SavedCursor& s : saved_) {
        if (s.copy) system_.Destroy(s.copy);
    }
    saved_.clear();
    hidden_ = 0;
}

bool SysCursorManager::IsHidden() const {
    ScopedLock lock(lock_);
    return hidden_ != 0;
}

HCURSOR SysCursorManager::FindOriginalCopy(HCURSOR cursor) {
    ScopedLock lock(lock_);
    for (const SavedCursor& s : saved_) {
        if (s.system == cursor) return s.copy;
    }
    return nullptr;
}

HCURSOR SysCursorManager::CopyOfOriginal(HCURSOR cursor) {
    ScopedLock lock(lock_);
    for (const SavedCursor& s : saved_) {
        if (s.system == cursor) return s.copy ? system_.Copy(s.copy) : nullptr;
    }
    return nullptr;
}

std::vector<SysCursorManager::SavedCursor> SysCursorManager::Saved() const {
    ScopedLock lock(lock_);
    return saved_;
}

HCURSOR FindOriginalCursorCopy(HCURSOR cursor) {
    return g_sysCursorManager ? g_sysCursorManager->FindOriginalCopy(cursor) : nullptr;
}
