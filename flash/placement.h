// Reading PlaceObject, PlaceObject2 and PlaceObject3 into plain values: what a placement
// sets, and nothing about what the display list does with it (display_list.h).
//
// A body cut short keeps the fields read before the cut; the fields after it count as
// absent. Clip actions (onClipEvent handlers) are read past by the movie's version - their
// event flags are 16 bits before version 6 and 32 bits from it - and kept as a range for a
// later reader; this engine does not run them. Surface filters are kept as the stored list
// and read into values by FilterReader when someone needs them, so a placement costs no
// allocation however many filters it carries.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "flash/draw_types.h"
#include "flash/swf_movie.h"

namespace flash {

// A stored FILTERLIST: `count` filters in `bytes`, both as the file holds them.
struct FilterList {
    ByteRange bytes;
    std::uint8_t count = 0;
    bool operator==(const FilterList&) const = default;
};

enum class FilterKind : std::uint8_t {
    DropShadow = 0,
    Blur = 1,
    Glow = 2,
    Bevel = 3,
    GradientGlow = 4,
    Convolution = 5,
    ColorMatrix = 6,
    GradientBevel = 7,
};

// Flash Player's own bounds: gradient filters take up to 16 colours, convolution matrices up
// to 15 x 15. Larger stored values are read past; the filter then keeps its first 16 stops,
// and a larger convolution is dropped from the list.
inline constexpr std::size_t kMaxFilterStops = 16;
inline constexpr std::size_t kMaxConvolutionSide = 15;

// One surface filter. Fields a kind does not use keep their defaults. Lengths (blur,
// distance) are in pixels, the angle in radians, as stored.
struct Filter {
    FilterKind kind = FilterKind::Blur;
    Rgba color;      // drop shadow, glow; the shadow colour of a bevel
    Rgba highlight;  // bevel
    double blurX = 0;
    double blurY = 0;
    double angle = 0;
    double distance = 0;
    double strength = 0;
    std::uint8_t passes = 0;
    bool inner = false;
    bool knockout = false;
    bool compositeSource = false;
    bool onTop = false;
    // Gradient glow and gradient bevel.
    std::uint8_t stopCount = 0;
    std::array<Rgba, kMaxFilterStops> stopColors{};
    std::array<std::uint8_t, kMaxFilterStops> stopRatios{};
    // Convolution: matrixX columns by matrixY rows in `matrix`; colour matrix: 20 values.
    std::uint8_t matrixX = 0;
    std::uint8_t matrixY = 0;
    float divisor = 0;
    float bias = 0;
    std::array<float, kMaxConvolutionSide * kMaxConvolutionSide> matrix{};
    Rgba defaultColor;
    bool clamp = false;
    bool preserveAlpha = false;
    bool operator==(const Filter&) const = default;
};

// Steps through a stored filter list. An unknown filter id, or a filter cut short, ends the
// list (the size of what follows is unknown); filters read before it are still returned.
class FilterReader {
public:
    FilterReader(std::span<const std::uint8_t> movieBytes, FilterList list);
    bool Next(Filter& out);

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::uint8_t left_ = 0;
};

// What one PlaceObject tag sets. Absent fields leave the display entry's value as it was
// (a move) or at its default (a new placement).
struct Placement {
    std::uint16_t depth = 0;
    bool move = false;
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<ByteRange> name;
    std::optional<std::uint16_t> clipDepth;
    std::optional<FilterList> filters;
    std::optional<BlendMode> blendMode;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::optional<Rgba> opaqueBackground;
    std::optional<ByteRange> className;  // PlaceObject3
    bool hasImage = false;               // PlaceObject3
    // Clip actions: the whole CLIPACTIONS record, and the union of its events.
    std::optional<ByteRange> clipActions;
    std::uint32_t clipEventFlags = 0;
    // The body ended before the fields its flags announced.
    bool cut = false;
    // The bytes of the body its fields took (the clip actions to the body's end).
    std::uint32_t used = 0;
};

// Longer instance and class names are cut to this many bytes.
inline constexpr std::size_t kMaxNameBytes = 1024;

class SwfReader;

// The records a placement shares with other tags (buttons). Each returns false when the data
// ends first, leaving `out` unchanged. ReadFilterList reads a FILTERLIST from `r`, which reads
// `data`, the bytes at `dataOffset` in the movie; on false `out` holds the filters read before
// the one that could not be read.
bool ReadMatrix(SwfReader& r, Matrix& out);
bool ReadColorTransform(SwfReader& r, bool withAlpha, ColorTransform& out);
bool ReadFilterList(SwfReader& r, std::span<const std::uint8_t> data, std::uint32_t dataOffset,
                    FilterList& out);

// Reads a PlaceObject (4), PlaceObject2 (26) or PlaceObject3 (70) body. False, leaving `out`
// unspecified, for another code or a body too short to hold even the depth.
bool ParsePlaceObject(std::uint16_t code, std::span<const std::uint8_t> movieBytes, ByteRange body,
                      std::uint8_t swfVersion, Placement& out);

// One handler of a CLIPACTIONS record.
struct ClipAction {
    std::uint32_t events = 0;  // the 16 or 32 event flags, first byte lowest
    std::uint8_t keyCode = 0;  // when the key-press event is set
    ByteRange actions;
};

// Steps through the handlers of a CLIPACTIONS record; stops at the end mark or at a handler
// that runs past the record.
class ClipActionReader {
public:
    ClipActionReader(std::span<const std::uint8_t> movieBytes, ByteRange record,
                     std::uint8_t swfVersion);
    // False when the record is too short for its header; nothing is read then.
    bool HeaderRead() const { return pos_ != 0; }
    std::uint32_t AllEvents() const { return allEvents_; }
    bool Next(ClipAction& out);

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool wide_ = false;
    std::uint32_t allEvents_ = 0;
};

}  // namespace flash
