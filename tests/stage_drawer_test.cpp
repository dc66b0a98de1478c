// The display walk over the new characters, through a whole movie: a bitmap placed on its own
// draws once decoded, one past the size limit stays undrawn while the rest of the frame
// draws, and a button that shows itself costs a bounded number of parts; a glow cast from
// just off the stage reaches into view, and an object too large to filter draws unfiltered;
// objects cached as bitmaps or with an opaque background land on whole pixels, the
// background filling their picture; the pictures kept of filtered objects are those that
// drawing afresh gives, frame by frame.
#include <gtest/gtest.h>
#include <zlib.h>

#include "flash/player.h"
#include "flash/render/morph_shape.h"
#include "flash/render/stage_drawer.h"
#include "flash/swf_parser.h"
#include "tests/render_scene.h"
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

// A movie's first frame ready to draw at low quality into a 40 x 10 surface.
struct FirstFrame {
    explicit FirstFrame(const Bytes& swf) : player(Load(swf)), drawer(player.GetMovie()) {
        player.StepFrame();
        renderer.SetQuality(Quality::Low);
    }
    static Movie Load(const Bytes& swf) {
        LoadResult loaded = ParseMovie(swf);
        EXPECT_TRUE(loaded.Ok());
        return std::move(loaded.movie);
    }
    void Draw() { drawer.Draw(player, renderer, surface, ScaleMode::NoScale, {255, 255, 255}); }
    Player player;
    StageDrawer drawer;
    Renderer renderer;
    PixelBuffer surface{40, 10};
};

// A 40 x 10 white stage with character 1, a red square of 10 pixels, and a blue glow whose
// box of 9 reaches 4 pixels each way.
swfwriter::MovieBuilder RedSquareStage() {
    swfwriter::MovieBuilder m;
    m.StagePixels(40, 10).BackgroundColor({255, 255, 255});
    m.Rectangle(1, 200, 200, {255, 0, 0});
    return m;
}

swfwriter::FilterSpec BlueGlow() {
    swfwriter::FilterSpec glow;
    glow.kind = 2;
    glow.color = {0, 0, 255, 255};
    glow.blurX = glow.blurY = 9;
    glow.strength = 1;
    return glow;
}

TEST(StageDrawing, FiltersReachPastTheStageAndStopAtTheSizeLimit) {
    swfwriter::MovieBuilder m = RedSquareStage();
    const swfwriter::FilterSpec glow = BlueGlow();
    swfwriter::Place offStage;
    offStage.depth = 1;
    offStage.characterId = 1;
    offStage.matrix = swfwriter::Matrix{1, 0, 0, 1, -200, 0};  // pixels -10 to -1
    offStage.filters = swfwriter::FilterListBytes({glow});
    swfwriter::Place huge = offStage;
    huge.depth = 2;
    huge.matrix = swfwriter::Matrix{1000, 0, 0, 1, 300, 0};  // 10,000 pixels wide from x 15
    m.PlaceObject3(offStage).PlaceObject3(huge).ShowFrame();
    FirstFrame f(m.Build());
    f.Draw();
    // At x 0 the box covers the object's last 4 columns: 4 * 255 / 9 = 113 of blue.
    EXPECT_EQ(f.surface.At(0, 5), 0xFF8E8EFFu);
    EXPECT_EQ(f.surface.At(4, 5), 0xFFFFFFFFu);
    // The huge one: its red without the glow around it.
    EXPECT_EQ(f.surface.At(20, 5), 0xFFFF0000u);
    EXPECT_EQ(f.surface.At(14, 5), 0xFFFFFFFFu);
    EXPECT_EQ(f.renderer.Stats().unfiltered, 1u);
}

TEST(StageDrawing, FiltersPastTheFramesWorkBudgetArePassedOver) {
    // A red square with two blue glows, drawn with room for no filter work, then with the
    // default budget: first bare (both glows passed over, in every frame), then glowing.
    swfwriter::MovieBuilder m = RedSquareStage();
    swfwriter::Place square;
    square.depth = 1;
    square.characterId = 1;
    square.matrix = swfwriter::Matrix{1, 0, 0, 1, 200, 0};  // pixels 10 to 19
    square.filters = swfwriter::FilterListBytes({BlueGlow(), BlueGlow()});
    m.PlaceObject3(square).ShowFrame();
    FirstFrame f(m.Build());
    f.renderer.SetFilterWorkPerFrame(0);
    for (int frame = 1; frame <= 2; ++frame) {
        const std::uint64_t before = f.renderer.Stats().unfiltered;
        f.Draw();
        EXPECT_EQ(f.surface.At(15, 5), 0xFFFF0000u);
        EXPECT_EQ(f.surface.At(21, 5), 0xFFFFFFFFu);
        EXPECT_EQ(f.renderer.Stats().unfiltered - before, 2u) << frame;
    }
    f.renderer.SetFilterWorkPerFrame(Renderer::kFilterWorkPerFrame);
    const std::uint64_t before = f.renderer.Stats().unfiltered;
    f.Draw();
    EXPECT_NE(f.surface.At(21, 5), 0xFFFFFFFFu);
    EXPECT_EQ(f.renderer.Stats().unfiltered, before);
}

// Three filtered objects - a sprite whose child moves, a morph, a button - through frames
// that change one thing each, drawn by a renderer that keeps their pictures and by one that
// draws them afresh: the pictures are the same in every frame, and the kept ones are shown
// exactly where nothing of an object changed (its colour transform aside, applied on top).
TEST(StageDrawing, KeptFilteredPicturesAreThoseDrawnAfresh) {
    swfwriter::MovieBuilder m;
    m.StagePixels(80, 40).BackgroundColor({255, 255, 255});
    m.Tag(kDefineMorphShape, rendertest::SquareMorph());  // id 1
    m.Rectangle(2, 200, 200, {255, 0, 0});
    m.Rectangle(3, 200, 200, {0, 0, 255});
    // The sprite's blue half-size square moves inside its red one on frame 2, and then stays:
    // the sprite's bounds stay the same.
    swfwriter::MovieBuilder sprite;
    swfwriter::Place inner;
    inner.depth = 2;
    inner.characterId = 3;
    inner.matrix = swfwriter::Matrix{0.5, 0, 0, 0.5, 0, 0};
    sprite.PlaceObject(2, 1, 0, 0).PlaceObject2(inner).ShowFrame();
    inner.move = true;
    inner.characterId.reset();
    inner.matrix->tx = 60;
    sprite.PlaceObject2(inner).ShowFrame();
    sprite.DoAction(swfwriter::Actions().Stop()).ShowFrame();
    m.DefineSprite(10, sprite);
    m.DefineButton2(20, {{0x01, 2, 1, {}}, {0x0E, 3, 1, {}}}, {});
    auto filtered = [](std::uint16_t depth, std::uint16_t id, std::int32_t x, std::uint8_t kind) {
        swfwriter::Place p;
        p.depth = depth;
        p.characterId = id;
        p.matrix = swfwriter::Matrix{1, 0, 0, 1, x * 20, 100};
        swfwriter::FilterSpec f;
        f.kind = kind;  // 0 drop shadow, 1 blur, 2 glow
        f.color = {0, 128, 0, 255};
        f.blurX = f.blurY = 4;
        f.distance = 2;
        f.strength = 1;
        p.filters = swfwriter::FilterListBytes({f});
        return p;
    };
    m.PlaceObject3(filtered(1, 10, 5, 2))
        .PlaceObject3(filtered(2, 1, 30, 1))
        .PlaceObject3(filtered(3, 20, 60, 0))
        .ShowFrame();  // 1
    m.ShowFrame();     // 2: the sprite's child moves
    swfwriter::Place ratio;
    ratio.depth = 2;
    ratio.move = true;
    ratio.ratio = 30000;
    m.PlaceObject2(ratio).ShowFrame();  // 3: the morph's ratio
    swfwriter::Place tint;
    tint.depth = 1;
    tint.move = true;
    tint.colorTransform = swfwriter::ColorTransform{true, false, {128, 256, 256, 200}, {}};
    m.PlaceObject3(tint).ShowFrame();  // 4: the sprite's colour transform only
    // A third of a pixel on: the picture's corner snaps back to the same pixel.
    swfwriter::Place nudge;
    nudge.move = true;
    nudge.matrix = swfwriter::Matrix{1, 0, 0, 1, 5 * 20 + 7, 100};
    m.PlaceObject2(nudge).ShowFrame();  // 5: the sprite's matrix
    m.ShowFrame();                      // 6: the mouse moves over the button first
    m.DoAction(swfwriter::Actions().Stop()).ShowFrame();  // 7: nothing changes
    LoadResult loaded = ParseMovie(m.Build());
    ASSERT_TRUE(loaded.Ok());
    Player player(std::move(loaded.movie));
    StageDrawer drawer(player.GetMovie());
    Renderer keeping, afresh;
    afresh.SetKeepFilteredPictures(false);
    PixelBuffer kept(80, 40), drawn(80, 40);
    // Objects shown from their kept picture in frames 1 to 7.
    const std::uint64_t expected[] = {0, 2, 2, 3, 3, 2, 3};
    std::uint64_t shown = 0;
    for (int frame = 1; frame <= 7; ++frame) {
        SCOPED_TRACE(frame);
        player.StepFrame();
        if (frame == 6) {
            const DisplayEntry& button = player.Root().Entries()[2];
            ASSERT_NE(button.clip, nullptr);
            player.Mouse(button.clip, false);
        }
        drawer.Draw(player, keeping, kept, ScaleMode::NoScale, Rgb{255, 255, 255});
        drawer.Draw(player, afresh, drawn, ScaleMode::NoScale, Rgb{255, 255, 255});
        for (int y = 0; y < 40; ++y) {
            ASSERT_TRUE(std::equal(kept.Row(y), kept.Row(y) + 80, drawn.Row(y))) << "row " << y;
        }
        EXPECT_EQ(keeping.Stats().keptFilters - shown, expected[frame - 1]);
        shown = keeping.Stats().keptFilters;
    }
    EXPECT_EQ(afresh.Stats().keptFilters, 0u);
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
    const PixelBuffer surface = rendertest::DrawFirstFrame(m.Build(), 40, 10);
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
