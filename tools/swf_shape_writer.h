// Writes DefineShape, DefineShape2, DefineShape3 and DefineShape4 tag bodies for test movies
// and fuzz seeds: style arrays, style changes with moves, straight and curved edges, new style
// arrays part-way. The body goes to MovieBuilder::Tag(writer.TagCode(), writer.Build()), or
// straight to the shape parser. Like the movie writer it writes what it is told, indices out
// of range included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace swfwriter {

struct Color {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A MATRIX record: scale and rotate-skew as numbers (stored as 16.16), translation in twips.
struct ShapeMatrix {
    double a = 1, b = 0, c = 0, d = 1;
    std::int32_t tx = 0, ty = 0;
};

struct Stop {
    std::uint8_t ratio = 0;
    Color color;
};

// LINESTYLE2's fields (DefineShape4). Caps and joins by their stored values.
struct LineStyle2 {
    std::uint16_t width = 20;
    std::uint8_t startCap = 0, endCap = 0;  // 0 round, 1 none, 2 square
    std::uint8_t join = 0;                  // 0 round, 1 bevel, 2 miter
    double miterLimit = 3;
    bool noHScale = false, noVScale = false, pixelHinting = false, noClose = false;
    Color color;
    // When set, the stroke is painted with this fill style (an index returned by one of the
    // fill calls of the same style arrays, 1-based) instead of the colour.
    std::uint16_t fillFrom = 0;
};

class ShapeWriter {
public:
    // 1 to 4: DefineShape .. DefineShape4.
    explicit ShapeWriter(int version, std::uint16_t id = 1);

    std::uint16_t TagCode() const;
    ShapeWriter& Bounds(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax);
    // DefineShape4's fill rule flag.
    ShapeWriter& NonZeroWinding(bool on = true);

    // Styles of the style arrays being built; each returns its 1-based index in them.
    std::uint16_t Solid(Color color);
    std::uint16_t Linear(const ShapeMatrix& m, const std::vector<Stop>& stops, int spread = 0,
                         int interpolation = 0);
    std::uint16_t Radial(const ShapeMatrix& m, const std::vector<Stop>& stops, int spread = 0,
                         int interpolation = 0);
    std::uint16_t Focal(const ShapeMatrix& m, const std::vector<Stop>& stops, double focalPoint,
                        int spread = 0, int interpolation = 0);
    std::uint16_t Bitmap(std::uint16_t bitmapId, const ShapeMatrix& m, bool repeat, bool smooth);
    // LINESTYLE (DefineShape 1-3), or a solid LINESTYLE2 with round caps and joins (4).
    std::uint16_t Line(std::uint16_t width, Color color);
    std::uint16_t Line(const LineStyle2& style);

    // Style changes; those in a row become one record. 0 selects no style.
    ShapeWriter& MoveTo(std::int32_t x, std::int32_t y);
    ShapeWriter& Fill0(std::uint16_t index);
    ShapeWriter& Fill1(std::uint16_t index);
    ShapeWriter& LineStyle(std::uint16_t index);
    // Starts new style arrays (DefineShape2 and later): styles added after this call go into
    // them, and the next style change carries them.
    ShapeWriter& NewStyles();

    // Edges from the pen position, to absolute positions in twips.
    ShapeWriter& LineTo(std::int32_t x, std::int32_t y);
    ShapeWriter& CurveTo(std::int32_t cx, std::int32_t cy, std::int32_t x, std::int32_t y);

    // A closed rectangle from the pen's corner: moves, then four edges clockwise.
    ShapeWriter& Rect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);

    // The tag body, end-of-shape record included.
    std::vector<std::uint8_t> Build() const;

private:
    struct StyleSet {
        std::vector<std::vector<std::uint8_t>> fills;  // each FILLSTYLE's bytes
        std::vector<std::vector<std::uint8_t>> lines;
    };
    struct Record {
        bool edge = false;
        bool curve = false;
        std::int32_t dx = 0, dy = 0, cdx = 0, cdy = 0;  // edges
        bool move = false;
        std::int32_t x = 0, y = 0;
        int fill0 = -1, fill1 = -1, line = -1;  // -1: unchanged
        int newSet = -1;                        // index of the style set it brings
    };
    Record& Change();
    std::vector<std::uint8_t> FillBytes(std::uint8_t type, const ShapeMatrix* m,
                                        const std::vector<Stop>& stops, int spread,
                                        int interpolation) const;

    int version_;
    std::uint16_t id_;
    std::int32_t bounds_[4] = {0, 0, 0, 0};
    bool nonZero_ = false;
    std::vector<StyleSet> sets_;
    std::vector<Record> records_;
    std::int32_t penX_ = 0, penY_ = 0;
    bool pendingNewSet_ = false;
};

// Inputs for the shape fuzzer (flash/render/fuzz_shape.h): a head byte, then a tag body. One
// per shape version, with curves, gradients of every kind, LineStyle2 caps and joins, new
// style arrays, and each drawing quality, placement and blend path.
struct ShapeSeed {
    std::string name;
    std::vector<std::uint8_t> bytes;
};
std::vector<ShapeSeed> ShapeSeeds();

}  // namespace swfwriter
