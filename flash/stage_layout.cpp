#include "flash/stage_layout.h"

#include <algorithm>
#include <cmath>

#include "base/ansi_text.h"

namespace flash {

std::optional<ScaleMode> ParseScaleMode(std::string_view text) {
    if (base::EqualsNoCase(text, "ShowAll")) return ScaleMode::ShowAll;
    if (base::EqualsNoCase(text, "ExactFit")) return ScaleMode::ExactFit;
    if (base::EqualsNoCase(text, "NoBorder")) return ScaleMode::NoBorder;
    if (base::EqualsNoCase(text, "NoScale")) return ScaleMode::NoScale;
    return std::nullopt;
}

const char* ScaleModeName(ScaleMode mode) {
    switch (mode) {
        case ScaleMode::ShowAll:
            return "ShowAll";
        case ScaleMode::ExactFit:
            return "ExactFit";
        case ScaleMode::NoBorder:
            return "NoBorder";
        case ScaleMode::NoScale:
            return "NoScale";
    }
    return "ShowAll";
}

PixelRect PlaceStage(ScaleMode mode, int width, int height, int stageWidth, int stageHeight) {
    const PixelRect window{0, 0, width, height};
    if (stageWidth <= 0 || stageHeight <= 0 || width <= 0 || height <= 0 ||
        mode == ScaleMode::ExactFit)
        return window;
    double scale = 1.0;
    if (mode != ScaleMode::NoScale) {
        const double sx = static_cast<double>(width) / stageWidth;
        const double sy = static_cast<double>(height) / stageHeight;
        scale = mode == ScaleMode::ShowAll ? std::min(sx, sy) : std::max(sx, sy);
    }
    const int w = static_cast<int>(std::lround(stageWidth * scale));
    const int h = static_cast<int>(std::lround(stageHeight * scale));
    const int left = (width - w) / 2;
    const int top = (height - h) / 2;
    return PixelRect{left, top, left + w, top + h};
}

Point WindowToStage(ScaleMode mode, int width, int height, const Rect& stage, double x, double y) {
    // The same scales and centring as the drawing, undone.
    const double sw = stage.WidthTwips() / 20.0, sh = stage.HeightTwips() / 20.0;
    if (!(sw > 0 && sh > 0) || width <= 0 || height <= 0)
        return {x * 20 + stage.xMin, y * 20 + stage.yMin};
    const StageFit fit = FitStage(mode, width, height, sw, sh);
    return {(x - fit.placed.left) * 20 / fit.sx + stage.xMin,
            (y - fit.placed.top) * 20 / fit.sy + stage.yMin};
}

StageFit FitStage(ScaleMode mode, int width, int height, double sw, double sh) {
    StageFit fit;
    switch (mode) {
        case ScaleMode::ShowAll:
            fit.sx = fit.sy = std::min(width / sw, height / sh);
            break;
        case ScaleMode::NoBorder:
            fit.sx = fit.sy = std::max(width / sw, height / sh);
            break;
        case ScaleMode::ExactFit:
            fit.sx = width / sw;
            fit.sy = height / sh;
            break;
        case ScaleMode::NoScale:
            break;
    }
    const int w = static_cast<int>(std::lround(sw * fit.sx));
    const int h = static_cast<int>(std::lround(sh * fit.sy));
    fit.placed = {(width - w) / 2, (height - h) / 2, (width - w) / 2 + w, (height - h) / 2 + h};
    return fit;
}

}  // namespace flash
