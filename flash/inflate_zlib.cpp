#include <zlib.h>

#include "flash/inflate.h"

namespace flash {

InflateEnd InflateZlib(std::span<const std::uint8_t> in, std::size_t limit,
                       std::vector<std::uint8_t>& out) {
    const std::size_t base = out.size();
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return InflateEnd::Broken;
    std::size_t room = FirstOutputSize(in.size(), limit);
    out.resize(base + room);
    z.next_in = const_cast<Bytef*>(in.data());  // zlib's API is not const-correct
    std::size_t inLeft = in.size();
    std::size_t produced = 0;
    InflateEnd end = InflateEnd::Complete;
    while (produced < limit) {
        if (produced == room) {
            room = GrownOutputSize(room, limit);
            out.resize(base + room);
        }
        // zlib counts in uInt: feed and drain at most 1 GiB per call.
        const uInt inChunk = static_cast<uInt>(inLeft < (1u << 30) ? inLeft : (1u << 30));
        const std::size_t free = room - produced;
        const uInt outChunk = static_cast<uInt>(free < (1u << 30) ? free : (1u << 30));
        z.avail_in = inChunk;
        z.next_out = out.data() + base + produced;
        z.avail_out = outChunk;
        const int rc = inflate(&z, Z_NO_FLUSH);
        inLeft -= inChunk - z.avail_in;
        produced += outChunk - z.avail_out;
        if (rc == Z_STREAM_END) break;
        if (rc == Z_BUF_ERROR && inLeft == 0) {
            end = InflateEnd::Short;
            break;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            end = InflateEnd::Broken;
            break;
        }
    }
    inflateEnd(&z);
    out.resize(base + produced);
    return end;
}

}  // namespace flash
