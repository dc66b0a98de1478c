// The demo's movies drawn by the engine: each part of the picture where the writer put it, in
// its colours, the sprite turning on its own timeline and the bar growing with the root's.
#include <gtest/gtest.h>

#include <cstdlib>

#include "flash/player.h"
#include "flash/render/stage_drawer.h"
#include "flash/swf_parser.h"
#include "tools/seed_movies.h"

namespace {

using flash::render::Pixel;
using swfwriter::Compression;
using swfwriter::DemoMovieSpec;

constexpr DemoMovieSpec kSpec{200, 150, 12, {0x10, 0x20, 0x60}, {0xFF, 0xD0, 0x20}, 16};

// Plays a demo movie and draws each frame at the stage's size, aliased, so colours are exact.
class DemoMovie : public ::testing::TestWithParam<Compression> {
protected:
    void SetUp() override {
        DemoMovieSpec spec = kSpec;
        spec.compression = GetParam();
        flash::LoadResult loaded = flash::ParseMovie(swfwriter::DemoMovie(spec));
        ASSERT_TRUE(loaded.Ok()) << flash::LoadErrorName(loaded.error);
        ASSERT_FALSE(loaded.movie.truncated);
        player_ = std::make_unique<flash::Player>(std::move(loaded.movie));
        drawer_ = std::make_unique<flash::render::StageDrawer>(player_->GetMovie());
        surface_.Resize(kSpec.width, kSpec.height);
    }

    void Step() {
        player_->StepFrame();
        drawer_->Draw(*player_, renderer_, surface_, flash::ScaleMode::NoScale,
                      player_->GetMovie().background.value_or(flash::Rgb{}));
    }

    Pixel At(int x, int y) const { return surface_.Row(y)[x]; }

    // True when each channel is within `tolerance` of the colour.
    ::testing::AssertionResult Near(int x, int y, swfwriter::Rgb c, int tolerance = 0) const {
        const Pixel p = At(x, y);
        const int got[] = {int(flash::render::PixelR(p)), int(flash::render::PixelG(p)),
                           int(flash::render::PixelB(p))};
        const int want[] = {c.r, c.g, c.b};
        for (int i = 0; i < 3; ++i) {
            if (std::abs(got[i] - want[i]) > tolerance) {
                return ::testing::AssertionFailure() << "at " << x << "," << y << ": " << got[0]
                                                     << " " << got[1] << " " << got[2];
            }
        }
        return ::testing::AssertionSuccess();
    }

    std::vector<Pixel> StarBox() const {
        int cx = 0, cy = 0;
        swfwriter::DemoStarCentre(kSpec, cx, cy);
        std::vector<Pixel> box;
        for (int y = cy - 26; y <= cy + 26; ++y)
            for (int x = cx - 26; x <= cx + 26; ++x) box.push_back(At(x, y));
        return box;
    }

    std::unique_ptr<flash::Player> player_;
    std::unique_ptr<flash::render::StageDrawer> drawer_;
    flash::render::Renderer renderer_;
    flash::render::PixelBuffer surface_;
};

TEST_P(DemoMovie, DrawsGradientsShapesAndItsSpriteInPlace) {
    Step();
    const swfwriter::Rgb opposite{0xEF, 0xDF, 0x9F}, dark{0x3F, 0x34, 0x08};
    EXPECT_TRUE(Near(2, 2, kSpec.background));
    // The ground's linear gradient runs from the accent colour to its dark shade.
    EXPECT_TRUE(Near(1, 148, kSpec.accent, 4));
    EXPECT_TRUE(Near(198, 148, dark, 4));
    EXPECT_FALSE(Near(100, 148, kSpec.accent, 40));
    EXPECT_FALSE(Near(100, 148, dark, 40));
    // The sun: white at its centre, the accent colour towards its rim.
    EXPECT_TRUE(Near(156, 42, {0xFF, 0xFF, 0xFF}, 12));
    EXPECT_TRUE(Near(156 + 18, 42, kSpec.accent, 40));
    int cx = 0, cy = 0;
    swfwriter::DemoStarCentre(kSpec, cx, cy);
    EXPECT_TRUE(Near(cx, cy, opposite));
    // The first of the bar's blocks (11 pixels wide) only.
    EXPECT_TRUE(Near(5, 118, opposite));
    EXPECT_FALSE(Near(16, 118, opposite));
}

TEST_P(DemoMovie, TheStarTurnsOnceInTwelveFramesWhileTheBarGrows) {
    Step();
    const std::vector<Pixel> first = StarBox();
    Step();
    EXPECT_NE(StarBox(), first);
    EXPECT_TRUE(Near(16, 118, {0xEF, 0xDF, 0x9F}));
    for (int i = 1; i < swfwriter::kDemoStarFrames; ++i) Step();
    EXPECT_EQ(StarBox(), first);
}

INSTANTIATE_TEST_SUITE_P(Demo, DemoMovie,
                         ::testing::Values(Compression::None, Compression::Zlib,
                                           Compression::Lzma));

}  // namespace
