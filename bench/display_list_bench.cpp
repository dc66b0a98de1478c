// The display list's cost does not depend on the order of depths: a frame that places 32,000
// shapes at falling depths (each one in front of all the others in the list) against the same
// frame at rising depths, then the frame that removes them, and going back to the first frame
// again (the list worked out from the timeline's start). The rising run is the baseline: a
// list that shifted its entries on every insertion would take hundreds of times longer
// falling.
#include <cstdio>
#include <vector>

#include "bench/median.h"
#include "flash/player.h"
#include "flash/swf_parser.h"
#include "tools/swf_writer.h"

namespace {

constexpr int kRounds = 7;
constexpr int kShapes = 32000;

flash::Movie Movie(bool falling) {
    swfwriter::MovieBuilder m;
    m.Rectangle(1, 200, 200, {0x40, 0x80, 0xC0});
    for (int i = 0; i < kShapes; ++i) {
        swfwriter::Place p;
        p.depth = static_cast<std::uint16_t>(falling ? kShapes - i : i + 1);
        p.characterId = 1;
        p.matrix = swfwriter::Matrix{1, 0, 0, 1, (i % 550) * 20, (i / 550) * 20};
        m.PlaceObject2(p);
    }
    m.ShowFrame();
    for (int i = 0; i < kShapes; ++i) m.RemoveObject2(static_cast<std::uint16_t>(i + 1));
    m.ShowFrame();
    return flash::ParseMovie(m.Build()).movie;
}

// Places everything, removes everything, and goes back to the placing frame.
double RoundMs(const flash::Movie& movie) {
    return MedianMs(kRounds, [&movie] {
        flash::Player player{flash::Movie(movie)};
        player.StepFrame();
        player.StepFrame();
        player.GotoFrame(0);
        if (player.Root().Entries().size() != static_cast<std::size_t>(kShapes))
            std::printf("unexpected list size %zu\n", player.Root().Entries().size());
    });
}

}  // namespace

int main() {
    const flash::Movie rising = Movie(false);
    const flash::Movie falling = Movie(true);
    const double risingMs = RoundMs(rising);
    const double fallingMs = RoundMs(falling);
    std::printf("place, remove and go back to %d shapes, median of %d\n", kShapes, kRounds);
    std::printf("  rising depths:  %8.2f ms\n  falling depths: %8.2f ms\n  ratio:          %8.2f\n",
                risingMs, fallingMs, fallingMs / risingMs);
    return 0;
}
