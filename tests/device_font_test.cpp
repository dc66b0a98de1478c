// Device fonts: generic families for font names, outlines turned into glyph shapes, fields
// laid out in fonts a source gives glyph by glyph, and the system's own source giving Latin
// and Chinese glyphs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "flash/player.h"
#include "flash/render/device_font.h"
#include "flash/render/edit_text.h"
#include "flash/render/stage_drawer.h"
#include "flash/swf_parser.h"
#include "tests/render_scene.h"
#include "tools/swf_writer.h"

namespace {

using namespace flash;
using namespace flash::render;

TEST(DeviceFonts, NamesFallIntoGenericFamilies) {
    struct Case {
        const char* name;
        GenericFamily family;
    };
    for (const Case& c :
         {Case{"_sans", GenericFamily::Sans}, Case{"_SERIF", GenericFamily::Serif},
          Case{"_typewriter", GenericFamily::Typewriter},
          Case{"Courier New", GenericFamily::Typewriter},
          Case{"DejaVu Sans Mono", GenericFamily::Typewriter},
          Case{"Times New Roman", GenericFamily::Serif}, Case{"Noto Sans", GenericFamily::Sans},
          Case{"\xE5\xAE\x8B\xE4\xBD\x93", GenericFamily::Serif},  // 宋体, UTF-8
          Case{"\xCB\xCE\xCC\xE5", GenericFamily::Serif},          // 宋体, code page 936
          Case{"Some Face", GenericFamily::Sans}, Case{"", GenericFamily::Sans}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FamilyOf(c.name), c.family);
    }
}

TEST(DeviceFonts, OutlinesBecomeClosedGlyphShapesWithYDown) {
    OutlineBuilder b(1000);  // 20.48 edge units per font unit
    b.MoveTo(0, 0);
    b.LineTo(500, 0);
    b.QuadTo(500, 500, 0, 500);  // left open: closed back to the start
    b.MoveTo(0, 0);
    b.CubicTo(0, 1000, 1000, 1000, 1000, 0);
    const Shape s = b.Finish();
    EXPECT_TRUE(s.nonZeroWinding);
    ASSERT_EQ(s.edges.size(), 6u);
    EXPECT_EQ((std::array{s.edges[1].cx, s.edges[1].cy, s.edges[1].x1, s.edges[1].y1}),
              (std::array{10240, -10240, 0, -10240}));
    EXPECT_TRUE(s.edges[1].curved);
    EXPECT_EQ((std::array{s.edges[2].x1, s.edges[2].y1}), (std::array{0, 0}));
    // The cubic's two halves meet on its midpoint (500, 750) and end on its end.
    EXPECT_EQ((std::array{s.edges[3].x1, s.edges[3].y1}), (std::array{10240, -15360}));
    EXPECT_EQ((std::array{s.edges[4].x1, s.edges[4].y1}), (std::array{20480, 0}));
    EXPECT_EQ((std::array{s.edges[5].x1, s.edges[5].y1}), (std::array{0, 0}));
    for (const Edge& e : s.edges) EXPECT_EQ(e.fill1, 1);
    EXPECT_EQ(s.extent, (Rect{0, 20480, -15360, 0}));
    ASSERT_EQ(s.groups.size(), 1u);
    EXPECT_EQ(s.groups[0].edgeCount, 6u);
}

// Glyphs for 'x' and '中' only, half an EM wide; remembers what it was asked for.
class FakeSource final : public DeviceFontSource {
public:
    std::vector<FaceRequest> asked;
    int glyphCalls = 0;
    bool Metrics(const FaceRequest& face, FaceMetrics& out) override {
        asked.push_back(face);
        out = {16384, 4096, 0};
        return true;
    }
    bool Glyph(const FaceRequest&, char32_t code, Shape& shape, double& advance) override {
        ++glyphCalls;
        if (code != 'x' && code != U'中') return false;
        OutlineBuilder b(2);
        b.MoveTo(0, 0);
        b.LineTo(1, 0);
        b.LineTo(1, 1);
        shape = b.Finish();
        advance = kDeviceEmSquare / 2;
        return true;
    }
};

struct DeviceCase {
    const char* name;
    bool useOutlines;
    bool fontHasGlyphs;
    bool device;  // drawn in device fonts
};

class DeviceFieldLayout : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(DeviceFieldLayout, FieldsWithoutOutlinesUseTheSystemsFonts) {
    const DeviceCase& c = GetParam();
    Font font;
    font.id = 3;
    font.name = "Embedded";
    font.codes = {'x'};
    font.advances = {100};
    font.hasLayout = true;
    if (c.fontHasGlyphs) font.glyphs.resize(1);
    FakeSource source;
    DeviceFonts device(source);
    EditText field;
    field.bounds = {0, 4000, 0, 4000};
    field.html = true;
    field.useOutlines = c.useOutlines;
    field.fontId = 3;
    field.height = 1024;
    field.text = "x<b>xq</b>\xE4\xB8\xAD";  // 'q' no font has: left out
    const FontFinder fonts = [&](std::uint16_t id, const std::string&, bool, bool) {
        return id == 3 ? &font : nullptr;
    };
    const StaticText t = LayoutEditText(field, fonts, true, &device);
    ASSERT_EQ(t.records.size(), c.device ? 3u : 1u);
    if (!c.device) {
        EXPECT_EQ(t.records[0].fontId, 3);
        EXPECT_TRUE(source.asked.empty());
        return;
    }
    const bool bold[] = {false, true, false};
    const std::size_t glyphs[] = {1, 1, 1};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const TextRecord& r = t.records[i];
        ASSERT_NE(r.font, nullptr);
        EXPECT_EQ(r.font->name, "Embedded");
        EXPECT_EQ(r.font->bold, bold[i]);
        ASSERT_EQ(r.glyphs.size(), glyphs[i]);
        EXPECT_EQ(r.glyphs[0].advance, 512);  // half an EM of 1024 twips
        EXPECT_LT(r.glyphs[0].index, r.font->glyphs.size());
        // The baseline lies the face's ascent (0.8 EM) under the gutter.
        EXPECT_EQ(r.y, 40 + 819);
    }
    EXPECT_EQ(t.records[1].x, 40 + 512);
    EXPECT_EQ(source.asked.size(), 2u);  // the regular and the bold face, once each
    // Each character is asked for once per face, however often it is laid out again.
    const int calls = source.glyphCalls;
    LayoutEditText(field, fonts, true, &device);
    EXPECT_EQ(source.glyphCalls, calls);
}

INSTANTIATE_TEST_SUITE_P(Fields, DeviceFieldLayout,
                         ::testing::Values(DeviceCase{"outlinesOff", false, true, true},
                                           DeviceCase{"fontWithoutGlyphs", true, false, true},
                                           DeviceCase{"embedded", true, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The system's own fonts (Debian's DejaVu and WenQuanYi faces natively, GDI's under Wine).
class SystemFonts : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef _WIN32
        if (!std::filesystem::exists("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf") ||
            !std::filesystem::exists("/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"))
            GTEST_SKIP() << "fonts-dejavu-core and fonts-wqy-zenhei are not installed";
#endif
    }
};

TEST_F(SystemFonts, TheSystemGivesLatinAndChineseGlyphs) {
    DeviceFontSource& source = SystemFontSource();
    for (const char* name : {"_sans", "_serif", "_typewriter", "No Such Face"}) {
        SCOPED_TRACE(name);
        const FaceRequest face{name, FamilyOf(name), false, false};
        FaceMetrics m;
        ASSERT_TRUE(source.Metrics(face, m));
        EXPECT_GT(m.ascent, kDeviceEmSquare / 2);
        EXPECT_GT(m.descent, 0);
        for (const char32_t code : {U'A', U'中'}) {
            Shape shape;
            double advance = 0;
            ASSERT_TRUE(source.Glyph(face, code, shape, advance));
            EXPECT_GT(shape.edges.size(), 3u);
            EXPECT_GT(advance, kDeviceEmSquare / 4);
            EXPECT_LT(advance, kDeviceEmSquare * 1.5);
            // Letters stand on the baseline: mostly above it, with y down.
            EXPECT_LT(shape.extent.yMin, -kDeviceEmSquare / 2);
        }
    }
}

// A movie of six fields in the device face "宋体", one Chinese character each, drawn through
// the whole engine: every character inks its own box, and no two look alike.
TEST_F(SystemFonts, ChineseFieldsDrawInsideTheirBoxes) {
    constexpr int kCell = 40, kBox = 36;  // pixels
    const char* const chars[] = {"\xE4\xB8\xAD", "\xE6\x96\x87", "\xE5\xAD\x97",
                                 "\xE4\xBD\x93", "\xE6\xB5\x8B", "\xE8\xAF\x95"};  // 中文字体测试
    swfwriter::MovieBuilder m;
    m.Version(10).StagePixels(kCell * 6, kCell).BackgroundColor({255, 255, 255});
    m.DeviceFont(1, "\xE5\xAE\x8B\xE4\xBD\x93");  // 宋体
    for (int i = 0; i < 6; ++i) {
        swfwriter::EditTextSpec field;
        field.id = static_cast<std::uint16_t>(10 + i);
        field.bounds[0] = i * kCell * 20;
        field.bounds[1] = (i * kCell + kBox) * 20;
        field.bounds[3] = kBox * 20;
        field.fontId = 1;
        field.height = 24 * 20;
        field.text = chars[i];
        m.DefineEditText(field).PlaceObject(field.id, static_cast<std::uint16_t>(i + 1), 0, 0);
    }
    m.ShowFrame();
    const PixelBuffer surface =
        rendertest::DrawFirstFrame(m.Build(), kCell * 6, kCell, Quality::High);
    std::vector<std::vector<bool>> shapes(6, std::vector<bool>(kCell * kCell));
    for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell * 6; ++x) {
            if (surface.At(x, y) == 0xFFFFFFFFu) continue;
            const int cell = x / kCell;
            EXPECT_TRUE(x % kCell < kBox && y < kBox)
                << "ink outside the boxes at " << x << "," << y;
            shapes[cell][y * kCell + x % kCell] = true;
        }
    }
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(chars[i]);
        // A 24-pixel character covers a good part of its cell.
        EXPECT_GT(std::count(shapes[i].begin(), shapes[i].end(), true), 40);
        for (int j = 0; j < i; ++j)
            EXPECT_TRUE(shapes[i] != shapes[j]) << "looks like " << chars[j];
    }
}

}  // namespace
