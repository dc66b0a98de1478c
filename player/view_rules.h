// The decisions of Tessaly's View menu and window over plain values: the check marks of the
// scale modes, where the window opens from its stored rectangle, and what is stored when it
// closes.
#pragma once

#include <string_view>

#include "win/command_map.h"

namespace player {

// The scale mode each of the commands 139 to 142 chooses: "ShowAll", "ExactFit",
// "NoBorder", "NoScale"; empty for any other id.
std::string_view ScaleCommandMode(unsigned id);

// Commands 139 to 142 are always available. The check follows the scale override first
// (1 to 4 mark 139 to 142); without one (0), the stored "ScaleMode" text, compared exactly,
// letter case included. An override outside 1 to 4 marks nothing.
win::CommandState ScaleCommandState(unsigned id, int scaleOverride, std::string_view stored);

struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

inline constexpr WindowRect kDefaultWindowRect{0, 0, 603, 537};

// Where the window opens from the stored "left", "top", "right", "bottom" on a screen of this
// size: a left or top that is negative or past the screen becomes 0, a right or bottom that
// is negative or past the screen becomes the screen's width or height; a rectangle that is
// then inverted gives way to the default (0, 0, 603, 537).
WindowRect InitialWindowRect(WindowRect stored, int screenWidth, int screenHeight);

// The window as it is being destroyed (out of full screen already). window: its rectangle on
// the screen; restored: the rectangle it returns to from minimised or maximised, in screen
// coordinates.
struct ClosingWindow {
    WindowRect window;
    WindowRect restored;
    bool minimised = false;
    bool maximised = false;
    bool restoresToMaximised = false;  // minimised from maximised
};

struct StoredPlacement {
    WindowRect rect;
    int max = 0;
    friend bool operator==(const StoredPlacement&, const StoredPlacement&) = default;
};

// What "left", "top", "right", "bottom" and "max" receive: the window's rectangle and whether
// it is maximised. A minimised window stores the rectangle it restores to, not the icon's
// place far off the screen, and "max" when it restores to maximised: the next start opens it
// where the user had it.
StoredPlacement PlacementToStore(const ClosingWindow& closing);

}  // namespace player
