#pragma once
// A link in a dialog: an owner-drawn button that shows its text underlined in
// the link colour with a hand pointer, and when clicked opens its URL (or,
// without one, its own text) with its prefix in front, through the shell.
// Lives on the dialog's thread.
#include <windows.h>

#include "framework/CDialog.h"
#include "framework/CString.h"

class CMFCLinkCtrl : public CDialogItem {
public:
    CMFCLinkCtrl() = default;
    ~CMFCLinkCtrl() override;
    CMFCLinkCtrl(const CMFCLinkCtrl&) = delete;
    CMFCLinkCtrl& operator=(const CMFCLinkCtrl&) = delete;

    bool Attach(HWND control) override;
    void Detach() override;
    void OnClicked() override;
    bool OnDrawItem(const DRAWITEMSTRUCT& draw) override;

    void SetURL(const wchar_t* url) { url_ = url; }
    void SetURLPrefix(const wchar_t* prefix) { prefix_ = prefix; }
    // What a click opens: the prefix, then the URL or else the text.
    CString Target() const;
    // Fits the control to its text; keeps its top-left corner, or its centre
    // in the directions asked.
    void SizeToContent(bool verticalCenter = false, bool horizontalCenter = false);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    CString Text() const;
    HFONT LinkFont();
    static COLORREF LinkColor();

    CString url_;
    CString prefix_;
    HFONT font_ = nullptr;  // the dialog's font, underlined; ours to delete
};
