// The LZMA SDK's encoder, kept in its own file: the SDK headers pull in <windows.h> on
// Windows, which the writer itself does not need.
#include <cstdlib>
#include <stdexcept>

#include "LzmaEnc.h"
#include "tools/swf_writer.h"

namespace swfwriter {

namespace {

void* SdkAlloc(void*, size_t size) {
    return std::malloc(size);
}
void SdkFree(void*, void* address) {
    std::free(address);
}
ISzAlloc g_alloc = {SdkAlloc, SdkFree};

}  // namespace

std::vector<std::uint8_t> LzmaCompress(std::span<const std::uint8_t> data,
                                       std::uint8_t (&props)[5]) {
    CLzmaEncProps p;
    LzmaEncProps_Init(&p);
    p.level = 5;
    // A 1 MiB window is plenty for test movies and keeps the encoder's memory small.
    p.dictSize = 1u << 20;
    std::vector<std::uint8_t> out(data.size() + data.size() / 3 + 128);
    SizeT outSize = out.size();
    SizeT propsSize = 5;
    const SRes rc = LzmaEncode(out.data(), &outSize, data.data(), data.size(), &p, props,
                               &propsSize, /*writeEndMark=*/0, nullptr, &g_alloc, &g_alloc);
    if (rc != SZ_OK || propsSize != 5) throw std::runtime_error("LZMA compression failed");
    out.resize(outSize);
    return out;
}

}  // namespace swfwriter
