#include "flash/sound/adpcm.h"

#include <algorithm>

namespace flash::sound {
namespace {

constexpr std::int16_t kStepSizes[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// Index changes by the magnitude bits of a code, one table per code size (2 to 5 bits).
constexpr std::int8_t kIndex2[] = {-1, 2};
constexpr std::int8_t kIndex3[] = {-1, -1, 2, 4};
constexpr std::int8_t kIndex4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr std::int8_t kIndex5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const std::int8_t* kIndexTables[4] = {kIndex2, kIndex3, kIndex4, kIndex5};

// Bits from the most significant bit of each byte down, as SWF stores bit fields.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t Left() const { return data_.size() * 8 - pos_; }

    // n <= 16, and the caller has checked Left().
    unsigned Read(unsigned n) {
        unsigned v = 0;
        while (n > 0) {
            const unsigned inByte = 8 - (pos_ & 7);
            const unsigned take = std::min(inByte, n);
            const unsigned byte = data_[pos_ >> 3];
            v = (v << take) | ((byte >> (inByte - take)) & ((1u << take) - 1));
            pos_ += take;
            n -= take;
        }
        return v;
    }

    // True when the remaining bits (fewer than a byte) are all zero: the last byte's padding.
    bool OnlyPaddingLeft() const {
        if (Left() >= 8) return false;
        if (Left() == 0) return true;
        const unsigned byte = data_[pos_ >> 3];
        return (byte & ((1u << Left()) - 1)) == 0;
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

struct ChannelState {
    int sample = 0;
    int index = 0;
};

inline std::int16_t Next(ChannelState& s, unsigned code, unsigned bits, const std::int8_t* table) {
    const unsigned signBit = 1u << (bits - 1);
    int step = kStepSizes[s.index];
    int diff = 0;
    // The magnitude bits add the step, half of it, a quarter ..., and half the last part
    // always, so that a code of 0 still moves by a little.
    for (unsigned mask = signBit >> 1; mask != 0; mask >>= 1) {
        if (code & mask) diff += step;
        step >>= 1;
    }
    diff += step;
    s.sample = std::clamp((code & signBit) ? s.sample - diff : s.sample + diff, -32768, 32767);
    s.index = std::clamp(s.index + table[code & (signBit - 1)], 0, 88);
    return static_cast<std::int16_t>(s.sample);
}

}  // namespace

std::size_t DecodeAdpcm(std::span<const std::uint8_t> data, unsigned channels,
                        std::vector<std::int16_t>& out, std::size_t maxFrames) {
    if (channels != 1 && channels != 2) return 0;
    BitReader bits(data);
    if (bits.Left() < 2) return 0;
    const unsigned codeBits = bits.Read(2) + 2;
    const std::int8_t* table = kIndexTables[codeBits - 2];
    const std::size_t headerBits = 22 * channels;
    const std::size_t sampleBits = codeBits * channels;

    ChannelState state[2];
    std::size_t frames = 0;
    while (frames < maxFrames && bits.Left() >= headerBits) {
        for (unsigned c = 0; c < channels; ++c) {
            state[c].sample = static_cast<std::int16_t>(bits.Read(16));
            state[c].index = static_cast<int>(bits.Read(6));  // 0..63, inside the table
            out.push_back(static_cast<std::int16_t>(state[c].sample));
        }
        ++frames;
        for (std::size_t k = 1; k < kAdpcmPacketFrames && frames < maxFrames; ++k) {
            if (bits.Left() < sampleBits || bits.OnlyPaddingLeft()) return frames;
            for (unsigned c = 0; c < channels; ++c) {
                out.push_back(Next(state[c], bits.Read(codeBits), codeBits, table));
            }
            ++frames;
        }
    }
    return frames;
}

}  // namespace flash::sound
