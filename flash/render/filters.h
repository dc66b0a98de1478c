// Surface filters applied to an object's off-screen layer before it is composited: Blur,
// DropShadow, Glow, Bevel, GradientGlow, GradientBevel, ColorMatrix and Convolution.
//
// Lengths (blur, distance) are in the filter's pixels, which the stage's scale turns into
// device pixels (the object's own matrix does not scale them). A blur is a box blur, one
// horizontal and one vertical pass per quality step. A blur of b covers the centre pixel and
// reaches (b - 1) / 2 filter pixels either side, that reach scaled by the stage; a part of a
// pixel at the box's ends weighs as much as it covers. Each mean is rounded down.
//
// The shadow-like filters work on the object's alpha: blurred (and for shadows, gradient glows
// and bevels moved by the angle and distance), raised by the strength, then coloured - by the
// filter's colour, or for the gradient filters by the colour the gradient has at that value -
// and composited with the object as the inner, knockout, hide-object and on-top flags say.
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
// A filtered object whose picture would be larger than this (on a side, or in all) is drawn
// without its filters, as Flash Player does with bitmaps past its own limits.
inline constexpr int kMaxFilterSide = 8191;
inline constexpr std::int64_t kMaxFilterPixels = 16777215;

// The work one filter does on a w x h layer, in values read: what a frame's budget of filter
// work counts.
std::uint64_t FilterWork(const Filter& f, int w, int h);

// The kinds this engine draws; the others are passed over.
bool FilterDrawn(FilterKind kind);

// How far past the content a filter can draw, in device pixels, on each side.
struct FilterMargins {
    double left = 0, top = 0, right = 0, bottom = 0;
};
FilterMargins MarginsOf(const Filter& filter, double scale);

// The box a blur value spreads over at a stage scale, in 256ths of a device pixel: blur x
// scale, at least one pixel (no blur).
int BoxWidth(double blur, double scale);
// How many whole pixels a box of that width reaches on each side of its centre.
int BoxReach(int width);

// The whole-pixel offset of a shadow, gradient glow or bevel at a stage scale.
struct FilterOffset {
    int dx = 0, dy = 0;
};
FilterOffset OffsetOf(const Filter& filter, double scale);

// Buffers reused from one filter to the next.
struct FilterScratch {
    std::vector<std::uint8_t> planes[4];
    std::vector<std::uint32_t> sums;
    std::vector<Pixel> pixels;
};

// Applies one filter in place.
void ApplyFilter(const Filter& filter, double scale, Pixel* pixels, int width, int height,
                 FilterScratch& scratch);

// Box-blurs one plane of bytes in place: `passes` times a box `wx` wide along the rows and
// `wy` high along the columns, in 256ths of a pixel as BoxWidth gives them (one pixel or less
// leaves that direction alone). Each mean is rounded down; what lies outside the plane
// counts as 0.
void BoxBlur(std::uint8_t* plane, int width, int height, int wx, int wy, int passes,
             FilterScratch& scratch);

}  // namespace flash::render
