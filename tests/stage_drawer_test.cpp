// The display walk over the new characters, through a whole movie: a bitmap placed on its own
// draws once decoded, one past the size limit stays undrawn while the rest of the frame
// draws, and a button that shows itself costs a bounded number of parts; a glow cast from
// just off the stage reaches into view, and an object too large to filter draws unfiltered;
// objects cached as bitmaps or with an opaque background land on whole pixels, the
// background filling their picture.
#include <gtest/gtest.h>
#include <zlib.h>

#include "flash/player.h"
#include "flash/render/stage_drawer.h"
#include "flash/swf_parser.h"
#include "tools/swf_writer.h"

namespace {

using namespace flash;
using namespace flash::render;
using Bytes = std::vector<std::uint8_t>;

// DefineBitsLossless (RGB24) of one colour; the header may claim a larger size than the data.
Bytes SolidBitmap(std::uint16_t id, int w, int h, int claimedWidth) {
    Bytes raw;
    for (int i = 0; i < w * h; ++i) raw.insert(raw.end(), {0, 0, 0, 255});  // blue
    uLongf size = compressBound(raw.size());
    Bytes z(size);
    compress(z.data(), &size, raw.data(), raw.size());
    z.resize(size);
    Bytes body;
    auto u16 = [&body](int v) {
        body.push_back(static_cast<std::uint8_t>(v));
        body.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    u16(id);
    body.push_back(5);
    u16(claimedWidth);
    u16(h);
    body.insert(body.end(), z.begin(), z.end());
    return body;
}

// DefineButton2 `id`: shape 1 in the up state, then `selves` records showing the button itself.
Bytes SelfButton(std::uint16_t id, int selves) {
    Bytes b{static_cast<std::uint8_t>(id), 0, 0, 0, 0};
    auto record = [&](std::uint16_t character) {
        b.insert(b.end(), {0x01, static_cast<std::uint8_t>(character), 0, 1, 0, 0x00, 0x00});
    };
    record(1);
    for (int i = 0; i < selves; ++i) record(id);
    b.push_back(0);
    return b;
}

TEST(StageDrawing, BitmapsButtonsAndRefusalsThroughTheDisplayList) {
    swfwriter::MovieBuilder m;
    m.StagePixels(40, 10).BackgroundColor({255, 255, 255});
    m.Rectangle(1, 200, 200, {255, 0, 0});
    const Bytes bitmap = SolidBitmap(2, 10, 10, 10);
    m.Tag(kDefineBitsLossless, bitmap);
    const Bytes huge = SolidBitmap(3, 10, 10, 8192);
    m.Tag(kDefineBitsLossless, huge);
    const Bytes button = SelfButton(4, 1000);
    m.Tag(kDefineButton2, button);
    m.PlaceObject(4, 1, 0, 0).PlaceObject(2, 2, 200, 0).PlaceObject(3, 3, 400, 0);
    m.ShowFrame();
    LoadResult loaded = ParseMovie(m.Build());
    ASSERT_TRUE(loaded.Ok());
    Player player(std::move(loaded.movie));
    player.StepFrame();
    StageDrawer drawer(player.GetMovie());
    Renderer renderer;
    renderer.SetQuality(Quality::Low);
    PixelBuffer surface(40, 10);
    drawer.Draw(player, renderer, surface, ScaleMode::NoScale, Rgb{255, 255, 255});
    EXPECT_EQ(surface.At(5, 5), 0xFFFF0000u);   // the button's shape
    EXPECT_EQ(surface.At(15, 5), 0xFF0000FFu);  // the bitmap
    EXPECT_EQ(surface.At(25, 5), 0xFFFFFFFFu);  // the refused one: nothing
    EXPECT_EQ(drawer.Bitmaps().Decoded(), 1u);
    EXPECT_EQ(drawer.Bitmaps().Refused(), 1u);
    // Each part the button shows is one drawing at most, however it nests.
    EXPECT_LE(renderer.Stats().shapes + renderer.Stats().culled, 4096u + 2);
    // A second frame decodes nothing again.
    drawer.Draw(player, renderer, surface, ScaleMode::NoScale, Rgb{255, 255, 255});
    EXPECT_EQ(drawer.Bitmaps().Decoded() + drawer.Bitmaps().Refused(), 2u);
}

TEST(StageDrawing, FiltersReachPastTheStageAndStopAtTheSizeLimit) {
    swfwriter::MovieBuilder m;
    m.StagePixels(40, 10).BackgroundColor({255, 255, 255});
    m.Rectangle(1, 200, 200, {255, 0, 0});
    swfwriter::FilterSpec glow;
    glow.kind = 2;
    glow.color = {0, 0, 255, 255};
    glow.blurX = glow.blurY = 9;  // a box of 9: 4 pixels each way
    glow.strength = 1;
    swfwriter::Place offStage;
    offStage.depth = 1;
    offStage.characterId = 1;
    offStage.matrix = swfwriter::Matrix{1, 0, 0, 1, -200, 0};  // pixels -10 to -1
    offStage.filters = swfwriter::FilterListBytes({glow});
    swfwriter::Place huge = offStage;
    huge.depth = 2;
    huge.matrix = swfwriter::Matrix{1000, 0, 0, 1, 300, 0};  // 10,000 pixels wide from x 15
    m.PlaceObject3(offStage).PlaceObject3(huge).ShowFrame();
    LoadResult loaded = ParseMovie(m.Build());
    ASSERT_TRUE(loaded.Ok());
    Player player(std::move(loaded.movie));
    player.StepFrame();
    StageDrawer drawer(player.GetMovie());
    Renderer renderer;
    renderer.SetQuality(Quality::Low);
    PixelBuffer surface(40, 10);
    drawer.Draw(player, renderer, surface, ScaleMode::NoScale, Rgb{255, 255, 255});
    // At x 0 the box covers the object's last 4 columns: 4 * 255 / 9 = 113 of blue.
    EXPECT_EQ(surface.At(0, 5), 0xFF8E8EFFu);
    EXPECT_EQ(surface.At(4, 5), 0xFFFFFFFFu);
    // The huge one: its red without the glow around it.
    EXPECT_EQ(surface.At(20, 5), 0xFFFF0000u);
    EXPECT_EQ(surface.At(14, 5), 0xFFFFFFFFu);
    EXPECT_EQ(renderer.Stats().unfiltered, 1u);
}

TEST(StageDrawing, CachedObjectsLandOnWholePixelsOverTheirBackground) {
    swfwriter::MovieBuilder m;
    m.StagePixels(40, 10).BackgroundColor({255, 255, 255});
    m.Rectangle(1, 80, 80, {255, 0, 0});  // 4 x 4 pixels
    // A sprite of two such squares with a gap of 2 pixels between them: 10 pixels wide.
    swfwriter::MovieBuilder pair;
    pair.PlaceObject(1, 1, 0, 0).PlaceObject(1, 2, 120, 0).ShowFrame();
    m.DefineSprite(2, pair);
    swfwriter::Place cached;
    cached.characterId = 1;
    cached.matrix = swfwriter::Matrix{1, 0, 0, 1, 30, 50};  // x 1.5 to 5.5
    cached.cacheAsBitmap = 1;
    swfwriter::Place backed;
    backed.depth = 2;
    backed.characterId = 2;
    backed.matrix = swfwriter::Matrix{1, 0, 0, 1, 410, 50};  // x 20.5 to 30.5
    backed.background = swfwriter::Rgba{0, 255, 0, 0};       // opaque whatever its alpha says
    m.PlaceObject3(cached).PlaceObject3(backed).ShowFrame();
    LoadResult loaded = ParseMovie(m.Build());
    ASSERT_TRUE(loaded.Ok());
    Player player(std::move(loaded.movie));
    player.StepFrame();
    StageDrawer drawer(player.GetMovie());
    Renderer renderer;
    renderer.SetQuality(Quality::Low);
    PixelBuffer surface(40, 10);
    drawer.Draw(player, renderer, surface, ScaleMode::NoScale, Rgb{255, 255, 255});
    // Each moves half a pixel right, to x 2 and x 21; the sprite's gap shows its background.
    const std::pair<int, Pixel> row[] = {{1, 0xFFFFFFFF},  {2, 0xFFFF0000},  {5, 0xFFFF0000},
                                         {6, 0xFFFFFFFF},  {20, 0xFFFFFFFF}, {21, 0xFFFF0000},
                                         {25, 0xFF00FF00}, {26, 0xFF00FF00}, {27, 0xFFFF0000},
                                         {30, 0xFFFF0000}, {31, 0xFFFFFFFF}};
    for (const auto& [x, pixel] : row) EXPECT_EQ(surface.At(x, 5), pixel) << "x " << x;
    // The background covers the picture's rows only: the squares' 4 pixels from y 3.
    EXPECT_EQ(surface.At(25, 3), 0xFF00FF00u);
    EXPECT_EQ(surface.At(25, 2), 0xFFFFFFFFu);
    EXPECT_EQ(surface.At(25, 7), 0xFFFFFFFFu);
}

}  // namespace
