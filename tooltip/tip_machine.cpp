#include "tooltip/tip_machine.h"

#include <algorithm>

namespace tooltip {

void TipMachine::MouseMove(Point p) {
    if (last_ && *last_ == p) return;
    last_ = p;

    if (visible_ && host_.CursorOverTip(p)) {
        const unsigned b = CurrentBehaviour();
        if (!(b & behaviour::kFollowCursor)) {
            if (b & behaviour::kStayWhenHovered) {
                if (state_ == DisplayState::Shown) StartAutopop();
            } else {
                StartHiding();
            }
            return;
        }
    }

    std::optional<ToolHit> found = host_.ToolAt(p);
    if (!found) {
        // Nothing to explain here: neither the tip shown nor one still waiting for a hide to
        // end may appear.
        current_.reset();
        pendingShow_ = false;
        StopInitialDelay();
        StartHiding();
        return;
    }
    if (current_ && found->SameTool(*current_)) {
        const unsigned b = CurrentBehaviour();
        if (b & behaviour::kFollowCursor) {
            if (state_ == DisplayState::Shown) StartAutopop();
            if (visible_) host_.MoveTip(p);
        } else if (b & behaviour::kStayOnMove) {
            if (state_ == DisplayState::Shown) StartAutopop();
        } else if (b & behaviour::kReshowOnMove) {
            RequestShow(std::move(*found), true);
        } else {
            StartHiding();
        }
        return;
    }
    RequestShow(std::move(*found), true);
}

void TipMachine::LeftButtonDown(Point p) {
    if (visible_ && host_.CursorOverTip(p)) host_.ClickTip(p);
    HideNow();
}

void TipMachine::HideNow() {
    state_ = DisplayState::Hidden;
    StopInitialDelay();
    for (unsigned id = tiptimer::kAutopop; id <= tiptimer::kFadeOut; ++id) host_.StopTimer(id);
    if (visible_) ForgetCurrentIfReshowing();
    host_.HideTip();
    visible_ = false;
    pendingShow_ = false;
}

void TipMachine::Timer(unsigned id) {
    switch (id) {
        case tiptimer::kInitial:
            // A tick after the delay was cancelled shows nothing.
            if (showArmed_) {
                ShowStep();
            } else {
                host_.StopTimer(tiptimer::kInitial);
            }
            break;
        case tiptimer::kAutopop:
            // A late tick after the tip went away hides nothing.
            if (state_ == DisplayState::Shown) {
                HidingStep();
            } else {
                host_.StopTimer(tiptimer::kAutopop);
            }
            break;
        case tiptimer::kFadeIn:
            FadeInStep();
            break;
        case tiptimer::kFadeOut:
            FadeOutStep();
            break;
        default:
            break;
    }
}

void TipMachine::RequestShow(ToolHit tool, bool delayed) {
    StartHiding();
    pending_ = std::move(tool);
    const bool wait = delayed && settings_.initialDelay > 0;
    if (state_ != DisplayState::Hidden) {
        // A hide is still fading out: the show follows when it ends.
        pendingShow_ = true;
        pendingShowDelayed_ = wait;
        return;
    }
    if (wait) {
        showArmed_ = true;
        host_.StartTimer(tiptimer::kInitial, settings_.initialDelay);
    } else {
        ShowStep();
    }
}

void TipMachine::ShowStep() {
    StopInitialDelay();
    if (!last_ || host_.CursorPos() != *last_) {
        // The mouse moved without telling us: it did not rest.
        StartHiding();
        return;
    }
    if (state_ != DisplayState::Hidden || !pending_) return;
    state_ = DisplayState::Appearing;
    transparency_ = settings_.FadesIn() ? 100 : Effective(*pending_).transparency;
    ToolHit shown = *pending_;
    if (!host_.ShowTip(shown, *last_, transparency_)) {
        state_ = DisplayState::Hidden;
        return;
    }
    visible_ = true;
    current_ = std::move(shown);
    if (settings_.FadesIn()) {
        host_.StartTimer(tiptimer::kFadeIn, settings_.fadeInStep);
        return;
    }
    state_ = DisplayState::Shown;
    StartAutopop();
}

void TipMachine::StartAutopop() {
    if (settings_.autopopDelay <= 0 || (CurrentBehaviour() & behaviour::kNoAutoPop)) return;
    host_.StartTimer(tiptimer::kAutopop, settings_.autopopDelay);
}

void TipMachine::StartHiding() {
    if (state_ == DisplayState::Appearing) {
        host_.StopTimer(tiptimer::kFadeIn);
        HidingStep();
    } else if (state_ == DisplayState::Shown) {
        HidingStep();
    }
}

void TipMachine::HidingStep() {
    StopInitialDelay();
    host_.StopTimer(tiptimer::kAutopop);
    host_.StopTimer(tiptimer::kFadeIn);
    if (state_ == DisplayState::Disappearing) return;
    state_ = DisplayState::Disappearing;
    if (settings_.FadesOut()) {
        host_.StartTimer(tiptimer::kFadeOut, settings_.fadeOutStep);
    } else {
        transparency_ = 100;
        FadeOutStep();
    }
}

void TipMachine::FadeInStep() {
    if (state_ != DisplayState::Appearing || !current_) {
        host_.StopTimer(tiptimer::kFadeIn);
        return;
    }
    const int target = Effective(*current_).transparency;
    transparency_ = std::max(transparency_ - 20, 0);
    if (transparency_ > target) {
        host_.RepaintTip(transparency_);
        return;
    }
    transparency_ = target;
    host_.StopTimer(tiptimer::kFadeIn);
    state_ = DisplayState::Shown;
    StartAutopop();
    host_.RepaintTip(transparency_);
}

void TipMachine::FadeOutStep() {
    if (state_ != DisplayState::Disappearing) {
        host_.StopTimer(tiptimer::kFadeOut);
        return;
    }
    transparency_ = transparency_ >= 80 ? 100 : transparency_ + 20;
    if (transparency_ < 100) {
        host_.RepaintTip(transparency_);
        return;
    }
    host_.StopTimer(tiptimer::kFadeOut);
    ForgetCurrentIfReshowing();
    host_.HideTip();
    visible_ = false;
    state_ = DisplayState::Hidden;
    if (pendingShow_) {
        pendingShow_ = false;
        if (pendingShowDelayed_) {
            showArmed_ = true;
            host_.StartTimer(tiptimer::kInitial, settings_.initialDelay);
        } else {
            ShowStep();
        }
    }
}

void TipMachine::StopInitialDelay() {
    showArmed_ = false;
    host_.StopTimer(tiptimer::kInitial);
}

void TipMachine::ForgetCurrentIfReshowing() {
    if (current_ && (Effective(*current_).behaviour & behaviour::kReshowOnMove)) current_.reset();
}

}  // namespace tooltip
