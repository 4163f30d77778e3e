#include "framework/CDialog.h"

#include "framework/AfxModule.h"

CDialog::CDialog(UINT templateId, HWND parent) : template_(templateId), parent_(parent) {}

CDialog::~CDialog() {
    // The window must not outlive the object it points to.
    if (hwnd_) ::DestroyWindow(hwnd_);
}

bool CDialog::Create(UINT templateId, HWND parent) {
    template_ = templateId;
    parent_ = parent;
    return CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(templateId), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CDialog::DoModal() {
    return DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(template_), parent_, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialog::DestroyWindow() { return hwnd_ && ::DestroyWindow(hwnd_); }

void CDialog::EndDialog(INT_PTR result) {
    if (hwnd_) ::EndDialog(hwnd_, result);
}

bool CDialog::IsDialogMessage(MSG* msg) { return hwnd_ && ::IsDialogMessageW(hwnd_, msg); }

bool CDialog::ShowWindow(int command) { return hwnd_ && ::ShowWindow(hwnd_, command); }

HWND CDialog::GetDlgItem(int id) const { return hwnd_ ? ::GetDlgItem(hwnd_, id) : nullptr; }

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnCommand(UINT, UINT) { return false; }

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool CDialog::BindControl(int id, CDialogItem& item) {
    HWND control = GetDlgItem(id);
    if (!control || !item.Attach(control)) return false;
    items_.push_back(&item);
    return true;
}

CDialogItem* CDialog::ItemOf(HWND control) const {
    if (!control) return nullptr;
    for (CDialogItem* item : items_) {
        if (item->GetSafeHwnd() == control) return item;
    }
    return nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->hwnd_ = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!self) return FALSE;  // messages before WM_INITDIALOG
    INT_PTR handled = self->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        for (CDialogItem* item : self->items_) item->Detach();
        self->items_.clear();
        self->hwnd_ = nullptr;
        self->PostNcDestroy();
    }
    return handled;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();

    LRESULT result = 0;
    if (OnMessage(message, wParam, lParam, result)) {
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (message == WM_DRAWITEM) {
        auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        CDialogItem* item = draw ? ItemOf(draw->hwndItem) : nullptr;
        return item && item->OnDrawItem(*draw);
    }
    if (message != WM_COMMAND) return FALSE;

    UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    CDialogItem* item = ItemOf(reinterpret_cast<HWND>(lParam));
    if (item) {
        if (code == BN_CLICKED) item->OnClicked();
        return TRUE;
    }
    if (OnCommand(id, code)) return TRUE;
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}
