// The draw manager's pixel work with exact expected values: gradient bands, texture palettes
// and pixels (driven by a scripted random source), blending, shadows, recolouring and the
// strokes of styled lines and frames.
#include <gtest/gtest.h>

#include "tests/tooltip_harness.h"

namespace {

using namespace tooltip_test;

constexpr Colour kA = Rgb(0, 64, 255), kB = Rgb(255, 0, 1), kM = Rgb(10, 20, 30);

// --- gradients -----------------------------------------------------------------------------

struct GradientCase {
    int span;
    std::size_t bands;  // bands of non-zero width
    int firstK;         // the band index of the first one drawn
};

class Gradient : public ::testing::TestWithParam<GradientCase> {};

TEST_P(Gradient, DrawsOnlyBandsOfNonZeroWidthAndEndsOneStepShortOfB) {
    const GradientCase& c = GetParam();
    std::vector<Band> bands;
    AppendGradient(bands, {5, 2, 5 + c.span, 9}, true, kA, kB);
    ASSERT_EQ(bands.size(), c.bands);
    auto mix = [](int k) {
        return Rgb((0 * (64 - k) + 255 * k) / 64, (64 * (64 - k) + 0 * k) / 64,
                   (255 * (64 - k) + 1 * k) / 64);
    };
    EXPECT_EQ(bands.front().colour, mix(c.firstK));
    EXPECT_EQ(bands.back().colour, mix(63));
    EXPECT_EQ(bands.front().rect.left, 5 + (c.firstK * c.span >> 6));
    int covered = 0;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        EXPECT_EQ(bands[i].rect.top, 2);
        EXPECT_EQ(bands[i].rect.bottom, 9);
        EXPECT_GT(bands[i].rect.Width(), 0);
        if (i > 0) {
            EXPECT_EQ(bands[i].rect.left, bands[i - 1].rect.right);
        }
        covered += bands[i].rect.Width();
    }
    EXPECT_EQ(covered, c.span);
    EXPECT_EQ(bands.back().rect.right, 5 + c.span);
}

INSTANTIATE_TEST_SUITE_P(Spans, Gradient,
                         ::testing::Values(GradientCase{256, 64, 0}, GradientCase{64, 64, 0},
                                           GradientCase{10, 10, 6}, GradientCase{1, 1, 63},
                                           GradientCase{100, 64, 0}));

TEST(Gradient, EmptyOrInvertedAreaDrawsNothing) {
    std::vector<Band> bands;
    AppendGradient(bands, {5, 0, 5, 10}, true, kA, kB);
    AppendGradient(bands, {0, 8, 10, 3}, false, kA, kB);
    EXPECT_TRUE(bands.empty());
    EXPECT_TRUE(PlanSolidFill(effect::kHGradient, {0, 0, 0, 5}, kA, kM, kB).empty());
}

TEST(SolidFill, EachEffectSplitsAndOrdersItsColours) {
    const Rect r{0, 0, 128, 128};
    struct Case {
        int code;
        std::size_t bands;
        Colour first, last;
        Rect lastRect;
    };
    auto last = [](Colour a, Colour b) {
        return Rgb((RedOf(a) + 63 * RedOf(b)) / 64, (GreenOf(a) + 63 * GreenOf(b)) / 64,
                   (BlueOf(a) + 63 * BlueOf(b)) / 64);
    };
    const Case cases[] = {
        {effect::kSolid, 1, kA, kA, r},
        {effect::kTransparent, 1, kA, kA, r},
        {99, 1, kA, kA, r},
        {effect::kHGradient, 64, kA, last(kA, kB), {126, 0, 128, 128}},
        {effect::kVGradient, 64, kA, last(kA, kB), {0, 126, 128, 128}},
        {effect::kHCGradient, 128, kA, last(kB, kA), {127, 0, 128, 128}},
        {effect::kVCGradient, 128, kA, last(kB, kA), {0, 127, 128, 128}},
        {effect::k3HGradient, 128, kA, last(kM, kB), {127, 0, 128, 128}},
        {effect::k3VGradient, 128, kA, last(kM, kB), {0, 127, 128, 128}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const std::vector<Band> bands = PlanSolidFill(c.code, r, kA, kM, kB);
        ASSERT_EQ(bands.size(), c.bands);
        EXPECT_EQ(bands.front().colour, c.first);
        EXPECT_EQ(bands.back().colour, c.last);
        EXPECT_EQ(bands.back().rect, c.lastRect);
    }
}

TEST(SolidFill, EffectNamesMapToTheirCodes) {
    const char* names[] = {"transparent", "solid",      "hgradient",  "vgradient", "hcgradient",
                           "vcgradient",  "3hgradient", "3vgradient", "noise",     "diagshade",
                           "hshade",      "vshade",     "hbump",      "vbump",     "softbump",
                           "hardbump",    "metal"};
    for (int i = 0; i < 17; ++i) EXPECT_EQ(EffectFromName(names[i]), i - 1) << names[i];
    EXPECT_EQ(EffectFromName("HGradient"), effect::kHGradient);
    EXPECT_EQ(EffectFromName("gradient"), std::nullopt);
    EXPECT_EQ(EffectFromName(""), std::nullopt);
}

// --- textures --------------------------------------------------------------------------------

TEST(Texture, PaletteRunsFromEndOverMiddleToBeginAndBlendsTowardBegin) {
    const auto p = TexturePalette(kA, kM, kB, 0);
    EXPECT_EQ(p[0], kB);
    EXPECT_EQ(p[128], kM);
    EXPECT_EQ(p[64], Rgb((255 + 10) / 2, (0 + 20) / 2, (1 + 30) / 2));
    EXPECT_EQ(p[255], Rgb((10 + 127 * 0) / 128, (20 + 127 * 64) / 128, (30 + 127 * 255) / 128));
    const auto full = TexturePalette(kA, kM, kB, 250);  // limited to 100
    for (Colour c : full) EXPECT_EQ(c, kA);
    const auto half = TexturePalette(kA, kM, kB, 50);
    EXPECT_EQ(half[0], Rgb((0 + 255) / 2, (64 + 0) / 2, (255 + 1) / 2));
}

// The pixel values of a texture picture, rows from the bottom.
std::vector<std::vector<int>> Rows(const PaletteImage& img) {
    std::vector<std::vector<int>> rows(img.height, std::vector<int>(img.width));
    for (int r = 0; r < img.height; ++r) {
        for (int x = 0; x < img.width; ++x) rows[r][x] = img.At(x, r);
    }
    return rows;
}

struct TextureCase {
    const char* name;
    int code;
    int w, h;
    int granularity;
    std::vector<int> random;
    std::vector<std::vector<int>> rows;  // from the bottom
};

class Texture : public ::testing::TestWithParam<TextureCase> {};

TEST_P(Texture, PixelsFollowTheGeneratorExactly) {
    const TextureCase& c = GetParam();
    ScriptedRandom random(c.random);
    const PaletteImage img = MakeTexture(c.code, c.w, c.h, kA, kM, kB, c.granularity, 0, random);
    ASSERT_EQ(img.width, c.w);
    EXPECT_EQ(img.bits.size(), static_cast<std::size_t>(PaletteImage::StrideOf(c.w)) * c.h);
    EXPECT_EQ(Rows(img), c.rows);
}

// Granularity 10: K = 1638, so 16380 gives no noise, 0 gives -10 and 32767 gives +10.
INSTANTIATE_TEST_SUITE_P(
    Generators, Texture,
    ::testing::Values(
        TextureCase{"noise_none", effect::kNoise, 2, 1, 0, {0}, {{128, 128}}},
        TextureCase{"noise", effect::kNoise, 3, 1, 10, {0, 16380, 32767}, {{118, 128, 138}}},
        TextureCase{"hshade", effect::kHShade, 1, 4, 0, {0}, {{0}, {63}, {127}, {191}}},
        TextureCase{"vshade", effect::kVShade, 4, 1, 0, {0}, {{255, 191, 127, 63}}},
        TextureCase{"vshade_grain", effect::kVShade, 2, 1, 10, {32767, 0}, {{255, 117}}},
        TextureCase{"diagshade", effect::kDiagShade, 2, 2, 0, {0}, {{127, 63}, {190, 126}}},
        TextureCase{"hbump", effect::kHBump, 1, 2, 0, {0}, {{3}, {128}}},
        TextureCase{"vbump", effect::kVBump, 2, 1, 0, {0}, {{0, 128}}},
        TextureCase{"softbump", effect::kSoftBump, 2, 2, 10, {16380}, {{130, 13}, {245, 128}}},
        // v below A is raised to A: row 0 column 3 would be 98 with A = 100.
        TextureCase{"softbump_clamp",
                    effect::kSoftBump,
                    4,
                    1,
                    100,
                    {16380},
                    {{128 + (-125 + 128) * 28 / 128, 128 + (-125 + 16) * 28 / 128,
                      128 + (-125 + 0) * 28 / 128, 100}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Texture, HardBumpLightsTheLeftEdgeAndDarkensTheRight) {
    ScriptedRandom random({0});
    const int w = 24, h = 8;  // F = 4, Q = 16
    const PaletteImage img = MakeTexture(effect::kHardBump, w, h, kA, kM, kB, 0, 0, random);
    const int r = h / 2;                         // the bulge is 0 on this row
    EXPECT_EQ(img.At(0, r), 255);                // 255 - A - 128 x / F
    EXPECT_EQ(img.At(2, r), 255 - 128 * 2 / 4);  // still on the lit edge
    EXPECT_EQ(img.At(w - 1, r), 128 * 1 / 4);    // A + 128 (w - x) / F
    EXPECT_EQ(img.At(w / 2, r), 128);            // the plain bump between them
    EXPECT_EQ(random.calls, 0u);                 // granularity 0 draws no noise
}

TEST(Texture, DegenerateSizesNeitherDivideByZeroNorWriteOutside) {
    for (int code = effect::kNoise; code <= effect::kMetal; ++code) {
        for (const auto& [w, h] :
             std::vector<std::pair<int, int>>{{1, 1}, {5, 1}, {1, 40000}, {3, 2}, {70000, 1}}) {
            for (int extreme : {0, 32767}) {
                ScriptedRandom random({extreme});
                const PaletteImage img = MakeTexture(code, w, h, kA, kM, kB, 255, 5, random);
                EXPECT_EQ(img.height, h);
            }
        }
    }
    ScriptedRandom random({1});
    EXPECT_TRUE(MakeTexture(effect::kNoise, 0, 5, kA, kM, kB, 3, 0, random).bits.empty());
    EXPECT_TRUE(MakeTexture(effect::kNoise, 5, -1, kA, kM, kB, 3, 0, random).bits.empty());
}

TEST(Texture, MetalDrawsStreaksAndShadesWithoutNoiseAtGranularityZero) {
    // Streaks: x0 = 1 (of 3), y0 = 1 (of 3), length 2 (one step), shade 40; 200 alike.
    const int span3 = 32767 / 3;
    ScriptedRandom random({span3, span3, 2 * span3, 32767});
    const PaletteImage img = MakeTexture(effect::kMetal, 3, 3, kA, kM, kB, 0, 0, random);
    EXPECT_EQ(random.calls, 800u);
    const int e = (255 - 40) / 2;
    // (x0, y0) from the top is (1, 1): row 1 from the bottom; its mirror (2, 1) likewise.
    EXPECT_EQ(img.At(1, 1), 40 + e * 1 / 3 + e * 2 / 3);
    EXPECT_EQ(img.At(2, 1), 40 + e * 1 / 3 + e * 1 / 3);
    EXPECT_EQ(img.At(0, 0), 0 + 0 + e * 3 / 3);
}

TEST(Texture, NoiseTexturesDrawOneRandomNumberPerPixel) {
    ScriptedRandom random({7});
    MakeTexture(effect::kDiagShade, 5, 3, kA, kM, kB, 4, 0, random);
    EXPECT_EQ(random.calls, 15u);
}

// --- blending and shadows ----------------------------------------------------------------------

TEST(Blend, OpacityBoundsAndExactMixing) {
    const std::vector<std::uint32_t> src = {0xC86400, 0xFFFFFF, 0x010203};
    const std::vector<std::uint32_t> dst0 = {0x64C8FF, 0x000000, 0x030201};
    struct Case {
        int opacity;
        std::vector<std::uint32_t> expected;
    };
    const Case cases[] = {
        {0, dst0},
        {-5, dst0},
        {100, src},
        {180, src},
        {50, {0x96967F, 0x7F7F7F, 0x020202}},
        {30, {0x82AAB2, 0x4C4C4C, 0x020201}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint32_t> dst = dst0;
        BlendPixels(dst, src, c.opacity);
        EXPECT_EQ(dst, c.expected) << c.opacity;
    }
}

TEST(Shadow, HardShadowScalesByTheMaskGrey) {
    std::vector<std::uint32_t> dst = {0xFF8040, 0xFF8040, 0xFF8040};
    const std::vector<std::uint32_t> mask = {0xFFFFFF, 0x808080, 0x000000};
    ApplyHardShadow(dst, mask);
    EXPECT_EQ(dst, (std::vector<std::uint32_t>{0xFF8040, 0x804020, 0x000000}));
}

TEST(Shadow, EvenDepthsBehaveAsTheNextOddOne) {
    EXPECT_EQ(OddDepth(6), 7);
    EXPECT_EQ(OddDepth(7), 7);
    EXPECT_EQ(OddDepth(0), 1);
    Picture mask(20, 16, 0xFFFFFF);
    for (int y = 4; y < 12; ++y) {
        for (int x = 5; x < 15; ++x) mask.At(x, y) = 0x808080;
    }
    Picture six(20, 16, 0xC0C0C0), seven(20, 16, 0xC0C0C0);
    ApplySoftShadow(six, mask, 6, 6);
    ApplySoftShadow(seven, mask, 7, 7);
    EXPECT_EQ(six.pixels, seven.pixels);
    EXPECT_NE(seven.pixels, Picture(20, 16, 0xC0C0C0).pixels);
}

TEST(Shadow, SoftShadowAveragesTheShrunkMaskOverTheDepthBox) {
    // 9 x 9, depth 3: the black mask shrinks to 6 x 6 at (1, 1).
    Picture mask(9, 9, 0x000000);
    Picture dst(9, 9, 0xB4B4B4);  // 180
    ApplySoftShadow(dst, mask, 3, 3);
    EXPECT_EQ(dst.At(4, 4), 0u);         // the box lies inside the shape
    EXPECT_EQ(dst.At(0, 0), 0xA0A0A0u);  // 1 of 9 black: 180 x 8 / 9
    EXPECT_EQ(dst.At(8, 8), 0xB4B4B4u);  // the box misses the shape: unchanged
    Picture white(9, 9, 0xFFFFFF), same(9, 9, 0x123456);
    ApplySoftShadow(same, white, 5, 5);
    EXPECT_EQ(same.pixels, Picture(9, 9, 0x123456).pixels);
    Picture small(3, 3, 0x404040);  // shrunk away entirely: no shadow
    ApplySoftShadow(small, Picture(3, 3, 0), 7, 7);
    EXPECT_EQ(small.pixels, Picture(3, 3, 0x404040).pixels);
}

// --- recolouring ---------------------------------------------------------------------------------

TEST(Recolour, FlagsApplyInTheirOrder) {
    const std::uint32_t px = 0x6496C8;  // R 100, G 150, B 200; grey 140
    const Colour single = Rgb(1, 2, 3);
    struct Case {
        unsigned flags;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {0, px},
        {recolour::kGrey, 0x8C8C8C},
        {recolour::kDarker, 0x4B7096},
        {recolour::kLighter, 0x7DBBFA},
        {recolour::kSingle, 0x010203},
        {recolour::kInvert, 0x9B6937},
        {recolour::kGrey | recolour::kInvert, 0x737373},
        {recolour::kGrey | recolour::kDarker, 0x696969},
        {recolour::kSingle | recolour::kInvert, 0xFEFDFC},
    };
    for (const Case& c : cases) EXPECT_EQ(RecolourPixel(px, c.flags, single), c.expected);
    EXPECT_EQ(RecolourPixel(0xF0F0F0, recolour::kLighter, 0), 0xFFFFFFu);

    std::vector<std::uint32_t> pixels = {0xFF00FF, px};
    RecolourPixels(pixels, recolour::kInvert, 0, Rgb(255, 0, 255));
    EXPECT_EQ(pixels, (std::vector<std::uint32_t>{0xFF00FF, 0x9B6937}));
}

// --- styled lines and frames --------------------------------------------------------------------

TEST(StyledLine, StylesPensAndTheDoubleLine) {
    const Colour c = Rgb(9, 8, 7);
    EXPECT_TRUE(StyledLineStrokes({0, 0}, {10, 0}, c, linestyle::kNone, 2).empty());
    EXPECT_TRUE(StyledLineStrokes({0, 0}, {10, 0}, c, linestyle::kSolid, 0).empty());
    EXPECT_TRUE(StyledLineStrokes({0, 0}, {10, 0}, c, 7, 1).empty());
    const PenKind pens[] = {PenKind::Solid, PenKind::Dash, PenKind::Dot, PenKind::DashDot,
                            PenKind::DashDotDot};
    for (int style = 1; style <= 5; ++style) {
        const auto s = StyledLineStrokes({1, 2}, {30, 2}, c, style, 3);
        ASSERT_EQ(s.size(), 1u);
        EXPECT_EQ(s[0], (Stroke{{{1, 2}, {30, 2}}, pens[style - 1], 3, c}));
    }
    const auto across = StyledLineStrokes({1, 2}, {30, 5}, c, linestyle::kDouble, 2);
    ASSERT_EQ(across.size(), 2u);
    EXPECT_EQ(across[1].points, (std::vector<Point>{{1, 6}, {30, 9}}));
    const auto down = StyledLineStrokes({4, 0}, {4, 20}, c, linestyle::kDouble, 1);
    ASSERT_EQ(down.size(), 2u);
    EXPECT_EQ(down[1].points, (std::vector<Point>{{6, 0}, {6, 20}}));
}

TEST(StyledFrame, EdgesInsetByHalfTheWidthInTheirColours) {
    const Colour light = Rgb(255, 255, 255), dark = Rgb(0, 0, 0);
    const auto one = StyledFrameStrokes({0, 0, 10, 6}, light, dark, linestyle::kSolid, 1);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0], (Stroke{{{0, 5}, {0, 0}, {9, 0}}, PenKind::Solid, 1, light}));
    EXPECT_EQ(one[1], (Stroke{{{9, 0}, {9, 5}, {0, 5}}, PenKind::Solid, 1, dark}));
    const auto two = StyledFrameStrokes({0, 0, 10, 6}, light, dark, linestyle::kDotted, 2);
    EXPECT_EQ(two[0].points, (std::vector<Point>{{1, 4}, {1, 1}, {8, 1}}));
    EXPECT_EQ(two[0].pen, PenKind::Dot);
    const auto twice = StyledFrameStrokes({0, 0, 20, 20}, light, dark, linestyle::kDouble, 1);
    ASSERT_EQ(twice.size(), 4u);
    EXPECT_EQ(twice[2].points, (std::vector<Point>{{2, 17}, {2, 2}, {17, 2}}));
    EXPECT_EQ(StyledFrameStrokes({0, 0, 3, 3}, light, dark, linestyle::kDouble, 1).size(), 2u);
    EXPECT_TRUE(StyledFrameStrokes({0, 0, 1, 9}, light, dark, linestyle::kSolid, 4).empty());
}

}  // namespace
