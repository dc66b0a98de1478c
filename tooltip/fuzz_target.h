// What the mark-up fuzzer does with one input, shared with the test that replays the seed
// corpus so that both exercise the same paths.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tooltip {

// The first byte holds the drawer's settings (bit 0 new-line mode, bit 1 enabled, bits 2-7
// the maximum width in steps of 8 pixels); the rest is the text, or a style sheet, a byte 1
// and the text. The text is measured and drawn with fixed metrics, every hyperlink is
// hovered and followed, and the animations are stepped.
void FuzzOneInput(const std::uint8_t* data, std::size_t size);

}  // namespace tooltip
