// Surface filters on small premultiplied buffers where the arithmetic fixes the answer: box
// blurs by width and passes, the colour matrix on straight colour, shadows offset, knocked
// out and thrown inwards, and how far each filter reaches past its object.
#include <gtest/gtest.h>

#include "flash/render/filters.h"

namespace {

using namespace flash;
using namespace flash::render;

struct BlurCase {
    int width;
    int passes;
    std::vector<std::uint8_t> line;  // 7 bytes around a single 255 in the middle
};

class BoxBlurs : public ::testing::TestWithParam<BlurCase> {};

TEST_P(BoxBlurs, SpreadASinglePixel) {
    const BlurCase& c = GetParam();
    std::vector<std::uint8_t> plane(7, 0);
    plane[3] = 255;
    FilterScratch s;
    BoxBlur(plane.data(), 7, 1, c.width, 0, c.passes, s);
    EXPECT_EQ(plane, c.line);
    // Along columns the same.
    std::vector<std::uint8_t> column(7, 0);
    column[3] = 255;
    BoxBlur(column.data(), 1, 7, 0, c.width, c.passes, s);
    EXPECT_EQ(column, c.line);
}

INSTANTIATE_TEST_SUITE_P(Filters, BoxBlurs,
                         ::testing::Values(BlurCase{1, 1, {0, 0, 0, 255, 0, 0, 0}},
                                           BlurCase{3, 1, {0, 0, 85, 85, 85, 0, 0}},
                                           // Each mean rounded down.
                                           BlurCase{3, 2, {0, 28, 56, 85, 56, 28, 0}},
                                           // An even width counts as the next odd one.
                                           BlurCase{2, 1, {0, 0, 85, 85, 85, 0, 0}}));

constexpr Pixel kBlack = 0xFF000000;
constexpr Pixel kRed = 0xFFFF0000;

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

TEST(Filters, MarginsCoverBlurAndOffset) {
    Filter blur;
    blur.kind = FilterKind::Blur;
    blur.blurX = 4;
    blur.blurY = 2;
    blur.passes = 2;
    const FilterMargins b = MarginsOf(blur, 2);
    EXPECT_EQ(b.left, 6);  // a box of 7 reaches 3 pixels, twice
    EXPECT_EQ(b.top, 2);
    Filter shadow = Shadow(false, false, true);
    shadow.distance = 5;
    const FilterMargins d = MarginsOf(shadow, 1);
    EXPECT_EQ(d.left, 0);
    EXPECT_EQ(d.right, 5);
    Filter convolution;
    convolution.kind = FilterKind::Convolution;
    EXPECT_FALSE(FilterDrawn(convolution.kind));
    EXPECT_EQ(MarginsOf(convolution, 1).right, 0);
}

}  // namespace
