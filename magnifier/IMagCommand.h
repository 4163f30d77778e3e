#pragma once
// The one interface through which the control panel (in its own DLL) and the
// shortcuts command the magnifier. The order of the operations is the contract
// between the program and the panel library, which both compile this very
// declaration: append nothing in the middle. No virtual destructor: the panel
// never deletes the object.

class IMagCommand {
public:
    virtual int GetSmoothImage() = 0;
    virtual void SetSmoothImage(int value) = 0;
    virtual int GetHilightCursorShow() = 0;
    virtual void SetHilightCursorShow(int show) = 0;
    virtual int GetHilightFocusShow() = 0;
    virtual void SetHilightFocusShow(int show) = 0;
    virtual int GetHilightCaretShow() = 0;
    virtual void SetHilightCaretShow(int show) = 0;
    virtual int IsRunning() = 0;
    virtual void StartStop() = 0;
    virtual int GetFullScreen() = 0;
    virtual void ToggleFullScreen() = 0;
    virtual void ZoomIn() = 0;
    virtual void ZoomOut() = 0;
    virtual void SetZoom(double factor) = 0;
    virtual double GetZoom() = 0;
    virtual void OnSettingChanged(int kind, int unused) = 0;
    virtual void Exit() = 0;
    virtual void Zoom(int relative, double value) = 0;

protected:
    ~IMagCommand() = default;
};

// Kinds of OnSettingChanged: which value the panel has just written.
enum SettingKind : int {
    kSettingHideSysCursor = 0,
    kSettingUseMemCache = 1,
    kSettingMaxFrameRate = 2,
    kSettingInvertColors = 3,
};
