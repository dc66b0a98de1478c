#include "player/view_rules.h"

#include "player/playback_rules.h"

namespace player {

std::string_view ScaleCommandMode(unsigned id) {
    switch (id) {
        case kIdShowAll:
            return "ShowAll";
        case kIdExactFit:
            return "ExactFit";
        case kIdNoBorder:
            return "NoBorder";
        case kIdNoScale:
            return "NoScale";
        default:
            return {};
    }
}

win::CommandState ScaleCommandState(unsigned id, int scaleOverride, std::string_view stored) {
    const std::string_view mode = ScaleCommandMode(id);
    if (scaleOverride != 0)
        return {true, !mode.empty() && id == kIdShowAll + static_cast<unsigned>(scaleOverride) - 1};
    return {true, !mode.empty() && stored == mode};
}

WindowRect InitialWindowRect(WindowRect stored, int screenWidth, int screenHeight) {
    WindowRect rect = stored;
    if (rect.left < 0 || rect.left > screenWidth) rect.left = 0;
    if (rect.top < 0 || rect.top > screenHeight) rect.top = 0;
    if (rect.right < 0 || rect.right > screenWidth) rect.right = screenWidth;
    if (rect.bottom < 0 || rect.bottom > screenHeight) rect.bottom = screenHeight;
    if (rect.right < rect.left || rect.bottom < rect.top) return kDefaultWindowRect;
    return rect;
}

StoredPlacement PlacementToStore(const ClosingWindow& closing) {
    if (closing.minimised) return {closing.restored, closing.restoresToMaximised ? 1 : 0};
    return {closing.window, closing.maximised ? 1 : 0};
}

}  // namespace player
