// SWF's ADPCM: a 2-bit code size (2 to 5 bits per code), then packets of 4096 samples per
// channel, each a 16-bit first sample and a 6-bit step index per channel followed by 4095
// codes per channel (interleaved left, right). The bits run on across packets without
// alignment; the last packet may be short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace flash::sound {

inline constexpr std::size_t kAdpcmPacketFrames = 4096;

// Appends the decoded 16-bit samples (interleaved when `channels` is 2) to `out`, at most
// `maxFrames` frames, and returns the frames appended. Decoding ends where the data can no
// longer hold a whole packet header or a whole code per channel; fewer than 8 trailing bits
// that are all zero are taken as the padding of the last byte, not as codes.
std::size_t DecodeAdpcm(std::span<const std::uint8_t> data, unsigned channels,
                        std::vector<std::int16_t>& out, std::size_t maxFrames);

}  // namespace flash::sound
