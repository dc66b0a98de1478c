// A bounds-checked cursor over SWF data: little-endian integers, fixed-point and float
// values, NUL-terminated strings and the bit fields of RECT, MATRIX and CXFORM records.
//
// Every read returns false when the data ends first, leaving its output unchanged; once a
// read failed, every later one fails too, so a record reader can test once at its end. Byte
// reads start at the next whole byte after bit fields, as the format's records do.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace flash {

class SwfReader {
public:
    explicit SwfReader(std::span<const std::uint8_t> data, std::size_t pos = 0)
        : data_(data),
          bit_(pos <= data.size() ? pos * 8 : data.size() * 8),
          failed_(pos > data.size()) {}

    bool Ok() const { return !failed_; }
    // The byte after the last bit read.
    std::size_t Pos() const { return (bit_ + 7) / 8; }
    std::size_t Left() const { return data_.size() - Pos(); }

    bool U8(std::uint8_t& out) {
        std::uint8_t b[1];
        if (!Take(b, 1)) return false;
        out = b[0];
        return true;
    }
    bool U16(std::uint16_t& out) {
        std::uint8_t b[2];
        if (!Take(b, 2)) return false;
        out = static_cast<std::uint16_t>(b[0] | b[1] << 8);
        return true;
    }
    bool U32(std::uint32_t& out) {
        std::uint8_t b[4];
        if (!Take(b, 4)) return false;
        out = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
              static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
        return true;
    }
    // FIXED: signed 16.16.
    bool Fixed(double& out) {
        std::uint32_t raw = 0;
        if (!U32(raw)) return false;
        out = static_cast<std::int32_t>(raw) / 65536.0;
        return true;
    }
    // FIXED8: signed 8.8.
    bool Fixed8(double& out) {
        std::uint16_t raw = 0;
        if (!U16(raw)) return false;
        out = static_cast<std::int16_t>(raw) / 256.0;
        return true;
    }
    bool Float(float& out) {
        std::uint32_t raw = 0;
        if (!U32(raw)) return false;
        out = std::bit_cast<float>(raw);
        return true;
    }
    // A NUL-terminated string: `offset` and `length` of its text (NUL excluded) within the
    // data. Fails when there is no NUL.
    bool CString(std::size_t& offset, std::size_t& length) {
        if (failed_) return false;
        const std::size_t at = Pos();
        const void* nul =
            at < data_.size() ? std::memchr(data_.data() + at, 0, data_.size() - at) : nullptr;
        if (nul == nullptr) return Fail();
        offset = at;
        length =
            static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - data_.data()) - at;
        bit_ = (at + length + 1) * 8;
        return true;
    }
    bool Skip(std::size_t count) {
        if (failed_ || Left() < count) return Fail();
        bit_ = (Pos() + count) * 8;
        return true;
    }

    // Bit fields, most significant bit first. `count` is at most 32.
    bool Bits(unsigned count, std::uint32_t& out) {
        if (failed_ || count > 32 || data_.size() * 8 - bit_ < count) return Fail();
        std::uint32_t value = 0;
        for (unsigned i = 0; i < count; ++i, ++bit_) {
            value = value << 1 | (data_[bit_ / 8] >> (7 - bit_ % 8) & 1u);
        }
        out = value;
        return true;
    }
    bool SignedBits(unsigned count, std::int32_t& out) {
        std::uint32_t raw = 0;
        if (!Bits(count, raw)) return false;
        // Sign-extend from `count` bits; a 0-bit field is 0.
        if (count > 0 && count < 32 && (raw >> (count - 1) & 1) != 0) raw |= ~0u << count;
        out = static_cast<std::int32_t>(raw);
        return true;
    }
    bool Flag(bool& out) {
        std::uint32_t bit = 0;
        if (!Bits(1, bit)) return false;
        out = bit != 0;
        return true;
    }
    // Moves to the next whole byte (bit fields end on a byte boundary).
    void Align() { bit_ = Pos() * 8; }

private:
    bool Take(std::uint8_t* out, std::size_t count) {
        if (failed_ || Left() < count) return Fail();
        std::memcpy(out, data_.data() + Pos(), count);
        bit_ = (Pos() + count) * 8;
        return true;
    }
    bool Fail() {
        failed_ = true;
        return false;
    }

    std::span<const std::uint8_t> data_;
    std::size_t bit_;
    bool failed_;
};

}  // namespace flash
