// Morph shapes: the start and end records read and paired, and the shape between them at a
// ratio, down to the twip and the colour value; cut bodies keep what was read.
#include <gtest/gtest.h>

#include "flash/render/morph_shape.h"
#include "tests/render_scene.h"

namespace {

using namespace flash;
using namespace flash::render;

using rendertest::SquareMorph;

struct RatioCase {
    std::uint16_t ratio;
    std::int32_t x0, y0, cx, cy, x1, y1;  // the first edge
    Rgba color;
};

class MorphRatio : public ::testing::TestWithParam<RatioCase> {};

TEST_P(MorphRatio, MovesPointsAndColoursLinearly) {
    const RatioCase& c = GetParam();
    const std::optional<MorphShape> m = ParseMorphShape(kDefineMorphShape, SquareMorph());
    ASSERT_TRUE(m);
    ASSERT_EQ(m->start.edges.size(), 4u);
    ASSERT_EQ(m->end.edges.size(), 4u);
    Shape s;
    MorphAt(*m, c.ratio, s);
    ASSERT_EQ(s.edges.size(), 4u);
    const Edge& e = s.edges[0];
    EXPECT_TRUE(e.curved);
    EXPECT_EQ((std::array{e.x0, e.y0, e.cx, e.cy, e.x1, e.y1}),
              (std::array{c.x0, c.y0, c.cx, c.cy, c.x1, c.y1}));
    EXPECT_EQ(e.fill1, 1);
    ASSERT_EQ(s.fills.size(), 1u);
    EXPECT_EQ(s.fills[0].color, c.color);
    EXPECT_EQ(s.edges[3].x1, s.edges[0].x0);  // still closed
    EXPECT_EQ(s.groups.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Morph, MorphRatio,
    ::testing::Values(RatioCase{0, 0, 0, 100, 0, 200, 0, {255, 0, 0, 255}},
                      RatioCase{65535, 100, 100, 300, 0, 500, 100, {0, 0, 255, 255}},
                      // Two thirds: 170.0026 of blue, 84.997 of red, rounded down.
                      RatioCase{43691, 66, 66, 233, 0, 400, 66, {84, 0, 170, 255}}));

TEST(Morph, CutBodiesKeepWhatWasReadAndOtherTagsAreRefused) {
    const std::vector<std::uint8_t> body = SquareMorph();
    EXPECT_FALSE(ParseMorphShape(2, body));
    for (std::size_t n = 0; n < body.size(); ++n) {
        const std::span<const std::uint8_t> cut(body.data(), n);
        const std::optional<MorphShape> m = ParseMorphShape(kDefineMorphShape, cut);
        if (!m) continue;
        EXPECT_LE(m->end.edges.size(), m->start.edges.size());
        Shape s;
        MorphAt(*m, 30000, s);
        EXPECT_EQ(s.edges.size(), m->start.edges.size());
        for (const Edge& e : s.edges) EXPECT_LE(std::max(e.fill0, e.fill1), s.fills.size());
    }
}

}  // namespace
