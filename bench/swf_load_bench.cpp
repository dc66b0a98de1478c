// Loading a 20 MB movie (read + inflate + tag walk) against the floor of reading the same file
// and inflating it in one call into a buffer of the known size, in the same run; for CWS
// (zlib) and ZWS (LZMA). Also counts the allocations of playing the loaded movie's frames,
// which should be none.
#include <zlib.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "LzmaDec.h"
#include "flash/swf_parser.h"
#include "flash/player.h"
#include "tools/allocation_count.h"
#include "tools/swf_writer.h"

namespace {

constexpr int kRounds = 7;
constexpr std::size_t kTargetBytes = 20u << 20;

template <typename Fn>
double MedianMs(Fn&& fn) {
    std::vector<double> times;
    for (int r = 0; r < kRounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        fn();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Frames of actions with varied texts plus a bitmap-like tag of skewed random bytes, so the
// data compresses about as well as real movies (a few to one), not like a run of zeros.
swfwriter::MovieBuilder TwentyMegabytes() {
    swfwriter::MovieBuilder m;
    m.StagePixels(800, 600).FrameRate(24).BackgroundColor({0x20, 0x40, 0x60});
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    std::vector<std::uint8_t> bitmap(3000);
    std::size_t size = 0;
    for (int frame = 0; size < kTargetBytes; ++frame) {
        swfwriter::Actions a;
        for (int i = 0; i < 4; ++i) {
            std::string text = "frame " + std::to_string(frame) + " item ";
            for (int c = 0; c < 40; ++c) text += static_cast<char>('a' + next() % 26);
            a.TraceText(text);
        }
        if (frame % 10 == 9) a.Stop().Play();
        // Runs of a few colours with noise, like the pixel data of a cartoon frame.
        std::uint8_t colour = 0;
        for (std::uint8_t& b : bitmap) {
            const std::uint32_t r = next() >> 24;
            if (r < 24) colour = static_cast<std::uint8_t>(next() >> 26);
            b = r > 248 ? static_cast<std::uint8_t>(next() >> 24) : colour;
        }
        m.Tag(36, bitmap).DoAction(a).ShowFrame();
        size += bitmap.size() + a.Bytes().size() + 16;
    }
    return m;
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(std::ftell(f)));
    std::rewind(f);
    const std::size_t got = std::fread(data.data(), 1, data.size(), f);
    std::fclose(f);
    data.resize(got);
    return data;
}

std::uint32_t FileLength(const std::vector<std::uint8_t>& d) {
    return d[4] | d[5] << 8 | d[6] << 16 | static_cast<std::uint32_t>(d[7]) << 24;
}

void* SdkAlloc(void*, size_t size) {
    return std::malloc(size);
}
void SdkFree(void*, void* address) {
    std::free(address);
}

std::size_t FloorZlib(const std::string& path) {
    const std::vector<std::uint8_t> file = ReadAll(path);
    std::vector<std::uint8_t> out(FileLength(file) - 8);
    uLongf size = static_cast<uLongf>(out.size());
    uncompress(out.data(), &size, file.data() + 8, static_cast<uLong>(file.size() - 8));
    return size;
}

std::size_t FloorLzma(const std::string& path) {
    const std::vector<std::uint8_t> file = ReadAll(path);
    std::vector<std::uint8_t> out(FileLength(file) - 8);
    SizeT outSize = out.size();
    SizeT inSize = file.size() - 17;
    ELzmaStatus status;
    ISzAlloc alloc = {SdkAlloc, SdkFree};
    LzmaDecode(out.data(), &outSize, file.data() + 17, &inSize, file.data() + 12, 5,
               LZMA_FINISH_ANY, &status, &alloc);
    return outSize;
}

class NullSink : public flash::TraceSink {
public:
    void Trace(std::string_view text) override { chars += text.size(); }
    std::size_t chars = 0;
};

}  // namespace


int main() {
    const swfwriter::MovieBuilder movie = TwentyMegabytes();
    const struct {
        const char* name;
        swfwriter::Compression compression;
        std::size_t (*floor)(const std::string&);
    } kinds[] = {{"CWS (zlib)", swfwriter::Compression::Zlib, FloorZlib},
                 {"ZWS (LZMA)", swfwriter::Compression::Lzma, FloorLzma}};

    std::printf(
        "load (read + inflate + tag walk) vs floor (read + one-call inflate), median of %d\n",
        kRounds);
    for (const auto& kind : kinds) {
        const std::vector<std::uint8_t> bytes = movie.Build(kind.compression);
        const std::string path = "swf_load_bench_movie.swf";
        swfwriter::WriteFile(path, bytes);

        std::size_t frames = 0;
        std::size_t floorBytes = 0;
        const double loadMs = MedianMs([&] {
            const flash::LoadResult r = flash::LoadMovieFile(path);
            frames = r.Ok() ? r.movie.TotalFrames() : 0;
        });
        const double floorMs = MedianMs([&] { floorBytes = kind.floor(path); });
        std::printf("%s: %zu bytes in the file, %zu uncompressed, %zu frames\n", kind.name,
                    bytes.size(), floorBytes + 8, frames);
        std::printf("  load:   %8.2f ms\n  floor:  %8.2f ms\n  ratio:  %8.2f\n", loadMs, floorMs,
                    loadMs / floorMs);

        flash::LoadResult r = flash::LoadMovieFile(path);
        std::remove(path.c_str());
        NullSink sink;
        flash::Player player(std::move(r.movie), &sink);
        player.StepFrame();
        const long before = testsupport::Allocations();
        for (std::size_t i = 0; i < 3 * frames; ++i) player.StepFrame();
        std::printf("  allocations while playing %zu frames: %ld (%zu trace bytes)\n", 3 * frames,
                    testsupport::Allocations() - before, sink.chars);
    }
    return 0;
}
