// The LZMA SDK's decoder, driven directly so that its dictionary is our output buffer: the
// dictionary size in the property bytes is then never allocated (a hostile file could ask
// for 4 GiB), and the buffer grows with the real output.
#include <cstdlib>

#include "LzmaDec.h"
#include "flash/inflate.h"

namespace flash {

namespace {

void* SdkAlloc(void*, size_t size) {
    return std::malloc(size);
}
void SdkFree(void*, void* address) {
    std::free(address);
}
ISzAlloc g_alloc = {SdkAlloc, SdkFree};

}  // namespace

InflateEnd InflateLzma(std::span<const std::uint8_t, 5> props, std::span<const std::uint8_t> in,
                       std::size_t limit, std::vector<std::uint8_t>& out) {
    const std::size_t base = out.size();
    CLzmaDec dec;
    LzmaDec_Construct(&dec);
    // Only the probability tables (at most a few MiB, fixed by lc and lp) are allocated here.
    if (LzmaDec_AllocateProbs(&dec, props.data(), LZMA_PROPS_SIZE, &g_alloc) != SZ_OK) {
        return InflateEnd::Broken;
    }
    // The dictionary is the part of `out` after `base`.
    std::size_t room = FirstOutputSize(in.size(), limit);
    out.resize(base + room);
    dec.dic = out.data() + base;
    dec.dicBufSize = room;
    LzmaDec_Init(&dec);

    std::size_t inPos = 0;
    InflateEnd end = InflateEnd::Complete;
    while (dec.dicPos < limit) {
        if (dec.dicPos == room) {
            // The decoder keeps positions, not pointers, so the buffer may move between calls.
            room = GrownOutputSize(room, limit);
            out.resize(base + room);
            dec.dic = out.data() + base;
            dec.dicBufSize = room;
        }
        SizeT inLen = in.size() - inPos;
        const SizeT before = dec.dicPos;
        ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
        const SRes rc =
            LzmaDec_DecodeToDic(&dec, room, in.data() + inPos, &inLen, LZMA_FINISH_ANY, &status);
        inPos += inLen;
        if (rc != SZ_OK) {
            end = InflateEnd::Broken;
            break;
        }
        if (status == LZMA_STATUS_FINISHED_WITH_MARK) break;
        if (status == LZMA_STATUS_NEEDS_MORE_INPUT ||
            (inLen == 0 && dec.dicPos == before && dec.dicPos < room)) {
            end = InflateEnd::Short;
            break;
        }
    }
    const std::size_t produced = dec.dicPos;
    LzmaDec_FreeProbs(&dec, &g_alloc);
    out.resize(base + produced);
    return end;
}

}  // namespace flash
