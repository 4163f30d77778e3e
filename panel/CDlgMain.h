#pragma once
// The control panel's main window: a modeless dialog with a menu bar, seven
// icon buttons and the tray icon. Its commands go to the magnifier through
// IMagCommand; it redraws its caption and buttons only when the magnifier
// posts "KVGUI_WM_UPDATEUI" back. Created, run and deleted on the panel's UI
// thread.
#include <windows.h>

#include "framework/CDialog.h"
#include "panel/CSystemTray.h"

class IMagCommand;

class CDlgMain : public CDialog {
public:
    explicit CDlgMain(IMagCommand* command);
    ~CDlgMain() override;

    // The user confirmed the quit: the panel's loop ends.
    bool QuitConfirmed() const { return quitConfirmed_; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}  // Enter does nothing
    void OnCancel() override;  // the quit question
    bool OnCommand(UINT id, UINT code) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    enum { kIconSlots = 18 };

    void UpdateControls();
    // The commands that go to the magnifier; false for any other.
    bool MagnifierCommand(UINT id);
    // Ends the innermost modal loops on this thread: menus, boxes, a move or
    // size loop.
    void EndModalLoops();
    // The icon of slot on button id.
    void SetImage(int id, int slot);
    // A push-like check box showing state: its image and its check mark.
    void ShowState(int id, int state, int onSlot, int offSlot);
    LRESULT OnTrayMessage(WPARAM wParam, LPARAM lParam);
    void OnInitMenuPopup(HMENU popup);
    bool OnSysCommand(WPARAM command, LPARAM lParam);
    void OpenAddress(UINT stringId);
    void FlipHighContrast();
    void ShowAbout();

    IMagCommand* command_;
    HICON icons_[kIconSlots] = {};
    UINT trayMessage_ = 0;
    CSystemTray tray_;
    // Guards against a second quit question or About box opened from the
    // tray while the first is still up.
    bool askingToQuit_ = false;
    bool showingAbout_ = false;
    bool quitConfirmed_ = false;
};
