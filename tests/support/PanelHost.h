#pragma once
// The control panel under test: kvgui.dll (the tests' variant, next to the
// test program) loaded for real, driven through its exports with a recording
// command object, and its windows found and read from the test's thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "magnifier/IMagCommand.h"

// Records the commands the panel gives (not its reads) and answers the reads
// from settable states; notifies like the program's command object.
class RecordingCommand : public IMagCommand {
public:
    std::vector<std::string> Calls();
    void Clear();
    size_t Count(const std::string& call);

    std::atomic<int> running{1}, cursor{0}, focus{0}, caret{0}, fullScreen{1};
    std::atomic<double> zoom{2.0};
    int (*update)() = nullptr;
    // Runs inside ZoomIn, on the panel's thread.
    std::function<void()> onZoomIn;

    int GetSmoothImage() override { return 1; }
    void SetSmoothImage(int value) override { Record("SetSmoothImage " + std::to_string(value)); }
    int GetHilightCursorShow() override { return cursor; }
    void SetHilightCursorShow(int show) override { Notify("SetHilightCursorShow " + std::to_string(show)); }
    int GetHilightFocusShow() override { return focus; }
    void SetHilightFocusShow(int show) override { Notify("SetHilightFocusShow " + std::to_string(show)); }
    int GetHilightCaretShow() override { return caret; }
    void SetHilightCaretShow(int show) override { Notify("SetHilightCaretShow " + std::to_string(show)); }
    int IsRunning() override { return running; }
    void StartStop() override { Notify("StartStop"); }
    int GetFullScreen() override { return fullScreen; }
    void ToggleFullScreen() override { Notify("ToggleFullScreen"); }
    void ZoomIn() override;
    void ZoomOut() override { Notify("ZoomOut"); }
    void SetZoom(double) override { Notify("SetZoom"); }
    double GetZoom() override { return zoom; }
    void OnSettingChanged(int kind, int second) override {
        Record("OnSettingChanged " + std::to_string(kind) + " " + std::to_string(second));
    }
    void Exit() override { Record("Exit"); }
    void Zoom(int, double) override { Notify("Zoom"); }

private:
    void Record(const std::string& call);
    void Notify(const std::string& call);

    std::mutex lock_;
    std::vector<std::string> calls_;
};

// What the panel asked the shell to open and the high-contrast calls it made,
// recorded in place of the real ones.
struct SystemRecord {
    std::vector<std::wstring> opened;
    std::vector<HIGHCONTRASTW> setCalls;
    DWORD highContrastFlags = 0;  // what a read reports
    std::mutex lock;
};
extern SystemRecord g_system;

// The library and its exports. Loaded once per test program.
struct PanelLibrary {
    HMODULE module = nullptr;
    int (*init)(IMagCommand*) = nullptr;
    void (*uninit)() = nullptr;
    int (*update)() = nullptr;
};
const PanelLibrary& Panel();

// The panel's main dialog in this process (the top-level dialog with a menu
// bar), or null. With count, how many there are.
HWND FindPanelDialog(int* count = nullptr);
// A visible dialog (message box, About box) owned by owner with this caption.
HWND FindOwnedDialog(HWND owner, const std::wstring& caption);
// A visible popup menu of this process.
HWND FindOpenMenu();
// Waits up to 10 s for a window; null when none came.
HWND WaitForWindow(const std::function<HWND()>& find);
// Polls for up to 10 s.
bool WaitFor(const std::function<bool()>& condition);

std::wstring WindowText(HWND window);
// A text of the dialog's resources, as the library's language has it.
std::wstring ResourceString(UINT id);
// The version resource of a module as "a.b.c".
std::wstring FileVersionOf(HMODULE module);
