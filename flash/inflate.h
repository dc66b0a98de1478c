// The two codecs of compressed movies, behind one small interface so that the SDK headers
// (which pull in <windows.h> on Windows) stay out of the rest of the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace flash {

enum class InflateEnd : std::uint8_t {
    Complete,  // `limit` bytes came out, or the stream ended normally
    Short,     // the input ran out first
    Broken,    // the stream is corrupt; `out` holds what decoded before the fault
};

// Decodes a zlib stream, appending to `out`, never producing more than `limit` bytes. `out` grows
// with the output rather than being sized to `limit` up front, so a tiny file that claims a huge
// size costs only what it really decodes to.
InflateEnd InflateZlib(std::span<const std::uint8_t> in, std::size_t limit,
                       std::vector<std::uint8_t>& out);

// The same for raw LZMA data with its 5 property bytes (lc/lp/pb, dictionary size), decoded
// with LZMA_FINISH_ANY: SWF streams normally carry no end mark, so stopping at `limit` is the
// regular end.
InflateEnd InflateLzma(std::span<const std::uint8_t, 5> props, std::span<const std::uint8_t> in,
                       std::size_t limit, std::vector<std::uint8_t>& out);

// First output size to try for `inputSize` compressed bytes: most movies compress by less
// than 8:1, so this usually avoids growing at all, while staying small for tiny inputs.
inline std::size_t FirstOutputSize(std::size_t inputSize, std::size_t limit) {
    const std::size_t guess = inputSize * 8 + 4096;
    return guess < limit ? guess : limit;
}

// Next output size after `size` was filled: doubling, capped at `limit`.
inline std::size_t GrownOutputSize(std::size_t size, std::size_t limit) {
    return size < limit / 2 ? size * 2 : limit;
}

}  // namespace flash
