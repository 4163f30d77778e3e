#include "tests/e2e/HookListener.h"

#include "core/ModulePath.h"
#include "kvhook/KVHook.h"

HookListener::HookListener(const wchar_t* library) {
    const wchar_t* names[4] = {L"Message.SetFocus", L"Message.Activate", L"Message.CreateWnd", L"Message.DestroyWnd"};
    for (int i = 0; i < 4; ++i) messages_[i] = RegisterWindowMessageW(names[i]);
    library_ = library ? LoadLibraryW(library) : LoadProgramLibrary(L"KVHook.dll");
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    window_ = CreateWindowW(kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

HookListener::~HookListener() {
    if (bound_) Uninstall();
    DestroyWindow(window_);
    if (library_) FreeLibrary(library_);
}

bool HookListener::Install() {
    auto install = library_ ? ModuleExport<KVInstallHooks>(library_, "InstallHooks") : nullptr;
    bound_ = install && window_ && install(window_, messages_[0], messages_[1], messages_[2], messages_[3]) != 0;
    return bound_;
}

int HookListener::Uninstall() {
    auto uninstall = library_ ? ModuleExport<KVUninstallHooks>(library_, "UninstallHooks") : nullptr;
    int result = uninstall ? uninstall(window_) : 0;
    if (result) bound_ = false;
    return result;
}

LRESULT CALLBACK HookListener::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<HookListener*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == self->messages_[2]) self->created_.insert(reinterpret_cast<HWND>(wParam));
    if (message == kAskBound) return self->bound_ ? 1 : 0;
    if (message == kAskSawCreated) return self->SawCreated(reinterpret_cast<HWND>(wParam)) ? 1 : 0;
    if (message == kAskUninstall) return self->Uninstall();
    return DefWindowProcW(window, message, wParam, lParam);
}
