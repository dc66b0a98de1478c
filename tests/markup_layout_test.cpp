// The mark-up drawer's layout over fixed metrics (a character 6 pixels wide, a double-byte one
// 12; the body font 13 pixels tall, ascent 10): measuring, line breaking, alignment and
// justification, vertical positions, tabs, rules, the style stack, hyperlinks, images,
// animations, strings and tables, with exact positions.
#include <gtest/gtest.h>

#include "tests/tooltip_harness.h"

namespace {

using namespace tooltip_test;

struct Placed {
    std::string text;
    int x, y;
    friend bool operator==(const Placed&, const Placed&) = default;
    friend std::ostream& operator<<(std::ostream& o, const Placed& r) {
        return o << '"' << r.text << "\"@" << r.x << ',' << r.y;
    }
};

std::vector<Placed> Runs(const std::vector<PaintCall>& texts) {
    std::vector<Placed> out;
    for (const PaintCall& c : texts) out.push_back({c.text, c.at.x, c.at.y});
    return out;
}

// The style the run with this text was drawn in.
TextStyle StyleOf(const std::vector<PaintCall>& texts, std::string_view run) {
    for (const PaintCall& c : texts) {
        if (c.text == run) return c.style;
    }
    ADD_FAILURE() << "no run " << run;
    return {};
}

class Layout : public ::testing::Test {
protected:
    void SetUp() override {
        d.device.images = [](const ImageRef& r) -> std::optional<Size> {
            if (r.source == ImageRef::Source::ImageList) return std::nullopt;
            return r.id == 2 ? Size{10, 4} : Size{20, 10};
        };
        d.device.strings = [](const StringRef& r) -> std::string {
            if (r.module.empty()) return r.id == 7 ? "hello" : "";
            return r.module == "m.dll" && r.id == 2 ? "mod" : "";
        };
    }
    std::vector<Placed> RunsOf(std::string_view text, int width = 0) {
        return Runs(d.Texts(text, width));
    }
    Drawer d;
};

TEST_F(Layout, MeasureTextEdgeRules) {
    struct Case {
        const char* text;
        Size size;
    };
    const Case cases[] = {
        {"", {0, 0}},          {"\r", {0, 0}},      {"<b></b>", {1, 1}}, {"<nothing x=1>", {1, 1}},
        {"abc", {19, 14}},     {"\r\n", {1, 14}},   {"a<br>", {7, 14}},  {"a<br><br>b", {7, 40}},
        {"a<br 3>b", {7, 53}}, {"a\r\nb", {7, 27}}, {"a<BR>b", {7, 27}}, {"a<Br/>b", {13, 14}},
    };
    for (const Case& c : cases) EXPECT_EQ(d.Measure(c.text), c.size) << c.text;
    d.engine.Settings().newLineMode = false;
    EXPECT_EQ(d.Measure("a\nb"), (Size{13, 14}));
}

TEST_F(Layout, ATextThatMeasuresNothingIsClearedAndDrawsNothing) {
    d.Paint("<a href=x>abc</a>");
    EXPECT_EQ(d.engine.LinkAreas().size(), 1u);
    EXPECT_TRUE(d.Paint("<b></b>").empty());
    EXPECT_TRUE(d.engine.LinkAreas().empty());
    EXPECT_TRUE(d.engine.Lines().empty());
}

TEST_F(Layout, WithoutMaximumWidthALongTextStaysOnOneLine) {
    const std::string text(400, 'w');
    EXPECT_EQ(d.Measure(text + " " + text), (Size{6 * 801 + 1, 14}));
    EXPECT_EQ(d.engine.Lines().size(), 1u);
}

TEST_F(Layout, TwoBreaksGiveAnEmptyLineOfTheCurrentFontsHeight) {
    d.Measure("a<br><font size=20><br>b");
    const auto& lines = d.engine.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].height, 20);
    EXPECT_EQ(lines[1].width, 0);
}

struct BreakCase {
    const char* text;
    int maxWidth;
    std::vector<Placed> runs;
};

class Breaking : public Layout, public ::testing::WithParamInterface<BreakCase> {};

TEST_P(Breaking, LinesBreakWhereTheRulesSay) {
    d.engine.Settings().maxWidth = GetParam().maxWidth;
    EXPECT_EQ(RunsOf(GetParam().text), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Breaking,
    ::testing::Values(
        BreakCase{"aaa bbb ccc", 42, {{"aaa", 0, 0}, {"bbb ccc", 0, 13}}},
        BreakCase{"well-known", 30, {{"well-", 0, 0}, {"known", 0, 13}}},
        BreakCase{"aaa, bbb", 30, {{"aaa,", 0, 0}, {"bbb", 0, 13}}},
        BreakCase{"f(x)y] z", 30, {{"f(x)", 0, 0}, {"y] z", 0, 13}}},
        BreakCase{"abcdefghij", 24, {{"abcd", 0, 0}, {"efgh", 0, 13}, {"ij", 0, 26}}},
        BreakCase{"abc", 3, {{"a", 0, 0}, {"b", 0, 13}, {"c", 0, 26}}},
        BreakCase{"aaaa    bbbb", 30, {{"aaaa", 0, 0}, {"bbbb", 0, 13}}},
        BreakCase{"<b>aaaa</b>bbbbbbbb", 60, {{"aaaa", 0, 0}, {"bbbbbbbb", 0, 13}}},
        BreakCase{"aaaa <b> bb</b>", 30, {{"aaaa", 0, 0}, {"bb", 0, 13}}},
        // A trail byte "]" or "}" is no break point: the run is cut by whole characters.
        BreakCase{"\xD5\x5D"
                  "abcdefgh",
                  48,
                  {{"\xD5\x5D"
                    "abcdef",
                    0, 0},
                   {"gh", 0, 13}}},
        BreakCase{
            "\x81\x7D\x81\x7D\x81\x7D", 30, {{"\x81\x7D\x81\x7D", 0, 0}, {"\x81\x7D", 0, 13}}},
        // A lead byte alone at the end of the text is dropped.
        BreakCase{"ab\xD5", 12, {{"ab", 0, 0}}}));

TEST_F(Layout, LinesAlignInTheWidthGiven) {
    struct Case {
        const char* text;
        int x;
    };
    const Case cases[] = {{"ab", 0},
                          {"<center>ab</center>", 44},
                          {"<right>ab</right>", 88},
                          {"<justify>ab</justify>", 0},
                          {"<center>ab</center><br>", 44}};
    for (const Case& c : cases) {
        const auto runs = RunsOf(c.text, 100);
        ASSERT_FALSE(runs.empty()) << c.text;
        EXPECT_EQ(runs[0].x, c.x) << c.text;
    }
}

TEST_F(Layout, JustificationSpreadsAWrappedLinesFreeWidthOverItsBlanks) {
    d.engine.Settings().maxWidth = 48;
    auto texts = d.Texts("<justify>aa bb cc dd</justify>", 48);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(std::make_tuple(texts[0].text, texts[0].extra, texts[0].breaks),
              std::make_tuple(std::string("aa bb"), 18, 1));
    EXPECT_EQ(texts[1].extra, 0);  // the last line ends the text: not justified

    d.engine.Settings().maxWidth = 72;
    texts = d.Texts("<justify>aa <b>bb cc</b> dd ee</justify>", 72);
    EXPECT_EQ(Runs(texts), (std::vector<Placed>{
                               {"aa ", 0, 0}, {"bb cc", 20, 0}, {" dd", 52, 0}, {"ee", 0, 13}}));
    EXPECT_EQ(texts[0].extra + texts[1].extra + texts[2].extra, 6);

    d.engine.Settings().maxWidth = 100;
    texts = d.Texts("<justify>aa bb<br>cc dd ee ff gg hh ii jj</justify>", 100);
    EXPECT_EQ(texts[0].extra, 0);  // closed by a break
}

TEST_F(Layout, VerticalPositionsOfTextAndObjects) {
    // The 20-pixel run sets the line: height 20, ascent 15, depth 5.
    EXPECT_EQ(
        RunsOf("<font size=20>A</font>b<top>t</top><middle>m</middle><bottom>u</bottom>"),
        (std::vector<Placed>{{"A", 0, 0}, {"b", 6, 5}, {"t", 12, 0}, {"m", 18, 3}, {"u", 24, 10}}));
    struct Case {
        const char* align;
        int y;
    };
    for (const Case& c :
         {Case{"baseline", 11}, Case{"top", 0}, Case{"middle", 8}, Case{"bottom", 16}}) {
        d.Paint(std::string("<font size=20>A</font><") + c.align + "><bmp idres=2>");
        const auto images = d.device.Calls(PaintCall::Kind::Image);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].rect, (Rect{6, c.y, 16, c.y + 4})) << c.align;
    }
    // A tall image on the baseline raises the part above it: it never reaches above the line.
    EXPECT_EQ(RunsOf("b<bmp idres=1 height=30>"), (std::vector<Placed>{{"b", 0, 20}}));
    EXPECT_EQ(d.device.Calls(PaintCall::Kind::Image)[0].rect, (Rect{6, 0, 26, 30}));
}

TEST_F(Layout, TabsAdvanceToTheNextMultipleOfTheTabSize) {
    EXPECT_EQ(RunsOf("a<t>b")[1].x, 32);
    EXPECT_EQ(RunsOf("a<t 2>b")[1].x, 64);
    EXPECT_EQ(RunsOf("<t>b")[0].x, 32);
    EXPECT_EQ(RunsOf("a\tb")[1].x, 32);
    d.engine.Settings().tabSize = 10;
    EXPECT_EQ(RunsOf("abc<t>d")[1].x, 20);
    d.engine.Settings().tabSize = 0;  // no division by zero
    EXPECT_EQ(RunsOf("abc<t>d")[1].x, 19);
}

TEST_F(Layout, RulesSpanAShareOfTheWidthAcrossTheMiddleOfTheirLine) {
    struct Case {
        const char* text;
        Stroke stroke;
    };
    const Case cases[] = {
        {"<hr>", {{{0, 6}, {200, 6}}, PenKind::Solid, 1, Rgb(0, 0, 0)}},
        {"<hr width=50% size=3 color=red>",
         {{{0, 6}, {100, 6}}, PenKind::Solid, 3, Rgb(255, 0, 0)}},
        {"<hr width=40px>", {{{0, 6}, {40, 6}}, PenKind::Solid, 1, Rgb(0, 0, 0)}},
    };
    for (const Case& c : cases) {
        d.Paint(c.text, 200);
        const auto strokes = d.device.Calls(PaintCall::Kind::Strokes);
        ASSERT_EQ(strokes.size(), 1u) << c.text;
        EXPECT_EQ(strokes[0].strokes[0], c.stroke) << c.text;
    }
    // A rule stands on a line of its own, placed by the alignment like any line.
    EXPECT_EQ(RunsOf("ab<hr width=50%>cd", 200),
              (std::vector<Placed>{{"ab", 0, 0}, {"cd", 0, 26}}));
    EXPECT_EQ(d.device.Calls(PaintCall::Kind::Strokes)[0].strokes[0].points,
              (std::vector<Point>{{0, 19}, {100, 19}}));
    d.Paint("<center><hr width=50%></center>", 200);
    EXPECT_EQ(d.device.Calls(PaintCall::Kind::Strokes)[0].strokes[0].points[0], (Point{50, 6}));
    d.engine.Settings().maxWidth = 100;
    EXPECT_EQ(d.Measure("<hr width=50%>"), (Size{51, 14}));
}

TEST_F(Layout, TheStyleStackOpensAndClosesByStyleName) {
    struct Case {
        const char* text;
        const char* run;
        std::function<bool(const TextStyle&)> holds;
    };
    const Case cases[] = {
        {"<b><b>x</b></b>y", "x", [](const TextStyle& s) { return s.weight == 900; }},
        {"<b><b>x</b></b>y", "y", [](const TextStyle& s) { return s.weight == 400; }},
        {"<i><i>x</i></i>", "x", [](const TextStyle& s) { return !s.italic; }},
        {"<i>x</em>y", "y", [](const TextStyle& s) { return !s.italic; }},
        {"<b>x</i>y", "y", [](const TextStyle& s) { return s.weight == 800; }},
        {"<b>x<br>y</b>z", "z", [](const TextStyle& s) { return s.weight == 400; }},
        {"<font color=red><b>x</font>y", "y",
         [](const TextStyle& s) { return s.textColour == Rgb(255, 0, 0) && s.weight == 800; }},
        {"<h2>x</h2>y", "x",
         [](const TextStyle& s) {
             return s.textColour == Rgb(255, 153, 0) && s.weight == 700 && s.fontHeight == 17;
         }},
        {"<h2>x</h2>y", "y",
         [](const TextStyle& s) { return s.textColour == 0 && s.fontHeight == 13; }},
        {"<sub>x</sub>", "x",
         [](const TextStyle& s) { return s.fontHeight == 8 && s.vAlign == VAlign::Bottom; }},
        {"<span class=cpp-comment>x</span>", "x",
         [](const TextStyle& s) { return s.textColour == Rgb(0, 128, 0) && s.italic; }},
        {"<u><s>x", "x", [](const TextStyle& s) { return s.underline && s.strikeout; }},
        {"<font style=o>x", "x", [](const TextStyle& s) { return s.overline; }},
        {"<pre>x", "x",
         [](const TextStyle& s) {
             return s.face == "courier" && s.opaqueBackground &&
                    s.backgroundColour == Rgb(0xFB, 0xED, 0xBB);
         }},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.holds(StyleOf(d.Texts(c.text), c.run))) << c.text << " / " << c.run;
    }
}

TEST_F(Layout, OverlinesFollowTheRunsTopEdge) {
    d.Paint("<font style=o>ab</font><b><font style=o>c");
    const auto strokes = d.device.Calls(PaintCall::Kind::Strokes);
    ASSERT_EQ(strokes.size(), 2u);
    EXPECT_EQ(strokes[0].strokes[0], (Stroke{{{0, 0}, {12, 0}}, PenKind::Solid, 1, 0}));
    EXPECT_EQ(strokes[1].strokes[0].width, 2);  // bold
}

TEST_F(Layout, HyperlinkAreasHitsAndTheHotIndex) {
    d.Paint("<a href=u>ab</a> <a msg=m>cd</a> <a>ef</a>");
    const auto& areas = d.engine.LinkAreas();
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[0].area, (Rect{0, 0, 12, 13}));
    EXPECT_EQ(std::make_tuple(areas[0].kind, areas[0].index, areas[0].target),
              std::make_tuple(1, 0, std::string("u")));
    EXPECT_EQ(std::make_tuple(areas[1].kind, areas[1].index, areas[1].target),
              std::make_tuple(2, 1, std::string("m")));
    EXPECT_EQ(areas[2].target, "");
    ASSERT_NE(d.engine.LinkAt({12, 13}), nullptr);  // right and bottom edges are inside
    EXPECT_EQ(d.engine.LinkAt({12, 13})->index, 0);
    EXPECT_EQ(d.engine.LinkAt({13, 5}), nullptr);
    EXPECT_EQ(d.engine.HotLink(), kNoHotLink);

    RecordingHost host;
    EXPECT_TRUE(d.engine.UpdateHotLink({5, 5}, host));
    EXPECT_TRUE(d.engine.UpdateHotLink({6, 6}, host));
    EXPECT_TRUE(d.engine.UpdateHotLink({20, 5}, host));
    EXPECT_FALSE(d.engine.UpdateHotLink({40, 5}, host));  // no target: no hand cursor
    EXPECT_FALSE(d.engine.UpdateHotLink({100, 100}, host));
    EXPECT_FALSE(d.engine.UpdateHotLink({101, 100}, host));
    EXPECT_EQ(host.hot, (std::vector<int>{0, 1, 2, kNoHotLink}));
    EXPECT_EQ(host.handCursors, 3);

    // The hot one is drawn with "a:hover", the others with "a:link"; areas are not doubled.
    d.engine.UpdateHotLink({20, 5}, host);
    d.device.calls.clear();
    d.engine.RenderText(d.device, {0, 0, 48, 13});
    const auto texts = d.device.Calls(PaintCall::Kind::Text);
    EXPECT_TRUE(StyleOf(texts, "cd").underline);
    EXPECT_FALSE(StyleOf(texts, "ab").underline);
    EXPECT_EQ(StyleOf(texts, "ab").textColour, Rgb(0, 0, 255));
    EXPECT_EQ(d.engine.LinkAreas().size(), 3u);

    d.engine.FollowLinkAt({5, 5}, host);
    d.engine.FollowLinkAt({20, 5}, host);
    d.engine.FollowLinkAt({40, 5}, host);
    d.engine.FollowLinkAt({100, 5}, host);
    EXPECT_EQ(host.opened, (std::vector<std::string>{"u"}));
    EXPECT_EQ(host.sent, (std::vector<std::string>{"m"}));
}

TEST_F(Layout, ImagesTheirSourcesSizesStylesAndShadows) {
    struct Case {
        const char* text;
        ImageRef::Source source;
        int id;
        const char* path;
    };
    const Case sources[] = {
        {"<bmp idres=4 file=a.bmp>", ImageRef::Source::Resource, 4, ""},
        {"<bmp file=a.bmp iddll=3 srcdll=m.dll>", ImageRef::Source::File, 0, "a.bmp"},
        {"<icon iddll=3 srcdll=m.dll handle=5>", ImageRef::Source::Module, 3, "m.dll"},
    };
    for (const Case& c : sources) {
        d.Paint(c.text);
        const auto images = d.device.Calls(PaintCall::Kind::Image);
        ASSERT_EQ(images.size(), 1u) << c.text;
        EXPECT_EQ(std::make_tuple(images[0].image.source, images[0].image.id, images[0].image.path),
                  std::make_tuple(c.source, c.id, std::string(c.path)));
    }
    // Handles keep their whole value: GDI's often lie above 0x7FFFFFFF.
    for (const auto& [text, handle] : {std::pair<const char*, std::uintptr_t>{"0x40", 0x40},
                                       {"3221225546", 0xC000004A},
                                       {"0x1C0050A3F", 0x1C0050A3F}}) {
        d.Paint(std::string("<bmp handle=") + text + ">");
        const auto images = d.device.Calls(PaintCall::Kind::Image);
        ASSERT_EQ(images.size(), 1u) << text;
        EXPECT_EQ(images[0].image.handle, handle) << text;
    }
    EXPECT_EQ(d.Measure("<bmp>"), (Size{1, 1}));
    EXPECT_EQ(d.Measure("<ilst index=1>"), (Size{1, 1}));  // no image list

    d.Paint("<bmp idres=1 width=50% height=30 mask>");
    ImageDraw how = d.device.Calls(PaintCall::Kind::Image)[0].how;
    EXPECT_EQ(how.rect, (Rect{0, 0, 10, 30}));
    EXPECT_EQ(how.transparent, Rgb(255, 0, 255));
    d.Paint("<bmp idres=1 mask=#00ff00>");
    EXPECT_EQ(d.device.Calls(PaintCall::Kind::Image)[0].how.transparent, Rgb(0, 255, 0));

    // The shadow letter adds the shadow offset to the room the image takes.
    EXPECT_EQ(RunsOf("<bmp idres=1 style=s>b")[0].x, 24);
    how = d.device.Calls(PaintCall::Kind::Image)[0].how;
    EXPECT_TRUE(how.shadow && how.softShadow);
    EXPECT_EQ(how.shadowOffset, (Point{4, 4}));
    d.engine.Settings().imageShadowOffset = {0, 0};
    EXPECT_EQ(RunsOf("<bmp idres=1 style=s>b")[0].x, 20);
    EXPECT_FALSE(d.device.Calls(PaintCall::Kind::Image)[0].how.shadow);
}

TEST_F(Layout, HotStyleLettersAndTheDisabledSingleColour) {
    d.Paint("<a href=x><bmp idres=1 style=g hotstyle=ds></a>");
    EXPECT_EQ(d.device.Calls(PaintCall::Kind::Image)[0].how.recolour, recolour::kGrey);
    RecordingHost host;
    d.engine.UpdateHotLink({3, 3}, host);
    d.device.calls.clear();
    d.engine.RenderText(d.device, {0, 0, 30, 20});
    ImageDraw how = d.device.Calls(PaintCall::Kind::Image)[0].how;
    EXPECT_EQ(how.recolour, recolour::kDarker);
    EXPECT_TRUE(how.shadow);

    d.engine.Settings().enabled = false;
    const auto texts = d.Texts("<font color=red>x</font>y<bmp idres=1 style=s>");
    const Colour disabled = FakeSystemColour(16);  // the button shadow colour
    EXPECT_EQ(StyleOf(texts, "x").textColour, disabled);
    EXPECT_EQ(StyleOf(texts, "y").textColour, disabled);
    how = d.device.Calls(PaintCall::Kind::Image)[0].how;
    EXPECT_EQ(how.recolour, recolour::kSingle);
    EXPECT_EQ(how.single, disabled);
    EXPECT_TRUE(how.shadow);
}

TEST_F(Layout, AnImageThatDoesNotFitStartsTheNextLine) {
    d.engine.Settings().maxWidth = 30;
    d.Paint("abc<bmp idres=1>");
    EXPECT_EQ(d.device.Calls(PaintCall::Kind::Image)[0].rect.top, 13);
}

TEST_F(Layout, AnimationsChangeFrameEveryTicksPerFrame) {
    d.Paint("<bmp idres=1 cx=5 speed=5><bmp idres=1 speed=5><bmp idres=1 cx=5>");
    ASSERT_EQ(d.engine.Animations().size(), 1u);  // a strip of 4 frames with a speed
    std::vector<int> changedAt;
    for (int tick = 1; tick <= 20; ++tick) {
        if (d.engine.StepAnimations()) changedAt.push_back(tick);
        if (tick == 5) {
            d.device.calls.clear();
            d.engine.RenderText(d.device, {0, 0, 60, 20});
            const ImageDraw how = d.device.Calls(PaintCall::Kind::Image)[0].how;
            EXPECT_EQ(std::make_tuple(how.frame, how.frameCount), std::make_tuple(1, 4));
            EXPECT_EQ(how.frameSize, (Size{5, 10}));
            EXPECT_EQ(how.rect, (Rect{0, 0, 5, 10}));
        }
    }
    EXPECT_EQ(changedAt, (std::vector<int>{5, 10, 15, 20}));
    EXPECT_EQ(d.engine.Animations()[0].frame, 0);
}

TEST_F(Layout, StringResourcesAreRunsAtTheCurrentPosition) {
    EXPECT_EQ(RunsOf("<string idres=7>!<string iddll=2 srcdll=m.dll>"),
              (std::vector<Placed>{{"hello", 0, 0}, {"!", 30, 0}, {"mod", 36, 0}}));
    EXPECT_EQ(d.Measure("<string iddll=2><string idres=8>"), (Size{1, 1}));
}

// --- tables ------------------------------------------------------------------------------------

TEST_F(Layout, TableCellsFollowPaddingSpacingAndBorder) {
    const char* text =
        "<table border=1 cellpadding=2 cellspacing=3><tr><td>a</td><td>bb</td></tr>"
        "<tr><td>ccc</td><td>d</td></tr></table>";
    // Columns 24 and 18 (content plus 3 on each side), rows 19; frame 1, spacing 3.
    EXPECT_EQ(d.Measure(text), (Size{54, 50}));
    EXPECT_EQ(RunsOf(text),
              (std::vector<Placed>{{"a", 7, 7}, {"bb", 34, 7}, {"ccc", 7, 29}, {"d", 34, 29}}));
    const auto strokes = d.device.Calls(PaintCall::Kind::Strokes);
    ASSERT_EQ(strokes.size(), 5u);  // the table's frame, then one per cell
    EXPECT_EQ(strokes[0].strokes[0].points, (std::vector<Point>{{0, 48}, {0, 0}, {52, 0}}));
    EXPECT_EQ(strokes[0].strokes[0].colour, Rgb(255, 255, 255));  // raised: light first
    EXPECT_EQ(strokes[1].strokes[0].points, (std::vector<Point>{{4, 22}, {4, 4}, {27, 4}}));
    EXPECT_EQ(strokes[1].strokes[0].colour, Rgb(128, 128, 128));  // sunken: dark first
}

TEST_F(Layout, TableSpansShareTheirNeedAndSkipCoveredPositions) {
    EXPECT_EQ(RunsOf("<table cellspacing=0 cellpadding=0><tr><td colspan=2>wide text</td></tr>"
                     "<tr><td>a</td><td>b</td></tr></table>"),
              (std::vector<Placed>{{"wide text", 0, 0}, {"a", 0, 13}, {"b", 27, 13}}));
    EXPECT_EQ(RunsOf("<table cellspacing=0 cellpadding=0><tr><td rowspan=2>A</td><td>B</td>"
                     "</tr><tr><td>C</td></tr></table>"),
              (std::vector<Placed>{{"A", 0, 0}, {"B", 6, 0}, {"C", 6, 13}}));
}

TEST_F(Layout, ExtraWidthGoesToColumnsWithoutFixedWidth) {
    // 6 + 6 + 20 wide; 11 more: 5 and 6 to the two free columns.
    EXPECT_EQ(RunsOf("<table cellspacing=0 cellpadding=0><tr><td>a</td><td>b</td>"
                     "<td width=20>c</td></tr></table>",
                     43),
              (std::vector<Placed>{{"a", 0, 0}, {"b", 11, 0}, {"c", 23, 0}}));
    // Every column fixed: the table keeps its width and is placed by the alignment (40), and
    // its cell centres its line too (7).
    EXPECT_EQ(RunsOf("<center><table cellspacing=0 cellpadding=0><tr><td width=20>a</td></tr>"
                     "</table>",
                     100)[0]
                  .x,
              47);
}

TEST_F(Layout, CellContentAlignsVertically) {
    EXPECT_EQ(RunsOf("<table cellspacing=0 cellpadding=0><tr><td height=40 valign=middle>a</td>"
                     "<td valign=bottom>b</td><td>c</td></tr></table>"),
              (std::vector<Placed>{{"a", 0, 13}, {"b", 6, 27}, {"c", 12, 0}}));
}

TEST_F(Layout, TableAndCellBackgrounds) {
    d.Paint(
        "<table bgcolor=#102030 cellspacing=0 cellpadding=0><tr><td bgeffect=hgradient "
        "bgcolor=red bgendcolor=blue>a</td><td>b</td></tr></table>");
    const auto fills = d.device.Calls(PaintCall::Kind::Fill);
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(
        std::make_tuple(fills[0].effect, fills[0].begin, fills[0].granularity, fills[0].blend),
        std::make_tuple(effect::kSolid, Rgb(16, 32, 48), 5, 0));
    EXPECT_EQ(fills[0].rect, (Rect{0, 0, 12, 13}));
    EXPECT_EQ(std::make_tuple(fills[1].effect, fills[1].begin, fills[1].middle, fills[1].end),
              std::make_tuple(effect::kHGradient, Rgb(255, 0, 0), Rgb(255, 0, 0), Rgb(0, 0, 255)));
    EXPECT_EQ(fills[1].rect, (Rect{0, 0, 6, 13}));
    d.Paint("<table background=idres:5><tr><td>a</td></tr></table>");
    EXPECT_EQ(d.device.Calls(PaintCall::Kind::Tile).size(), 1u);
    d.Paint("<table background=idres:5 bgcolor=red><tr><td>a</td></tr></table>");
    EXPECT_EQ(d.device.Calls(PaintCall::Kind::Tile).size(), 0u);
}

TEST_F(Layout, TableBorderRules) {
    struct Case {
        const char* attrs;
        std::size_t tableStrokes;
        PenKind pen;
        int width;
        Placed cell;  // where "a" lands with spacing and padding 0
    };
    const Case cases[] = {
        {"border=0", 0, PenKind::Solid, 0, {"a", 0, 0}},
        {"borderstyle=dashed", 2, PenKind::Dash, 1, {"a", 2, 2}},
        {"border=3", 2, PenKind::Solid, 3, {"a", 4, 4}},
        {"border=3 borderstyle=double", 4, PenKind::Solid, 1, {"a", 4, 4}},
        {"border=2 borderstyle=dotted", 2, PenKind::Dot, 1, {"a", 2, 2}},
    };
    for (const Case& c : cases) {
        d.Paint(std::string("<table cellspacing=0 cellpadding=0 ") + c.attrs +
                "><tr><td>a</td></tr></table>");
        const auto strokes = d.device.Calls(PaintCall::Kind::Strokes);
        const auto runs = Runs(d.device.Calls(PaintCall::Kind::Text));
        ASSERT_EQ(runs.size(), 1u) << c.attrs;
        EXPECT_EQ(runs[0], c.cell) << c.attrs;
        if (c.tableStrokes == 0) {
            EXPECT_TRUE(strokes.empty()) << c.attrs;
            continue;
        }
        ASSERT_EQ(strokes.size(), 2u) << c.attrs;  // the table, the cell
        EXPECT_EQ(strokes[0].strokes.size(), c.tableStrokes) << c.attrs;
        EXPECT_EQ(strokes[0].strokes[0].pen, c.pen) << c.attrs;
        EXPECT_EQ(strokes[0].strokes[0].width, c.width) << c.attrs;
        EXPECT_EQ(strokes[1].strokes[0].width, 1) << c.attrs;  // cells: one pixel at most
    }
}

TEST_F(Layout, ATableWiderThanTheSpaceShrinksItsColumnsAndWrapsTheirCells) {
    d.engine.Settings().maxWidth = 60;
    EXPECT_EQ(d.Measure("<table cellspacing=0 cellpadding=0><tr><td>aaaa bbbb</td>"
                        "<td>cccc dddd</td></tr></table>"),
              (Size{61, 27}));
    EXPECT_EQ(
        RunsOf("<table cellspacing=0 cellpadding=0><tr><td>aaaa bbbb</td>"
               "<td>cccc dddd</td></tr></table>"),
        (std::vector<Placed>{{"aaaa", 0, 0}, {"bbbb", 0, 13}, {"cccc", 30, 0}, {"dddd", 30, 13}}));
}

TEST_F(Layout, NestedTablesAndWhatLiesOutsideCells) {
    EXPECT_EQ(RunsOf("<table cellspacing=0 cellpadding=0><tr><td>x<table cellspacing=0 "
                     "cellpadding=0 border=1><tr><td>in</td></tr></table></td></tr></table>z"),
              (std::vector<Placed>{{"x", 0, 0}, {"in", 2, 15}, {"z", 0, 30}}));
    EXPECT_EQ(RunsOf("<table>junk<tr>more<td>a</td>gone</tr></table>"),
              (std::vector<Placed>{{"a", 3, 3}}));
    // What a cell leaves open ends with it; a closing tag in a cell cannot close outside it.
    const auto texts = d.Texts("<b><table><tr><td><i>a</b></td></tr></table>c</b>d");
    EXPECT_FALSE(StyleOf(texts, "c").italic);
    EXPECT_EQ(StyleOf(texts, "c").weight, 800);
    EXPECT_EQ(StyleOf(texts, "d").weight, 400);
}

TEST_F(Layout, MalformedTablesStayInsideTheirGrid) {
    const char* texts[] = {
        "<table><td>no row</td><td rowspan=9>span</td></table>",
        "<table><tr><td colspan=100000>x</td><td>y</td></tr><tr><td>z</td></tr>",
        "<table><tr><td rowspan=3>a</td><td>b</td></tr><tr><td colspan=3>c</td></tr></table>",
        "<table><tr><td><table><tr><td><table><tr><td><table><tr><td><table><tr><td><table>"
        "<tr><td><table><tr><td><table><tr><td>deep",
        "</table></td></tr>text<table></table><table><tr></tr></table>",
        // Percentages far beyond any width stay within the coordinates a paint can add up.
        "<table width=99999999999%><tr><td width=99999999999%>a</td><td width=99999999999%>b"
        "</td><td width=99999999999%>c</td><td>d</td></tr></table>",
    };
    d.engine.Settings().maxWidth = 50;
    for (const char* t : texts) {
        const Size s = d.Measure(t);
        EXPECT_GT(s.cx, 0) << t;
        d.device.calls.clear();
        d.engine.RenderText(d.device, {0, 0, s.cx, s.cy});
    }
}

TEST_F(Layout, TheMaximumWidthLimitsTheMeasuredWidth) {
    d.engine.Settings().maxWidth = 30;
    EXPECT_EQ(d.Measure("abcdefgh"), (Size{31, 27}));
    EXPECT_EQ(d.Measure("<bmp idres=1 width=50>"), (Size{31, 11}));
}

}  // namespace
