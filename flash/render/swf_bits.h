// Bounded reading of SWF's records: bytes little-endian, bit fields most significant bit
// first. Every read reports whether the data held it; a failed read sets the reader's
// `failed` flag and leaves the output unchanged, so a record can be read field by field and
// checked once at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "flash/draw_types.h"
#include "flash/swf_movie.h"

namespace flash::render {

class SwfBits {
public:
    explicit SwfBits(std::span<const std::uint8_t> data) : data_(data) {}

    bool Failed() const { return failed_; }
    std::size_t BytesLeft() const { return data_.size() - BytePos(); }
    // The next byte boundary, counted from the start of the data.
    std::size_t Position() const { return BytePos(); }

    // Bit fields.
    std::uint32_t Bits(unsigned count);
    std::int32_t SignedBits(unsigned count);
    bool Flag() { return Bits(1) != 0; }
    // Skips to the next byte boundary, as byte-aligned records do.
    void Align() { bit_ = BytePos() * 8; }

    // Byte-aligned fields (each aligns first).
    std::uint8_t U8();
    std::uint16_t U16();

    Rect ReadRect();
    // MATRIX: scale and rotate-skew as 16.16, translation in twips.
    Matrix ReadMatrix();

private:
    std::size_t BytePos() const { return (bit_ + 7) / 8; }
    std::span<const std::uint8_t> data_;
    std::size_t bit_ = 0;
    bool failed_ = false;
};

}  // namespace flash::render
