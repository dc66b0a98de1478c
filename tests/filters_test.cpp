// Surface filters on small premultiplied buffers where the arithmetic fixes the answer: box
// widths and blurs, offsets, shadows and glows by their flags, bevels lit from one side, the
// gradient filters' colours, the colour matrix, convolution at the edges, how far each filter
// reaches, and the bevel's colours in the order movies store them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "flash/render/filters.h"
#include "flash/render/paint.h"

namespace {

using namespace flash;
using namespace flash::render;

struct BlurCase {
    double width;  // in pixels
    int passes;
    std::vector<std::uint8_t> line;  // 7 bytes around a single 255 in the middle
};

class BoxBlurs : public ::testing::TestWithParam<BlurCase> {};

TEST_P(BoxBlurs, SpreadASinglePixel) {
    const BlurCase& c = GetParam();
    const int width = static_cast<int>(c.width * 256);
    std::vector<std::uint8_t> plane(7, 0);
    plane[3] = 255;
    FilterScratch s;
    BoxBlur(plane.data(), 7, 1, width, 0, c.passes, s);
    EXPECT_EQ(plane, c.line);
    // Along columns the same.
    std::vector<std::uint8_t> column(7, 0);
    column[3] = 255;
    BoxBlur(column.data(), 1, 7, 0, width, c.passes, s);
    EXPECT_EQ(column, c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, BoxBlurs,
    ::testing::Values(BlurCase{1, 1, {0, 0, 0, 255, 0, 0, 0}},
                      BlurCase{3, 1, {0, 0, 85, 85, 85, 0, 0}},
                      BlurCase{5, 1, {0, 51, 51, 51, 51, 51, 0}},
                      // Each mean rounded down.
                      BlurCase{3, 2, {0, 28, 56, 85, 56, 28, 0}},
                      // Between odd widths the pixels just past the whole ones share the rest:
                      // 2 is 1/4, 1/2, 1/4; 4 is 1/8, 1/4, 1/4, 1/4, 1/8.
                      BlurCase{2, 1, {0, 0, 63, 127, 63, 0, 0}},
                      BlurCase{4, 1, {0, 31, 63, 63, 63, 31, 0}},
                      BlurCase{2, 2, {0, 15, 63, 95, 63, 15, 0}}));

TEST(Filters, BoxesSpreadTheBlurPastItsCentrePixelByTheStageScale) {
    // A blur of b reaches (b - 1) / 2 filter pixels either side of the centre pixel, and that
    // reach scales with the stage: at twice the size a blur of 1 is still none and one of 2
    // spreads a whole pixel either side.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double blur, scale, box;
    } cases[] = {{1, 2, 1},
                 {2, 2, 3},
                 {2, 1, 2},
                 {10, 2, 19},
                 {5, 1, 5},
                 {30, 1, 30},
                 {3, 0.5, 2},
                 {0, 1, 1},
                 {0.5, 4, 1},
                 {nan, 1, 1},
                 {-4, 1, 1},
                 {4, nan, 1},
                 // Past Flash Player's range the blur and the scale are held.
                 {1e9, 1e9, 254 * 64 + 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(BoxWidth(c.blur, c.scale), static_cast<int>(c.box * 256))
            << c.blur << " at " << c.scale;
    }
}

TEST(Filters, OffsetsAreRoundedToWholePixels) {
    const double pi = std::acos(-1.0);
    const struct {
        FilterKind kind;
        double angle, distance, scale;
        int dx, dy;
    } cases[] = {{FilterKind::DropShadow, pi / 4, 5, 1, 4, 4},
                 {FilterKind::DropShadow, 0, 15, 1, 15, 0},
                 {FilterKind::DropShadow, pi / 2, 15, 2, 0, 30},
                 {FilterKind::DropShadow, 2 * pi, -21, 1, -21, 0},
                 {FilterKind::Bevel, pi, 2, 1, -2, 0},
                 {FilterKind::GradientGlow, pi / 2, 1, 1, 0, 1},
                 // A glow and a blur never move.
                 {FilterKind::Glow, pi / 4, 5, 1, 0, 0},
                 {FilterKind::Blur, 0, 5, 1, 0, 0}};
    for (const auto& c : cases) {
        Filter f;
        f.kind = c.kind;
        f.angle = c.angle;
        f.distance = c.distance;
        const FilterOffset o = OffsetOf(f, c.scale);
        EXPECT_EQ(o.dx, c.dx) << int(c.kind) << " " << c.angle;
        EXPECT_EQ(o.dy, c.dy) << int(c.kind) << " " << c.angle;
    }
}

constexpr Pixel kBlack = 0xFF000000;
constexpr Pixel kRed = 0xFFFF0000;
constexpr Pixel kBlue = 0xFF0000FF;
constexpr Pixel kWhite = 0xFFFFFFFF;
constexpr Pixel kGreen = 0xFF00FF00;

// A 5 x 5 buffer with one opaque black pixel in the middle, through `f`.
std::vector<Pixel> OnePixel(const Filter& f) {
    std::vector<Pixel> px(25, 0);
    px[12] = kBlack;
    FilterScratch s;
    ApplyFilter(f, 1, px.data(), 5, 5, s);
    return px;
}

Filter Shadow(bool inner, bool knockout, bool composite) {
    Filter f;
    f.kind = FilterKind::DropShadow;
    f.color = {255, 0, 0, 255};
    f.distance = 1;
    f.strength = 1;
    f.passes = 1;
    f.inner = inner;
    f.knockout = knockout;
    f.compositeSource = composite;
    return f;
}

TEST(Filters, ShadowsFallByTheirOffsetBehindOrInsideTheObject) {
    std::vector<Pixel> px = OnePixel(Shadow(false, false, true));
    EXPECT_EQ(px[12], kBlack);
    EXPECT_EQ(px[13], kRed);
    EXPECT_EQ(px[11], 0u);
    px = OnePixel(Shadow(false, true, true));  // knockout: the shadow without the object
    EXPECT_EQ(px[12], 0u);
    EXPECT_EQ(px[13], kRed);
    px = OnePixel(Shadow(false, false, false));  // hidden object: the shadow alone
    EXPECT_EQ(px[12], 0u);
    EXPECT_EQ(px[13], kRed);
    px = OnePixel(Shadow(true, false, true));  // inner: what lies outside shades the pixel
    EXPECT_EQ(px[12], kRed);
    EXPECT_EQ(px[13], 0u);
}

TEST(Filters, GradientGlowsColourTheBlurredAlphaThroughTheirStops) {
    Filter f;
    f.kind = FilterKind::GradientGlow;
    f.blurX = f.blurY = 3;  // a 3 x 3 box: 255 / 3 / 3 = 28 around the pixel
    f.strength = 1;
    f.passes = 1;
    f.compositeSource = true;
    f.stopCount = 3;
    f.stopColors[0] = {0, 0, 255, 0};
    f.stopColors[1] = {0, 255, 0, 255};
    f.stopColors[2] = {255, 0, 0, 255};
    f.stopRatios[0] = 0;
    f.stopRatios[1] = 28;
    f.stopRatios[2] = 255;
    std::vector<Pixel> px = OnePixel(f);
    EXPECT_EQ(px[6], kGreen);
    EXPECT_EQ(px[12], kBlack);
    EXPECT_EQ(px[0], 0u);  // ratio 0: transparent
    // Twice the strength lands between the second and third stops.
    f.strength = 2;
    px = OnePixel(f);
    EXPECT_EQ(PixelA(px[6]), 255u);
    EXPECT_GT(PixelR(px[6]), 0u);
    EXPECT_GT(PixelG(px[6]), PixelR(px[6]));
}

// A bevel lit from the left (angle 0, distance 1, no blur) on a 9 x 1 row whose pixels 3 to 5
// are the opaque black object: the highlight (white) where the object's left edge is, the
// shadow (blue) at its right edge.
struct BevelCase {
    const char* name;
    bool inner, onTop, knockout, gradient;
    std::vector<Pixel> row;
};

class Bevels : public ::testing::TestWithParam<BevelCase> {};

TEST_P(Bevels, LightOneSideAndShadeTheOther) {
    const BevelCase& c = GetParam();
    Filter f;
    f.kind = c.gradient ? FilterKind::GradientBevel : FilterKind::Bevel;
    f.highlight = {255, 255, 255, 255};
    f.color = {0, 0, 255, 255};
    f.distance = 1;
    f.strength = 1;
    f.passes = 1;
    f.inner = c.inner;
    f.onTop = c.onTop;
    f.knockout = c.knockout;
    f.compositeSource = true;
    // The same bevel by gradient: highlight at 0, the flat face clear at 128, shadow at 255.
    f.stopCount = 3;
    f.stopColors[0] = {255, 255, 255, 255};
    f.stopColors[1] = {0, 0, 0, 0};
    f.stopColors[2] = {0, 0, 255, 255};
    f.stopRatios[0] = 0;
    f.stopRatios[1] = 128;
    f.stopRatios[2] = 255;
    std::vector<Pixel> px{0, 0, 0, kBlack, kBlack, kBlack, 0, 0, 0};
    FilterScratch s;
    ApplyFilter(f, 1, px.data(), 9, 1, s);
    EXPECT_EQ(px, c.row);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, Bevels,
    ::testing::Values(
        BevelCase{"Inner", true, false, false, false, {0, 0, 0, kWhite, kBlack, kBlue, 0, 0, 0}},
        BevelCase{"Outer",
                  false,
                  false,
                  false,
                  false,
                  {0, 0, kWhite, kBlack, kBlack, kBlack, kBlue, 0, 0}},
        BevelCase{
            "Full", false, true, false, false, {0, 0, kWhite, kWhite, kBlack, kBlue, kBlue, 0, 0}},
        BevelCase{"FullKnockedOut",
                  false,
                  true,
                  true,
                  false,
                  {0, 0, kWhite, kWhite, 0, kBlue, kBlue, 0, 0}},
        BevelCase{
            "InnerKnockedOut", true, false, true, false, {0, 0, 0, kWhite, 0, kBlue, 0, 0, 0}},
        BevelCase{"GradientFull",
                  false,
                  true,
                  false,
                  true,
                  {0, 0, kWhite, kWhite, kBlack, kBlue, kBlue, 0, 0}},
        BevelCase{"GradientOuter",
                  false,
                  false,
                  false,
                  true,
                  {0, 0, kWhite, kBlack, kBlack, kBlack, kBlue, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Filters, ColourMatrixWorksOnStraightColour) {
    Filter f;
    f.kind = FilterKind::ColorMatrix;
    // Red and blue swapped, green raised by 10, alpha kept.
    const float m[20] = {0, 0, 1, 0, 0, 0, 1, 0, 0, 10, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    std::copy(std::begin(m), std::end(m), f.matrix.begin());
    std::vector<Pixel> px{0x80800000, 0xFF102030, 0};  // half-transparent red (straight 255,0,0)
    FilterScratch s;
    ApplyFilter(f, 1, px.data(), 3, 1, s);
    EXPECT_EQ(px[0], 0x80000580u);
    EXPECT_EQ(px[1], 0xFF302A10u);
    EXPECT_EQ(px[2], 0u);
}

// Convolutions on a row of three opaque greys 30, 60, 90.
struct ConvolutionCase {
    const char* name;
    std::vector<float> matrix;  // one row
    float divisor, bias;
    bool clamp, preserveAlpha;
    std::vector<Rgba> row;  // straight colours expected
};

class Convolutions : public ::testing::TestWithParam<ConvolutionCase> {};

TEST_P(Convolutions, WeighNeighboursAndFillTheEdges) {
    const ConvolutionCase& c = GetParam();
    Filter f;
    f.kind = FilterKind::Convolution;
    f.matrixX = static_cast<std::uint8_t>(c.matrix.size());
    f.matrixY = 1;
    std::copy(c.matrix.begin(), c.matrix.end(), f.matrix.begin());
    f.divisor = c.divisor;
    f.bias = c.bias;
    f.clamp = c.clamp;
    f.preserveAlpha = c.preserveAlpha;
    f.defaultColor = {0, 0, 0, 0};
    std::vector<Pixel> px{0xFF1E1E1E, 0xFF3C3C3C, 0xFF5A5A5A};
    FilterScratch s;
    ApplyFilter(f, 1, px.data(), 3, 1, s);
    std::vector<Pixel> expected;
    for (const Rgba& r : c.row) expected.push_back(Premultiply(r));
    EXPECT_EQ(px, expected);
}

constexpr Rgba Grey(std::uint8_t v, std::uint8_t a = 255) {
    return {v, v, v, a};
}

INSTANTIATE_TEST_SUITE_P(
    Filters, Convolutions,
    ::testing::Values(
        ConvolutionCase{"Identity", {1}, 1, 0, true, false, {Grey(30), Grey(60), Grey(90)}},
        ConvolutionCase{"Bias", {1}, 1, 10, true, false, {Grey(40), Grey(70), Grey(100)}},
        // A divisor of 0 divides by 1.
        ConvolutionCase{"NoDivisor", {0.5f}, 0, 0, true, true, {Grey(15), Grey(30), Grey(45)}},
        ConvolutionCase{
            "MeanClamped", {1, 1, 1}, 3, 0, true, false, {Grey(40), Grey(60), Grey(80)}},
        // Past the edge the default colour (transparent black) stands in, alpha and all.
        ConvolutionCase{"MeanWithDefault",
                        {1, 1, 1},
                        3,
                        0,
                        false,
                        false,
                        {Grey(30, 170), Grey(60), Grey(50, 170)}},
        ConvolutionCase{
            "MeanKeepingAlpha", {1, 1, 1}, 3, 0, false, true, {Grey(30), Grey(60), Grey(50)}},
        // The matrix's last column is the right-hand neighbour.
        ConvolutionCase{
            "RightNeighbour", {0, 0, 1}, 1, 0, true, false, {Grey(60), Grey(90), Grey(90)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Filters, MarginsCoverBlurAndOffset) {
    Filter blur;
    blur.kind = FilterKind::Blur;
    blur.blurX = 4;
    blur.blurY = 2;
    blur.passes = 2;
    const FilterMargins b = MarginsOf(blur, 2);
    EXPECT_EQ(b.left, 6);  // a box of 7 reaches 3 pixels, twice
    EXPECT_EQ(b.top, 2);
    EXPECT_EQ(MarginsOf(blur, 1).left, 4);  // a box of 4 reaches into a second pixel, twice
    Filter shadow = Shadow(false, false, true);
    shadow.distance = 5;
    const FilterMargins d = MarginsOf(shadow, 1);
    EXPECT_EQ(d.left, 0);
    EXPECT_EQ(d.right, 5);
    Filter bevel = shadow;
    bevel.kind = FilterKind::Bevel;
    EXPECT_EQ(MarginsOf(bevel, 1).left, 5);  // lit and shaded sides both
    Filter convolution;
    convolution.kind = FilterKind::Convolution;
    convolution.blurX = 10;
    EXPECT_EQ(MarginsOf(convolution, 1).right, 0);
}

TEST(Filters, BevelsReadTheHighlightFirst) {
    // One bevel as movies store it: highlight, then shadow, blur, angle, distance, strength,
    // flags (inner, composite source, one pass).
    const std::vector<std::uint8_t> bytes{
        3, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF,  // id, highlight, shadow
        0, 0,    1,    0,    0,    0,    1,    0,           // blur x, y
        0, 0,    0,    0,    0,    0,    1,    0,           // angle, distance
        0, 1,    0xA1};
    FilterReader reader(bytes, FilterList{{0, static_cast<std::uint32_t>(bytes.size())}, 1});
    Filter f;
    ASSERT_TRUE(reader.Next(f));
    EXPECT_EQ(f.kind, FilterKind::Bevel);
    EXPECT_EQ(f.highlight, (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(f.color, (Rgba{0, 0, 255, 255}));
    EXPECT_TRUE(f.inner);
}

}  // namespace
