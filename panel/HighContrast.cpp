#include "panel/HighContrast.h"

#include <atomic>

namespace {

BOOL SystemHighContrast(UINT action, HIGHCONTRASTW* record, UINT flags) {
    return SystemParametersInfoW(action, record->cbSize, record, flags);
}

std::atomic<HighContrastCall> g_call{SystemHighContrast};

}  // namespace

BOOL CallHighContrast(UINT action, HIGHCONTRASTW* record, UINT flags) { return g_call.load()(action, record, flags); }

HighContrastCall SetHighContrastCall(HighContrastCall call) {
    return g_call.exchange(call ? call : SystemHighContrast);
}
