// What the fuzzer does with one input, shared with the test that replays the seed corpus so
// that both exercise the same paths.
#pragma once

#include <cstddef>
#include <cstdint>

namespace flash {

// The size the fuzzer draws at: small, so that inputs stay fast, yet wide enough for every
// scale mode to place the stage differently.
inline constexpr int kFuzzDrawWidth = 64;
inline constexpr int kFuzzDrawHeight = 48;

// Parses the data as a movie and, when it loads, plays it: steps, ticks, navigation, all
// with a trace sink that checks nothing but touches every text, and walks the display tree.
// Then it draws the next 3 frames through the stage drawer at kFuzzDrawWidth x
// kFuzzDrawHeight.
void FuzzOneInput(const std::uint8_t* data, std::size_t size);

}  // namespace flash
