// Surface filters applied to an object's off-screen layer before it is composited: Blur,
// DropShadow, Glow, Bevel and ColorMatrix. Lengths (blur, distance) are in the filter's
// pixels, which the stage's scale turns into device pixels; the blurs are box blurs, one
// horizontal and one vertical pass per quality step.
//
// The pixels are premultiplied BGRA, rows of `width` with no padding; the area around the
// content must be part of the buffer for blurs and shadows to spread into (FilterMargins).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "flash/placement.h"
#include "flash/render/surface.h"

namespace flash::render {

// Quality steps and blur widths past these are held to them (Flash Player's own ranges).
inline constexpr int kMaxFilterPasses = 15;
inline constexpr double kMaxBlur = 255;
// Stage scales past this count as it for the filters' reach (a movie shown at a huge size).
inline constexpr double kMaxFilterScale = 64;

// The kinds this engine draws; the others are passed over.
bool FilterDrawn(FilterKind kind);

// How far past the content a filter can draw, in device pixels, on each side.
struct FilterMargins {
    double left = 0, top = 0, right = 0, bottom = 0;
};
FilterMargins MarginsOf(const Filter& filter, double scale);

// Buffers reused from one filter to the next.
struct FilterScratch {
    std::vector<std::uint8_t> planes[5];
    std::vector<std::uint32_t> sums;
};

// Applies one filter in place.
void ApplyFilter(const Filter& filter, double scale, Pixel* pixels, int width, int height,
                 FilterScratch& scratch);

// Box-blurs one plane of bytes in place: `passes` times a box `wx` wide along the rows and
// `wy` high along the columns (odd widths; an even one counts as the next odd one; 1 or less
// leaves that direction alone). Each mean is rounded down; what lies outside the plane
// counts as 0.
void BoxBlur(std::uint8_t* plane, int width, int height, int wx, int wy, int passes,
             FilterScratch& scratch);

}  // namespace flash::render
