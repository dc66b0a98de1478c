#include "flash/render/swf_bits.h"

namespace flash::render {

std::uint32_t SwfBits::Bits(unsigned count) {
    if (count > 32 || data_.size() * 8 - bit_ < count) {
        failed_ = true;
        bit_ = data_.size() * 8;
        return 0;
    }
    std::uint32_t value = 0;
    for (unsigned i = 0; i < count; ++i, ++bit_) {
        value = value << 1 | (data_[bit_ / 8] >> (7 - bit_ % 8) & 1u);
    }
    return value;
}

std::int32_t SwfBits::SignedBits(unsigned count) {
    std::uint32_t raw = Bits(count);
    // Sign-extend from `count` bits; a 0-bit field is 0.
    if (count > 0 && count < 32 && (raw >> (count - 1) & 1) != 0) raw |= ~0u << count;
    return static_cast<std::int32_t>(raw);
}

std::uint8_t SwfBits::U8() {
    Align();
    return static_cast<std::uint8_t>(Bits(8));
}

std::uint16_t SwfBits::U16() {
    const std::uint8_t lo = U8();
    const std::uint8_t hi = U8();
    return static_cast<std::uint16_t>(lo | hi << 8);
}

Rect SwfBits::ReadRect() {
    Align();
    const unsigned n = Bits(5);
    Rect r;
    r.xMin = SignedBits(n);
    r.xMax = SignedBits(n);
    r.yMin = SignedBits(n);
    r.yMax = SignedBits(n);
    Align();
    return r;
}

Matrix SwfBits::ReadMatrix() {
    Align();
    Matrix m;
    if (Flag()) {
        const unsigned n = Bits(5);
        m.a = SignedBits(n) / 65536.0;
        m.d = SignedBits(n) / 65536.0;
    }
    if (Flag()) {
        const unsigned n = Bits(5);
        m.b = SignedBits(n) / 65536.0;
        m.c = SignedBits(n) / 65536.0;
    }
    const unsigned n = Bits(5);
    m.tx = SignedBits(n);
    m.ty = SignedBits(n);
    Align();
    return m;
}

}  // namespace flash::render
