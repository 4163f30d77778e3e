#include "tracking/AccessibleLookup.h"

#include <string>

namespace Hook {

namespace {

class OleaccLookup : public AccessibleLookup {
public:
    HRESULT FromEvent(HWND window, LONG object, LONG child, IAccessible** out, VARIANT* outChild) override {
        if (!bound_) Bind();
        if (!fromEvent_) return E_NOTIMPL;
        return fromEvent_(window, static_cast<DWORD>(object), static_cast<DWORD>(child), out, outChild);
    }

private:
    using FromEventProc = HRESULT(WINAPI*)(HWND, DWORD, DWORD, IAccessible**, VARIANT*);

    void Bind() {
        bound_ = true;
        // By full path: a DLL of that name beside the program or in the
        // current folder must not stand in for the system's.
        wchar_t folder[MAX_PATH];
        UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return;
        HMODULE module = LoadLibraryW((std::wstring(folder, length) + L"\\oleacc.dll").c_str());
        if (!module) return;
        fromEvent_ = reinterpret_cast<FromEventProc>(
            reinterpret_cast<void*>(GetProcAddress(module, "AccessibleObjectFromEvent")));
    }

    bool bound_ = false;
    FromEventProc fromEvent_ = nullptr;
};

}  // namespace

AccessibleLookup& SystemAccessibleLookup() {
    static OleaccLookup lookup;
    return lookup;
}

}  // namespace Hook
