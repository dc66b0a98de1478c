// SWF's own vector shape model, as the DefineShape tags store it: straight and quadratic edges
// in twips, each carrying the fill style on its left (fill0) and on its right (fill1) side
// and a line style. Styles are indexed from 1; 0 means "none". A DefineShape2+ record may
// bring new style arrays part-way through the edges: later edges refer to the new arrays
// only, and everything drawn with them lies above what came before. The model keeps every
// array in one list and every index global (see StyleGroup), so an edge alone says which
// style it means.
//
// "Left" and "right" are as seen on the screen (y grows downwards) while travelling along the
// edge from its start to its end: a rectangle drawn clockwise with fill1 set is filled inside.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "flash/draw_types.h"
#include "flash/swf_movie.h"

namespace flash::render {

enum class FillKind : std::uint8_t {
    Solid,
    LinearGradient,
    RadialGradient,
    FocalGradient,
    Bitmap,
};

enum class SpreadMode : std::uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class Interpolation : std::uint8_t { Rgb = 0, LinearRgb = 1 };

struct GradientStop {
    std::uint8_t ratio = 0;
    Rgba color;
    bool operator==(const GradientStop&) const = default;
};

// At most 15 stops: the record's 4-bit count allows no more.
inline constexpr std::size_t kMaxGradientStops = 15;

struct Gradient {
    SpreadMode spread = SpreadMode::Pad;
    Interpolation interpolation = Interpolation::Rgb;
    std::uint8_t count = 0;
    std::array<GradientStop, kMaxGradientStops> stops{};
    // The focal point of a focal gradient along the gradient's x axis, -1 to 1 (the record's
    // 8.8 value, limited to that range).
    double focalPoint = 0;

    std::span<const GradientStop> Stops() const { return {stops.data(), count}; }
};

struct FillStyle {
    FillKind kind = FillKind::Solid;
    Rgba color;  // Solid
    // Gradients: maps the gradient square (-16384 to 16384 twips on both axes) into the
    // shape's space. Bitmaps: maps bitmap pixels (in twips) into the shape's space.
    Matrix matrix;
    Gradient gradient;
    std::uint16_t bitmapId = 0;
    bool bitmapRepeat = false;
    bool bitmapSmoothed = false;
};

// SWF's cap and join values as stored.
enum class CapStyle : std::uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : std::uint8_t { Round = 0, Bevel = 1, Miter = 2 };

struct LineStyle {
    std::uint16_t width = 0;  // twips; 0 is a hairline
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3;  // in half widths, as LineStyle2's 8.8 factor
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    // The stroke's paint: a solid colour for DefineShape 1-3, any fill for LineStyle2.
    FillStyle fill;
};

struct Edge {
    std::int32_t x0 = 0, y0 = 0;  // start
    std::int32_t cx = 0, cy = 0;  // control point, curves only
    std::int32_t x1 = 0, y1 = 0;  // end
    std::uint16_t fill0 = 0;      // global index into Shape::fills + 1, 0 for none
    std::uint16_t fill1 = 0;
    std::uint16_t line = 0;  // global index into Shape::lines + 1, 0 for none
    bool curved = false;
    // A move or a change of line style came before this edge: a stroke starts afresh here.
    bool newPath = false;
};

// One set of style arrays and the edges drawn with them. Groups are drawn in order, each one's
// fills below its strokes.
struct StyleGroup {
    std::uint32_t firstEdge = 0, edgeCount = 0;
    std::uint16_t firstFill = 0, fillCount = 0;  // global indices firstFill+1 .. +fillCount
    std::uint16_t firstLine = 0, lineCount = 0;
};

// Limits against hostile input. A shape that exceeds one keeps what fit and is marked
// `limited`. 65535 styles is what the 16-bit global index can address.
inline constexpr std::size_t kMaxShapeEdges = 1 << 20;
inline constexpr std::size_t kMaxShapeStyles = 65535;
inline constexpr std::size_t kMaxStyleGroups = 4096;

struct Shape {
    std::uint16_t id = 0;
    std::uint8_t shapeVersion = 1;  // 1 to 4 for DefineShape .. DefineShape4
    Rect bounds;
    Rect edgeBounds;  // DefineShape4; the bounds otherwise
    // The box of every edge's points, control points included, as read (not as the tag
    // claims): what drawing relies on to skip a shape outside the surface.
    Rect extent;
    // DefineShape4's flags. Without the winding flag a fill style covers the points that an
    // odd number of its edges surround (even-odd); with it, a non-zero count.
    bool nonZeroWinding = false;
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;

    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<Edge> edges;
    std::vector<StyleGroup> groups;

    // The tag ended before the end-of-shape record: what was read is kept.
    bool truncated = false;
    // A limit above dropped edges or styles.
    bool limited = false;

    // Not 0: a number no other shape has, given to a shape that will not change again (a
    // character's, once parsed), so that its lines may be kept from frame to frame. Shapes
    // rebuilt in place (morphs, backgrounds) keep 0.
    std::uint64_t serial = 0;
};

// A number for Shape::serial, never given before in this process.
std::uint64_t NewShapeSerial();

// Tag codes of the shape definitions.
inline constexpr std::uint16_t kDefineShape = 2;
inline constexpr std::uint16_t kDefineShape2 = 22;
inline constexpr std::uint16_t kDefineShape3 = 32;
inline constexpr std::uint16_t kDefineShape4 = 83;

// Reads a DefineShape, DefineShape2, DefineShape3 or DefineShape4 tag body (`swfVersion` is
// the movie's: before SWF 8 a gradient's spread and interpolation bits are not defined and are
// read as pad and RGB). Empty for any other tag code, or when the body is too short to hold
// the id and bounds. Never reads outside `body`.
std::optional<Shape> ParseShape(std::uint16_t tagCode, std::span<const std::uint8_t> body,
                                std::uint8_t swfVersion);

// Appends the four edges of a rectangle in twips, clockwise from its top left corner, filled
// with style 1 on their right and drawn with line style `line` (0: none).
void AddRectangleEdges(Shape& s, const Rect& r, std::uint16_t line);
// Appends a closed polygon through `corners` (twips, the first not repeated at the end) as one
// new path filled with style 1 and stroked with `line`.
void AddPolygonEdges(Shape& s, std::span<const std::array<std::int32_t, 2>> corners,
                     std::uint16_t line);

}  // namespace flash::render
