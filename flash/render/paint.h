// A fill style made ready to draw at one placement: colours through the colour transform,
// premultiplied; gradients as a 256-entry ramp with the map from device pixels back into the
// gradient square.
#pragma once

#include <array>
#include <cstdint>

#include "flash/draw_types.h"
#include "flash/render/bitmap.h"
#include "flash/render/shape.h"
#include "flash/render/surface.h"

namespace flash::render {

// The colour through the transform, on straight colour: each channel
// clamp(value * mul / 256 + add, 0, 255), the division truncating.
Rgba ApplyColorTransform(Rgba color, const ColorTransform& cx);

// Premultiplied, rounded to nearest.
Pixel Premultiply(Rgba color);

using GradientRamp = std::array<Pixel, 256>;

// The ramp of 256 premultiplied colours a gradient's ratios 0 to 255 run through, after the
// colour transform. Before the first stop's ratio the first colour holds, after the last one
// the last. The stops are walked in their stored order, at most one per entry, so a ratio
// that goes back does not reorder them and a run of stops sharing a ratio shows them on
// successive entries. Mixed channels are rounded down. Linear-RGB gradients mix their colours
// in linear light of 8 bits. No stops: transparent.
void BuildGradientRamp(const Gradient& gradient, const ColorTransform& cx, GradientRamp& ramp);

// Where a gradient puts a point of the gradient square: 0 at the start, 1 at the end (may lie
// outside 0..1 before the spread mode applies).
double GradientPosition(FillKind kind, double focalPoint, double gx, double gy);

// A position folded into 0..1 by a spread mode: pad clamps, repeat wraps, reflect mirrors.
double ApplySpread(SpreadMode spread, double t);

// How a gradient's pixels take their colours from the ramp. Flash Player's pictures differ by
// quality: drawn without anti-aliasing, a pixel shows the ramp at its centre, mixed from the
// two entries around that point, so wide gradients show no steps; anti-aliased, it shows the
// one entry its top-left corner falls in, so radial gradients keep the ramp's steps.
enum class RampSampling : std::uint8_t { CentreMixed, CornerEntry };

// The ramp's colour at a position (before the spread mode applies), as `sampling` reads it.
Pixel RampColor(const GradientRamp& ramp, SpreadMode spread, RampSampling sampling, double t);

struct Paint {
    enum class Kind : std::uint8_t { None, Solid, Gradient, Bitmap };
    Kind kind = Kind::None;
    FillKind gradientKind = FillKind::LinearGradient;
    SpreadMode spread = SpreadMode::Pad;
    RampSampling sampling = RampSampling::CentreMixed;  // Gradient
    // Every pixel it produces is opaque: covered pixels can be stored rather than blended.
    bool opaque = false;
    Pixel color = 0;         // Solid
    std::uint32_t ramp = 0;  // Gradient: index into the caller's ramp table
    double focalPoint = 0;
    Matrix inverse;  // Gradient: device pixel -> gradient square; Bitmap: -> bitmap pixel
    const Bitmap* bitmap = nullptr;
    bool repeat = false;  // Bitmap: tiles; else its edge pixels reach outwards
    bool smooth = false;  // Bitmap: bilinear; else the nearest pixel
    bool transform = false;
    ColorTransform cx;  // Bitmap: applied to each pixel when `transform`
};

// Makes `paint` for a fill style drawn through `toDevice` (the shape's twips to device
// pixels). A gradient's ramp is built into `ramp`, whose index in the caller's table is
// `rampIndex`, and read as `sampling` says. A bitmap fill paints `bitmap` (none: no paint),
// smoothed only when the style asks for it and either `smoothing` allows it or the bitmap is
// drawn smaller than its size.
void MakePaint(const FillStyle& style, const Matrix& toDevice, const ColorTransform& cx,
               GradientRamp& ramp, std::uint32_t rampIndex, Paint& paint,
               const Bitmap* bitmap = nullptr, bool smoothing = true,
               RampSampling sampling = RampSampling::CentreMixed);

// The colours of `count` pixels of row y from column x (pixel centres), for a bitmap paint.
void ShadeBitmap(const Paint& paint, int x, int y, int count, Pixel* out);

// The colours of `count` pixels of row y from column x, for a gradient paint: at the pixels'
// centres or corners, as the paint's sampling says.
void ShadeGradient(const Paint& paint, const GradientRamp& ramp, int x, int y, int count,
                   Pixel* out);

// Inverse of an affine map; false when it has none (it collapses the plane).
bool Invert(const Matrix& m, Matrix& out);

}  // namespace flash::render
