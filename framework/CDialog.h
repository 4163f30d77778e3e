#pragma once
// Dialog base for modeless (Create) and modal (DoModal) use, on templates from
// the module's own resources. The window finds its object through its
// DWLP_USER slot, set at WM_INITDIALOG and cleared at WM_NCDESTROY, so no
// message reaches an object once its window is gone; an object that goes
// first destroys its window. Controls taken over by an object (links) get
// their own clicks and drawing passed to them.
// Everything runs on the thread that created the window.
#include <windows.h>

#include <vector>

// A dialog control that an object has taken over.
class CDialogItem {
public:
    virtual ~CDialogItem() = default;
    // Takes over the control; false when it cannot.
    virtual bool Attach(HWND control) = 0;
    virtual void Detach() = 0;
    // BN_CLICKED of the control.
    virtual void OnClicked() {}
    // WM_DRAWITEM of an owner-drawn control; true when drawn.
    virtual bool OnDrawItem(const DRAWITEMSTRUCT&) { return false; }
    HWND GetSafeHwnd() const { return hwnd_; }

protected:
    HWND hwnd_ = nullptr;
};

class CDialog {
public:
    CDialog(UINT templateId, HWND parent);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Modeless; the window stays hidden unless its template says otherwise.
    bool Create(UINT templateId, HWND parent);
    // Modal: runs until EndDialog and returns its result (-1 on failure).
    INT_PTR DoModal();
    bool DestroyWindow();
    void EndDialog(INT_PTR result);
    bool IsDialogMessage(MSG* msg);
    bool ShowWindow(int command);

    HWND GetSafeHwnd() const { return hwnd_; }
    HWND GetDlgItem(int id) const;

protected:
    // Binds the controls (DoDataExchange); returns TRUE to let the system
    // place the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange() {}
    virtual void OnOK();
    virtual void OnCancel();
    // WM_COMMAND; true when handled. IDOK and IDCANCEL that it leaves go to
    // OnOK and OnCancel.
    virtual bool OnCommand(UINT id, UINT code);
    // Any other message first; true when handled, with the answer in result.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // After the window is gone; the object is the owner's to delete.
    virtual void PostNcDestroy() {}

    // Takes over control id for item (within DoDataExchange).
    bool BindControl(int id, CDialogItem& item);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    CDialogItem* ItemOf(HWND control) const;

    HWND hwnd_ = nullptr;
    UINT template_;
    HWND parent_;
    std::vector<CDialogItem*> items_;
};
