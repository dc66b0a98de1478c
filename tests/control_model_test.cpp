// The Flash control's state without its window: background colour texts, stage placement
// under the four scale modes, and the dispatch operations on a loaded movie.
#include <gtest/gtest.h>

#include <chrono>

#include "base/color_text.h"
#include "flash/control_model.h"
#include "flash/stage_layout.h"
#include "tools/swf_writer.h"

namespace {

using flash::PixelRect;
using flash::ScaleMode;

TEST(BgColorText, SwapsBlueAndRedIntoRrggbb) {
    EXPECT_EQ(base::ToBgColorText(0x0000FF), "FF0000");  // pure red
    EXPECT_EQ(base::ToBgColorText(0xFF0000), "0000FF");
    EXPECT_EQ(base::ToBgColorText(0x123456), "563412");
    EXPECT_EQ(base::ToBgColorText(0xFFFFFF), "FFFFFF");
    EXPECT_EQ(base::ToBgColorText(0), "000000");
    EXPECT_EQ(base::ToBgColorText(0xFF00FF00), "00FF00");  // only the colour bits count

    EXPECT_EQ(base::ParseBgColorText("563412"), 0x123456u);
    EXPECT_EQ(base::ParseBgColorText("#ff0000"), 0x0000FFu);
    for (const char* bad : {"", "FF00", "FF00000", "GG0000", "#", "12 456"})
        EXPECT_FALSE(base::ParseBgColorText(bad).has_value()) << bad;
}

struct PlaceCase {
    ScaleMode mode;
    int w, h, sw, sh;
    PixelRect expected;
};

class StagePlacement : public testing::TestWithParam<PlaceCase> {};

TEST_P(StagePlacement, CentresTheStageByScaleMode) {
    const PlaceCase& c = GetParam();
    EXPECT_EQ(flash::PlaceStage(c.mode, c.w, c.h, c.sw, c.sh), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, StagePlacement,
    testing::Values(
        // A square stage in a wide window.
        PlaceCase{ScaleMode::ShowAll, 800, 400, 200, 200, {200, 0, 600, 400}},
        PlaceCase{ScaleMode::NoBorder, 800, 400, 200, 200, {0, -200, 800, 600}},
        PlaceCase{ScaleMode::ExactFit, 800, 400, 200, 200, {0, 0, 800, 400}},
        PlaceCase{ScaleMode::NoScale, 800, 400, 200, 200, {300, 100, 500, 300}},
        // A stage larger than the window: NoScale overhangs, ShowAll shrinks.
        PlaceCase{ScaleMode::NoScale, 100, 100, 300, 200, {-100, -50, 200, 150}},
        PlaceCase{ScaleMode::ShowAll, 100, 100, 300, 200, {0, 16, 100, 83}},
        // A stage without area fills the window in every mode.
        PlaceCase{ScaleMode::ShowAll, 640, 480, 0, 200, {0, 0, 640, 480}},
        PlaceCase{ScaleMode::NoScale, 640, 480, 200, -5, {0, 0, 640, 480}}));

TEST(StagePlacement, ScaleModeNames) {
    EXPECT_EQ(flash::ParseScaleMode("noborder"), ScaleMode::NoBorder);
    EXPECT_EQ(flash::ParseScaleMode("EXACTFIT"), ScaleMode::ExactFit);
    EXPECT_FALSE(flash::ParseScaleMode("Zoom").has_value());
    EXPECT_FALSE(flash::ParseScaleMode("").has_value());
    for (ScaleMode m :
         {ScaleMode::ShowAll, ScaleMode::ExactFit, ScaleMode::NoBorder, ScaleMode::NoScale})
        EXPECT_EQ(flash::ParseScaleMode(flash::ScaleModeName(m)), m);
}

flash::LoadResult TenFrames(std::uint16_t rate88 = 24 * 256) {
    swfwriter::MovieBuilder movie;
    movie.StagePixels(200, 100).FrameRate88(rate88).BackgroundColor({0x11, 0x22, 0x33});
    for (int i = 0; i < 10; ++i) movie.ShowFrame();
    return flash::ParseMovie(movie.Build());
}

TEST(ControlModel, WithoutAMovieEverythingIsQuiet) {
    flash::ControlModel model;
    EXPECT_EQ(model.Movie(), "");
    model.Play();
    model.Forward();
    model.GotoFrame(5);
    model.Tick(std::chrono::seconds(1));
    EXPECT_EQ(model.TotalFrames(), 0);
    EXPECT_EQ(model.CurrentFrame(), 0);
    EXPECT_FALSE(model.IsPlaying());
    EXPECT_EQ(model.BackgroundColorref(), 0xFFFFFFu);
    EXPECT_EQ(model.StageRect(300, 200), (PixelRect{0, 0, 300, 200}));

    // A location that does not load still reads back as given.
    flash::LoadResult broken;
    broken.error = flash::LoadError::NotSwf;
    model.SetMovie("C:\\movies\\broken.swf", broken);
    EXPECT_EQ(model.Movie(), "C:\\movies\\broken.swf");
    EXPECT_FALSE(model.HasMovie());
    EXPECT_EQ(model.TotalFrames(), 0);
}

TEST(ControlModel, OperationsDriveTheTimeline) {
    flash::ControlModel model;
    model.SetMovie("C:\\m.swf", TenFrames());
    ASSERT_TRUE(model.HasMovie());
    EXPECT_EQ(model.TotalFrames(), 10);
    EXPECT_TRUE(model.IsPlaying());
    model.Tick(std::chrono::milliseconds(1));    // enters frame 0
    model.Tick(std::chrono::milliseconds(125));  // three frames at 24 fps
    EXPECT_EQ(model.CurrentFrame(), 3);
    model.Stop();
    model.Tick(std::chrono::seconds(1));
    EXPECT_EQ(model.CurrentFrame(), 3);
    EXPECT_FALSE(model.IsPlaying());
    model.GotoFrame(10);  // the end command passes the frame count itself
    EXPECT_EQ(model.CurrentFrame(), 9);
    model.Back();
    EXPECT_EQ(model.CurrentFrame(), 8);
    model.Rewind();
    EXPECT_EQ(model.CurrentFrame(), 0);
    model.Play();
    EXPECT_TRUE(model.IsPlaying());

    // A new movie replaces the old one.
    flash::LoadResult missing;
    missing.error = flash::LoadError::CannotRead;
    model.SetMovie("C:\\other.swf", missing);
    EXPECT_EQ(model.Movie(), "C:\\other.swf");
    EXPECT_FALSE(model.HasMovie());
}

TEST(ControlModel, ShowsItsMoviesDisplayTree) {
    flash::ControlModel model;
    EXPECT_EQ(model.Playing(), nullptr);
    swfwriter::MovieBuilder movie;
    movie.Rectangle(1, 200, 200, {1, 2, 3}).PlaceObject(1, 1, 40, 0).ShowFrame();
    movie.RemoveObject2(1).ShowFrame();
    model.SetMovie("m.swf", flash::ParseMovie(movie.Build()));
    ASSERT_NE(model.Playing(), nullptr);
    model.Tick(std::chrono::milliseconds(1));
    const flash::Player& player = *model.Playing();
    ASSERT_EQ(player.Root().Entries().size(), 1u);
    EXPECT_EQ(player.Root().Entries()[0].character->kind, flash::CharacterKind::Shape);
    const std::uint64_t shown = player.DisplayVersion();
    model.Forward();
    EXPECT_TRUE(player.Root().Entries().empty());
    EXPECT_GT(player.DisplayVersion(), shown);
}

TEST(ControlModel, BackgroundScaleAndTimerFollowTheProperties) {
    flash::ControlModel model;
    model.SetMovie("m.swf", TenFrames());
    EXPECT_EQ(model.BackgroundColorref(), 0x332211u);  // the movie's own colour
    EXPECT_EQ(model.BackgroundText(), "112233");
    EXPECT_TRUE(model.SetBackground("FF0000"));
    EXPECT_EQ(model.BackgroundColorref(), 0x0000FFu);  // BGColor wins over the movie's
    EXPECT_FALSE(model.SetBackground("red"));
    EXPECT_EQ(model.BackgroundColorref(), 0x0000FFu);

    EXPECT_EQ(model.Scale(), ScaleMode::ShowAll);
    EXPECT_EQ(model.StageRect(400, 400), (PixelRect{0, 100, 400, 300}));
    EXPECT_TRUE(model.SetScale("NoScale"));
    EXPECT_EQ(model.StageRect(400, 400), (PixelRect{100, 150, 300, 250}));
    EXPECT_FALSE(model.SetScale("Stretch"));
    EXPECT_EQ(model.Scale(), ScaleMode::NoScale);

    EXPECT_EQ(model.FrameIntervalMs(), 41u);  // 24 fps
    model.SetMovie("fast.swf", TenFrames(250 * 256));
    EXPECT_EQ(model.FrameIntervalMs(), 10u);
    model.SetMovie("still.swf", TenFrames(0));
    EXPECT_EQ(model.FrameIntervalMs(), 83u);  // a rate of 0 plays at 12 fps
}

}  // namespace
