// Filters cost what their layer holds, not what their blur reaches: a glow of blur 255 (a box
// of 255 pixels, three passes) against the same glow of blur 3 on the same 1024 x 1024 layer,
// in the same run. Box blurs run on running sums, so the ratio stays near 1 whatever the
// width. Target: within 1.2 times.
#include <cstdio>
#include <vector>

#include "bench/median.h"
#include "flash/render/filters.h"

namespace {

using namespace flash;
using namespace flash::render;

constexpr int kSide = 1024;

double GlowMs(double blur) {
    Filter glow;
    glow.kind = FilterKind::Glow;
    glow.color = {0, 0, 255, 255};
    glow.blurX = glow.blurY = blur;
    glow.strength = 1;
    glow.passes = 3;
    glow.compositeSource = true;
    std::vector<Pixel> layer(static_cast<std::size_t>(kSide) * kSide);
    FilterScratch scratch;
    return MedianCpuMs(7, [&] {
        // An opaque disc-like square in the middle, redrawn each round.
        std::fill(layer.begin(), layer.end(), Pixel{0});
        for (int y = 256; y < 768; ++y)
            std::fill_n(layer.begin() + y * kSide + 256, 512, Pixel{0xFF000000});
        ApplyFilter(glow, 1, layer.data(), kSide, kSide, scratch);
    });
}

}  // namespace

int main() {
    const double narrow = GlowMs(3);
    const double wide = GlowMs(255);
    std::printf("glow, blur 3:    %8.2f ms\n", narrow);
    std::printf("glow, blur 255:  %8.2f ms\n", wide);
    std::printf("ratio:           %8.2f\n", wide / narrow);
    return 0;
}
