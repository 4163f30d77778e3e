#pragma once
// Replaces the standard system cursors by a transparent one while the
// magnifier draws the pointer itself, and keeps private copies of the
// originals so the enlarged image can still show the real shape.
//
// Threads: hide and restore run on the main thread and the panel's thread,
// lookups on the render thread; the saved list is guarded by a lock. The crash
// filter does not come here: it only reloads the cursors (no heap, no locks).
#include <windows.h>

#include <vector>

#include "magnifier/CursorSystem.h"

class SysCursorManager {
public:
    struct SavedCursor {
        DWORD id;
        HCURSOR system;
        HCURSOR copy;
    };

    // The thirteen standard cursors that are replaced, in this order.
    static const DWORD kCursorIds[13];

    // ownCursor: the transparent cursor (owned; may be null).
    SysCursorManager(HCURSOR ownCursor, CursorSystem& system);
    ~SysCursorManager();
    SysCursorManager(const SysCursorManager&) = delete;
    SysCursorManager& operator=(const SysCursorManager&) = delete;

    void HideAll();
    void RestoreAll();
    bool IsHidden() const;
    // The saved copy for a replaced system cursor, or null. The caller gets a
    // copy of its own (CopyIcon under the lock) to use and destroy.
    HCURSOR CopyOfOriginal(HCURSOR cursor);
    // The saved copy itself, or null (valid until the next RestoreAll).
    HCURSOR FindOriginalCopy(HCURSOR cursor);
    std::vector<SavedCursor> Saved() const;

private:
    int ReplaceCursor(DWORD id);

    HCURSOR ownCursor_;
    std::vector<SavedCursor> saved_;
    int hidden_ = 0;
    CursorSystem& system_;
    mutable CRITICAL_SECTION lock_;
};

// The program's one manager, created by the entry function.
extern SysCursorManager* g_sysCursorManager;
// FindOriginalCopy on the global instance; null when there is none.
HCURSOR FindOriginalCursorCopy(HCURSOR cursor);
