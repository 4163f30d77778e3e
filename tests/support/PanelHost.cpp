#include "tests/support/PanelHost.h"

#include <gtest/gtest.h>

SystemRecord g_system;

void RecordingCommand::Record(const std::string& call) {
    std::lock_guard<std::mutex> guard(lock_);
    calls_.push_back(call);
}

void RecordingCommand::Notify(const std::string& call) {
    Record(call);
    if (update) update();
}

void RecordingCommand::ZoomIn() {
    if (onZoomIn) onZoomIn();
    Notify("ZoomIn");
}

std::vector<std::string> RecordingCommand::Calls() {
    std::lock_guard<std::mutex> guard(lock_);
    return calls_;
}

void RecordingCommand::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    calls_.clear();
}

size_t RecordingCommand::Count(const std::string& call) {
    std::lock_guard<std::mutex> guard(lock_);
    size_t n = 0;
    for (const std::string& c : calls_) n += c == call;
    return n;
}

namespace {

bool RecordOpen(const wchar_t* target) {
    std::lock_guard<std::mutex> guard(g_system.lock);
    g_system.opened.push_back(target);
    return true;
}

BOOL RecordHighContrast(UINT action, HIGHCONTRASTW* record, UINT flags) {
    std::lock_guard<std::mutex> guard(g_system.lock);
    if (action == SPI_GETHIGHCONTRAST) {
        record->dwFlags = g_system.highContrastFlags;
        return TRUE;
    }
    if (action != SPI_SETHIGHCONTRAST || flags != SPIF_SENDCHANGE) return FALSE;
    g_system.setCalls.push_back(*record);
    return TRUE;
}

PanelLibrary LoadPanel() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.resize(path.find_last_of(L"\\/") + 1);
    PanelLibrary lib;
    lib.module = LoadLibraryW((path + L"kvgui.dll").c_str());
    if (!lib.module) return lib;
    auto bind = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(lib.module, name)); };
    lib.init = reinterpret_cast<int (*)(IMagCommand*)>(bind("kvgui_Init"));
    lib.uninit = reinterpret_cast<void (*)()>(bind("kvgui_Uninit"));
    lib.update = reinterpret_cast<int (*)()>(bind("kvgui_Update"));
    using Seams = void (*)(bool (*)(const wchar_t*), BOOL (*)(UINT, HIGHCONTRASTW*, UINT));
    auto seams = reinterpret_cast<Seams>(bind("kvgui_TestSeams"));
    if (seams) seams(RecordOpen, RecordHighContrast);
    return lib;
}

struct Search {
    DWORD pid = GetCurrentProcessId();
    std::function<bool(HWND)> match;
    HWND found = nullptr;
    int count = 0;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && search->match(window)) {
        if (!search->found) search->found = window;
        ++search->count;
    }
    return TRUE;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

HWND FindTop(const std::function<bool(HWND)>& match, int* count = nullptr) {
    Search search;
    search.match = match;
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    if (count) *count = search.count;
    return search.found;
}

}  // namespace

const PanelLibrary& Panel() {
    static PanelLibrary lib = LoadPanel();
    return lib;
}

HWND FindPanelDialog(int* count) {
    return FindTop([](HWND w) { return ClassOf(w) == L"#32770" && GetMenu(w) != nullptr; }, count);
}

HWND FindOwnedDialog(HWND owner, const std::wstring& caption) {
    return FindTop([&](HWND w) {
        return ClassOf(w) == L"#32770" && GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w) &&
               WindowText(w) == caption;
    });
}

HWND FindOpenMenu() {
    return FindTop([](HWND w) { return ClassOf(w) == L"#32768" && IsWindowVisible(w); });
}

bool WaitFor(const std::function<bool()>& condition) {
    for (int waited = 0; waited < 10000; waited += 20) {
        if (condition()) return true;
        Sleep(20);
    }
    return condition();
}

HWND WaitForWindow(const std::function<HWND()>& find) {
    HWND found = nullptr;
    WaitFor([&] { return (found = find()) != nullptr; });
    return found;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring ResourceString(UINT id) {
    const wchar_t* text = nullptr;
    int n = LoadStringW(Panel().module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

std::wstring FileVersionOf(HMODULE module) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(module, path, MAX_PATH);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoW(path, 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) {
        return L"(no version resource)";
    }
    return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(info->dwFileVersionLS));
}
