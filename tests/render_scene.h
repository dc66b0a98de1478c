// Test-side helpers for the rasteriser's tests: a shape tag body drawn on a small surface, and
// surfaces shown as rows of characters so that a failing picture reads as a picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "flash/draw_types.h"
#include "flash/render/renderer.h"
#include "flash/render/shape.h"
#include "flash/render/surface.h"

namespace rendertest {

using flash::render::PixelBuffer;

// Parses a shape tag body and draws it on a width x height surface of `background`, the
// shape's twips mapped 1:20 to pixels and then through `placement` (in pixels).
struct DrawRequest {
    std::uint16_t tagCode = flash::render::kDefineShape3;
    std::vector<std::uint8_t> body;
    flash::render::Quality quality = flash::render::Quality::Low;
    int width = 16;
    int height = 16;
    flash::Matrix placement;
    flash::ColorTransform cx;
    flash::Rgb background{255, 255, 255};
};
PixelBuffer DrawShapeBody(const DrawRequest& request);

// A whole movie's first frame, drawn unscaled over white on a width x height surface; a movie
// that does not load fails the test and draws nothing.
PixelBuffer DrawFirstFrame(const std::vector<std::uint8_t>& swf, int width, int height,
                           flash::render::Quality quality = flash::render::Quality::Low);

// The pixels of a surface as rows of characters, '#' where the pixel is exactly `ink`, '.'
// where it is exactly the background colour, '+' elsewhere: pictures that fail read as
// pictures.
std::string Picture(const PixelBuffer& surface, flash::render::Pixel ink,
                    flash::render::Pixel background);

// A DefineMorphShape body (id 1): a red square of 200 twips at the origin morphing into a blue
// one of 400 at (100, 100), whose first side bends into a curve through (300, 0).
std::vector<std::uint8_t> SquareMorph();

}  // namespace rendertest
