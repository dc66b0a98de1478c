// Where the stage lands in the control's window under each scale mode.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "flash/draw_types.h"
#include "flash/swf_movie.h"

namespace flash {

enum class ScaleMode : std::uint8_t { ShowAll, ExactFit, NoBorder, NoScale };

// "ShowAll", "ExactFit", "NoBorder", "NoScale", letter case ignored; empty for any other text.
std::optional<ScaleMode> ParseScaleMode(std::string_view text);
const char* ScaleModeName(ScaleMode mode);

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

// The stage of stageWidth x stageHeight pixels placed in a window of width x height:
// ShowAll scales it evenly to fit whole, NoBorder evenly to cover the window (the overhang
// is cut off), ExactFit stretches it to the window, NoScale keeps 1:1. The stage is centred
// in every mode. A stage without area fills the window.
PixelRect PlaceStage(ScaleMode mode, int width, int height, int stageWidth, int stageHeight);

// The scales of a stage of sw x sh pixels (both above 0) drawn under `mode` in a window of
// width x height (both above 0), and where its scaled picture lies: centred, whole pixels.
// The drawing and the mouse share it, so that a click lands where the picture shows.
struct StageFit {
    double sx = 1;
    double sy = 1;
    PixelRect placed;
};
StageFit FitStage(ScaleMode mode, int width, int height, double sw, double sh);

// The point of the stage (twips, in the stage rectangle's own coordinates) that shows at the
// window point (x, y) when the stage is drawn under `mode` in a window of width x height: the
// inverse of the drawing's placement (render::MakeStageView). Points outside the stage give
// stage points outside it. A window or stage without area maps pixels to twips 1:20 from the
// stage's corner, as the drawing does.
Point WindowToStage(ScaleMode mode, int width, int height, const Rect& stage, double x, double y);

}  // namespace flash
