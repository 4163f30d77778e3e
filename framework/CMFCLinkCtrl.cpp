#include "framework/CMFCLinkCtrl.h"

#include <commctrl.h>

#include <vector>

#include "framework/AfxShell.h"

namespace {
const UINT_PTR kSubclassId = 1;
}

CMFCLinkCtrl::~CMFCLinkCtrl() { Detach(); }

bool CMFCLinkCtrl::Attach(HWND control) {
    if (hwnd_ || !control) return false;
    if (!SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    hwnd_ = control;
    return true;
}

void CMFCLinkCtrl::Detach() {
    if (hwnd_) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    hwnd_ = nullptr;
    if (font_) DeleteObject(font_);
    font_ = nullptr;
}

CString CMFCLinkCtrl::Text() const {
    if (!hwnd_) return CString();
    int length = GetWindowTextLengthW(hwnd_);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(hwnd_, buffer.data(), length + 1);
    return CString(buffer.data(), got);
}

CString CMFCLinkCtrl::Target() const { return prefix_ + (url_.IsEmpty() ? Text() : url_); }

void CMFCLinkCtrl::OnClicked() {
    CString target = Target();
    // A failing shell shows nothing: the user sees the address and can type it.
    AfxShellOpen(target);
}

HFONT CMFCLinkCtrl::LinkFont() {
    if (font_ || !hwnd_) return font_;
    auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    LOGFONTW face{};
    if (!dialogFont || !GetObjectW(dialogFont, sizeof(face), &face)) {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(face), &face);
    }
    face.lfUnderline = TRUE;
    font_ = CreateFontIndirectW(&face);
    return font_;
}

void CMFCLinkCtrl::SizeToContent(bool verticalCenter, bool horizontalCenter) {
    if (!hwnd_) return;
    CString text = Text();
    HDC dc = GetDC(hwnd_);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, LinkFont());
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, text.GetLength(), &extent);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);

    // Room for the focus rectangle around the text.
    int width = extent.cx + 4;
    int height = extent.cy + 2;
    RECT place{};
    GetWindowRect(hwnd_, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&place), 2);
    int x = horizontalCenter ? (place.left + place.right - width) / 2 : place.left;
    int y = verticalCenter ? (place.top + place.bottom - height) / 2 : place.top;
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

COLORREF CMFCLinkCtrl::LinkColor() {
    // The classic link blue reads well on the usual light face; in high
    // contrast the face may be dark, and the scheme's own colour holds.
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON)) {
        return GetSysColor(COLOR_HOTLIGHT);
    }
    return RGB(0, 0, 204);
}

bool CMFCLinkCtrl::OnDrawItem(const DRAWITEMSTRUCT& draw) {
    RECT area = draw.rcItem;
    FillRect(draw.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
    CString text = Text();
    HGDIOBJ old = SelectObject(draw.hDC, LinkFont());
    SetBkMode(draw.hDC, TRANSPARENT);
    SetTextColor(draw.hDC, LinkColor());
    RECT inner = area;
    InflateRect(&inner, -2, -1);
    DrawTextW(draw.hDC, text, text.GetLength(), &inner, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(draw.hDC, old);
    if (draw.itemState & ODS_FOCUS) DrawFocusRect(draw.hDC, &area);
    return true;
}

LRESULT CALLBACK CMFCLinkCtrl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR) {
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
