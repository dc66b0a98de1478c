// The mouse as buttons see it: which button is over, pressed or dragged off, worked out from
// nothing but what lies under the mouse and whether its primary button is down. Plain values
// in, the phase changes out, in the order they happen, so the rules are tested without a
// player or a window.
//
// At most one button is out of its idle phase at a time:
// - Up: the button under the mouse is over-up; moving off it rolls it out, onto another
//   rolls that one over.
// - A press over an over-up button makes it over-down; a press elsewhere presses nothing.
// - While held, a pressed button goes out-down when the mouse leaves it and over-down again
//   when it comes back; other buttons do not react. A menu button (trackAsMenu) goes idle
//   instead of out-down, and a menu button the held mouse moves onto goes over-down.
// - A release over the pressed button makes it over-up (its release); a release off it makes
//   it idle (a release outside), after which the button under the mouse, if any, rolls over.
// The mouse leaving the window is a move onto no button.
#pragma once

#include <vector>

#include "flash/button.h"

namespace flash {

class ButtonTracker {
public:
    // A button instance, as the caller knows it (the player: its clip).
    using Key = const void*;

    struct Change {
        Key button = nullptr;
        ButtonPhase from = ButtonPhase::Idle;
        ButtonPhase to = ButtonPhase::Idle;
    };

    // The mouse is over `hit` (null: no button; `menu` when it tracks as a menu) with its
    // primary button `down`. Appends the changes to `out`.
    void Update(Key hit, bool menu, bool down, std::vector<Change>& out);
    // The button left the stage: it is forgotten without a change.
    void Forget(Key button);

    Key Active() const { return active_; }
    ButtonPhase Phase() const { return phase_; }
    bool Down() const { return down_; }

private:
    void Set(ButtonPhase to, std::vector<Change>& out);
    void Move(Key hit, bool menu, std::vector<Change>& out);

    Key active_ = nullptr;
    bool activeMenu_ = false;
    ButtonPhase phase_ = ButtonPhase::Idle;
    bool down_ = false;
};

}  // namespace flash
