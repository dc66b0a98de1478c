// What the fuzzer does with one input, shared with the test that replays the seed corpus so
// that both exercise the same paths.
#pragma once

#include <cstddef>
#include <cstdint>

namespace flash {

// Parses the data as a movie and, when it loads, plays it: steps, ticks, navigation, all
// with a trace sink that checks nothing but touches every text, and walks the display tree.
void FuzzOneInput(const std::uint8_t* data, std::size_t size);

}  // namespace flash
