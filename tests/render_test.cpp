// The rasteriser's pixels where the format (or Flash Player's own pictures) fixes them: which
// pixels a shape covers, fill rules, colours and colour transforms, gradient stops and spread
// modes, caps and joins, masks, blend modes, the stage transform, and bad drawing calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <span>
#include <vector>

#include "flash/render/blend.h"
#include "flash/render/flatten.h"
#include "flash/render/fuzz_shape.h"
#include "flash/render/paint.h"
#include "flash/render/renderer.h"
#include "flash/render/scan_converter.h"
#include "tests/render_scene.h"
#include "tools/swf_shape_writer.h"

namespace {

using namespace flash;
using namespace flash::render;
using rendertest::DrawRequest;
using rendertest::DrawShapeBody;
using rendertest::Picture;
using swfwriter::ShapeWriter;

constexpr Pixel kWhite = 0xFFFFFFFF;
constexpr Pixel kBlack = 0xFF000000;

DrawRequest Request(const ShapeWriter& w, int width = 16, int height = 16) {
    DrawRequest r;
    r.tagCode = w.TagCode();
    r.body = w.Build();
    r.width = width;
    r.height = height;
    return r;
}

// One black rectangle, in twips.
ShapeWriter BlackRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    ShapeWriter s(3);
    s.Fill1(s.Solid({0, 0, 0, 255})).Rect(x, y, w, h);
    return s;
}

struct RectCase {
    std::int32_t x, y, w, h;
    const char* picture;  // 4 x 3 pixels
};

class AliasedRectangle : public ::testing::TestWithParam<RectCase> {};

// Aliased drawing covers exactly the pixels whose centres lie inside: the left and top edges
// hold their centres, the right and bottom ones do not.
TEST_P(AliasedRectangle, CoversThePixelsWhoseCentresItHolds) {
    const RectCase& c = GetParam();
    const PixelBuffer p = DrawShapeBody(Request(BlackRect(c.x, c.y, c.w, c.h), 4, 3));
    EXPECT_EQ(Picture(p, kBlack, kWhite), c.picture);
}

INSTANTIATE_TEST_SUITE_P(
    Render, AliasedRectangle,
    ::testing::Values(RectCase{20, 20, 40, 20, "....\n.##.\n....\n"},     // on pixel edges
                      RectCase{10, 10, 20, 20, "#...\n....\n....\n"},     // centre on the edge
                      RectCase{11, 11, 40, 20, "....\n.##.\n....\n"},     // just past a centre
                      RectCase{25, 25, 5, 5, "....\n....\n....\n"},       // between centres
                      RectCase{-100, 30, 1000, 10, "....\n####\n....\n"}  // beyond the surface
                      ));

struct RuleCase {
    bool nonZero;
    bool secondReversed;
    bool overlapInked;
};

class FillRule : public ::testing::TestWithParam<RuleCase> {};

// Two squares overlapping in the middle: even-odd leaves the overlap empty; non-zero fills it
// unless the second square runs the other way round.
TEST_P(FillRule, DecidesTheOverlap) {
    const RuleCase& c = GetParam();
    ShapeWriter w(4);
    w.NonZeroWinding(c.nonZero);
    w.Fill1(w.Solid({0, 0, 0, 255})).Rect(20, 20, 160, 160);
    if (c.secondReversed) {
        w.MoveTo(100, 100).LineTo(100, 260).LineTo(260, 260).LineTo(260, 100).LineTo(100, 100);
    } else {
        w.Rect(100, 100, 160, 160);
    }
    const PixelBuffer p = DrawShapeBody(Request(w));
    EXPECT_EQ(p.At(2, 2), kBlack);
    EXPECT_EQ(p.At(11, 11), kBlack);
    EXPECT_EQ(p.At(7, 7), c.overlapInked ? kBlack : kWhite);
}

INSTANTIATE_TEST_SUITE_P(Render, FillRule,
                         ::testing::Values(RuleCase{false, false, false},
                                           RuleCase{false, true, false},
                                           RuleCase{true, false, true},
                                           RuleCase{true, true, false}));

TEST(Render, EachSideOfAnEdgeFillsWithItsOwnStyleAndSharedEdgesLeaveNoSeam) {
    // A square split down the middle at 7.5 pixels: left half red (fill1 of the clockwise
    // outline's left part, fill0 of the middle edge going up), right half blue.
    ShapeWriter w(3);
    const std::uint16_t red = w.Solid({255, 0, 0, 255}), blue = w.Solid({0, 0, 255, 255});
    w.Fill1(red).MoveTo(150, 300).LineTo(20, 300).LineTo(20, 20).LineTo(150, 20);
    w.Fill0(red).Fill1(blue).LineTo(150, 300);
    w.Fill0(0).Fill1(blue).LineTo(300, 300).LineTo(300, 20).LineTo(150, 20);
    for (Quality q : {Quality::Low, Quality::High, Quality::Best}) {
        DrawRequest r = Request(w);
        r.quality = q;
        const PixelBuffer p = DrawShapeBody(r);
        EXPECT_EQ(p.At(4, 8), 0xFFFF0000u);
        EXPECT_EQ(p.At(11, 8), 0xFF0000FFu);
        // The pixel the middle edge halves: red and blue, nothing of the white behind.
        const Pixel mid = p.At(7, 8);
        EXPECT_EQ(PixelG(mid), 0u) << std::hex << mid;
        EXPECT_GE(PixelR(mid) + PixelB(mid), 254u) << std::hex << mid;
    }
}

// The scan converter's own coverage at 4 x 4 samples: the styles each pixel hands on, with the
// samples each holds (samples at 1/8, 3/8, 5/8 and 7/8 of a pixel each way).
struct CoverRect {
    double x0, y0, x1, y1;  // device pixels
    std::uint16_t style;
};
struct PixelCoverCase {
    const char* name;
    std::vector<CoverRect> rects;
    int x, y;  // the pixel looked at
    std::map<std::uint16_t, int> expected;
};

void PrintTo(const PixelCoverCase& c, std::ostream* os) {
    *os << c.name;
}

class ScanCoverage : public ::testing::TestWithParam<PixelCoverCase> {};

TEST_P(ScanCoverage, CountsEachStylesSamplesOnceInThePixel) {
    struct Sink final : CoverageSink {
        std::map<std::pair<int, int>, std::map<std::uint16_t, int>> pixels;
        void Row(int y, std::span<const CoverageRun> runs,
                 std::span<const StyleCoverage> cover) override {
            for (const CoverageRun& run : runs) {
                for (int x = run.x0; x < run.x1; ++x) {
                    auto& styles = pixels[{x, y}];
                    for (std::uint32_t i = 0; i < run.count; ++i) {
                        const StyleCoverage& c = cover[run.first + i];
                        // A style appears once per run: the colour sink mixes each entry.
                        EXPECT_EQ(styles.count(c.style), 0u) << x << "," << y;
                        styles[c.style] = c.coverage;
                    }
                }
            }
        }
    } sink;
    ScanConverter scan;
    scan.Reset({0, 0, 8, 4}, 4);
    std::uint16_t top = 0;
    for (const CoverRect& r : GetParam().rects) {
        // Left side down, right side up: the style lies on each one's fill0 side.
        scan.AddLine({r.x0, r.y0}, {r.x0, r.y1}, r.style, 0);
        scan.AddLine({r.x1, r.y1}, {r.x1, r.y0}, r.style, 0);
        top = std::max(top, r.style);
    }
    scan.Render(flash::render::FillRule::NonZero, top, sink);
    const auto at = sink.pixels.find({GetParam().x, GetParam().y});
    const std::map<std::uint16_t, int> got =
        at == sink.pixels.end() ? std::map<std::uint16_t, int>{} : at->second;
    EXPECT_EQ(got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Render, ScanCoverage,
    ::testing::Values(
        PixelCoverCase{"Whole", {{0, 0, 3, 1, 1}}, 1, 0, {{1, 16}}},
        PixelCoverCase{
            "Quadrants",
            {{0, 0, 0.5, 0.5, 1}, {0.5, 0, 1, 0.5, 2}, {0, 0.5, 0.5, 1, 3}, {0.5, 0.5, 1, 1, 4}},
            0,
            0,
            {{1, 4}, {2, 4}, {3, 4}, {4, 4}}},
        // Both halves reach the pixels on either side: the same style in several sample rows
        // and several spans is still one entry.
        PixelCoverCase{
            "SideBySide", {{0, 0, 1.5, 2, 1}, {1.5, 0, 3, 2, 2}}, 1, 1, {{1, 8}, {2, 8}}},
        PixelCoverCase{"Stacked", {{0, 0, 3, 1.5, 1}, {0, 1.5, 3, 3, 2}}, 1, 1, {{1, 8}, {2, 8}}},
        // The later style lies above the earlier one where both pass.
        PixelCoverCase{"Above", {{0, 0, 4, 1, 1}, {1.25, 0, 4, 1, 2}}, 1, 0, {{1, 4}, {2, 12}}},
        // Edges through sample centres (3/8 and 7/8): the left one holds its column, the
        // right one does not.
        PixelCoverCase{"CentresOnEdges", {{2.375, 0, 2.875, 1, 1}}, 2, 0, {{1, 8}}},
        PixelCoverCase{"PartRows", {{0, 0.375, 3, 0.875, 1}}, 1, 0, {{1, 8}}},
        PixelCoverCase{"Missed", {{0.25, 0, 0.3, 1, 1}}, 0, 0, {}}),
    [](const ::testing::TestParamInfo<PixelCoverCase>& info) { return info.param.name; });

TEST(Render, HighQualityPartCoverageLeavesFlashPlayersValues) {
    // A rectangle whose right edge (and bottom edge) cut pixel (5, 3): high quality counts
    // sixteenths of a pixel, and the colour it leaves over the white backdrop is rounded down,
    // as in Flash Player's pictures.
    struct Case {
        std::int32_t right, bottom;  // twips
        std::uint8_t green;          // of the fill
        std::uint32_t expected;      // green of pixel (5, 3)
    };
    for (const Case& c : {Case{110, 320, 0, 127},
                          {110, 70, 0, 191},
                          {106, 320, 0, 191},
                          {103, 63, 0, 239},
                          {106, 320, 73, 209}}) {
        ShapeWriter w(3);
        w.Fill1(w.Solid({0, c.green, 0, 255})).Rect(0, 0, c.right, c.bottom);
        DrawRequest r = Request(w);
        r.quality = Quality::High;
        const PixelBuffer p = DrawShapeBody(r);
        EXPECT_EQ(PixelG(p.At(5, 3)), c.expected) << c.right << " " << c.bottom;
        EXPECT_EQ(PixelG(p.At(4, 2)), c.green);
        EXPECT_EQ(p.At(6, 3), kWhite);
    }
}

struct CxCase {
    Rgba color;
    ColorTransform cx;
    Rgba expected;
};

class ColorTransformOnStyles : public ::testing::TestWithParam<CxCase> {};

TEST_P(ColorTransformOnStyles, AppliesToStraightColourAndClamps) {
    const CxCase& c = GetParam();
    EXPECT_EQ(ApplyColorTransform(c.color, c.cx), c.expected);
    // Drawn, the transformed colour lands premultiplied over the backdrop.
    ShapeWriter w(3);
    w.Fill1(w.Solid(swfwriter::Color{c.color.r, c.color.g, c.color.b, c.color.a}))
        .Rect(0, 0, 320, 320);
    DrawRequest r = Request(w);
    r.cx = c.cx;
    r.background = {0, 0, 0};
    EXPECT_EQ(DrawShapeBody(r).At(8, 8), Over(Premultiply(c.expected), kBlack));
}

INSTANTIATE_TEST_SUITE_P(
    Render, ColorTransformOnStyles,
    ::testing::Values(
        CxCase{{200, 100, 50, 255}, {}, {200, 100, 50, 255}},
        CxCase{{255, 255, 255, 255}, {128, 64, 0, 256, 0, 0, 0, 0}, {127, 63, 0, 255}},
        CxCase{{200, 100, 50, 255}, {256, 256, 256, 256, 100, -150, 0, 0}, {255, 0, 50, 255}},
        CxCase{{200, 100, 50, 255}, {-256, 512, 256, 256, 10, 0, 0, 0}, {0, 200, 50, 255}},
        CxCase{{200, 100, 50, 255}, {256, 256, 256, 128, 0, 0, 0, 0}, {200, 100, 50, 127}},
        CxCase{{200, 100, 50, 10}, {256, 256, 256, 256, 0, 0, 0, 300}, {200, 100, 50, 255}}));

TEST(Render, PlacementMatrixMovesAndScalesTheShape) {
    DrawRequest r = Request(BlackRect(0, 0, 40, 20));  // 2 x 1 pixels
    r.placement = Matrix::Translate(5, 3) * Matrix::Scale(3, 2);
    const PixelBuffer p = DrawShapeBody(r);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(p.At(x, y), x >= 5 && x < 11 && y >= 3 && y < 5 ? kBlack : kWhite)
                << x << "," << y;
        }
    }
}

struct SubTwipCase {
    double scale, tx;
    const char* picture;  // 5 x 3 pixels
};

class AliasedEdgeBetweenTwips : public ::testing::TestWithParam<SubTwipCase> {};

// A rectangle from 1.5 to 4.5 pixels across: where a scale puts its left edge between twips,
// the edge is drawn at the nearest 256th of a pixel, not pulled onto a twip first; a
// translation, though, is held at whole twips.
TEST_P(AliasedEdgeBetweenTwips, LandsOnTheNearest256thOfAPixel) {
    const SubTwipCase& c = GetParam();
    DrawRequest r = Request(BlackRect(30, 20, 60, 20), 5, 3);
    r.placement = Matrix::Translate(c.tx, 0) * Matrix::Scale(c.scale, 1);
    EXPECT_EQ(Picture(DrawShapeBody(r), kBlack, kWhite), c.picture);
}

INSTANTIATE_TEST_SUITE_P(
    Render, AliasedEdgeBetweenTwips,
    ::testing::Values(SubTwipCase{1, 0, ".....\n.###.\n.....\n"},      // the centre on the edge
                      SubTwipCase{1.01, 0, ".....\n..###\n.....\n"},   // 1.515: past the centre
                      SubTwipCase{1.001, 0, ".....\n.####\n.....\n"},  // 4.5045 is 1153/256
                      SubTwipCase{1, 0.014, ".....\n.###.\n.....\n"},  // moved back to 1.5
                      SubTwipCase{1, 0.026, ".....\n..###\n.....\n"}   // moved on to 1.55
                      ));

TEST(Flatten, PlacedChordEndsSitOnWholeShapeUnits) {
    // Counted from the curve as drawn once that needs more: at 20 times the size it bends 20
    // times as much and takes about sqrt(20) times the chords.
    const Point p0{0, 0}, c{19, 0}, p1{21, 21};
    const Matrix toPixels = Matrix::Translate(3, 2) * Matrix::Scale(0.05, 0.05);
    std::vector<Point> small, large;
    FlattenPlacedQuad(toPixels, p0, c, p1, 0.125, [&](Point p) { small.push_back(p); });
    FlattenPlacedQuad(Matrix::Scale(20, 20) * toPixels, p0, c, p1, 0.125,
                      [&](Point p) { large.push_back(p); });
    ASSERT_EQ(small.size(), 2u);
    EXPECT_EQ(large.size(), 9u);
    // The midpoint (14.75, 5.25) is held at (15, 5) before it is placed.
    EXPECT_EQ(small[0], toPixels.Apply({15, 5}));
    EXPECT_EQ(small[1], toPixels.Apply(p1));
    for (const Point& q : large) {
        const Point unit{q.x - 60, q.y - 40};  // back into shape units
        EXPECT_EQ(unit.x, std::floor(unit.x)) << unit.x;
        EXPECT_EQ(unit.y, std::floor(unit.y)) << unit.y;
    }
    // Halves round up, below zero too.
    std::vector<Point> halves;
    FlattenPlacedQuad(Matrix{}, {-3, 0}, {-1, 1}, {3, 0}, 0.5,
                      [&](Point p) { halves.push_back(p); });
    ASSERT_EQ(halves.size(), 2u);
    EXPECT_EQ(halves[0], (Point{0, 1}));  // from (-0.5, 0.5)
    // A glyph's curve, 100 times as many units drawn at a 2000th: a tiny bend on the device,
    // but counted in its units it takes ceil(sqrt(3800 / 10)) chords.
    std::vector<Point> glyph;
    FlattenPlacedQuad(Matrix::Scale(0.0005, 0.0005), p0, {1900, 0}, {2100, 2100}, 0.125,
                      [&](Point p) { glyph.push_back(p); });
    EXPECT_EQ(glyph.size(), 20u);
}

// A linear gradient across a 256-pixel row, black at ratio 0 to white at 255, red at 100:
// the square's 32768 units map onto the row, so pixel i sits on ratio i.
ShapeWriter GradientRow(double widthPixels, int spread, std::vector<swfwriter::Stop> stops) {
    ShapeWriter w(3);
    const double scale = widthPixels * 20 / 32768;
    w.Fill1(
         w.Linear({scale, 0, 0, 1, static_cast<std::int32_t>(widthPixels * 10), 0}, stops, spread))
        .Rect(0, 0, 256 * 20, 20);
    return w;
}

TEST(Render, GradientStopsLandOnTheirRatios) {
    const std::vector<swfwriter::Stop> stops = {
        {0, {0, 0, 0, 255}}, {100, {255, 0, 0, 255}}, {255, {255, 255, 255, 255}}};
    const PixelBuffer p = DrawShapeBody(Request(GradientRow(256, 0, stops), 256, 1));
    EXPECT_EQ(p.At(0, 0), kBlack);
    EXPECT_EQ(p.At(100, 0), 0xFFFF0000u);
    EXPECT_EQ(p.At(255, 0), kWhite);
    // Half way from black to red, 127.5, is rounded down, as Flash Player's ramps are.
    EXPECT_EQ(PixelR(p.At(50, 0)), 127u);
    EXPECT_EQ(PixelG(p.At(50, 0)), 0u);
}

struct RampCase {
    const char* what;  // the case's name
    Interpolation interpolation;
    std::vector<GradientStop> stops;
    std::vector<std::pair<int, Rgba>> entries;  // ramp index, straight colour it holds
};

class GradientRampEntries : public ::testing::TestWithParam<RampCase> {};

// The entries Flash Player's ramps hold where stops share a ratio, go back, or mix in linear
// light (values read from its pictures).
TEST_P(GradientRampEntries, HoldFlashPlayersColours) {
    const RampCase& c = GetParam();
    Gradient g;
    g.interpolation = c.interpolation;
    g.count = static_cast<std::uint8_t>(c.stops.size());
    std::copy(c.stops.begin(), c.stops.end(), g.stops.begin());
    GradientRamp ramp;
    BuildGradientRamp(g, ColorTransform{}, ramp);
    for (const auto& [index, color] : c.entries)
        EXPECT_EQ(ramp[index], Premultiply(color)) << "entry " << index;
}

constexpr Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255};
constexpr Rgba kBlackRgba{0, 0, 0, 255};

INSTANTIATE_TEST_SUITE_P(
    Render, GradientRampEntries,
    ::testing::Values(
        // A run sharing ratio 100: its first stop on 100 and 101, the next on 102, and the
        // mix from its last stop (blue) onwards from 103, 3 % of the way to white.
        RampCase{"RunSharingARatio",
                 Interpolation::Rgb,
                 {{0, kBlackRgba},
                  {100, kRed},
                  {100, kGreen},
                  {100, kBlue},
                  {200, {255, 255, 255, 255}}},
                 {{100, kRed}, {101, kRed}, {102, kGreen}, {103, {7, 7, 255, 255}}}},
        // Green at 80 then cyan at 50: green holds one entry more, then cyan mixes towards
        // magenta as from ratio 50.
        RampCase{"RatioGoingBack",
                 Interpolation::Rgb,
                 {{31, kRed}, {80, kGreen}, {50, {0, 255, 255, 255}}, {100, {255, 0, 255, 255}}},
                 {{80, kGreen}, {81, kGreen}, {82, {163, 91, 255, 255}}}},
        // Linear light of 8 bits, truncated both ways: black to red steps coarsely in the
        // dark, and full red comes back as 254. A run at the start shows its first stop up
        // to one entry past its ratio.
        RampCase{"LinearLight",
                 Interpolation::LinearRgb,
                 {{6, kRed}, {6, kGreen}, {6, kBlue}, {6, kBlackRgba}, {150, kRed}},
                 {{7, {254, 0, 0, 255}},
                  {8, {0, 254, 0, 255}},
                  {10, {46, 0, 0, 255}},
                  {15, {68, 0, 0, 255}},
                  {150, {254, 0, 0, 255}}}}),
    [](const auto& info) { return std::string(info.param.what); });

struct SamplingCase {
    Quality quality;
    bool radial;
    std::uint32_t value;  // pixel 50's grey
};

class GradientSampling : public ::testing::TestWithParam<SamplingCase> {};

// Black up to ratio 100, white from 101, across 128 pixels: pixel 50's corner lies on ratio
// 100, its centre half way to 101. Without anti-aliasing the pixel shows the two entries around
// its centre mixed, radial gradients too; anti-aliased, the entry its corner falls in.
TEST_P(GradientSampling, ReadsTheRampAsFlashPlayerDoes) {
    const SamplingCase& c = GetParam();
    const std::vector<swfwriter::Stop> stops = {{100, {0, 0, 0, 255}}, {101, {255, 255, 255, 255}}};
    ShapeWriter w = GradientRow(128, 0, stops);
    if (c.radial) {
        // Centred on the row's top-left corner, 128 pixels in radius.
        w = ShapeWriter(3);
        const double scale = 128 * 20 / 16384.0;
        w.Fill1(w.Radial({scale, 0, 0, scale, 0, 0}, stops)).Rect(0, 0, 256 * 20, 20);
    }
    DrawRequest r = Request(w, 128, 1);
    r.quality = c.quality;
    EXPECT_EQ(PixelR(DrawShapeBody(r).At(50, 0)), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Render, GradientSampling,
    ::testing::Values(SamplingCase{Quality::Low, false, 128}, SamplingCase{Quality::Low, true, 128},
                      SamplingCase{Quality::High, false, 0}, SamplingCase{Quality::High, true, 0}),
    [](const auto& info) {
        return std::string(info.param.quality == Quality::Low ? "Low" : "High") +
               (info.param.radial ? "Radial" : "Linear");
    });

TEST(Render, SpreadModesContinueTheRampPastItsEnd) {
    const std::vector<swfwriter::Stop> stops = {{0, {0, 0, 0, 255}}, {255, {255, 255, 255, 255}}};
    // The ramp spans the first 128 pixels; the row goes on for 128 more.
    const PixelBuffer pad = DrawShapeBody(Request(GradientRow(128, 0, stops), 256, 1));
    const PixelBuffer reflect = DrawShapeBody(Request(GradientRow(128, 1, stops), 256, 1));
    const PixelBuffer repeat = DrawShapeBody(Request(GradientRow(128, 2, stops), 256, 1));
    for (int i = 8; i < 120; i += 16) {
        EXPECT_EQ(pad.At(128 + i, 0), kWhite) << i;
        EXPECT_EQ(repeat.At(128 + i, 0), repeat.At(i, 0)) << i;
        EXPECT_EQ(reflect.At(128 + i, 0), reflect.At(127 - i, 0)) << i;
        EXPECT_LT(PixelR(pad.At(i, 0)), PixelR(pad.At(i + 8, 0))) << i;
    }
    // Positions a degenerate placement leaves undefined land on the ramp's ends.
    constexpr double kInf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ApplySpread(SpreadMode::Pad, kInf), 1.0);
    EXPECT_EQ(ApplySpread(SpreadMode::Pad, std::nan("")), 0.0);
    EXPECT_EQ(ApplySpread(SpreadMode::Repeat, kInf), 0.0);
    EXPECT_EQ(ApplySpread(SpreadMode::Reflect, -kInf), 0.0);
}

TEST(Render, RadialAndFocalGradientsCentreOnTheirFocus) {
    const std::vector<swfwriter::Stop> stops = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};
    for (double focal : {0.0, 0.5}) {
        ShapeWriter w(4);
        const swfwriter::ShapeMatrix m{100 * 20 / 32768.0, 0,        0,
                                       100 * 20 / 32768.0, 128 * 20, 128 * 20};
        w.Fill1(focal == 0 ? w.Radial(m, stops) : w.Focal(m, stops, focal))
            .Rect(0, 0, 256 * 20, 256 * 20);
        const PixelBuffer p = DrawShapeBody(Request(w, 256, 256));
        // Radius 50 pixels; the focus sits focal * 50 pixels right of the centre.
        const int fx = 128 + static_cast<int>(focal * 50);
        EXPECT_LT(PixelB(p.At(fx, 128)), 8u) << focal;
        EXPECT_EQ(p.At(5, 5), 0xFF0000FFu) << focal;  // past the circle: the last stop
        EXPECT_GT(PixelB(p.At(128, 100)), PixelB(p.At(128, 120))) << focal;
    }
}

struct CapCase {
    std::uint8_t cap;
    const char* centreRow;  // the row through the line
    const char* edgeRow;    // the stroke's top row
};

class LineCap : public ::testing::TestWithParam<CapCase> {};

// A 6-pixel-wide line from x=6 to x=12 along y=8: no caps stop at the ends, square caps reach
// a half width further, round caps too but not into the corners.
TEST_P(LineCap, ShapesTheEnds) {
    const CapCase& c = GetParam();
    ShapeWriter w(4);
    swfwriter::LineStyle2 l;
    l.width = 120;
    l.startCap = l.endCap = c.cap;
    w.LineStyle(w.Line(l)).MoveTo(120, 160).LineTo(240, 160);
    const PixelBuffer p = DrawShapeBody(Request(w, 18, 16));
    const std::string picture = Picture(p, kBlack, kWhite);
    EXPECT_EQ(picture.substr(8 * 19, 18), c.centreRow) << picture;
    EXPECT_EQ(picture.substr(5 * 19, 18), c.edgeRow) << picture;
}

INSTANTIATE_TEST_SUITE_P(Render, LineCap,
                         ::testing::Values(CapCase{1, "......######......", "......######......"},
                                           CapCase{2, "...############...", "...############..."},
                                           CapCase{0, "...############...", "....##########...."}));

struct JoinCase {
    std::uint8_t join;
    double miterLimit;
    bool cornerInked;
};

class LineJoin : public ::testing::TestWithParam<JoinCase> {};

// A right-angled corner of a 4-pixel line at (4,4): only a miter (within its limit) reaches
// the outer corner pixel at (2,2).
TEST_P(LineJoin, ShapesTheOuterCorner) {
    const JoinCase& c = GetParam();
    ShapeWriter w(4);
    swfwriter::LineStyle2 l;
    l.width = 80;
    l.join = c.join;
    l.miterLimit = c.miterLimit;
    w.LineStyle(w.Line(l)).MoveTo(80, 280).LineTo(80, 80).LineTo(280, 80);
    const PixelBuffer p = DrawShapeBody(Request(w));
    EXPECT_EQ(p.At(2, 2), c.cornerInked ? kBlack : kWhite);
    EXPECT_EQ(p.At(3, 3), kBlack);   // inside every join
    EXPECT_EQ(p.At(5, 10), kBlack);  // the legs themselves
    EXPECT_EQ(p.At(10, 5), kBlack);
}

INSTANTIATE_TEST_SUITE_P(Render, LineJoin,
                         ::testing::Values(JoinCase{0, 3, false}, JoinCase{1, 3, false},
                                           JoinCase{2, 3, true}, JoinCase{2, 1, false}));

TEST(Render, HairlinesAndThinLinesAreOnePixel) {
    // Width 0, one twip, and 20 twips shrunk to a tenth: each one row of pixels, on the
    // boundary between rows 7 and 8 (the row whose centre the line's band holds).
    for (auto [width, scale] : {std::pair{0, 1.0}, {1, 1.0}, {20, 0.1}}) {
        ShapeWriter w(3);
        const auto y = static_cast<std::int32_t>(160 / scale),
                   x = static_cast<std::int32_t>(320 / scale);
        w.LineStyle(w.Line(static_cast<std::uint16_t>(width), {0, 0, 0, 255}))
            .MoveTo(0, y)
            .LineTo(x, y);
        DrawRequest r = Request(w);
        r.placement = Matrix::Scale(scale, scale);
        const PixelBuffer p = DrawShapeBody(r);
        std::string column;
        for (int row = 0; row < 16; ++row) column += p.At(5, row) == kBlack ? '#' : '.';
        EXPECT_EQ(column, ".......#........") << width << " at " << scale;
    }
}

TEST(Render, StretchedPlacementsStretchThePen) {
    // A two-pixel upright line and a level one. A scaling pen four times wider than tall is
    // eight pixels across upright and two high level; a pen that does not scale keeps its two
    // pixels where the placement stretches least (here upright, twice as much across).
    struct Case {
        bool scales;
        Matrix placement;
        int across, high;
    };
    for (const Case& c :
         {Case{true, Matrix::Scale(4, 1), 8, 2}, Case{false, Matrix::Scale(4, 2), 4, 2}}) {
        ShapeWriter w(4);
        swfwriter::LineStyle2 l;
        l.width = 40;
        l.noHScale = l.noVScale = !c.scales;
        l.color = {0, 0, 0, 255};
        w.LineStyle(w.Line(l)).MoveTo(40, 40).LineTo(40, 280);
        w.MoveTo(100, 240).LineTo(140, 240);
        DrawRequest r = Request(w, 32, 32);
        r.placement = c.placement;
        const PixelBuffer p = DrawShapeBody(r);
        int across = 0, high = 0;
        for (int x = 0; x < 16; ++x) across += p.At(x, 6) == kBlack;
        for (int y = 0; y < 32; ++y) high += p.At(24, y) == kBlack;
        EXPECT_EQ(across, c.across) << c.scales;
        EXPECT_EQ(high, c.high) << c.scales;
    }
}

TEST(Render, OnePixelDiagonalsAreOnePixelThickAcrossTheirDirection) {
    // A 20-twip line at a slope of 4 in 5, drawn without anti-aliasing: exactly the pixels whose
    // centres lie within half a pixel of it are filled, so some columns hold two pixels (a band
    // one pixel thick along the columns would hold one in each).
    const double x0 = 1, y0 = 2.25, x1 = 14, y1 = 2.25 + 13 * 0.8;
    ShapeWriter w(3);
    w.LineStyle(w.Line(20, {0, 0, 0, 255}))
        .MoveTo(static_cast<std::int32_t>(x0 * 20), static_cast<std::int32_t>(y0 * 20))
        .LineTo(static_cast<std::int32_t>(x1 * 20), static_cast<std::int32_t>(y1 * 20));
    DrawRequest r = Request(w);
    r.quality = Quality::Low;
    const PixelBuffer p = DrawShapeBody(r);
    const double length = std::hypot(x1 - x0, y1 - y0);
    int doubled = 0;
    for (int x = 3; x <= 12; ++x) {  // clear of the ends and their caps
        int filled = 0;
        for (int y = 0; y < 16; ++y) {
            const double across =
                ((x + 0.5 - x0) * (y1 - y0) - (y + 0.5 - y0) * (x1 - x0)) / length;
            if (std::abs(std::abs(across) - 0.5) < 0.02) continue;  // too close to call
            EXPECT_EQ(p.At(x, y) == kBlack, std::abs(across) < 0.5) << x << "," << y;
            filled += p.At(x, y) == kBlack;
        }
        doubled += filled == 2;
    }
    EXPECT_GT(doubled, 0);
}

TEST(Render, PixelHintingPutsLinesOnWholePixels) {
    // A line 1 and 2 pixels wide, its middle at y = 8.3: hinted, it covers whole rows even
    // with 4 x 4 samples; unhinted, it leaves part-covered rows.
    for (auto [width, rows] : {std::pair{20, "........#......."}, {40, ".......##......."}}) {
        for (bool hinted : {true, false}) {
            ShapeWriter w(4);
            swfwriter::LineStyle2 l;
            l.width = static_cast<std::uint16_t>(width);
            l.pixelHinting = hinted;
            w.LineStyle(w.Line(l)).MoveTo(0, 166).LineTo(320, 166);
            DrawRequest r = Request(w);
            r.quality = Quality::Best;
            const PixelBuffer p = DrawShapeBody(r);
            std::string column;
            for (int row = 0; row < 16; ++row) {
                const Pixel px = p.At(8, row);
                column += px == kBlack ? '#' : px == kWhite ? '.' : '+';
            }
            if (hinted) {
                EXPECT_EQ(column, rows) << width;
            } else {
                EXPECT_NE(column.find('+'), std::string::npos) << width << " " << column;
            }
        }
    }
}

// Draws a full-surface red square through the renderer after `setUp` (unless told not to),
// for the mask and layer tests.
PixelBuffer RedAfter(const std::function<void(Renderer&, const Shape&)>& setUp,
                     bool drawRed = true) {
    ShapeWriter red(3);
    red.Fill1(red.Solid({255, 0, 0, 255})).Rect(0, 0, 320, 320);
    const Shape full = *ParseShape(red.TagCode(), red.Build(), 10);
    PixelBuffer p(16, 16);
    Renderer r;
    const StageView view = MakeStageView(ScaleMode::NoScale, 16, 16, Rect{0, 320, 0, 320});
    r.BeginFrame(p, view, Rgb{255, 255, 255});
    setUp(r, full);
    if (drawRed) r.DrawShape(full, view.toDevice, {});
    r.EndFrame();
    return p;
}

Shape ParsedRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                 std::uint8_t alpha = 255) {
    ShapeWriter s(3);
    s.Fill1(s.Solid({0, 0, 0, alpha})).LineStyle(s.Line(200, {0, 0, 0, 255})).Rect(x, y, w, h);
    return *ParseShape(s.TagCode(), s.Build(), 10);
}

TEST(RenderMasks, ClipToTheUnionOfTheMaskFillsAndNest) {
    const Matrix toPx = Matrix::Scale(0.05, 0.05);
    constexpr Pixel kRed = 0xFFFF0000;
    // One mask; its colour's alpha and its strokes do not matter.
    const Shape left = ParsedRect(0, 0, 160, 320, 0);
    PixelBuffer p = RedAfter([&](Renderer& r, const Shape&) {
        r.BeginMask();
        r.DrawShape(left, toPx, {});
        r.EndMask();
    });
    EXPECT_EQ(p.At(3, 8), kRed);
    EXPECT_EQ(p.At(12, 8), kWhite);
    EXPECT_EQ(p.At(8, 8), kWhite);  // where only the mask's stroke lay
    // Nested: only where both masks let through; after the inner pop, the outer one alone.
    const Shape top = ParsedRect(0, 0, 320, 160);
    p = RedAfter(
        [&](Renderer& r, const Shape& full) {
            r.BeginMask();
            r.DrawShape(left, toPx, {});
            r.EndMask();
            r.BeginMask();
            r.DrawShape(top, toPx, {});
            r.EndMask();
            r.DrawShape(full, toPx, {0, 0, 0, 256, 0, 0, 255, 0});  // blue through both
            r.PopMask();
            r.DrawShape(full, toPx, {0, 0, 0, 256, 0, 0, 0, 0});  // black through the outer one
            r.PopMask();
        },
        false);
    EXPECT_EQ(p.At(3, 3), kBlack);
    EXPECT_EQ(p.At(3, 12), kBlack);
    EXPECT_EQ(p.At(12, 3), kWhite);
    EXPECT_EQ(p.At(12, 12), kWhite);
    p = RedAfter(
        [&](Renderer& r, const Shape& full) {
            r.BeginMask();
            r.DrawShape(left, toPx, {});
            r.EndMask();
            r.BeginMask();
            r.DrawShape(top, toPx, {});
            r.EndMask();
            r.DrawShape(full, toPx, {0, 0, 0, 256, 0, 0, 255, 0});
            r.PopMask();
            r.PopMask();
        },
        false);
    EXPECT_EQ(p.At(3, 3), 0xFF0000FFu);
    EXPECT_EQ(p.At(3, 12), kWhite);
    EXPECT_EQ(p.At(12, 3), kWhite);
    // Popped entirely, nothing clips.
    p = RedAfter([&](Renderer& r, const Shape&) {
        r.BeginMask();
        r.DrawShape(left, toPx, {});
        r.EndMask();
        r.PopMask();
    });
    EXPECT_EQ(p.At(12, 8), kRed);
}

struct BlendCase {
    BlendMode mode;
    Pixel src, dst, expected;
};

class BlendModes : public ::testing::TestWithParam<BlendCase> {};

TEST_P(BlendModes, CompositeKnownPixels) {
    const BlendCase& c = GetParam();
    EXPECT_EQ(BlendPixel(c.mode, c.src, c.dst), c.expected)
        << std::hex << BlendPixel(c.mode, c.src, c.dst);
}

// Source 0x804020 and backdrop 0x4080C0, both opaque unless the case says otherwise.
INSTANTIATE_TEST_SUITE_P(
    Render, BlendModes,
    ::testing::Values(BlendCase{BlendMode::Normal, 0xFF804020, 0xFF4080C0, 0xFF804020},
                      BlendCase{BlendMode::Layer, 0x80402010, 0xFF4080C0, 0xFF606070},
                      BlendCase{BlendMode::Multiply, 0xFF804020, 0xFF4080C0, 0xFF202018},
                      BlendCase{BlendMode::Screen, 0xFF804020, 0xFF4080C0, 0xFFA0A0C8},
                      BlendCase{BlendMode::Lighten, 0xFF804020, 0xFF4080C0, 0xFF8080C0},
                      BlendCase{BlendMode::Darken, 0xFF804020, 0xFF4080C0, 0xFF404020},
                      BlendCase{BlendMode::Difference, 0xFF804020, 0xFF4080C0, 0xFF4040A0},
                      BlendCase{BlendMode::Add, 0xFF804020, 0xFF4080C0, 0xFFC0C0E0},
                      BlendCase{BlendMode::Subtract, 0xFF804020, 0xFF4080C0, 0xFF0040A0},
                      BlendCase{BlendMode::Invert, 0xFF804020, 0xFF4080C0, 0xFFBF7F3F},
                      BlendCase{BlendMode::Alpha, 0x80000000, 0xFF4080C0, 0x80204060},
                      BlendCase{BlendMode::Alpha, 0x00000000, 0xFF4080C0, 0xFF4080C0},
                      BlendCase{BlendMode::Erase, 0x80000000, 0xFF4080C0, 0x7F204060},
                      BlendCase{BlendMode::Overlay, 0xFF804020, 0xFF4080C0, 0xFF404191},
                      BlendCase{BlendMode::HardLight, 0xFF804020, 0xFF4080C0, 0xFF414030},
                      // Over a transparent backdrop every separable mode is the source itself.
                      BlendCase{BlendMode::Multiply, 0xFF804020, 0x00000000, 0xFF804020},
                      BlendCase{BlendMode::Difference, 0xFF804020, 0x00000000, 0xFF804020}));

TEST(RenderLayers, ALayerIsCompositedWithItsModeOnlyWhenPopped) {
    constexpr Pixel kRed = 0xFFFF0000;
    // Multiply: red over white stays red; red times blue is black.
    PixelBuffer p = RedAfter([](Renderer& r, const Shape&) { r.PushLayer(BlendMode::Multiply); });
    EXPECT_EQ(p.At(8, 8), kRed);
    p = RedAfter([](Renderer& r, const Shape& full) {
        r.DrawShape(full, Matrix::Scale(0.05, 0.05), {0, 0, 0, 256, 0, 0, 255, 0});  // blue
        r.PushLayer(BlendMode::Multiply);
    });
    EXPECT_EQ(p.At(8, 8), kBlack);
    // Inside a Layer group, an Alpha child keeps the group as much as its alpha says where
    // it covers, and leaves the rest alone; the group then lands on the stage.
    const Shape left = ParsedRect(0, 0, 160, 320);
    p = RedAfter([&](Renderer& r, const Shape& full) {
        r.PushLayer(BlendMode::Layer);
        r.DrawShape(full, Matrix::Scale(0.05, 0.05), {0, 0, 0, 256, 0, 0, 255, 0});  // blue
        r.PushLayer(BlendMode::Alpha);
        r.DrawShape(left, Matrix::Scale(0.05, 0.05), {});
        r.PopLayer();
        r.PopLayer();
        r.PushLayer(BlendMode::Layer);
        r.PushLayer(BlendMode::Erase);  // the red square erases the group where it covers
    });
    EXPECT_EQ(p.At(3, 8), 0xFF0000FFu);
    EXPECT_EQ(p.At(15, 8), 0xFF0000FFu);  // past the left square and its wide stroke
    // With no layer to act on, Alpha and Erase leave the stage as it was.
    p = RedAfter([](Renderer& r, const Shape&) { r.PushLayer(BlendMode::Alpha); });
    EXPECT_EQ(p.At(8, 8), kWhite);
    // A layer's own colour transform applies when it is composited.
    p = RedAfter([](Renderer& r, const Shape&) {
        r.PushLayer(BlendMode::Layer, {256, 256, 256, 128, 0, 0, 0, 0});
    });
    EXPECT_EQ(p.At(8, 8), Over(Premultiply({255, 0, 0, 127}), kWhite));
}

TEST(RenderLayers, BadNestingAndDepthBeyondTheCapsDrawWithoutLayers) {
    PixelBuffer p = RedAfter([](Renderer& r, const Shape&) {
        r.PopLayer();  // nothing open: ignored
        r.EndMask();
        r.PopMask();
        for (int i = 0; i < Renderer::kMaxLayerDepth + 5; ++i) r.PushLayer(BlendMode::Layer);
        for (int i = 0; i < Renderer::kMaxMaskDepth + 5; ++i) {
            r.BeginMask();
            r.EndMask();  // empty masks would hide everything below the cap
            r.PopMask();
        }
        // Left open: EndFrame closes them.
    });
    EXPECT_EQ(p.At(8, 8), 0xFFFF0000u);
    Renderer idle;
    idle.DrawShape(ParsedRect(0, 0, 10, 10), {}, {});  // before any frame: nothing happens
    idle.PopLayer();
    idle.EndFrame();
}

struct StageCase {
    ScaleMode mode;
    Point topLeft, bottomRight;  // where the stage's corners land in an 800 x 400 device
};

class StageTransform : public ::testing::TestWithParam<StageCase> {};

TEST_P(StageTransform, PlacesTheStageCentred) {
    const StageCase& c = GetParam();
    // A 400 x 300 stage whose rectangle starts at (100, 40) twips.
    const Rect stage{100, 100 + 8000, 40, 40 + 6000};
    const StageView v = MakeStageView(c.mode, 800, 400, stage);
    const Point tl = v.toDevice.Apply({100, 40}), br = v.toDevice.Apply({8100, 6040});
    EXPECT_NEAR(tl.x, c.topLeft.x, 1e-9);
    EXPECT_NEAR(tl.y, c.topLeft.y, 1e-9);
    EXPECT_NEAR(br.x, c.bottomRight.x, 1e-9);
    EXPECT_NEAR(br.y, c.bottomRight.y, 1e-9);
    EXPECT_EQ(v.stage.left, static_cast<int>(c.topLeft.x));
}

INSTANTIATE_TEST_SUITE_P(
    Render, StageTransform,
    ::testing::Values(StageCase{ScaleMode::ShowAll, {133, 0}, {133 + 400 * 4.0 / 3, 400}},
                      StageCase{ScaleMode::ExactFit, {0, 0}, {800, 400}},
                      StageCase{ScaleMode::NoBorder, {0, -100}, {800, 500}},
                      StageCase{ScaleMode::NoScale, {200, 50}, {600, 350}}));

TEST(RenderSurface, SizesBeyondTheCapsAreRefused) {
    PixelBuffer p(4, 4);
    EXPECT_FALSE(p.Resize(kMaxSurfaceSide + 1, 1));
    EXPECT_EQ(p.Width(), 0);
    EXPECT_FALSE(p.Resize(-1, 10));
    EXPECT_FALSE(SurfaceSizeAllowed(kMaxSurfaceSide, kMaxSurfaceSide));  // 64 M pixels
    EXPECT_TRUE(SurfaceSizeAllowed(kMaxSurfaceSide, 4096));
    // Drawing on a surface that has no pixels does nothing, safely.
    Renderer r;
    r.BeginFrame(p, MakeStageView(ScaleMode::ShowAll, 0, 0, Rect{0, 20, 0, 20}), Rgb{});
    r.DrawShape(ParsedRect(0, 0, 200, 200), Matrix::Scale(0.05, 0.05), {});
    r.PushLayer(BlendMode::Multiply);
    r.PopLayer();
    r.EndFrame();
}

TEST(RenderMemory, SteadyFramesReuseEveryBuffer) {
    const Shape shape = ParsedRect(20, 20, 200, 200);
    PixelBuffer p(64, 64);
    Renderer r;
    r.SetQuality(Quality::High);
    const StageView view = MakeStageView(ScaleMode::ShowAll, 64, 64, Rect{0, 1280, 0, 1280});
    auto frame = [&] {
        r.BeginFrame(p, view, Rgb{0, 0, 0});
        r.BeginMask();
        r.DrawShape(shape, view.toDevice, {});
        r.EndMask();
        r.PushLayer(BlendMode::Screen);
        r.DrawShape(shape, view.toDevice * Matrix::Translate(100, 100), {});
        r.PopLayer();
        r.PopMask();
        r.EndFrame();
    };
    frame();
    const std::size_t held = r.BytesHeld();
    const std::uint64_t growths = r.Stats().growths;
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_EQ(r.BytesHeld(), held);
    EXPECT_EQ(r.Stats().growths, growths);
    EXPECT_EQ(r.Stats().shapes, 12u);
}

// A still shape of thousands of lines keeps them from frame to frame: drawn again with the same
// placement, clip and samples it is scanned from them, and each frame is the one a renderer
// that keeps nothing draws. A shape without a serial number is never kept.
TEST(RenderMemory, KeptLinesDrawWhatFreshLinesDraw) {
    ShapeWriter w(3);
    w.Fill1(w.Solid({0, 0, 0, 255}));
    for (std::int32_t band = 0; band < 3; ++band) {
        // A comb of 2,000 teeth, each side a line crossing the band's sample rows.
        const std::int32_t top = 100 + band * 1000;
        w.MoveTo(0, top);
        for (std::int32_t x = 0; x < 4000; x += 2) w.LineTo(x + 1, top + 20).LineTo(x + 2, top);
        w.LineTo(0, top);
    }
    Shape kept = *ParseShape(w.TagCode(), w.Build(), 10);
    kept.serial = NewShapeSerial();
    Shape unkept = kept;
    unkept.serial = 0;
    // A third of a pixel on, the shape still reaches the same pixels: only its lines move.
    const Matrix at = Matrix::Translate(0.1, 0) * Matrix::Scale(0.05, 0.05);
    const Matrix nudged = Matrix::Translate(1.0 / 3, 0) * at;
    struct Step {
        const Shape* shape;
        Matrix m;
        Quality quality;
        int height;  // of the surface: the clip
        bool fromKept;
    };
    const std::vector<Step> steps = {{&kept, at, Quality::High, 160, false},
                                     {&kept, at, Quality::High, 160, true},
                                     {&kept, nudged, Quality::High, 160, false},
                                     {&kept, nudged, Quality::High, 160, true},
                                     {&kept, nudged, Quality::Medium, 160, false},
                                     {&kept, nudged, Quality::Medium, 100, false},
                                     {&kept, nudged, Quality::Medium, 100, true},
                                     {&unkept, nudged, Quality::Medium, 100, false},
                                     {&unkept, nudged, Quality::Medium, 100, false}};
    Renderer keeping;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        const Step& step = steps[i];
        auto draw = [&](Renderer& r) {
            PixelBuffer p(210, step.height);
            r.SetQuality(step.quality);
            r.BeginFrame(p, MakeStageView(ScaleMode::NoScale, 210, step.height, Rect{}), {});
            r.DrawShape(*step.shape, step.m, {});
            r.EndFrame();
            return p;
        };
        const std::uint64_t before = keeping.Stats().keptLines;
        const PixelBuffer drawn = draw(keeping);
        EXPECT_EQ(keeping.Stats().keptLines - before, step.fromKept ? 1u : 0u);
        Renderer fresh;
        const PixelBuffer expected = draw(fresh);
        ASSERT_GT(fresh.Stats().lines, Renderer::kFewestKeptLines);
        int differing = 0;
        for (int y = 0; y < step.height; ++y) {
            for (int x = 0; x < 210; ++x) differing += drawn.At(x, y) != expected.At(x, y);
        }
        EXPECT_EQ(differing, 0);
    }
}

TEST(RenderFuzz, SeedsSurviveTruncationAndByteFlips) {
    for (const swfwriter::ShapeSeed& seed : swfwriter::ShapeSeeds()) {
        SCOPED_TRACE(seed.name);
        FuzzShapeInput(seed.bytes.data(), seed.bytes.size());
        // A sample of cuts and flips: the fuzzer does the thorough work, this keeps its entry
        // honest on every test run.
        for (std::size_t size = 0; size < seed.bytes.size(); size += 7) {
            FuzzShapeInput(seed.bytes.data(), size);
        }
        std::vector<std::uint8_t> flipped = seed.bytes;
        for (std::size_t i = 1; i < flipped.size(); i += 5) {
            flipped[i] ^= 0xA5;
            FuzzShapeInput(flipped.data(), flipped.size());
            flipped[i] ^= 0xA5;
        }
    }
}

}  // namespace
