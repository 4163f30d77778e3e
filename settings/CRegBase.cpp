#include "settings/CRegBase.h"

CRegBase::CRegBase(const CString& fullKey) {
    CString key(fullKey);
    key.TrimLeft(L'\\');
    int p = key.ReverseFind(L'\\');
    if (p < 0) {
        valueName = key;
        return;
    }
    subKey = key.Left(p);
    subKey.TrimRight(L'\\');
    valueName = key.Mid(p);
    valueName.TrimLeft(L'\\');
    valueName.TrimRight(L'\\');
}
