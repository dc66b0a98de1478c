// The tooltip mark-up language: preparing texts, scanning tags and attributes over code page
// 936 text, the tag table, lengths, colours, the style sheet and the properties.
#include <gtest/gtest.h>

#include <set>

#include "base/ansi_text.h"
#include "tests/tooltip_harness.h"
#include "tooltip/markup_style.h"
#include "tooltip/markup_text.h"

namespace {

using namespace tooltip_test;

// Code page 936 characters whose trail byte is a character the mark-up gives a meaning to.
constexpr char kBracket[] = "\xD5\x5D";  // trail ']'
constexpr char kBrace[] = "\x81\x7D";    // trail '}'
constexpr char kLetter[] = "\x81\x61";   // trail 'a'

// The text runs and tag names of a prepared text, as "run" and "<name>" / "</name>".
std::vector<std::string> Scan(std::string_view text) {
    std::vector<std::string> out;
    for (const Token& t : ScanMarkup(text)) {
        if (t.kind == Token::Kind::Text) {
            out.push_back(t.text);
        } else {
            out.push_back((t.closing ? "</" : "<") + t.text + ">");
        }
    }
    return out;
}

TEST(Prepare, EntitiesInTableOrderAndTheLessThanChain) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"A&lt;B", "A<<B"},
        {"A&amp;lt;B", "A<<B"},
        {"&amp;amp;", "&amp;"},
        {"&bull;&copy;&euro;&gt;&iquest;&nbsp;&para;&pound;&quot;&reg;&trade;",
         "\x95\xA9\x88>\xBF \xB6\xA3\"\xAE\x99"},
        {"&AMP; &foo; &amp", "&AMP; &foo; &amp"},
    };
    for (const Case& c : cases) EXPECT_EQ(ReplaceEntities(c.in), c.out) << c.in;
    std::vector<std::string> names;
    for (const Entity& e : Entities()) names.emplace_back(e.name);
    EXPECT_EQ(names.size(), 13u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

TEST(Prepare, LineEndsAndTheNewLineMode) {
    EXPECT_EQ(PrepareText("a\r\nb\tc\rd", true), "a<br>b<t>cd");
    EXPECT_EQ(PrepareText("a\r\nb\tc", false), "abc");
    EXPECT_EQ(WrapInBody("x"), "<body>x</body>");
    EXPECT_EQ(PrepareText("\r", true), "");
    EXPECT_EQ(PrepareText("ab\xD5", true), "ab");  // a lead byte alone at the end is dropped
    EXPECT_EQ(PrepareText("ab\xD5\x5D", true), "ab\xD5\x5D");
}

TEST(Scan, TagsLiteralBracketsAndDroppedOnes) {
    EXPECT_EQ(Scan("A<<B"), (std::vector<std::string>{"A<B"}));
    EXPECT_EQ(Scan(PrepareText("A&lt;B", true)), (std::vector<std::string>{"A<B"}));
    EXPECT_EQ(Scan("a<b"), (std::vector<std::string>{"ab"}));
    EXPECT_EQ(Scan("x<B>y</b>"), (std::vector<std::string>{"x", "<b>", "y", "</b>"}));
    EXPECT_EQ(Scan("<Br/>"), (std::vector<std::string>{"<br/>"}));
    EXPECT_EQ(Scan("<>a</>"), (std::vector<std::string>{"a"}));
    EXPECT_FALSE(LookupTag("br/"));
}

TEST(Scan, SearchesStepOverDoubleByteCharacters) {
    // A trail byte is never read as a character of its own: the bracket and letter trail
    // bytes stay inside their runs, a lead byte at the end stands alone, and a lead byte
    // directly before "<" takes it as its trail (one character, as the system steps).
    const std::string dbcs = std::string(kBracket) + kBrace + kLetter;
    EXPECT_EQ(Scan(dbcs + "<b>" + dbcs), (std::vector<std::string>{dbcs, "<b>", dbcs}));
    EXPECT_EQ(Scan("\x81<b>x"), (std::vector<std::string>{"\x81<b>x"}));
    EXPECT_EQ(Scan("<b \xD5>x"), (std::vector<std::string>{"b \xD5>x"}));
    EXPECT_EQ(Scan("a<b\xD5"), (std::vector<std::string>{"ab\xD5"}));
    const auto tokens = ScanMarkup(std::string("<font face=\"") + kBracket + "\">");
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(FindAttribute(tokens[0].attributes, "face"), kBracket);
    EXPECT_EQ(base::ToLowerAnsi(kLetter), kLetter);
}

TEST(Scan, AttributesFollowTheQuotingRules) {
    const auto a = ParseAttributes(" a=1 b = \"x y\" c='q\"r' d f=\"open g=2");
    ASSERT_EQ(a.size(), 5u);
    EXPECT_EQ(FindAttribute(a, "a"), "1");
    EXPECT_EQ(FindAttribute(a, "b"), "x y");
    EXPECT_EQ(FindAttribute(a, "c"), "q\"r");
    EXPECT_TRUE(HasAttribute(a, "d"));
    EXPECT_EQ(FindAttribute(a, "d"), std::nullopt);
    EXPECT_EQ(FindAttribute(ParseAttributes("e="), "e"), "");
    EXPECT_EQ(FindAttribute(ParseAttributes("e= x"), "e"), "x");  // blanks around "="
    EXPECT_EQ(FindAttribute(a, "f"), "open g=2");
    EXPECT_FALSE(HasAttribute(ParseAttributes("A=1"), "a"));  // names compare exactly
    EXPECT_EQ(CountOf(" 3", 1), 3);
    EXPECT_EQ(CountOf("", 1), 1);
    EXPECT_EQ(CountOf(" 0", 1), 1);
}

TEST(Tags, TheTableWithItsSynonymsAndStyleNames) {
    struct Case {
        const char* name;
        int code;
        const char* style;
    };
    const Case cases[] = {
        {"b", 1, "bold"},
        {"i", 2, "italic"},
        {"em", 2, "italic"},
        {"u", 3, "underline"},
        {"s", 4, "strikeout"},
        {"strike", 4, "strikeout"},
        {"font", 5, "font"},
        {"hr", 6, ""},
        {"br", 7, ""},
        {"t", 8, ""},
        {"left", 9, "left"},
        {"center", 10, "center"},
        {"right", 11, "right"},
        {"justify", 12, "justify"},
        {"baseline", 13, "baseline"},
        {"top", 14, "top"},
        {"vcenter", 15, "vcenter"},
        {"middle", 15, "vcenter"},
        {"bottom", 16, "bottom"},
        {"bmp", 17, ""},
        {"icon", 18, ""},
        {"ilst", 19, ""},
        {"string", 20, ""},
        {"body", 21, "body"},
        {"h1", 21, "h1"},
        {"h6", 21, "h6"},
        {"code", 21, "code"},
        {"pre", 21, "pre"},
        {"big", 21, "big"},
        {"small", 21, "small"},
        {"sub", 21, "sub"},
        {"sup", 21, "sup"},
        {"span", 22, "span"},
        {"a", 23, "link"},
    };
    for (const Case& c : cases) {
        const auto info = LookupTag(c.name);
        ASSERT_TRUE(info) << c.name;
        EXPECT_EQ(info->code, c.code) << c.name;
        EXPECT_EQ(info->styleName, c.style) << c.name;
    }
    for (const char* unknown : {"table", "tr", "td", "p", "h7", "B", "img"}) {
        EXPECT_FALSE(LookupTag(unknown)) << unknown;
    }
}

TEST(Lengths, UnitsAndMulDivRounding) {
    struct Case {
        const char* value;
        int current;
        bool fontSize;
        int expected;
    };
    // Font 13 pixels, x-height 6, 96 dots per inch.
    const Case cases[] = {
        {"3", 20, true, 12},    {"+2", 20, true, 10},
        {"-2", 20, true, 10},   {"7", 20, true, 36},
        {"8", 20, true, 8},     {"3", 20, false, 3},
        {"10pt", 0, false, 13}, {"14pt", 0, false, 19},
        {"65%", 13, false, 8},  {"125%", 13, false, 16},
        {"2em", 0, false, 26},  {"3ex", 0, false, 18},
        {"1in", 0, false, 96},  {"1cm", 0, false, 37},
        {"10mm", 0, false, 37}, {"2pc", 0, false, 32},
        {"12px", 0, false, 12}, {"0x10", 0, false, 16},
        {"", 21, true, 21},     {"+", 21, false, 21},
        {"abc", 9, false, 0},   {"99999999", 0, false, kMaxLength},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseLength(c.value, c.current, 13, 6, 96, c.fontSize), c.expected) << c.value;
    }
    EXPECT_EQ(MulDiv(13, 65, 100), 8);
    EXPECT_EQ(MulDiv(10, 96, 72), 13);
    EXPECT_EQ(MulDiv(-7, 1, 2), -4);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(Colours, NumbersHexNamesAndSystemColours) {
    const ColourTable table(FakeSystemColour);
    struct Case {
        const char* value;
        std::optional<Colour> expected;
    };
    const Case cases[] = {
        {"#ff9900", Rgb(255, 153, 0)},
        {"#FF9900", Rgb(255, 153, 0)},
        {"#f90", std::nullopt},
        {"#ff99001", std::nullopt},
        {"#gg9900", std::nullopt},
        {"255", Rgb(255, 0, 0)},
        {"0xff0000", Rgb(0, 0, 255)},
        {"red", Rgb(255, 0, 0)},
        {"Red", std::nullopt},
        {"darkseagreen", Rgb(0x8F, 0xBC, 0x8B)},
        {"nocolour", std::nullopt},
        {"buttonshadow", FakeSystemColour(16)},
        {"infobackground", FakeSystemColour(24)},
        {"threedlightshadow", FakeSystemColour(22)},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseColour(c.value, table), c.expected) << c.value;
    for (const SystemColourName& s : SystemColourNames()) {
        EXPECT_EQ(table.Find(s.name), FakeSystemColour(s.index)) << s.name;
    }
    EXPECT_EQ(SystemColourNames().size(), 27u);
}

TEST(Colours, The140NamedColours) {
    std::set<std::string_view> names;
    std::vector<std::string_view> inOrder;
    for (const NamedColour& c : NamedColours()) {
        names.insert(c.name);
        inOrder.push_back(c.name);
    }
    EXPECT_EQ(names.size(), 140u);
    EXPECT_TRUE(std::is_sorted(inOrder.begin(), inOrder.end()));  // looked up by bisection
    for (const char* n : {"aliceblue", "yellowgreen", "aqua", "fuchsia", "lime", "teal", "cyan",
                          "magenta", "lightgrey", "gray"}) {
        EXPECT_TRUE(names.count(n)) << n;
    }
    const ColourTable table(FakeSystemColour);
    EXPECT_EQ(table.Find("cyan"), table.Find("aqua"));
    EXPECT_EQ(table.Find("teal"), Rgb(0, 128, 128));
}

TEST(StyleSheet, TheDefaultSheetExactly) {
    const std::string_view text = StyleSheet::DefaultText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 17);
    EXPECT_NE(text.find("pre {font-size: 9pt; font-family:\"Courier\"; "
                        "background-color:#fbedbb}\r\n"),
              std::string_view::npos);
    EXPECT_EQ(text.substr(0, 58), "body {font-size: 10pt; color:black; font-family:Verdana}\r\n");
    const StyleSheet sheet;
    EXPECT_EQ(sheet.Find("h6"),
              "font-size: 65%; color:#626262; font-family:Verdana; "
              "font-weight:normal");
    EXPECT_EQ(sheet.Find(".cpp-comment"), "color:green; font-style:italic");
    EXPECT_EQ(sheet.Find("a:hover"), "text-decoration:underline; color:blue");
    EXPECT_FALSE(sheet.Find("table"));
}

TEST(StyleSheet, OwnSheetsLowerCaseSelectorsAndExtendRepeatedOnes) {
    StyleSheet sheet;
    sheet.SetText(std::string("H1 {color:red}\r\n.X, td {padding:2} h1 {margin:3}") +
                  " .w {font-family:" + kBrace + "}");
    EXPECT_EQ(sheet.Find("h1"), "color:red;margin:3");
    EXPECT_EQ(sheet.Find(".x"), "padding:2");
    EXPECT_EQ(sheet.Find("td"), "padding:2");
    EXPECT_EQ(sheet.Find(".w"), std::string("font-family:") + kBrace);
    EXPECT_FALSE(sheet.Find("body"));
}

// One property applied to a default style, and what it must change.
struct PropertyCase {
    const char* declarations;
    std::function<void(TextStyle&)> expect;  // applied to a default style: must then match
};

class Property : public ::testing::TestWithParam<PropertyCase> {};

TEST_P(Property, ChangesExactlyWhatItNames) {
    const ColourTable colours(FakeSystemColour);
    FixedMetricsDevice env;
    StyleRules rules{&colours, &env, true, Rgb(1, 1, 1)};
    TextStyle start;
    start.borderWidth = 4;
    start.borderStyle = linestyle::kSolid;
    start.italic = true;
    TextStyle expected = start;
    GetParam().expect(expected);
    TextStyle actual = start;
    ApplyDeclarations(actual, GetParam().declarations, rules);
    auto fields = [](const TextStyle& t) {
        return std::tie(t.fontHeight, t.weight, t.italic, t.underline, t.strikeout, t.overline,
                        t.face, t.textColour, t.opaqueBackground, t.backgroundColour, t.hAlign,
                        t.vAlign, t.transform, t.borderStyle, t.borderWidth, t.borderLight,
                        t.borderDark, t.margin, t.padding);
    };
    EXPECT_EQ(fields(actual), fields(expected));
}

INSTANTIATE_TEST_SUITE_P(Declarations, Property,
                         ::testing::Values(PropertyCase{"font-size: 3",
                                                        [](TextStyle& s) { s.fontHeight = 12; }},
                                           PropertyCase{"FONT-SIZE:10PT",
                                                        [](TextStyle& s) { s.fontHeight = 13; }},
                                           PropertyCase{
                                               "font-family: \"Courier New\"",
                                               [](TextStyle& s) { s.face = "courier new"; }},
                                           PropertyCase{"font-family:", [](TextStyle&) {}},
                                           PropertyCase{"font-style:normal",
                                                        [](TextStyle& s) { s.italic = false; }},
                                           PropertyCase{"font-style:oblique",
                                                        [](TextStyle& s) { s.italic = true; }},
                                           PropertyCase{"font-weight:bold",
                                                        [](TextStyle& s) { s.weight = 700; }},
                                           PropertyCase{"font-weight:bolder",
                                                        [](TextStyle& s) { s.weight = 900; }},
                                           PropertyCase{"font-weight:lighter",
                                                        [](TextStyle& s) { s.weight = 100; }},
                                           PropertyCase{"font-weight:600",
                                                        [](TextStyle& s) { s.weight = 600; }},
                                           PropertyCase{"font-weight:heavy", [](TextStyle&) {}},
                                           PropertyCase{
                                               "text-align:right",
                                               [](TextStyle& s) { s.hAlign = HAlign::Right; }},
                                           PropertyCase{"text-transform:capitalize",
                                                        [](TextStyle& s) {
                                                            s.transform = TextTransform::Capitalize;
                                                        }},
                                           PropertyCase{"color:#102030",
                                                        [](TextStyle& s) {
                                                            s.textColour = Rgb(16, 32, 48);
                                                        }},
                                           PropertyCase{"color:#123", [](TextStyle&) {}},
                                           PropertyCase{"background-color:lime",
                                                        [](TextStyle& s) {
                                                            s.opaqueBackground = true;
                                                            s.backgroundColour = Rgb(0, 255, 0);
                                                        }},
                                           PropertyCase{
                                               "background-color:transparent",
                                               [](TextStyle& s) { s.opaqueBackground = false; }},
                                           PropertyCase{
                                               "text-decoration:underline,overline line-through",
                                               [](TextStyle& s) {
                                                   s.underline = s.overline = s.strikeout = true;
                                               }},
                                           PropertyCase{
                                               "text-decoration:underline; text-decoration:",
                                               [](TextStyle&) {}},
                                           PropertyCase{
                                               "vertical-align:middle",
                                               [](TextStyle& s) { s.vAlign = VAlign::Center; }},
                                           PropertyCase{"vertical-align:sub", [](TextStyle&) {}},
                                           PropertyCase{"border-color:navy",
                                                        [](TextStyle& s) {
                                                            s.borderLight = s.borderDark =
                                                                Rgb(0, 0, 128);
                                                        }},
                                           PropertyCase{"border-width:thin",
                                                        [](TextStyle& s) { s.borderWidth = 3; }},
                                           PropertyCase{"border-width:thick",
                                                        [](TextStyle& s) { s.borderWidth = 5; }},
                                           PropertyCase{"size:medium", [](TextStyle&) {}},
                                           PropertyCase{"border-width:0",
                                                        [](TextStyle& s) {
                                                            s.borderWidth = 0;
                                                            s.borderStyle = linestyle::kNone;
                                                        }},
                                           PropertyCase{"border-width:0; border-style:dotted",
                                                        [](TextStyle& s) {
                                                            s.borderWidth = 1;
                                                            s.borderStyle = linestyle::kDotted;
                                                        }},
                                           PropertyCase{"border-style:none; border-width:2px",
                                                        [](TextStyle& s) {
                                                            s.borderWidth = 2;
                                                            s.borderStyle = linestyle::kSolid;
                                                        }},
                                           PropertyCase{"margin:1em; padding : 150%",
                                                        [](TextStyle& s) {
                                                            s.margin = 13;
                                                            s.padding = 0;
                                                        }},
                                           PropertyCase{"colour:red; nonsense; :red",
                                                        [](TextStyle&) {}}));

TEST(FontTag, AttributesAndStyleLetters) {
    const ColourTable colours(FakeSystemColour);
    FixedMetricsDevice env;
    StyleRules rules{&colours, &env, true, Rgb(1, 1, 1)};
    TextStyle s;
    s.italic = true;
    ApplyFontAttributes(s,
                        ParseAttributes("face=Arial size=+2 color=#FF9900 style=\"b-iuso\" "
                                        "bkgnd=yellow"),
                        rules);
    EXPECT_EQ(s.face, "Arial");
    EXPECT_EQ(s.fontHeight, 10);
    EXPECT_EQ(s.textColour, Rgb(255, 153, 0));
    EXPECT_EQ(s.weight, 700);
    EXPECT_FALSE(s.italic);
    EXPECT_TRUE(s.underline && s.strikeout && s.overline);
    EXPECT_TRUE(s.opaqueBackground);
    EXPECT_EQ(s.backgroundColour, Rgb(255, 255, 0));
    ApplyFontAttributes(s, ParseAttributes("style=-b weight=bolder bkgnd=transparent"), rules);
    EXPECT_EQ(s.weight, 900);  // "-b" gave 400, then the weight
    EXPECT_FALSE(s.opaqueBackground);
}

TEST(DisabledMode, EveryValidColourBecomesTheDisabledColour) {
    const ColourTable colours(FakeSystemColour);
    StyleRules rules{&colours, nullptr, false, Rgb(7, 7, 7)};
    EXPECT_EQ(rules.ColourOf("red"), Rgb(7, 7, 7));
    EXPECT_EQ(rules.ColourOf("#000000"), Rgb(7, 7, 7));
    EXPECT_EQ(rules.ColourOf("#abc"), std::nullopt);
}

TEST(TextTransform, LettersOnlyAndNeverTrailBytes) {
    const std::string mixed = std::string("ab Cd") + kLetter + "ef gH";
    EXPECT_EQ(TransformText(mixed, TextTransform::Upper), std::string("AB CD") + kLetter + "EF GH");
    EXPECT_EQ(TransformText(mixed, TextTransform::Lower), std::string("ab cd") + kLetter + "ef gh");
    EXPECT_EQ(TransformText(mixed, TextTransform::Capitalize),
              std::string("Ab Cd") + kLetter + "ef Gh");
}

TEST(Links, TheHtmCommandFallbackCutsAtPercentOne) {
    EXPECT_EQ(HtmOpenCommand("\"C:\\b.exe\" -nohome \"%1\" -x", "http://u"),
              "\"C:\\b.exe\" -nohome  http://u");
    EXPECT_EQ(HtmOpenCommand("C:\\b.exe %1", "t"), "C:\\b.exe  t");
    EXPECT_EQ(HtmOpenCommand("C:\\b.exe", "t"), "C:\\b.exe t");
    // A lead byte takes the "%" after it as its trail: no "%1" starts there.
    EXPECT_EQ(HtmOpenCommand("C:\\\xD5\x25"
                             "1\\b.exe",
                             "t"),
              "C:\\\xD5\x25"
              "1\\b.exe t");
}

}  // namespace
