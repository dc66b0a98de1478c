#include "flash/sound/mp3_frames.h"

namespace flash::sound {
namespace {

constexpr std::uint16_t kKbpsMpeg1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                          112, 128, 160, 192, 224, 256, 320, 0};
constexpr std::uint16_t kKbpsMpeg2[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                          64, 80, 96, 112, 128, 144, 160, 0};
constexpr std::uint32_t kRatesMpeg1[3] = {44100, 48000, 32000};

}  // namespace

std::optional<Mp3FrameHeader> ReadMp3FrameHeader(std::span<const std::uint8_t> data) {
    if (data.size() < 4 || data[0] != 0xFF || (data[1] & 0xE0) != 0xE0) return std::nullopt;
    const unsigned version = (data[1] >> 3) & 3;  // 0: MPEG-2.5, 1: reserved, 2: MPEG-2, 3: MPEG-1
    const unsigned layer = (data[1] >> 1) & 3;    // 1: layer III
    const unsigned bitrateIndex = data[2] >> 4;
    const unsigned rateIndex = (data[2] >> 2) & 3;
    if (version == 1 || layer != 1 || rateIndex == 3) return std::nullopt;
    Mp3FrameHeader h;
    h.mpeg1 = version == 3;
    h.kbps = h.mpeg1 ? kKbpsMpeg1[bitrateIndex] : kKbpsMpeg2[bitrateIndex];
    if (h.kbps == 0) return std::nullopt;  // free format or the forbidden index
    h.rate = kRatesMpeg1[rateIndex] >> (h.mpeg1 ? 0 : version == 2 ? 1 : 2);
    h.channels = (data[3] >> 6) == 3 ? 1 : 2;
    h.samples = h.mpeg1 ? 1152 : 576;
    const unsigned padding = (data[2] >> 1) & 1;
    h.bytes = (h.mpeg1 ? 144000u : 72000u) * h.kbps / h.rate + padding;
    return h;
}

std::optional<Mp3Frame> FindMp3Frame(std::span<const std::uint8_t> data, std::size_t from) {
    for (std::size_t at = from; at + 4 <= data.size(); ++at) {
        const std::optional<Mp3FrameHeader> h = ReadMp3FrameHeader(data.subspan(at));
        if (!h || h->bytes > data.size() - at) continue;
        const std::size_t next = at + h->bytes;
        if (at == from || next == data.size() || ReadMp3FrameHeader(data.subspan(next))) {
            return Mp3Frame{at, *h};
        }
    }
    return std::nullopt;
}

}  // namespace flash::sound
