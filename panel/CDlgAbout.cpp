#include "panel/CDlgAbout.h"

#include "framework/CString.h"
#include "resources/kvgui_resource.h"
#include "resources/version.h"

CDlgAbout::CDlgAbout(HWND parent) : CDialog(IDD_ABOUT, parent) {}

void CDlgAbout::DoDataExchange() {
    BindControl(IDC_HOME_LINK, homePage_);
    BindControl(IDC_CONTACT_LINK, contact_);
}

BOOL CDlgAbout::OnInitDialog() {
    CDialog::OnInitDialog();
    homePage_.SizeToContent(false, false);
    contact_.SizeToContent(false, false);
    contact_.SetURLPrefix(L"mailto:");

    CString format;
    CString line;
    if (format.LoadFromResource(IDS_VERSION_FORMAT)) line.Format(format, L"" KV_VERSION_STRING);
    SetDlgItemTextW(GetSafeHwnd(), IDC_VERSION, line);
    return TRUE;
}
