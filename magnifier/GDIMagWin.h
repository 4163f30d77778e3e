#pragma once
// The software output: a layered, click-through, topmost tool window drawn
// with GDI. Each frame captures the source rectangle of the screen into a
// memory bitmap and stretches it into the window. The window belongs to the
// main thread; the render thread draws into it and may move it, always
// without waiting for the main thread.
#include "magnifier/MagWin.h"

class GDIMagWin : public MagWin {
public:
    explicit GDIMagWin(Hook::EventDispatcher* hub);
    ~GDIMagWin() override;

    bool Pause() override;
    bool Resume() override;
    HWND GetWindowHandle() override { return window_; }
    bool Render(RenderRequest& request) override;
    bool OnSourceChanged() override { return true; }
    bool OnWindowChanged() override;
    bool Open() override;
    bool Close() override;

    static bool OnMouseMove(void* context, void* data);
    static bool OnActivated(void* context, void* data);
    static bool OnCheckDue(void* context, void* data);
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    static constexpr int kFirstRaiseDelay = 1000;  // ms after Open
    static constexpr int kRaiseInterval = 500;     // ms

protected:
    // Copies width x height pixels of the display from screen position at
    // into target; on failure the thread's last error says why.
    virtual bool CaptureScreen(HDC target, HDC display, POINT at, int width, int height);

private:
    // Puts the window on top of the topmost band without taking the focus.
    void Raise();
    bool CloseGdi();

    HWND window_ = nullptr;
};

extern const wchar_t kMainWindowClass[];
