// Decoding a 4-megapixel JPEG held in a DefineBitsJPEG2 tag, against stb_image decoding the
// same bytes straight into RGBA in the same run. The engine's extra work is joining the JPEG
// stream (dropping the stray markers SWF files carry) and premultiplying into its pixels.
// Target: within 1.1 times. The memory the decoded bitmap takes is printed against its raw
// size (4 bytes a pixel); target: within 1.5 times.
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_JPEG
#include <stb/stb_image.h>

#include "bench/median.h"
#include "flash/render/bitmap.h"

namespace {

void Append(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    out->insert(out->end(), static_cast<std::uint8_t*>(data),
                static_cast<std::uint8_t*>(data) + size);
}

}  // namespace

int main() {
    constexpr int kSide = 2048;  // 4,194,304 pixels
    std::vector<std::uint8_t> rgb(std::size_t{kSide} * kSide * 3);
    // A photo-like picture: smooth gradients with a ripple, so the JPEG is not trivially small.
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            std::uint8_t* p = &rgb[(std::size_t{static_cast<std::size_t>(y)} * kSide + x) * 3];
            p[0] = static_cast<std::uint8_t>(x * 255 / kSide);
            p[1] = static_cast<std::uint8_t>(128 + 127 * std::sin(x * 0.05) * std::cos(y * 0.03));
            p[2] = static_cast<std::uint8_t>(y * 255 / kSide);
        }
    }
    std::vector<std::uint8_t> jpeg;
    stbi_write_jpg_to_func(&Append, &jpeg, kSide, kSide, 3, rgb.data(), 90);
    std::vector<std::uint8_t> body{1, 0, 0xFF, 0xD9, 0xFF, 0xD8};  // id and the stray pair
    body.insert(body.end(), jpeg.begin(), jpeg.end());

    std::size_t held = 0;
    auto engineDecode = [&] {
        flash::render::Bitmap b;
        flash::render::DecodeBitmap(flash::render::kDefineBitsJpeg2, body, {},
                                    flash::render::kBitmapBudgetBytes, b);
        held = b.Bytes();
    };
    auto stbDecode = [&] {
        int w = 0, h = 0, n = 0;
        stbi_uc* p =
            stbi_load_from_memory(jpeg.data(), static_cast<int>(jpeg.size()), &w, &h, &n, 4);
        stbi_image_free(p);
    };
    // Rounds alternate between the two, and the ratio is the median of each round's own, so
    // that a busy machine slows both sides of a ratio alike.
    std::vector<double> engineTimes, stbTimes, ratios;
    for (int round = 0; round < 21; ++round) {
        engineTimes.push_back(MedianCpuMs(1, engineDecode));
        stbTimes.push_back(MedianCpuMs(1, stbDecode));
        ratios.push_back(engineTimes.back() / stbTimes.back());
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double engine = median(engineTimes), baseline = median(stbTimes);
    std::printf("JPEG %d x %d, %zu bytes\n", kSide, kSide, jpeg.size());
    std::printf("engine decode:    %8.2f ms\nstb_image alone:  %8.2f ms\nratio:            %8.2f\n",
                engine, baseline, median(ratios));
    std::printf("decoded bytes %zu for %zu raw: %.2f\n", held, std::size_t{kSide} * kSide * 4,
                double(held) / (double(kSide) * kSide * 4));
    return 0;
}
