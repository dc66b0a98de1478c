#include "flash/button_mouse.h"

namespace flash {

void ButtonTracker::Set(ButtonPhase to, std::vector<Change>& out) {
    out.push_back({active_, phase_, to});
    phase_ = to;
    if (to == ButtonPhase::Idle) {
        active_ = nullptr;
        activeMenu_ = false;
    }
}

void ButtonTracker::Move(Key hit, bool menu, std::vector<Change>& out) {
    if (!down_) {
        if (active_ != nullptr && active_ != hit) Set(ButtonPhase::Idle, out);
        if (active_ == nullptr && hit != nullptr) {
            active_ = hit;
            activeMenu_ = menu;
            Set(ButtonPhase::OverUp, out);
        }
        return;
    }
    if (active_ != nullptr) {
        if (phase_ == ButtonPhase::OverDown && hit != active_) {
            Set(activeMenu_ ? ButtonPhase::Idle : ButtonPhase::OutDown, out);
        } else if (phase_ == ButtonPhase::OutDown && hit == active_) {
            Set(ButtonPhase::OverDown, out);
        }
    }
    if (active_ == nullptr && hit != nullptr && menu) {
        active_ = hit;
        activeMenu_ = true;
        Set(ButtonPhase::OverDown, out);
    }
}

void ButtonTracker::Update(Key hit, bool menu, bool down, std::vector<Change>& out) {
    if (down == down_) {
        Move(hit, menu, out);
        return;
    }
    if (down) {
        // Where the mouse went before the press, then the press there.
        Move(hit, menu, out);
        down_ = true;
        if (active_ != nullptr && phase_ == ButtonPhase::OverUp) Set(ButtonPhase::OverDown, out);
        return;
    }
    // Where the held mouse went before the release, then the release, then what is under the
    // mouse now.
    Move(hit, menu, out);
    down_ = false;
    if (active_ != nullptr) {
        if (phase_ == ButtonPhase::OverDown)
            Set(ButtonPhase::OverUp, out);
        else if (phase_ == ButtonPhase::OutDown)
            Set(ButtonPhase::Idle, out);
    }
    Move(hit, menu, out);
}

void ButtonTracker::Forget(Key button) {
    if (button != nullptr && button == active_) {
        active_ = nullptr;
        activeMenu_ = false;
        phase_ = ButtonPhase::Idle;
    }
}

}  // namespace flash
