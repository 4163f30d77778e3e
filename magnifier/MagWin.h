#pragma once
// The magnifier output as the rest of the program sees it. The base owns what
// both back ends share: the source and window rectangles, the focus and caret
// rectangles, the control-panel binding, and the render thread with its
// one-slot request queue fed from the hub's Frame event.
//
// Threads: built, started, stopped and destroyed on the main thread; Render
// and the window-mode move run on the render thread; the panel's thread may
// pause, resume and quit. The rectangles are shared by all three and are
// read and written whole, under rectLock_.
#include <windows.h>

#include <atomic>
#include <deque>

#include "magnifier/CursorImage.h"
#include "magnifier/RenderRequest.h"
#include "magnifier/ViewRect.h"
#include "settings/HilightStyle.h"

namespace Hook {
class EventDispatcher;
}
class MagTracker;
class CMagCommand;
class IMagCommand;

class MagWin {
public:
    explicit MagWin(Hook::EventDispatcher* hub);
    virtual ~MagWin();
    MagWin(const MagWin&) = delete;
    MagWin& operator=(const MagWin&) = delete;

    virtual bool Start(MagTracker* tracker);
    virtual bool Stop();
    virtual bool IsActive();
    virtual bool Pause();
    virtual bool Resume();
    // Hands the zoom change to the tracker (relative 0: set value; else one
    // step up for value > 0, down otherwise).
    virtual bool SetZoom(int relative, double value);
    // Asks the hub to end the message loop; returns what the hub answered.
    virtual LRESULT Quit();
    virtual double GetZoom();
    virtual void SetFocusRect(const RECT& rect);
    virtual void SetCaretRect(const RECT& rect);
    RECT FocusRect() const;
    RECT CaretRect() const;
    virtual POINT& ScreenToImage(POINT& point);
    virtual ViewRect& ScreenToImage(ViewRect& rect);
    virtual HWND GetWindowHandle();
    // Draws one frame; false when it failed (the frame is skipped).
    virtual bool Render(RenderRequest& request) = 0;
    virtual bool OnSourceChanged() = 0;
    // Moves the output to the window rectangle; may run on any thread.
    virtual bool OnWindowChanged() = 0;
    virtual bool Open();
    virtual bool Close();
    // Where the virtual screen begins, in screen coordinates. The rectangles
    // count from there; captures, the pointer image and the output's place
    // are turned into screen coordinates with it. Asks the system each time:
    // frames take it through FrameOrigin.
    virtual POINT VirtualOrigin() const;
    // The origin for the step at hand: within a frame of this output on the
    // calling thread the one that frame asked for when it began, otherwise
    // asked now.
    POINT FrameOrigin() const;

    // Store rect when it differs; while running and asked to, tell the back end.
    bool SetSourceRect(const ViewRect& rect, bool notify);
    bool SetWindowRect(const ViewRect& rect, bool notify);
    ViewRect SourceRect() const;
    ViewRect WindowRect() const;

    // Computes the window rectangle (full screen, or the scaled window around
    // the pointer) and the source rectangle centred in it, as one step.
    bool ComputeInitialRects(bool notify);
    // The window-mode rectangle centred on source, kept on the primary screen.
    bool WindowRectAround(const ViewRect& source, ViewRect& out);
    // The screen position of the captured image's top-left pixel.
    POINT ImageOrigin(const ViewRect& source) const;

    // One frame's answer to where the virtual screen begins: asked once when
    // the frame begins and taken by every step of it on the same thread (the
    // window's move, the capture, the marks, the pointer's image), as each
    // ask costs from a tenth of a millisecond to over one under Wine. A
    // display change shows from the next frame on. A frame begun within one
    // on the same thread is part of it; one begun while another thread draws
    // a frame of the same output asks at each step instead.
    class Frame {
    public:
        explicit Frame(MagWin& owner);
        ~Frame();
        Frame(const Frame&) = delete;
        Frame& operator=(const Frame&) = delete;

    private:
        MagWin& owner_;
        bool holds_ = false;
    };

    // Draws into a captured frame, at the frame's own scale, the highlight
    // marks that are switched on (pointer ring, focus frame, caret triangles),
    // the pointer's image and, when asked, the frame rate and load; records
    // the pointer position in the request. Positions are taken against the
    // source the frame was captured at, not the live one.
    void DrawOverlays(RenderRequest& request, HDC dc);
    // Styles the three highlight marks from the registry's records, within
    // the limits the marks can be painted in. Main thread, before the render
    // thread starts.
    void ConfigureHilights(const HilightStyle& cursor, const HilightStyle& focus, const HilightStyle& caret);

    static bool OnFrame(void* context, void* data);
    bool QueueRequest(const ViewRect& source, const ViewRect& window);
    static DWORD WINAPI RenderThread(LPVOID parameter);

    // Asks the control panel to redraw what it shows, when there is one.
    void NotifyPanel();
    IMagCommand* Command() const;

    bool IsRunning() const { return running_; }
    Hook::EventDispatcher* Hub() const { return hub_; }
    MagTracker* Tracker() const { return tracker_; }

    // Held by whoever computes a new source rectangle from the current ones,
    // so that two such computations (the tracker's tick, a full-screen switch
    // on the render thread) never interleave. Recursive.
    class ViewLock {
    public:
        explicit ViewLock(const MagWin& owner);
        ~ViewLock();
        ViewLock(const ViewLock&) = delete;
        ViewLock& operator=(const ViewLock&) = delete;

    private:
        CRITICAL_SECTION& lock_;
    };

    // How long frames may keep failing before the magnifier gives up.
    static constexpr DWORD kGiveUpAfterMs = 2000;

protected:
    // The render thread's loop; returns when asked to stop, or after giving up.
    void RenderLoop();
    // Frames have failed for kGiveUpAfterMs: a frozen picture over the
    // desktop, perhaps with the system cursors hidden, must not stay. Ends the
    // program as a fatal stop does (cursors restored, exit code 1).
    virtual void GiveUpRendering();

private:
    using PanelInit = int (*)(IMagCommand*);
    using PanelUninit = void (*)();
    using PanelUpdate = int (*)();

    void UnbindPanel();
    // Clamps a window rectangle onto the primary screen, which begins at
    // minus origin in the rectangles' coordinates.
    static void KeepOnPrimary(ViewRect& rect, int cx, int cy, POINT origin);
    bool UpdateCursorImage(const CURSORINFO& info);
    void DrawStats(HDC dc);
    // The draws into a frame take where its image lies on the screen (its
    // source's origin and size), found once per frame by DrawOverlays.
    void DrawCursor(const ViewRect& image, HDC dc);
    void DrawHilights(const ViewRect& image, POINT cursor, HDC dc, bool pointerShown);
    void DrawCursorHilight(const ViewRect& image, POINT cursor, HDC dc);
    void DrawFocusHilight(const ViewRect& image, const RECT& focus, HDC dc);
    void DrawCaretHilight(const ViewRect& image, const RECT& caret, HDC dc);
    void LockCursorImage();
    void UnlockCursorImage();

    HMODULE panelModule_ = nullptr;
    PanelInit panelInit_ = nullptr;
    PanelUninit panelUninit_ = nullptr;
    PanelUpdate panelUpdate_ = nullptr;
    CMagCommand* command_ = nullptr;
    HANDLE renderThread_ = nullptr;
    HANDLE requestEvent_ = nullptr;
    CRITICAL_SECTION requestLock_;
    bool stopRequested_ = false;
    std::deque<RenderRequest> requests_;
    RECT focusRect_{};
    RECT caretRect_{};
    Hook::EventDispatcher* hub_;
    MagTracker* tracker_ = nullptr;
    volatile bool running_ = false;
    mutable CRITICAL_SECTION rectLock_;
    ViewRect sourceRect_{};
    ViewRect windowRect_{};
    CursorImage cursorImage_;
    // The thread drawing a frame of this output, if any, and the origin that
    // frame asked for; only that thread reads or writes the origin.
    std::atomic<DWORD> frameThread_{0};
    POINT frameOrigin_{};
};
