// The draw manager's pixel work, without <windows.h>: the bands of the gradients, the palette
// pictures of the textures, blending, shadows, recolouring, and the strokes of styled lines
// and frames. The GDI side (draw_manager.h) hands pixels in and out and does the drawing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "tooltip/colour.h"

namespace tooltip {

// Background effect codes, in the order of their names in the mark-up.
namespace effect {
constexpr int kTransparent = -1;
constexpr int kSolid = 0;
constexpr int kHGradient = 1;
constexpr int kVGradient = 2;
constexpr int kHCGradient = 3;
constexpr int kVCGradient = 4;
constexpr int k3HGradient = 5;
constexpr int k3VGradient = 6;
constexpr int kNoise = 7;
constexpr int kDiagShade = 8;
constexpr int kHShade = 9;
constexpr int kVShade = 10;
constexpr int kHBump = 11;
constexpr int kVBump = 12;
constexpr int kSoftBump = 13;
constexpr int kHardBump = 14;
constexpr int kMetal = 15;
}  // namespace effect

// The code of an effect name ("transparent" ... "metal", ASCII case ignored); empty for any
// other name.
std::optional<int> EffectFromName(std::string_view name);

inline bool IsTextureEffect(int code) {
    return code >= effect::kNoise && code <= effect::kMetal;
}

// One solid rectangle of a fill.
struct Band {
    Rect rect;
    Colour colour = 0;
    friend bool operator==(const Band&, const Band&) = default;
};

// The 64 bands of a gradient from a to b across the rectangle (along x when horizontal, else
// along y), appended to out. Bands of zero width are left out; an empty rectangle adds none.
void AppendGradient(std::vector<Band>& out, Rect area, bool horizontal, Colour a, Colour b);

// The solid rectangles that fill area with an effect that is not a texture: the gradients of
// codes 1 to 6, one rectangle in the begin colour for every other code.
std::vector<Band> PlanSolidFill(int effectCode, Rect area, Colour begin, Colour middle, Colour end);

// Pseudo-random integers in 0 ... 32767. The programs use the C runtime's generator, which the
// draw manager never seeds; tests give their own sequence.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual int Next() = 0;
};
RandomSource& RuntimeRandom();

// An 8-bit palette picture, stored bottom-up like a DIB: row 0 in memory is the bottom row.
// Rows are padded to 4 bytes so the GDI side can hand the bits over as they are.
struct PaletteImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;
    std::array<Colour, 256> palette{};

    static int StrideOf(int width) { return (width + 3) & ~3; }
    int Stride() const { return StrideOf(width); }
    // The palette index at column x of row r, counted from the bottom.
    std::uint8_t At(int x, int rowFromBottom) const {
        return bits[static_cast<std::size_t>(rowFromBottom) * Stride() + x];
    }
};

// The texture palette: end colour (entry 0) to middle (128) to begin (255), every entry then
// moved toward the begin colour by blendPercent (limited to 0 ... 100).
std::array<Colour, 256> TexturePalette(Colour begin, Colour middle, Colour end, int blendPercent);

// The texture of effect codes 7 to 15 for a picture of width x height, granularity 0 ... 255.
// A size of 0 or less gives an empty picture; any other code gives a picture of zeros.
PaletteImage MakeTexture(int effectCode, int width, int height, Colour begin, Colour middle,
                         Colour end, int granularity, int blendPercent, RandomSource& random);

// A 32-bit picture, rows top-down, each pixel 0x00RRGGBB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Picture() = default;
    Picture(int w, int h, std::uint32_t fill = 0)
        : width(w > 0 ? w : 0),
          height(h > 0 ? h : 0),
          pixels(static_cast<std::size_t>(width) * height, fill) {}
    std::uint32_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Draws source over destination at opacity percent: 100 or more copies the source, 0 or less
// leaves the destination. Each component is source x p/100 + destination x (1 - p/100),
// truncated (computed exactly in integers). Spans of different lengths blend their common part.
void BlendPixels(std::span<std::uint32_t> destination, std::span<const std::uint32_t> source,
                 int opacityPercent);

// An even shadow depth is made odd; depths below 1 become 1.
int OddDepth(int depth);

// Hard shadow: each destination component times the mask's grey level / 255.
void ApplyHardShadow(std::span<std::uint32_t> destination, std::span<const std::uint32_t> mask);

// Soft shadow: the mask, shrunk by the depths into a white copy, box-filtered over
// depthX x depthY; the average / 255 multiplies each destination component. The mask must be
// as large as the destination; a factor of 1 leaves a pixel unchanged.
void ApplySoftShadow(Picture& destination, const Picture& mask, int depthX, int depthY);

// Image recolouring flags, applied in this order.
namespace recolour {
constexpr unsigned kGrey = 1;
constexpr unsigned kDarker = 2;
constexpr unsigned kLighter = 4;
constexpr unsigned kSingle = 8;
constexpr unsigned kInvert = 0x8000;
}  // namespace recolour

std::uint32_t RecolourPixel(std::uint32_t pixel, unsigned flags, Colour single);
// Every pixel that is not the transparent colour (when one is given) is recoloured.
void RecolourPixels(std::span<std::uint32_t> pixels, unsigned flags, Colour single,
                    std::optional<Colour> transparent);

// Line style codes of rules and frames.
namespace linestyle {
constexpr int kNone = 0;
constexpr int kSolid = 1;
constexpr int kDashed = 2;
constexpr int kDotted = 3;
constexpr int kDashDot = 4;
constexpr int kDashDotDot = 5;
constexpr int kDouble = 6;
}  // namespace linestyle

enum class PenKind { Solid, Dash, Dot, DashDot, DashDotDot };

// A polyline drawn with one pen (MoveTo the first point, LineTo each further one).
struct Stroke {
    std::vector<Point> points;
    PenKind pen = PenKind::Solid;
    int width = 1;
    Colour colour = 0;
    friend bool operator==(const Stroke&, const Stroke&) = default;
};

// The strokes of a styled line from a to b; none for style 0, an unknown style or a width of
// 0 or less. The double style is a solid line and a second one 2 x width further down (right
// for a vertical line).
std::vector<Stroke> StyledLineStrokes(Point a, Point b, Colour colour, int style, int width);

// The strokes of a styled frame inside r, inset by half the width: left and top in the first
// colour (from the bottom-left corner up, then right), right and bottom in the second (from
// the top-right corner down, then left). The double style adds a second frame inset by
// 2 x width. A frame that no longer fits inside r is left out.
std::vector<Stroke> StyledFrameStrokes(Rect r, Colour first, Colour second, int style, int width);

}  // namespace tooltip
