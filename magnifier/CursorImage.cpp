#include "magnifier/CursorImage.h"

#include "magnifier/SysCursorManager.h"

bool CursorImage::Capture() {
    if (!cursor_) return false;
    if (g_sysCursorManager) {
        HCURSOR original = g_sysCursorManager->CopyOfOriginal(cursor_);
        if (original) {
            copy_ = original;
            return true;
        }
    }
    copy_ = static_cast<HICON>(CopyImage(cursor_, IMAGE_CURSOR, 0, 0, 0));
    if (!copy_) {
        Reset();
        return false;
    }
    return true;
}

bool CursorImage::Reset() {
    bool result = true;
    if (copy_) {
        result = DestroyCursor(copy_) != FALSE;
        copy_ = nullptr;
    }
    cursor_ = nullptr;
    imageRect_ = {0, 0, 0, 0};
    return result;
}

bool CursorImage::ApplyHotspot(POINT& point) const {
    ICONINFO info = {};
    if (!copy_ || !GetIconInfo(copy_, &info)) return false;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    point.x -= static_cast<LONG>(info.xHotspot);
    point.y -= static_cast<LONG>(info.yHotspot);
    return true;
}

void CursorImage::Release() {
    Reset();
    mutex_.Close();
}
