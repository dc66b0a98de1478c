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
    f.kerning = {{'a', 'b', -20}};
    return f;
}

EditText TestField(const char* text, bool html) {
    EditText field;
    field.bounds = {0, 1080, 0, 4000};  // 1000 twips of room between the gutters
    field.multiline = field.wordWrap = true;
    field.html = html;
    field.useOutlines = true;
    field.fontId = 3;
    field.height = 1024;
    field.text = text;
    return field;
}

StaticText Layout(const EditText& field, const Font& font, DeviceFonts* device = nullptr) {
    const FontFinder fonts = [&](std::uint16_t id, const std::string& name, bool, bool) {
        return id == 3 || name == "Test" ? &font : nullptr;
    };
    return LayoutEditText(field, fonts, true, device);
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
    EditText field = TestField(c.text, c.html);
    field.password = c.password;
    const StaticText t = Layout(field, font);
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
// Mark-up colours tint white glyphs: channels between 0 and 255 come out one lower.
constexpr Rgba kPink{255, 152, 0, 255};

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
                   "<p align=\"right\"><font color=\"#FF9900\">a&amp;</font>b</p><br>&#97;",
                   {{670, 840, kPink, {0, 3}}, {840, 840, kBlack, {1}}, {40, 2840, kBlack, {0}}}},
        LayoutCase{"password",
                   false,
                   true,
                   "ab\rb",
                   {{40, 840, kBlack, {4, 4}}, {40, 1840, kBlack, {4}}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct SpacingCase {
    const char* text;
    std::vector<std::int32_t> advances;
};

class FieldSpacing : public ::testing::TestWithParam<SpacingCase> {};

// Kerning applies where the mark-up asks for it; letter spacing (in pixels) comes after each
// character.
TEST_P(FieldSpacing, AdvancesFollowKerningAndLetterSpacing) {
    const Font font = TestFont();
    const StaticText t = Layout(TestField(GetParam().text, true), font);
    std::vector<std::int32_t> advances;
    for (const TextRecord& r : t.records)
        for (const GlyphEntry& g : r.glyphs) advances.push_back(g.advance);
    EXPECT_EQ(advances, GetParam().advances);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldSpacing,
    ::testing::Values(SpacingCase{"aba", {100, 200, 100}},
                      SpacingCase{"<font kerning=\"1\">aba</font>", {80, 200, 100}},
                      SpacingCase{"<font kerning='0'>ab</font>", {100, 200}},
                      SpacingCase{"<font letterSpacing=\"2\">ab</font>a", {140, 240, 100}}));

TEST(Fields, UnderlinesSpanTheirRunsUnderTheBaseline) {
    const Font font = TestFont();
    const StaticText t =
        Layout(TestField("a<u><font color=\"#FF0000\">ab</font></u>b", true), font);
    ASSERT_EQ(t.underlines.size(), 1u);
    EXPECT_EQ(t.underlines[0].box, (Rect{140, 440, 860, 880}));
    EXPECT_EQ(t.underlines[0].color, (Rgba{255, 0, 0, 255}));
}

TEST(Fields, HtmlRunsOutsideBoldAndItalicAreRegular) {
    // The field's own font is the bold face; text outside <b> asks for the regular one.
    Font bold = TestFont();
    bold.bold = true;
    Font regular = TestFont();
    regular.id = 4;
    const FontFinder fonts = [&](std::uint16_t id, const std::string&, bool b, bool) {
        return id == 3 || b ? &bold : &regular;
    };
    const StaticText t = LayoutEditText(TestField("<b>a</b>b", true), fonts, true);
    ASSERT_EQ(t.records.size(), 2u);
    EXPECT_EQ(t.records[0].fontId, 3);
    EXPECT_EQ(t.records[1].fontId, 4);
}

TEST(Fields, CentredLinesStartOnAWholeTwipCutDown) {
    // 901 twips to spare: the line starts 450.5 twips in, drawn from 450.
    const Font font = TestFont();
    EditText field = TestField("a", false);
    field.bounds.xMax = 1081;
    field.align = TextAlign::Center;
    const StaticText t = Layout(field, font);
    ASSERT_EQ(t.records.size(), 1u);
    EXPECT_EQ(t.records[0].x, 490);
}

struct AutoSizeCase {
    TextAlign align;
    Rect bounds;
    std::int32_t x;
};

class FieldAutoSize : public ::testing::TestWithParam<AutoSizeCase> {};

// A field that does not wrap grows or shrinks to its text (300 twips and the gutters) from
// the side its alignment holds; its height always follows the text.
TEST_P(FieldAutoSize, BoxFitsTheText) {
    const Font font = TestFont();
    EditText field = TestField("ab", false);
    field.wordWrap = false;
    field.autoSize = true;
    field.align = GetParam().align;
    const StaticText t = Layout(field, font);
    EXPECT_EQ(t.bounds, GetParam().bounds);
    ASSERT_EQ(t.records.size(), 1u);
    EXPECT_EQ(t.records[0].x, GetParam().x);
    EXPECT_FALSE(t.clipped);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldAutoSize,
    ::testing::Values(AutoSizeCase{TextAlign::Left, {0, 380, 0, 1080}, 40},
                      AutoSizeCase{TextAlign::Right, {700, 1080, 0, 1080}, 740},
                      AutoSizeCase{TextAlign::Center, {350, 730, 0, 1080}, 390}));

TEST(Fields, TextPastAFixedBoxIsClipped) {
    const Font font = TestFont();
    struct Case {
        const char* text;
        Rect bounds;
        bool clipped;
    };
    for (const Case& c : {Case{"abab", {0, 1040, 0, 4000}, false},
                          Case{"abababab", {0, 1040, 0, 4000}, true},  // one line, too wide
                          Case{"ab\rab", {0, 1040, 0, 1000}, true},    // two lines, too low
                          Case{"ab", {0, 1040, 0, 1080}, false}}) {
        SCOPED_TRACE(c.text);
        EditText field = TestField(c.text, false);
        field.wordWrap = false;
        field.bounds = c.bounds;
        EXPECT_EQ(Layout(field, font).clipped, c.clipped);
    }
}

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
