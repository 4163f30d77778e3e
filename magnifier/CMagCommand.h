#pragma once
// The command object handed to the control panel and used by the shortcuts.
// Its operations run on the caller's thread (the panel's or the main thread);
// whatever belongs to the main thread (the tracker's zoom, the frame timer) is
// handed over to it, and nothing here waits for the main thread except Exit.
//
// The system cursors are hidden exactly while the magnifier runs with
// HideSysCursor set: pausing, resuming, a HideSysCursor change and the run's
// own start and end are serialised under one lock, whichever thread they
// come from.
#include <windows.h>

#include "magnifier/IMagCommand.h"

class MagWin;

class CMagCommand final : public IMagCommand {
public:
    explicit CMagCommand(MagWin* magwin);
    CMagCommand(const CMagCommand&) = delete;
    CMagCommand& operator=(const CMagCommand&) = delete;
    ~CMagCommand();

    int GetSmoothImage() override;
    void SetSmoothImage(int value) override;
    int GetHilightCursorShow() override;
    void SetHilightCursorShow(int show) override;
    int GetHilightFocusShow() override;
    void SetHilightFocusShow(int show) override;
    int GetHilightCaretShow() override;
    void SetHilightCaretShow(int show) override;
    int IsRunning() override;
    void StartStop() override;
    int GetFullScreen() override;
    void ToggleFullScreen() override;
    void ZoomIn() override;
    void ZoomOut() override;
    void SetZoom(double factor) override;
    double GetZoom() override;
    void OnSettingChanged(int kind, int unused) override;
    void Exit() override;
    void Zoom(int relative, double value) override;

    // The entry function's part: hides the cursors once the output is up
    // (when set and still magnifying), and restores them once its loop has
    // ended; from then on nothing hides them again, whatever the panel asks
    // while it closes.
    void HideCursorsForRun();
    void RestoreCursorsForGood();

private:
    static void ZoomTask(void* context, int relative, double value);
    static void FrameRateTask(void* context, int, double);

    MagWin* magwin_;
    CRITICAL_SECTION cursorLock_;
    bool runEnded_ = false;  // under cursorLock_
};
