// DefineShape 1-4 read into SWF's edge model: styles per version, new style arrays, gradients,
// LineStyle2, and bad input (cut short, hostile counts, unknown records).
#include <gtest/gtest.h>

#include "flash/render/shape.h"
#include "tools/swf_shape_writer.h"

namespace {

using namespace flash::render;
using swfwriter::ShapeWriter;
using flash::Rgba;

Shape Parse(const ShapeWriter& w, std::uint8_t swfVersion = 10) {
    std::optional<Shape> s = ParseShape(w.TagCode(), w.Build(), swfVersion);
    EXPECT_TRUE(s.has_value());
    return s.value_or(Shape{});
}

class EveryShapeVersion : public ::testing::TestWithParam<int> {};

TEST_P(EveryShapeVersion, RectangleWithFillAndLine) {
    const int version = GetParam();
    ShapeWriter w(version, 7);
    w.Bounds(-20, 220, -20, 120);
    const std::uint16_t fill = w.Solid({10, 20, 30, 128});
    const std::uint16_t line = w.Line(40, {1, 2, 3, 64});
    w.Fill1(fill).LineStyle(line).Rect(0, 0, 200, 100);
    const Shape s = Parse(w);
    EXPECT_EQ(s.id, 7);
    EXPECT_EQ(s.shapeVersion, version);
    EXPECT_EQ(s.bounds, (flash::Rect{-20, 220, -20, 120}));
    EXPECT_FALSE(s.truncated);
    ASSERT_EQ(s.fills.size(), 1u);
    // RGB before DefineShape3, RGBA from then on (LineStyle2 always has alpha).
    EXPECT_EQ(s.fills[0].color,
              (Rgba{10, 20, 30, static_cast<std::uint8_t>(version >= 3 ? 128 : 255)}));
    ASSERT_EQ(s.lines.size(), 1u);
    EXPECT_EQ(s.lines[0].width, 40);
    EXPECT_EQ(s.lines[0].fill.color.a, version >= 3 ? 64 : 255);
    ASSERT_EQ(s.edges.size(), 4u);
    const std::int32_t corners[5][2] = {{0, 0}, {200, 0}, {200, 100}, {0, 100}, {0, 0}};
    for (std::size_t i = 0; i < 4; ++i) {
        const Edge& e = s.edges[i];
        EXPECT_EQ(e.x0, corners[i][0]);
        EXPECT_EQ(e.y0, corners[i][1]);
        EXPECT_EQ(e.x1, corners[i + 1][0]);
        EXPECT_EQ(e.y1, corners[i + 1][1]);
        EXPECT_EQ(e.fill0, 0);
        EXPECT_EQ(e.fill1, 1);
        EXPECT_EQ(e.line, 1);
        EXPECT_EQ(e.newPath, i == 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, EveryShapeVersion, ::testing::Values(1, 2, 3, 4));

TEST(ShapeParser, NewStyleArraysTakeGlobalIndicesAndOpenAGroup) {
    ShapeWriter w(2);
    const std::uint16_t a = w.Solid({255, 0, 0});
    w.Fill1(a).Rect(0, 0, 100, 100);
    w.NewStyles();
    const std::uint16_t b = w.Solid({0, 0, 255});
    w.Solid({0, 255, 0});  // two fills: indices take two bits, so 3 can be written
    const std::uint16_t line = w.Line(20, {0, 0, 0});
    w.Fill1(b).LineStyle(line).Rect(50, 50, 100, 100);
    // An index past the arrays selects nothing: an edge with no style is dropped, and the
    // stroke after it starts afresh.
    w.Fill1(3).LineStyle(0).MoveTo(0, 0).LineTo(10, 10);
    w.LineStyle(line).LineTo(20, 10);
    const Shape s = Parse(w);
    ASSERT_EQ(s.groups.size(), 2u);
    EXPECT_EQ(s.groups[0].edgeCount, 4u);
    EXPECT_EQ(s.groups[1].firstEdge, 4u);
    EXPECT_EQ(s.groups[1].firstFill, 1);
    EXPECT_EQ(s.groups[1].fillCount, 2);
    ASSERT_EQ(s.edges.size(), 9u);
    EXPECT_EQ(s.edges[4].fill1, 2);  // the second array's first style
    EXPECT_EQ(s.edges[4].line, 1);
    EXPECT_EQ(s.edges[8].fill1, 0);
    EXPECT_EQ(s.edges[8].line, 1);
    EXPECT_TRUE(s.edges[8].newPath);
}

TEST(ShapeParser, FillCountIsExtendedFromDefineShapeTwoOn) {
    ShapeWriter w(2);
    for (int i = 0; i < 300; ++i) w.Solid({static_cast<std::uint8_t>(i), 0, 0});
    w.Fill1(300).Rect(0, 0, 10, 10);
    const Shape two = Parse(w);
    EXPECT_EQ(two.fills.size(), 300u);
    ASSERT_EQ(two.edges.size(), 4u);
    EXPECT_EQ(two.edges[0].fill1, 300);
    // DefineShape reads a count of 0xFF as 255 styles.
    std::vector<std::uint8_t> one = {1, 0, 0x00, 0xFF};
    for (int i = 0; i < 255; ++i) one.insert(one.end(), {0x00, static_cast<std::uint8_t>(i), 0, 0});
    one.insert(one.end(), {0x00, 0x80, 0x00});  // no lines, 8 fill bits, end of shape
    const std::optional<Shape> s = ParseShape(kDefineShape, one, 10);
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->truncated);
    EXPECT_EQ(s->fills.size(), 255u);
}

TEST(ShapeParser, GradientsBitmapsAndTheirVersionRules) {
    ShapeWriter w(4);
    const swfwriter::ShapeMatrix m{0.5, 0.25, -0.25, 2, 100, -50};
    const std::vector<swfwriter::Stop> stops = {
        {0, {255, 0, 0, 255}}, {90, {0, 255, 0, 10}}, {255, {0, 0, 255, 255}}};
    w.Linear(m, stops, 1, 1);
    w.Focal(m, stops, 2.5, 2);
    w.Bitmap(42, m, false, true);
    w.Bitmap(43, m, true, false);
    const Shape s = Parse(w);
    ASSERT_EQ(s.fills.size(), 4u);
    const FillStyle& linear = s.fills[0];
    EXPECT_EQ(linear.kind, FillKind::LinearGradient);
    EXPECT_DOUBLE_EQ(linear.matrix.a, 0.5);
    EXPECT_DOUBLE_EQ(linear.matrix.b, 0.25);
    EXPECT_DOUBLE_EQ(linear.matrix.c, -0.25);
    EXPECT_DOUBLE_EQ(linear.matrix.d, 2);
    EXPECT_EQ(linear.matrix.tx, 100);
    EXPECT_EQ(linear.matrix.ty, -50);
    EXPECT_EQ(linear.gradient.spread, SpreadMode::Reflect);
    EXPECT_EQ(linear.gradient.interpolation, Interpolation::LinearRgb);
    ASSERT_EQ(linear.gradient.count, 3);
    EXPECT_EQ(linear.gradient.stops[1], (GradientStop{90, {0, 255, 0, 10}}));
    EXPECT_EQ(s.fills[1].kind, FillKind::FocalGradient);
    EXPECT_EQ(s.fills[1].gradient.spread, SpreadMode::Repeat);
    EXPECT_DOUBLE_EQ(s.fills[1].gradient.focalPoint, 1.0);  // 2.5 is limited to the circle
    EXPECT_EQ(s.fills[2].bitmapId, 42);
    EXPECT_FALSE(s.fills[2].bitmapRepeat);
    EXPECT_TRUE(s.fills[2].bitmapSmoothed);
    EXPECT_TRUE(s.fills[3].bitmapRepeat);
    EXPECT_FALSE(s.fills[3].bitmapSmoothed);
    // Before SWF 8 the spread and interpolation bits mean nothing.
    const Shape old = Parse(w, 7);
    EXPECT_EQ(old.fills[0].gradient.spread, SpreadMode::Pad);
    EXPECT_EQ(old.fills[0].gradient.interpolation, Interpolation::Rgb);
    EXPECT_EQ(old.fills[0].gradient.count, 3);
}

TEST(ShapeParser, LineStyleTwoFields) {
    ShapeWriter w(4);
    const std::uint16_t gradient = w.Linear({}, {{0, {1, 1, 1, 255}}, {255, {2, 2, 2, 255}}});
    swfwriter::LineStyle2 l;
    l.width = 300;
    l.startCap = 1;
    l.endCap = 2;
    l.join = 2;
    l.miterLimit = 1.5;
    l.noHScale = true;
    l.pixelHinting = true;
    l.noClose = true;
    l.fillFrom = gradient;
    w.Line(l);
    const Shape s = Parse(w);
    ASSERT_EQ(s.lines.size(), 1u);
    const LineStyle& p = s.lines[0];
    EXPECT_EQ(p.width, 300);
    EXPECT_EQ(p.startCap, CapStyle::None);
    EXPECT_EQ(p.endCap, CapStyle::Square);
    EXPECT_EQ(p.join, JoinStyle::Miter);
    EXPECT_DOUBLE_EQ(p.miterLimit, 1.5);
    EXPECT_TRUE(p.noHScale);
    EXPECT_FALSE(p.noVScale);
    EXPECT_TRUE(p.pixelHinting);
    EXPECT_TRUE(p.noClose);
    EXPECT_EQ(p.fill.kind, FillKind::LinearGradient);
    EXPECT_EQ(p.fill.gradient.count, 2);
}

TEST(ShapeParser, MovesToThePenAndRepeatedLineStylesKeepAStrokeWhole) {
    ShapeWriter w(3);
    const std::uint16_t line = w.Line(20, {0, 0, 0});
    w.LineStyle(line).MoveTo(0, 0).LineTo(100, 0);
    w.MoveTo(100, 0).LineStyle(line).LineTo(100, 100);
    w.MoveTo(200, 0).LineTo(300, 0);
    const Shape s = Parse(w);
    ASSERT_EQ(s.edges.size(), 3u);
    EXPECT_FALSE(s.edges[1].newPath);
    EXPECT_TRUE(s.edges[2].newPath);
}

TEST(ShapeParser, EveryCutKeepsTheEdgesBeforeIt) {
    for (const swfwriter::ShapeSeed& seed : swfwriter::ShapeSeeds()) {
        SCOPED_TRACE(seed.name);
        static constexpr std::uint16_t kCodes[] = {2, 22, 32, 83};
        const std::uint16_t code = kCodes[seed.bytes[0] & 3];
        const std::span<const std::uint8_t> body(seed.bytes.data() + 1, seed.bytes.size() - 1);
        const std::optional<Shape> whole = ParseShape(code, body, 10);
        ASSERT_TRUE(whole);
        ASSERT_FALSE(whole->truncated);
        for (std::size_t size = 0; size < body.size(); ++size) {
            const std::optional<Shape> cut = ParseShape(code, body.first(size), 10);
            if (!cut) continue;  // not even the id and bounds
            EXPECT_TRUE(cut->truncated) << size;
            ASSERT_LE(cut->edges.size(), whole->edges.size());
            for (std::size_t i = 0; i < cut->edges.size(); ++i) {
                EXPECT_EQ(cut->edges[i].x1, whole->edges[i].x1);
                EXPECT_EQ(cut->edges[i].fill1, whole->edges[i].fill1);
            }
        }
    }
}

TEST(ShapeParser, HostileCountsAndRecordsCostOnlyWhatTheDataHolds) {
    // id 1, an empty RECT, then 65535 fill styles announced and none there.
    const std::vector<std::uint8_t> claims = {1, 0, 0x00, 0xFF, 0xFF, 0xFF};
    std::optional<Shape> s = ParseShape(kDefineShape3, claims, 10);
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->truncated);
    EXPECT_TRUE(s->fills.empty());
    // A fill type no version defines ends the shape where it stands.
    const std::vector<std::uint8_t> unknown = {1, 0, 0x00, 1, 0x20, 1, 2, 3, 0, 0x10, 0};
    s = ParseShape(kDefineShape3, unknown, 10);
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->truncated);
    EXPECT_TRUE(s->edges.empty());
    EXPECT_FALSE(ParseShape(kDefineShape3, std::vector<std::uint8_t>{1}, 10));
    EXPECT_FALSE(ParseShape(26, claims, 10));  // not a shape tag
}

TEST(ShapeParser, EdgeFloodStopsAtTheLimit) {
    ShapeWriter w(1);
    w.Fill1(w.Solid({0, 0, 0})).MoveTo(0, 0);
    for (std::size_t i = 0; i < kMaxShapeEdges + 10; ++i)
        w.LineTo(static_cast<std::int32_t>(i % 2), 0);
    const Shape s = Parse(w);
    EXPECT_TRUE(s.limited);
    EXPECT_EQ(s.edges.size(), kMaxShapeEdges);
}

}  // namespace
