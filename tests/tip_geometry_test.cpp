// The tooltip window's pure parts: the tool table and how a tool's fields override the
// defaults, the placement on every screen edge and on two monitors side by side, the outline
// and anchor band, the shadow and blend of a painted tip, and plain text carried as mark-up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tooltip_harness.h"
#include "tooltip/markup_text.h"
#include "tooltip/tip_geometry.h"

namespace {

using namespace tooltip;

// --- tools -----------------------------------------------------------------------------------

TooltipTool Tool(Rect r, std::string text) {
    TooltipTool t;
    t.rect = r;
    t.text = std::move(text);
    return t;
}

TEST(ToolTable, EqualRectanglesReplaceAndTheFirstContainingToolWins) {
    ToolTable table;
    table.Add(7, Tool({}, "whole"));
    EXPECT_EQ(table.Find(7, {-5, 900})->text, "whole");  // one whole-window tool: anywhere
    table.Add(7, Tool({}, "again"));
    ASSERT_EQ(table.ToolsOf(7)->size(), 1u);
    EXPECT_EQ(table.Find(7, {1, 1})->text, "again");

    table.Add(9, Tool({0, 0, 10, 10}, "a"));
    table.Add(9, Tool({5, 5, 20, 20}, "b"));
    table.Add(9, Tool({0, 0, 10, 10}, "a2"));  // replaced in place, before b
    EXPECT_EQ(table.Find(9, {6, 6})->text, "a2");
    EXPECT_EQ(table.Find(9, {10, 10})->text, "b");  // right and bottom edges are outside
    EXPECT_EQ(table.Find(9, {20, 5}), nullptr);
    EXPECT_EQ(table.Find(8, {1, 1}), nullptr);
    // An empty rectangle among others covers nothing.
    table.Add(9, Tool({}, "empty"));
    EXPECT_EQ(table.Find(9, {30, 30}), nullptr);
}

TEST(ToolTable, TheOverrideMaskChoosesBetweenToolAndDefaults) {
    TipSettings s;
    s.defaultDirection = direction::kRightCenter;
    s.defaultBehaviour = behaviour::kReshowOnMove;
    s.defaultEffect = 3;
    s.defaultGranularity = 9;
    s.colourBegin = 1;
    TooltipTool t;
    t.direction = direction::kTopCenter;
    t.behaviour = behaviour::kNoAutoPop;
    t.effect = 7;
    t.granularity = 400;
    t.transparency = 150;
    t.colourBegin = 2;
    EffectiveTool e = Resolve(t, s);
    EXPECT_EQ(e.direction, direction::kRightCenter);
    EXPECT_EQ(e.behaviour, behaviour::kReshowOnMove);
    EXPECT_EQ(e.effect, 3);
    EXPECT_EQ(e.transparency, 0);
    EXPECT_EQ(e.colourBegin, 1u);
    t.overrideMask = overrides::kDirection | overrides::kBehaviour | overrides::kEffect |
                     overrides::kTransparency | overrides::kColours;
    e = Resolve(t, s);
    EXPECT_EQ(e.direction, direction::kTopCenter);
    EXPECT_EQ(e.behaviour, behaviour::kNoAutoPop);
    EXPECT_EQ(e.effect, 7);
    EXPECT_EQ(e.granularity, 255);
    EXPECT_EQ(e.transparency, 100);
    EXPECT_EQ(e.colourBegin, 2u);
    t.direction = 3;  // no such position
    EXPECT_EQ(Resolve(t, s).direction, direction::kBottomLeft);
}

// --- placement -------------------------------------------------------------------------------

constexpr Rect kScreen{0, 0, 1024, 768};
// A balloon of 100 x 40 content: 124 x 64 with margins, 124 x 80 or 140 x 64 with the anchor.
constexpr Size kContent{100, 40};

struct PlaceCase {
    const char* name;
    int preferred;
    Point at;
    Rect screen;
    int used;
    Point anchor;
    Point origin;
};

class Placement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(Placement, FlipsAndClampsKeepTheTipOnItsScreen) {
    const PlaceCase& c = GetParam();
    const TipLayout t = LayoutTip(kContent, BalloonShape(), c.preferred, c.at, c.screen);
    EXPECT_EQ(t.direction, c.used);
    EXPECT_EQ(t.anchor, c.anchor);
    const Point o = t.Origin(c.at);
    EXPECT_EQ(o, c.origin);
    // Wherever it can, the body stays on the screen.
    if (t.window.cx <= c.screen.Width()) {
        EXPECT_GE(o.x, c.screen.left);
        EXPECT_LE(o.x + t.window.cx, c.screen.right);
    }
    EXPECT_GE(o.y, c.screen.top);
    EXPECT_LE(o.y + t.window.cy, c.screen.bottom);
}

INSTANTIATE_TEST_SUITE_P(Edges, Placement,
                         ::testing::Values(PlaceCase{"MiddleAsAsked",
                                                     direction::kBottomLeft,
                                                     {500, 400},
                                                     kScreen,
                                                     direction::kBottomLeft,
                                                     {16, 80},
                                                     {484, 320}},
                                           PlaceCase{"TopEdgeFlipsBelow",
                                                     direction::kBottomLeft,
                                                     {500, 30},
                                                     kScreen,
                                                     direction::kTopLeft,
                                                     {16, 0},
                                                     {484, 30}},
                                           PlaceCase{"BottomEdgeFlipsAbove",
                                                     direction::kTopRight,
                                                     {500, 740},
                                                     kScreen,
                                                     direction::kBottomRight,
                                                     {108, 80},
                                                     {392, 660}},
                                           PlaceCase{"RightEdgeTurnsRight",
                                                     direction::kBottomLeft,
                                                     {1000, 400},
                                                     kScreen,
                                                     direction::kBottomRight,
                                                     {108, 80},
                                                     {892, 320}},
                                           PlaceCase{"LeftEdgeClampsTheAnchor",
                                                     direction::kBottomLeft,
                                                     {5, 400},
                                                     kScreen,
                                                     direction::kBottomLeft,
                                                     {5, 80},
                                                     {0, 320}},
                                           PlaceCase{"LeftEdgeTurnsLeft",
                                                     direction::kBottomRight,
                                                     {50, 400},
                                                     kScreen,
                                                     direction::kBottomLeft,
                                                     {16, 80},
                                                     {34, 320}},
                                           PlaceCase{"CornerTurnsAndFlips",
                                                     direction::kBottomLeft,
                                                     {1020, 5},
                                                     kScreen,
                                                     direction::kTopRight,
                                                     {120, 0},
                                                     {900, 5}},
                                           PlaceCase{"CentreNearTheRightBecomesRight",
                                                     direction::kBottomCenter,
                                                     {1010, 760},
                                                     kScreen,
                                                     direction::kBottomRight,
                                                     {110, 80},
                                                     {900, 680}},
                                           PlaceCase{"CentreSlidesItsBody",
                                                     direction::kTopCenter,
                                                     {40, 100},
                                                     kScreen,
                                                     direction::kTopCenter,
                                                     {40, 0},
                                                     {0, 100}},
                                           PlaceCase{"CentreSlidesFromTheRight",
                                                     direction::kTopCenter,
                                                     {1000, 100},
                                                     kScreen,
                                                     direction::kTopCenter,
                                                     {100, 0},
                                                     {900, 100}},
                                           PlaceCase{"TooNarrowEitherWayCentres",
                                                     direction::kBottomLeft,
                                                     {100, 400},
                                                     Rect{0, 0, 150, 768},
                                                     direction::kBottomCenter,
                                                     {74, 80},
                                                     {26, 320}},
                                           PlaceCase{"LeftAnchorFlipsAtTheRightEdge",
                                                     direction::kLeftTop,
                                                     {1000, 300},
                                                     kScreen,
                                                     direction::kRightTop,
                                                     {140, 16},
                                                     {860, 284}},
                                           PlaceCase{"RightAnchorAtTheTopLeftCorner",
                                                     direction::kRightBottom,
                                                     {20, 10},
                                                     kScreen,
                                                     direction::kLeftTop,
                                                     {0, 10},
                                                     {20, 0}},
                                           PlaceCase{"LeftCentreAtTheBottom",
                                                     direction::kLeftCenter,
                                                     {300, 760},
                                                     kScreen,
                                                     direction::kLeftBottom,
                                                     {0, 56},
                                                     {300, 704}},
                                           PlaceCase{"UnknownDirectionIsBottomLeft",
                                                     99,
                                                     {500, 400},
                                                     kScreen,
                                                     direction::kBottomLeft,
                                                     {16, 80},
                                                     {484, 320}},
                                           PlaceCase{"ScreenWithNegativeOrigin",
                                                     direction::kBottomLeft,
                                                     {-1020, -700},
                                                     Rect{-1024, -768, 0, 0},
                                                     direction::kTopLeft,
                                                     {4, 0},
                                                     {-1024, -700}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Placement, TheContentMovesPastAnAnchorOnTheTopOrLeft) {
    TipLayout t = LayoutTip(kContent, BalloonShape(), direction::kTopLeft, {500, 400}, kScreen);
    EXPECT_EQ(t.withMargins, (Rect{0, 16, 124, 80}));
    EXPECT_EQ(t.content, (Rect{12, 28, 112, 68}));
    t = LayoutTip(kContent, BalloonShape(), direction::kLeftTop, {500, 400}, kScreen);
    EXPECT_EQ(t.window, (Size{140, 64}));
    EXPECT_EQ(t.content, (Rect{28, 12, 128, 52}));
    t = LayoutTip(kContent, BalloonShape(), direction::kBottomLeft, {500, 400}, kScreen);
    EXPECT_EQ(t.content, (Rect{12, 12, 112, 52}));
    // A plain tip has neither margins of a balloon nor an anchor: its corner is the point.
    t = LayoutTip({200, 15}, PlainShape(), direction::kTopLeft, {100, 200}, kScreen);
    EXPECT_EQ(t.window, (Size{206, 17}));
    EXPECT_EQ(t.anchor, (Point{0, 0}));
    EXPECT_EQ(t.content, (Rect{3, 1, 203, 16}));
}

TEST(Placement, TwoMonitorsSideBySideKeepATipNearTheSeamOnOneScreen) {
    const std::vector<Rect> monitors = {{0, 0, 1024, 768}, {1024, 0, 2048, 600}};
    const Rect virtualScreen{0, 0, 2048, 768};
    struct Case {
        Point at;
        Rect screen;
        int used;
        int originX;
    } cases[] = {
        {{1010, 400}, monitors[0], direction::kBottomRight, 900},  // turns back from the seam
        {{1030, 400}, monitors[1], direction::kBottomLeft, 1024},  // its anchor slides instead
        {{1500, 590}, monitors[1], direction::kBottomLeft, 1484},
        {{1500, 700}, monitors[1], direction::kBottomLeft, 1484},  // below the short monitor
    };
    for (const Case& c : cases) {
        const Rect screen = ScreenFor(c.at, monitors, virtualScreen);
        EXPECT_EQ(screen, c.screen) << c.at.x << "," << c.at.y;
        const TipLayout t =
            LayoutTip(kContent, BalloonShape(), direction::kBottomLeft, c.at, screen);
        EXPECT_EQ(t.direction, c.used) << c.at.x;
        const Point o = t.Origin(c.at);
        EXPECT_EQ(o.x, c.originX) << c.at.x;
        EXPECT_TRUE(o.x >= screen.left && o.x + t.window.cx <= screen.right) << c.at.x;
    }
    // With no monitors known the virtual screen serves.
    EXPECT_EQ(ScreenFor({5, 5}, {}, virtualScreen), virtualScreen);
}

// --- outline, band, shadow -------------------------------------------------------------------

TEST(Outline, BodyShortenedOnTheAnchorsSideAndTheTriangleOnIt) {
    const TipShape shape = BalloonShape();
    TipLayout t = LayoutTip(kContent, shape, direction::kBottomLeft, {500, 400}, kScreen);
    TipOutline o = OutlineOf(t, shape);
    EXPECT_EQ(o.body, (Rect{0, 0, 125, 64}));
    EXPECT_EQ(o.corner, (Size{16, 16}));
    ASSERT_TRUE(o.triangle);
    EXPECT_EQ(*o.triangle, (std::array<Point, 3>{Point{16, 64}, Point{28, 64}, Point{16, 80}}));

    t = LayoutTip(kContent, shape, direction::kTopCenter, {40, 100}, kScreen);  // slid anchor
    o = OutlineOf(t, shape);
    EXPECT_EQ(o.body, (Rect{0, 16, 125, 81}));
    EXPECT_EQ(*o.triangle, (std::array<Point, 3>{Point{34, 16}, Point{46, 16}, Point{40, 0}}));

    t = LayoutTip(kContent, shape, direction::kRightBottom, {500, 400}, kScreen);
    o = OutlineOf(t, shape);
    EXPECT_EQ(o.body, (Rect{0, 0, 124, 65}));
    EXPECT_EQ(*o.triangle, (std::array<Point, 3>{Point{124, 48}, Point{124, 36}, Point{140, 48}}));

    t = LayoutTip(kContent, PlainShape(), direction::kTopLeft, {500, 400}, kScreen);
    o = OutlineOf(t, PlainShape());
    EXPECT_FALSE(o.triangle);
    EXPECT_EQ(o.body, (Rect{0, 0, 107, 43}));
    EXPECT_FALSE(AnchorBandOf(t, PlainShape()));
}

TEST(Outline, TheAnchorBandRepeatsTheLineJustInside) {
    const TipShape shape = BalloonShape();
    struct Case {
        int d;
        Rect band, line;
    } cases[] = {
        {direction::kTopLeft, {0, 0, 124, 16}, {0, 16, 124, 17}},
        {direction::kBottomLeft, {0, 64, 124, 80}, {0, 63, 124, 64}},
        {direction::kLeftTop, {0, 0, 16, 64}, {16, 0, 17, 64}},
        {direction::kRightTop, {124, 0, 140, 64}, {123, 0, 124, 64}},
    };
    for (const Case& c : cases) {
        const TipLayout t = LayoutTip(kContent, shape, c.d, {500, 400}, kScreen);
        const auto band = AnchorBandOf(t, shape);
        ASSERT_TRUE(band) << c.d;
        EXPECT_EQ(band->band, c.band) << c.d;
        EXPECT_EQ(band->sourceLine, c.line) << c.d;
    }
}

TEST(Shadow, GreyLevelFollowsDarknessAndTransparency) {
    EXPECT_EQ(ShadowGrey(50, 0), 128);  // MulDiv rounds 127.5 up
    EXPECT_EQ(ShadowGrey(50, 50), 128 + 127 * 50 / 100);
    EXPECT_EQ(ShadowGrey(50, 100), 255);  // an invisible tip casts nothing
    EXPECT_EQ(ShadowGrey(100, 0), 0);
    EXPECT_EQ(ShadowGrey(0, 0), 255);
    EXPECT_EQ(ShadowGrey(150, -5), 0);
}

TEST(Shadow, ComposingDarkensTheOffsetShapeAndBlendsTheTipInsideTheOutline) {
    // A 6 x 6 tip, its top-left pixel outside the outline, over white, shadow offset 2.
    const Picture under(8, 8, 0xFFFFFF);
    const Picture tip(6, 6, 0xFF0000);
    std::vector<char> inside(36, 1);
    inside[0] = 0;
    ShadowSettings hard;
    hard.offset = {2, 2};
    hard.soft = false;
    Picture p = ComposeTip(under, tip, inside, hard, 0);
    EXPECT_EQ(p.At(0, 0), 0xFFFFFFu);  // outside the outline, not in the shadow
    EXPECT_EQ(p.At(1, 1), 0xFF0000u);
    EXPECT_EQ(p.At(7, 7), 0x808080u);  // shadow only: white x 128 / 255
    EXPECT_EQ(p.At(2, 2), 0xFF0000u);  // the tip covers its own shadow
    EXPECT_EQ(p.At(7, 0), 0xFFFFFFu);

    p = ComposeTip(under, tip, inside, hard, 60);  // fading: 40 % of the tip
    EXPECT_EQ(p.At(1, 1), 0xFF9999u);              // red over white: 255, 60 % of 255, 60 % of 255
    EXPECT_EQ(p.At(7, 7) & 0xFF, static_cast<std::uint32_t>(ShadowGrey(50, 60)));

    // A soft edge: full darkness inside, lighter towards the edge, nothing beyond it.
    ShadowSettings soft = hard;
    soft.soft = true;
    soft.offset = {4, 4};
    soft.depth = {3, 3};
    p = ComposeTip(Picture(20, 20, 0xFFFFFF), Picture(12, 12, 0xFF0000), std::vector<char>(144, 1),
                   soft, 0);
    const auto grey = [&](int i) { return p.At(i, i) & 0xFF; };
    EXPECT_EQ(grey(12), 128u);
    EXPECT_GT(grey(13), 128u);
    EXPECT_GT(grey(14), grey(13));
    EXPECT_LT(grey(14), 255u);
    EXPECT_EQ(grey(15), 255u);

    ShadowSettings none = hard;
    none.offset = {0, 0};
    p = ComposeTip(Picture(6, 6, 0xFFFFFF), tip, inside, none, 0);
    EXPECT_EQ(p.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(p.At(5, 5), 0xFF0000u);
}

// --- plain text in mark-up -------------------------------------------------------------------

TEST(EscapeMarkup, PlainTextShowsExactlyAsWritten) {
    const std::string names[] = {
        "a<b>c",
        "tom&jerry",
        "a&lt;b &amp;lt; &nbsp;&trade;",
        "<<x>>",
        "&",
        "<",
        "\xD3\xB0\xC6\xAC<B>\xD5\x5D",  // 影片<B> and a character whose trail byte is ']'
        "plain",
    };
    for (const std::string& name : names) {
        tooltip_test::Drawer d;
        std::string shown;
        for (const PaintCall& call : d.Texts(EscapeMarkup(name))) shown += call.text;
        EXPECT_EQ(shown, name);
        for (const PaintCall& call : d.Texts(EscapeMarkup(name)))
            EXPECT_EQ(call.style.weight, 400) << name;  // no tag took effect
    }
}

}  // namespace
