// Morph shapes: the start and end records read and paired, and the shape between them at a
// ratio, down to the twip and the colour value; cut bodies keep what was read.
#include <gtest/gtest.h>

#include "flash/render/morph_shape.h"

namespace {

using namespace flash;
using namespace flash::render;

// Bits most significant first, as SWF's records hold them.
class Bits {
public:
    Bits& U(std::uint32_t v, unsigned n) {
        for (unsigned i = n; i-- > 0;) Bit(v >> i & 1);
        return *this;
    }
    Bits& S(std::int32_t v, unsigned n) {
        return U(static_cast<std::uint32_t>(v) & ((1u << n) - 1), n);
    }
    Bits& Byte(std::uint8_t v) {
        Align();
        return U(v, 8);
    }
    Bits& Align() {
        while (count_ % 8 != 0) Bit(0);
        return *this;
    }
    std::vector<std::uint8_t> bytes;

private:
    void Bit(unsigned b) {
        if (count_ % 8 == 0) bytes.push_back(0);
        if (b) bytes.back() |= 0x80 >> (count_ % 8);
        ++count_;
    }
    std::size_t count_ = 0;
};

// Straight edges of 14-bit deltas.
void Line(Bits& b, std::int32_t dx, std::int32_t dy) {
    b.U(1, 1).U(1, 1).U(12, 4).U(1, 1).S(dx, 14).S(dy, 14);
}

// A red square of 200 twips at the origin morphing into a blue one of 400 at (100, 100),
// whose first side bends into a curve through (300, 0).
std::vector<std::uint8_t> SquareMorph() {
    Bits b;
    b.Byte(1).Byte(0);  // id
    b.Byte(0).Byte(0);  // start and end bounds: empty rectangles
    Bits styles;
    styles.Byte(1).Byte(0x00);  // one solid fill
    for (std::uint8_t c : {255, 0, 0, 255, 0, 0, 255, 255}) styles.Byte(c);
    styles.Byte(0);                                             // no line styles
    styles.Byte(0x10);                                          // 1 fill bit, 0 line bits
    styles.U(0, 1).U(0x05, 5).U(1, 5).S(0, 1).S(0, 1).U(1, 1);  // move to (0,0), fill1 = 1
    Line(styles, 200, 0);
    Line(styles, 0, 200);
    Line(styles, -200, 0);
    Line(styles, 0, -200);
    styles.U(0, 6).Align();
    const std::uint32_t offset = static_cast<std::uint32_t>(styles.bytes.size());
    for (int i = 0; i < 4; ++i) b.Byte(offset >> 8 * i & 0xFF);
    b.bytes.insert(b.bytes.end(), styles.bytes.begin(), styles.bytes.end());
    Bits end;
    end.Byte(0x00);
    end.U(0, 1).U(0x01, 5).U(9, 5).S(100, 9).S(100, 9);                         // move to (100,100)
    end.U(1, 1).U(0, 1).U(12, 4).S(200, 14).S(-100, 14).S(200, 14).S(100, 14);  // curve
    Line(end, 0, 400);
    Line(end, -400, 0);
    Line(end, 0, -400);
    end.U(0, 6).Align();
    b.bytes.insert(b.bytes.end(), end.bytes.begin(), end.bytes.end());
    return b.bytes;
}

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
