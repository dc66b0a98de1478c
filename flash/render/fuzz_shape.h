// What the shape fuzzer does with one input, shared with the test that replays mutated shapes,
// so that both go through the same paths.
#pragma once

#include <cstddef>
#include <cstdint>

namespace flash::render {

// The first byte picks the tag (DefineShape 1-4), the drawing quality and the placement's
// scale and rotation; the rest is the tag body. Parses it and, when it is a shape, draws it
// into a 64 x 64 surface plainly, inside a mask, and through a layer.
void FuzzShapeInput(const std::uint8_t* data, std::size_t size);

}  // namespace flash::render
