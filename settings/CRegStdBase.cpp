#include "settings/CRegStdBase.h"

CRegStdBase::CRegStdBase(const std::wstring& fullKey, bool forceFlag, HKEY root) {
    rootKey = root;
    force = forceFlag;
    size_t p = fullKey.rfind(L'\\');
    if (p == std::wstring::npos) {
        // No path at all: the value sits directly under the root.
        valueName = fullKey;
    } else {
        subKey = fullKey.substr(0, p);
        valueName = fullKey.substr(p + 1);
    }
}
