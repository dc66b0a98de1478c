// Test-side helpers for the rasteriser's tests: reading PNG pictures, comparing surfaces, and
// drawing the shapes a corpus movie places on its root timeline in its first frame.
//
// RootScene is not the engine's display list: it reads only the root timeline's first frame
// (DefineShape tags and the PlaceObject tags before the first ShowFrame), so that the
// rasteriser can be checked against Flash Player's own pictures before the display list and
// the tree walk exist. Movies that need more (sprites, text, bitmaps, filters, scripts) are
// reported as unsupported.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <cstdint>
#include <vector>

#include "flash/draw_types.h"
#include "flash/render/renderer.h"
#include "flash/render/shape.h"
#include "flash/render/surface.h"
#include "flash/swf_movie.h"

namespace rendertest {

using flash::render::PixelBuffer;

// A PNG as an opaque-or-not straight RGBA picture, converted to premultiplied BGRA.
bool LoadPng(const std::string& path, PixelBuffer& out);
// Writes the surface as a PNG (for a person to look at when a comparison fails).
bool SavePng(const std::string& path, const PixelBuffer& surface);

struct Difference {
    std::uint32_t outliers = 0;  // channel values further apart than the tolerance
    std::uint32_t largest = 0;   // the largest channel difference
    bool sizeMismatch = false;
};
// Compares straight colours (un-premultiplied) channel by channel, alpha included.
Difference Compare(const PixelBuffer& actual, const PixelBuffer& expected, int tolerance);

// The fields of a corpus test.toml that decide how to draw and compare.
struct CorpusCase {
    int frames = 1;
    int tolerance = 0;
    std::uint32_t maxOutliers = 0;
    flash::render::Quality quality = flash::render::Quality::High;
    bool knownFailure = false;
};
CorpusCase ReadCorpusToml(const std::string& path);

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

// The pixels of a surface as rows of characters, '#' where the pixel is exactly `ink`, '.'
// where it is exactly the background colour, '+' elsewhere: pictures that fail read as
// pictures.
std::string Picture(const PixelBuffer& surface, flash::render::Pixel ink,
                    flash::render::Pixel background);

struct Placement {
    std::uint16_t depth = 0;
    std::uint16_t character = 0;
    flash::Matrix matrix;
    flash::ColorTransform cx;
    std::uint16_t clipDepth = 0;
    flash::BlendMode blend = flash::BlendMode::Normal;
};

class RootScene {
public:
    // Empty with `why` set when the movie cannot be read or needs more than shapes.
    static std::optional<RootScene> Load(const std::string& swfPath, std::string& why);

    // Draws the stage at its own size at scale 1 (the pictures' size).
    void Draw(flash::render::Renderer& renderer, PixelBuffer& surface) const;

    const flash::Movie& MovieData() const { return movie_; }
    const std::map<std::uint16_t, flash::render::Shape>& Shapes() const { return shapes_; }
    const std::vector<Placement>& Placements() const { return placements_; }
    int StageWidth() const { return movie_.header.stage.WidthTwips() / 20; }
    int StageHeight() const { return movie_.header.stage.HeightTwips() / 20; }

private:
    flash::Movie movie_;
    std::map<std::uint16_t, flash::render::Shape> shapes_;
    std::vector<Placement> placements_;  // by depth
};

}  // namespace rendertest
