// Embedded fonts and static text: glyph shapes found through each font tag's offset table,
// text records carrying font, colour, height and position over to the records after them,
// and cut bodies keeping what was read.
#include <gtest/gtest.h>

#include "flash/render/font_text.h"

namespace {

using namespace flash;
using namespace flash::render;
using Bytes = std::vector<std::uint8_t>;

// A glyph's SHAPE: 1 fill bit, no line bits; fill0 = 1, move to (0,0), a 10-unit triangle.
const Bytes kGlyph = {0x10, 0x0C, 0x27, 0x40, 0xAD, 0x3B, 0x15, 0xA3, 0xB0, 0x00};

Bytes Font2(bool wide) {
    Bytes b{5, 0, static_cast<std::uint8_t>(wide ? 0x08 : 0), 0, 1, 'F', 2, 0};
    const std::size_t entry = wide ? 4 : 2;
    // Offsets from the table's start: two glyphs, then the code table.
    const std::size_t first = 3 * entry;
    for (std::size_t off : {first, first + kGlyph.size(), first + 2 * kGlyph.size()}) {
        for (std::size_t i = 0; i < entry; ++i) b.push_back(off >> 8 * i & 0xFF);
    }
    b.insert(b.end(), kGlyph.begin(), kGlyph.end());
    b.insert(b.end(), kGlyph.begin(), kGlyph.end());
    b.insert(b.end(), {'a', 'b'});
    return b;
}

TEST(Fonts, GlyphsAreFoundThroughTheOffsetTable) {
    struct Case {
        std::uint16_t tag;
        Bytes body;
        double em;
    };
    Bytes font1{5, 0, 4, 0, static_cast<std::uint8_t>(4 + kGlyph.size()), 0};
    font1.insert(font1.end(), kGlyph.begin(), kGlyph.end());
    font1.insert(font1.end(), kGlyph.begin(), kGlyph.end());
    for (const Case& c : {Case{kDefineFont, font1, 1024}, Case{kDefineFont2, Font2(false), 1024},
                          Case{kDefineFont3, Font2(true), 20480}}) {
        SCOPED_TRACE(c.tag);
        const std::optional<Font> f = ParseFont(c.tag, c.body);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->id, 5);
        EXPECT_EQ(f->emSquare, c.em);
        ASSERT_EQ(f->glyphs.size(), 2u);
        for (const Shape& g : f->glyphs) {
            ASSERT_EQ(g.edges.size(), 3u);
            EXPECT_EQ(g.edges[0].fill0, 1);
            EXPECT_EQ(g.edges[2].x1, 0);
            EXPECT_EQ(g.edges[2].y1, 0);
        }
        // Cut anywhere: no glyph reaches past the body.
        for (std::size_t n = 0; n < c.body.size(); ++n) {
            const std::optional<Font> cut = ParseFont(c.tag, std::span(c.body.data(), n));
            if (cut) {
                EXPECT_LE(cut->glyphs.size(), 2u);
            }
        }
    }
    EXPECT_FALSE(ParseFont(kDefineText, font1));
}

TEST(Fonts, KerningPairsFollowTheLayout) {
    Bytes b = Font2(false);
    b[2] |= 0x80;                                                      // with a layout
    b.insert(b.end(), {10, 0, 2, 0, 0, 0});                            // ascent, descent, leading
    b.insert(b.end(), {100, 0, 200, 0});                               // advances
    b.insert(b.end(), {0, 0});                                         // two empty bounds
    b.insert(b.end(), {2, 0, 'b', 'a', 0xE2, 0xFF, 'a', 'b', 12, 0});  // b-a: -30, a-b: +12
    const std::optional<Font> f = ParseFont(kDefineFont2, b);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->hasLayout);
    EXPECT_EQ(f->advances, (std::vector<double>{100, 200}));
    EXPECT_EQ(f->Kerning('a', 'b'), 12);
    EXPECT_EQ(f->Kerning('b', 'a'), -30);
    EXPECT_EQ(f->Kerning('a', 'a'), 0);
    // A table cut short keeps the whole pairs before the cut.
    for (std::size_t n = b.size() - 4; n < b.size(); ++n) {
        const std::optional<Font> cut = ParseFont(kDefineFont2, std::span(b.data(), n));
        ASSERT_TRUE(cut);
        EXPECT_EQ(cut->kerning.size(), 1u);
        EXPECT_EQ(cut->Kerning('a', 'b'), 0);
    }
}

TEST(Texts, RecordsCarryTheirStyleAndPositionOver) {
    // id 9, empty bounds, identity matrix, 4 glyph bits, 8 advance bits.
    Bytes b{9, 0, 0x00, 0x00, 4, 8};
    // Font 5, colour, x 100, y 200, height 240; glyphs 1 (+30) and 0 (+40).
    b.insert(b.end(), {0x8F, 5, 0, 10, 20, 30, 128, 100, 0, 200, 0, 240, 0, 2});
    b.insert(b.end(), {0x11, 0xE0, 0x28});  // 0001 00011110 0000 00101000
    // Only a y offset: x goes on from where the glyphs ended.
    b.insert(b.end(), {0x82, 0x2C, 0x01, 1, 0x00, 0x50});
    b.push_back(0);
    const std::optional<StaticText> t = ParseText(kDefineText2, b);
    ASSERT_TRUE(t);
    ASSERT_EQ(t->records.size(), 2u);
    const TextRecord& a = t->records[0];
    EXPECT_EQ(a.fontId, 5);
    EXPECT_EQ(a.color, (Rgba{10, 20, 30, 128}));
    EXPECT_EQ((std::array{a.x, a.y, std::int32_t{a.height}}), (std::array{100, 200, 240}));
    ASSERT_EQ(a.glyphs.size(), 2u);
    EXPECT_EQ(a.glyphs[0].index, 1u);
    EXPECT_EQ(a.glyphs[0].advance, 30);
    EXPECT_EQ(a.glyphs[1].advance, 40);
    const TextRecord& c = t->records[1];
    EXPECT_EQ((std::array{c.x, c.y, std::int32_t{c.height}}), (std::array{170, 300, 240}));
    EXPECT_EQ(c.fontId, 5);
    EXPECT_EQ(c.color, a.color);
    ASSERT_EQ(c.glyphs.size(), 1u);
    EXPECT_EQ(c.glyphs[0].advance, 5);
    // Cut bodies keep the whole records read before the cut.
    for (std::size_t n = 0; n < b.size(); ++n) {
        const std::optional<StaticText> cut = ParseText(kDefineText2, std::span(b.data(), n));
        if (cut) {
            EXPECT_LE(cut->records.size(), 2u);
        }
    }
}

}  // namespace
