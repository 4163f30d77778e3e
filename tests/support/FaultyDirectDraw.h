#pragma once
// Wine's real DirectDraw behind a wrapper that records every call and can be
// told to fail any of them: surface loss, display-mode changes and refused
// overlays never happen under Wine. A call reads as the operation, the
// surface's role (primary, overlay, back, backup) and a detail where it
// matters: "CreateSurface overlay YUY2", "UpdateOverlay overlay show",
// "Blt overlay fill 80108010", "Release back".
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class FaultyDirectDraw {
public:
    // Puts the wrapper in place of the overlay manager's device for its life.
    FaultyDirectDraw();
    ~FaultyDirectDraw();
    FaultyDirectDraw(const FaultyDirectDraw&) = delete;
    FaultyDirectDraw& operator=(const FaultyDirectDraw&) = delete;

    // Fails the first call (or every call) that reads exactly `call`.
    void FailOnce(const std::string& call, HRESULT result) { Fail(call, result, true); }
    void FailAlways(const std::string& call, HRESULT result) { Fail(call, result, false); }
    int Count(const std::string& call) const;
    // Position of the first such call from `from` on; -1 when there is none.
    int Find(const std::string& call, int from = 0) const;
    int Mark() const {
        std::lock_guard<std::mutex> lock(mutex);
        return static_cast<int>(calls.size());
    }

    // The result of a call, or S_OK to pass it on to DirectDraw. Runs on the
    // calling thread, outside the lock.
    std::function<HRESULT(const std::string& call)> fault;
    std::vector<std::string> calls;
    mutable std::mutex mutex;  // guards calls and fault

private:
    void Fail(const std::string& call, HRESULT result, bool once);
};
