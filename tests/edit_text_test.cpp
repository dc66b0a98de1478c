// Text fields: the initial text laid out in an embedded font's metrics - words wrapped to the
// box, paragraphs aligned, HTML runs coloured, entities read, passwords masked - and the tag
// read field by field.
#include <gtest/gtest.h>

#include "flash/render/edit_text.h"

namespace {

using namespace flash;
using namespace flash::render;

// Glyph units equal twips at a height of 1024: 'a' 100 wide, 'b' 200, ' ' 50, '&' 70, '*' 30.
Font TestFont() {
    Font f;
    f.id = 3;
    f.name = "Test";
    f.codes = {'a', 'b', ' ', '&', '*'};
    f.advances = {100, 200, 50, 70, 30};
    f.glyphs.resize(5);
    f.hasLayout = true;
    f.ascent = 800;
    f.descent = 200;
    return f;
}

struct Glyphs {
    std::int32_t x, y;
    Rgba color;
    std::vector<std::uint32_t> indices;
};

struct LayoutCase {
    const char* name;
    bool html;
    bool password;
    const char* text;
    std::vector<Glyphs> records;
};

class FieldLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(FieldLayout, PlacesGlyphsByTheFontsMetrics) {
    const LayoutCase& c = GetParam();
    const Font font = TestFont();
    EditText field;
    field.bounds = {0, 1040, 0, 4000};  // 1000 twips of room after the gutter
    field.multiline = field.wordWrap = true;
    field.html = c.html;
    field.password = c.password;
    field.fontId = 3;
    field.height = 1024;
    field.text = c.text;
    const FontFinder fonts = [&](std::uint16_t id, const std::string& name, bool, bool) {
        return id == 3 || name == "Test" ? &font : nullptr;
    };
    const StaticText t = LayoutEditText(field, fonts, true);
    ASSERT_EQ(t.records.size(), c.records.size());
    for (std::size_t i = 0; i < c.records.size(); ++i) {
        SCOPED_TRACE(i);
        const TextRecord& r = t.records[i];
        EXPECT_EQ(r.x, c.records[i].x);
        EXPECT_EQ(r.y, c.records[i].y);
        EXPECT_EQ(r.color, c.records[i].color);
        EXPECT_EQ(r.fontId, 3);
        std::vector<std::uint32_t> indices;
        for (const GlyphEntry& g : r.glyphs) indices.push_back(g.index);
        EXPECT_EQ(indices, c.records[i].indices);
    }
}

constexpr Rgba kBlack{0, 0, 0, 255};
constexpr Rgba kRed{255, 0, 0, 255};

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldLayout,
    ::testing::Values(
        // Three "ab " fit in 1000 twips (the last space hangs past); the fourth wraps, one
        // line (ascent + descent) further down.
        LayoutCase{"wrap",
                   false,
                   false,
                   "ab ab ab ab",
                   {{40, 840, kBlack, {0, 1, 2, 0, 1, 2, 0, 1, 2}}, {40, 1840, kBlack, {0, 1}}}},
        LayoutCase{"html",
                   true,
                   false,
                   "<p align=\"right\"><font color=\"#FF0000\">a&amp;</font>b</p><br>&#97;",
                   {{670, 840, kRed, {0, 3}}, {840, 840, kBlack, {1}}, {40, 2840, kBlack, {0}}}},
        LayoutCase{"password",
                   false,
                   true,
                   "ab\rb",
                   {{40, 840, kBlack, {4, 4}}, {40, 1840, kBlack, {4}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Fields, TagFieldsAreReadInOrder) {
    // id 2, bounds 5 bits of 0, flags: text, multiline, colour, font; HTML; font 3 at 240,
    // colour, layout: centred, margins 1 and 2, indent 3, leading -4; "v" and "hi".
    const std::vector<std::uint8_t> body{2, 0, 0x00, 0xA5, 0x22, 3, 0,   240, 0,
                                         1, 2, 3,    255,  2,    1, 0,   2,   0,
                                         3, 0, 0xFC, 0xFF, 'v',  0, 'h', 'i', 0};
    const std::optional<EditText> f = ParseEditText(body);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->id, 2);
    EXPECT_TRUE(f->multiline);
    EXPECT_FALSE(f->wordWrap);
    EXPECT_TRUE(f->html);
    EXPECT_EQ(f->fontId, 3);
    EXPECT_EQ(f->height, 240);
    EXPECT_EQ(f->color, (Rgba{1, 2, 3, 255}));
    EXPECT_EQ(f->align, TextAlign::Center);
    EXPECT_EQ(
        (std::array{int{f->leftMargin}, int{f->rightMargin}, int{f->indent}, int{f->leading}}),
        (std::array{1, 2, 3, -4}));
    EXPECT_EQ(f->variable, "v");
    EXPECT_EQ(f->text, "hi");
    for (std::size_t n = 0; n < body.size(); ++n) ParseEditText(std::span(body.data(), n));
}

}  // namespace
