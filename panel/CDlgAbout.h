#pragma once
// The About box: the program's icon, its version and two links (home page,
// contact address). Modal, owned by the main dialog, on the panel's UI thread.
#include <windows.h>

#include "framework/CDialog.h"
#include "framework/CMFCLinkCtrl.h"

class CDlgAbout : public CDialog {
public:
    explicit CDlgAbout(HWND parent);

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;

private:
    CMFCLinkCtrl homePage_;
    CMFCLinkCtrl contact_;
};
