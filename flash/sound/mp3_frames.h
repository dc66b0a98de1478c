// MPEG audio layer III frames: reading a frame header and finding whole frames in a run of
// bytes, so that the codecs only ever see complete frames of one format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace flash::sound {

struct Mp3FrameHeader {
    std::uint32_t rate = 0;     // samples per second
    std::uint8_t channels = 0;  // 1 or 2
    std::uint16_t samples = 0;  // per channel: 1152 for MPEG-1, 576 for MPEG-2 and 2.5
    std::uint16_t kbps = 0;
    std::uint32_t bytes = 0;  // the whole frame, header and padding included
    bool mpeg1 = false;
};

// The header of a layer III frame starting at data[0]; nullopt for anything else (no sync,
// another layer, a reserved or free-format field, fewer than 4 bytes).
std::optional<Mp3FrameHeader> ReadMp3FrameHeader(std::span<const std::uint8_t> data);

struct Mp3Frame {
    std::size_t offset = 0;
    Mp3FrameHeader header;
};

// The first whole frame at or after `from`: a frame that runs past the end of the data is not
// whole and is not returned. A header right at `from` (where the previous frame ended) is
// taken as it is; past bytes that are not a frame, a header only counts when its frame is
// followed by the end of the data or by another header, so stray 0xFF bytes in damaged data
// do not pose as frames.
std::optional<Mp3Frame> FindMp3Frame(std::span<const std::uint8_t> data, std::size_t from);

}  // namespace flash::sound
