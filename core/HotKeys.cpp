#include "core/HotKeys.h"

#include "core/CrashGuard.h"
#include "core/EventDispatcher.h"
#include "magnifier/IMagCommand.h"
#include "magnifier/MagWin.h"
#include "tracking/MagTracker.h"

HotKeys::HotKeys(Hook::EventDispatcher* hub, MagWin* magWin, MagTracker* tracker)
    : hub_(hub), magWin_(magWin), tracker_(tracker), command_(magWin ? magWin->Command() : nullptr) {
    HKL layout = GetKeyboardLayout(0);
    for (UINT i = 0; i < 16; ++i) {
        keypadKeys_[i] = {MapVirtualKeyExW(VK_NUMPAD0 + i, MAPVK_VK_TO_VSC, layout), VK_NUMPAD0 + i == VK_DIVIDE};
    }
    if (!hub_->AddListener(Hook::KeyDown, OnKeyDown, this)) FatalExit();
    if (!hub_->AddListener(Hook::KeyUp, OnKeyUp, this)) FatalExit();
    if (!hub_->AddListener(Hook::AltWheel, OnAltWheel, this)) FatalExit();
    if (!hub_->AddListener(Hook::CheckDue, OnRepeatDue, this)) FatalExit();
}

HotKeys::~HotKeys() {
    hub_->RemoveListener(Hook::KeyDown, OnKeyDown);
    hub_->RemoveListener(Hook::KeyUp, OnKeyUp);
    hub_->RemoveListener(Hook::AltWheel, OnAltWheel);
    hub_->RemoveListener(Hook::CheckDue, OnRepeatDue);
}

bool HotKeys::Filtered(const Hook::KeyEventInfo& key) const {
    if (key.injected || key.shift || key.ctrl) return true;
    bool extended = (key.flags & LLKHF_EXTENDED) != 0;
    for (const KeypadKey& k : keypadKeys_) {
        if (k.scanCode == key.scanCode && k.extended == extended) return true;
    }
    return !key.alt;
}

bool HotKeys::OnKeyDown(void* context, void* data) {
    return static_cast<HotKeys*>(context)->KeyDown(*static_cast<Hook::KeyEventInfo*>(data));
}

bool HotKeys::OnKeyUp(void* context, void* data) {
    return static_cast<HotKeys*>(context)->KeyUp(*static_cast<Hook::KeyEventInfo*>(data));
}

bool HotKeys::KeyDown(Hook::KeyEventInfo& key) {
    if (Filtered(key)) return true;
    switch (key.vk) {
        case VK_INSERT:
            // Unzoomed while held, from the press with Alt on. An auto-repeat
            // changes nothing, also one that picked up Alt on the way (Insert
            // held first, then Alt): its press went to the program.
            key.passOn = false;
            if (!key.repeat && !tracker_->NoScale()) tracker_->SetNoScale(true);
            return true;
        case VK_DELETE:
            key.passOn = false;
            command_->Exit();
            return true;
        case VK_OEM_PLUS:
        case VK_OEM_MINUS:
            key.passOn = false;
            if (key.repeat) return true;
            zoomRepeat_ = key.vk == VK_OEM_PLUS ? +1 : -1;
            return StepZoom();
        case VK_OEM_3:
            key.passOn = false;
            command_->StartStop();
            return true;
        default:
            if (key.vk >= '1' && key.vk <= '9') command_->SetZoom(static_cast<double>(key.vk - '0'));
            return true;
    }
}

bool HotKeys::KeyUp(Hook::KeyEventInfo& key) {
    // The releases of Insert, plus and minus end their effect whatever the
    // modifiers: Alt may have been let go first, or the key's auto-repeat may
    // have recorded it without Alt. Otherwise the view would stay unzoomed or
    // the zoom would repeat without end. Whether a release goes on is the
    // hub's: it follows the key's presses.
    switch (key.vk) {
        case VK_INSERT:
            if (tracker_->NoScale()) tracker_->SetNoScale(false);
            return true;
        case VK_OEM_PLUS:
        case VK_OEM_MINUS:
            zoomRepeat_ = 0;
            return true;
        default:
            return true;
    }
}

bool HotKeys::StepZoom() {
    if (zoomRepeat_ > 0) {
        command_->ZoomIn();
    } else {
        command_->ZoomOut();
    }
    return hub_->ScheduleCheck(Hook::CheckZoomRepeat, kRepeatDelay);
}

bool HotKeys::OnRepeatDue(void* context, void* data) {
    auto* self = static_cast<HotKeys*>(context);
    const auto* check = static_cast<const Hook::PendingCheck*>(data);
    if (check->kind != Hook::CheckZoomRepeat || self->zoomRepeat_ == 0) return true;
    return self->StepZoom();
}

bool HotKeys::OnAltWheel(void* context, void* data) {
    auto* self = static_cast<HotKeys*>(context);
    const auto* record = static_cast<const MSLLHOOKSTRUCT*>(data);
    auto delta = static_cast<short>(HIWORD(record->mouseData));
    if (delta > 0) {
        self->command_->ZoomIn();
    } else {
        self->command_->ZoomOut();
    }
    return true;
}
