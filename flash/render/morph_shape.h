// Morph shapes (DefineMorphShape and DefineMorphShape2): two shapes with the same edges, fill
// and line styles, one at the start of the morph and one at its end. A placement's ratio
// (0 to 65535) picks the shape between them: every point, colour, gradient stop, matrix and
// line width moves linearly from its start value to its end value.
//
// The end edges carry geometry only; the styles are the start edges'. Edges pair up in order,
// and a straight edge paired with a curved one is read as a curve with its control point
// halfway along.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "flash/render/shape.h"

namespace flash::render {

inline constexpr std::uint16_t kDefineMorphShape = 46;
inline constexpr std::uint16_t kDefineMorphShape2 = 84;

struct MorphShape {
    std::uint16_t id = 0;
    // Styles, edges and bounds at ratio 0 and at ratio 65535. The start shape's edges hold
    // the styles; `end` holds one edge per start edge (fewer when its data ran short, and
    // the start edges past them then stay where they are).
    Shape start;
    Shape end;
};

// Reads a DefineMorphShape or DefineMorphShape2 body. Empty for any other tag code or when
// the body cannot hold the bounds. Never reads outside `body`.
std::optional<MorphShape> ParseMorphShape(std::uint16_t tagCode,
                                          std::span<const std::uint8_t> body);

// The shape at `ratio` (0 to 65535), written into `out` (whose memory is reused).
void MorphAt(const MorphShape& morph, std::uint16_t ratio, Shape& out);

}  // namespace flash::render
