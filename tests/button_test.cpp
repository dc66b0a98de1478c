// Buttons: their records and condition actions read from the tags; the phases the mouse moves
// them through (a table of mouse paths); the hit test on hit-state shapes through matrices,
// sprites, masks and visibility; and a whole movie whose buttons change what they show and
// run their actions as the mouse moves, presses and releases through the stage's scale mode.
#include <gtest/gtest.h>

#include <string>

#include "flash/button_mouse.h"
#include "flash/control_model.h"
#include "flash/render/button_picker.h"
#include "flash/render/renderer.h"
#include "tests/flash_fixture.h"
#include "tools/swf_bits.h"

namespace {

using namespace flash;
using namespace flash::render;
using Bytes = std::vector<std::uint8_t>;
using flashtest::Recorder;

// DefineButton2 id 4: a record at depth 3 (up and hit, character 7, a colour transform that
// halves red, a blur filter, blend mode Multiply), then one at depth 1 (over, character 8),
// then two condition actions: roll over (Stop) and release with key code 9 (Play).
Bytes Button2() {
    return {4,    0,    0,    34,   0,           // id, flags, actions 34 bytes on
            0x39, 7,    0,    3,    0,    0x00,  // filters and blend, up and hit
            0x68, 0x80, 0x40, 0x10, 0x04, 0x00,  // multiply terms 128, 256, 256, 256
            1,    1,    0,    0,    0,    0,    0,    0, 0, 0, 0x41,  // one blur
            3,                                                        // Multiply
            0x02, 8,    0,    1,    0,    0x00, 0x00,  // over, character 8, no colour terms
            0,                                         // end of records
            6,    0,    0x01, 0x00, 0x07, 0,           // roll over: Stop
            0,    0,    0x08, 0x12, 0x06, 0};          // release, key 9: Play
}

TEST(ButtonTags, RecordsAndConditionActionsAreRead) {
    const Bytes body = Button2();
    const std::optional<Button> b =
        ParseButton(kDefineButton2, body, ByteRange{0, static_cast<std::uint32_t>(body.size())});
    ASSERT_TRUE(b);
    EXPECT_EQ(b->id, 4);
    ASSERT_EQ(b->records.size(), 2u);
    EXPECT_EQ(b->records[0].depth, 1);
    EXPECT_EQ(b->records[0].characterId, 8);
    EXPECT_EQ(b->records[0].states, kButtonOver);
    EXPECT_TRUE(b->records[0].colorTransform.IsIdentity());
    EXPECT_EQ(b->records[1].states, kButtonUp | kButtonHitTest);
    EXPECT_EQ(b->records[1].colorTransform.rMul, 128);
    EXPECT_EQ(b->records[1].filters.count, 1);
    EXPECT_EQ(b->records[1].blendMode, BlendMode::Multiply);
    ASSERT_EQ(b->actions.size(), 2u);
    EXPECT_EQ(b->actions[0].conditions, kIdleToOverUp);
    EXPECT_EQ(body[b->actions[0].actions.offset], 0x07);
    EXPECT_EQ(b->actions[1].conditions & ~kKeyPressMask, kOverDownToOverUp);
    EXPECT_EQ((b->actions[1].conditions & kKeyPressMask) >> 9, 9);
    EXPECT_EQ(body[b->actions[1].actions.offset], 0x06);
    EXPECT_FALSE(ParseButton(kDefineButton2, Bytes{4}, ByteRange{0, 1}));
    EXPECT_FALSE(ParseButton(2, body, ByteRange{0, 10}));
    // A range outside the movie's bytes reads nothing.
    EXPECT_FALSE(ParseButton(kDefineButton2, body, ByteRange{4, 1000}));
}

TEST(ButtonTags, CutBodiesKeepWhatCameBefore) {
    const Bytes body = Button2();
    for (std::uint32_t n = 2; n < body.size(); ++n) {
        const std::optional<Button> b = ParseButton(kDefineButton2, body, ByteRange{0, n});
        ASSERT_TRUE(b) << n;
        EXPECT_LE(b->records.size(), 2u);
        for (const ButtonRecord& r : b->records)
            EXPECT_TRUE(r.characterId == 7 || r.characterId == 8);
        // Every action range lies inside the cut body.
        for (const ButtonAction& a : b->actions) EXPECT_LE(a.actions.offset + a.actions.length, n);
    }
}

// --- the phases, from mouse paths --------------------------------------------------------

// Buttons as ranges of x: A at 10-19, B at 30-39, M and N (menus) at 50-59 and 60-69.
struct Layout {
    char name;
    int from, to;
    bool menu;
};
constexpr Layout kLayout[] = {
    {'A', 10, 20, false}, {'B', 30, 40, false}, {'M', 50, 60, true}, {'N', 60, 70, true}};

const char* PhaseName(ButtonPhase p) {
    switch (p) {
        case ButtonPhase::Idle:
            return "idle";
        case ButtonPhase::OverUp:
            return "over";
        case ButtonPhase::OverDown:
            return "down";
        case ButtonPhase::OutDown:
            return "out";
    }
    return "?";
}

struct MouseStep {
    int x;
    bool down;
};

struct PathCase {
    const char* name;
    std::vector<MouseStep> steps;
    // Each change as "A over>down", separated by spaces.
    const char* changes;
};

class ButtonPhases : public testing::TestWithParam<PathCase> {};

TEST_P(ButtonPhases, FollowTheMouse) {
    ButtonTracker tracker;
    std::vector<ButtonTracker::Change> changes;
    for (const MouseStep& step : GetParam().steps) {
        const Layout* hit = nullptr;
        for (const Layout& l : kLayout) {
            if (step.x >= l.from && step.x < l.to) hit = &l;
        }
        tracker.Update(hit, hit != nullptr && hit->menu, step.down, changes);
    }
    std::string text;
    for (const ButtonTracker::Change& c : changes) {
        if (!text.empty()) text += ' ';
        text += static_cast<const Layout*>(c.button)->name;
        text += std::string(" ") + PhaseName(c.from) + '>' + PhaseName(c.to);
        // Every change names its condition.
        EXPECT_NE(ConditionOf(c.from, c.to), 0) << text;
    }
    EXPECT_EQ(text, GetParam().changes);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ButtonPhases,
    testing::Values(
        PathCase{"RollOverAndOut",
                 {{0, false}, {12, false}, {15, false}, {25, false}},
                 "A idle>over A over>idle"},
        PathCase{"ClickInside",
                 {{12, false}, {12, true}, {13, true}, {13, false}},
                 "A idle>over A over>down A down>over"},
        PathCase{
            "MoveAndPressAtOnce", {{12, true}, {12, false}}, "A idle>over A over>down A down>over"},
        PathCase{"DragOutAndBackThenRelease",
                 {{12, false}, {12, true}, {25, true}, {14, true}, {14, false}},
                 "A idle>over A over>down A down>out A out>down A down>over"},
        PathCase{"ReleaseOutsideOverAnother",
                 {{12, false}, {12, true}, {35, true}, {35, false}},
                 "A idle>over A over>down A down>out A out>idle B idle>over"},
        PathCase{"HeldButtonsIgnoreOthers",
                 {{12, true}, {35, true}, {55, true}, {0, false}},
                 "A idle>over A over>down A down>out A out>idle"},
        PathCase{
            "PressOnNothingPressesNothing", {{0, true}, {12, true}, {12, false}}, "A idle>over"},
        PathCase{"MenusFollowTheHeldMouse",
                 {{0, true}, {55, true}, {65, true}, {65, false}, {0, false}},
                 "M idle>down M down>idle N idle>down N down>over N over>idle"},
        PathCase{
            "LeavingTheWindowRollsOut", {{35, false}, {-1, false}}, "B idle>over B over>idle"}),
    [](const testing::TestParamInfo<PathCase>& info) { return info.param.name; });

TEST(ButtonPhaseRules, AForgottenButtonChangesNoMore) {
    ButtonTracker tracker;
    std::vector<ButtonTracker::Change> changes;
    const int a = 0, b = 0;
    tracker.Update(&a, false, true, changes);
    tracker.Forget(&b);  // another button: nothing forgotten
    EXPECT_EQ(tracker.Active(), &a);
    tracker.Forget(&a);
    changes.clear();
    tracker.Update(nullptr, false, false, changes);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(tracker.Active(), nullptr);
}

// --- the hit test ------------------------------------------------------------------------

Shape Polygon(const std::vector<std::vector<Point>>& contours, bool curvedFirst = false) {
    Shape s;
    s.fills.emplace_back();
    s.extent = {-100000, 100000, -100000, 100000};
    for (const auto& c : contours) {
        for (std::size_t i = 0; i < c.size(); ++i) {
            const Point a = c[i], b = c[(i + 1) % c.size()];
            Edge e;
            e.x0 = static_cast<std::int32_t>(a.x);
            e.y0 = static_cast<std::int32_t>(a.y);
            e.x1 = static_cast<std::int32_t>(b.x);
            e.y1 = static_cast<std::int32_t>(b.y);
            e.fill1 = 1;
            if (curvedFirst && i == 0) {
                // Bulges up to y = -50 between its ends.
                e.curved = true;
                e.cx = (e.x0 + e.x1) / 2;
                e.cy = -100;
            }
            s.edges.push_back(e);
        }
    }
    s.groups.push_back(StyleGroup{0, static_cast<std::uint32_t>(s.edges.size()), 0, 1, 0, 0});
    return s;
}

TEST(ButtonHitTest, FillAreasCountHolesAndOutsideDoNot) {
    // A square 0-100 clockwise with a square hole 40-60 drawn the other way.
    const Shape ring = Polygon(
        {{{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {{40, 40}, {40, 60}, {60, 60}, {60, 40}}});
    const Shape dome = Polygon({{{0, 0}, {100, 0}, {100, 100}, {0, 100}}}, true);
    struct Probe {
        const Shape* shape;
        Point p;
        bool inside;
    } probes[] = {
        {&ring, {10, 10}, true},   {&ring, {50, 50}, false}, {&ring, {70, 50}, true},
        {&ring, {100, 50}, false}, {&ring, {-1, 50}, false}, {&ring, {50, 101}, false},
        {&ring, {0, 0}, true},     {&dome, {50, -40}, true}, {&dome, {5, -40}, false},
        {&dome, {50, 50}, true},
    };
    for (const Probe& probe : probes) {
        EXPECT_EQ(ShapeFillContains(*probe.shape, probe.p), probe.inside)
            << probe.p.x << ',' << probe.p.y;
    }
}

// A movie of 200 x 100 pixels: rectangles 1 (red), 2 (green), 3 (blue), 4 (the hit area,
// 40 x 20 pixels); button 10 shows them in up, over and down, and traces its transitions.
swfwriter::MovieBuilder ButtonMovie() {
    swfwriter::MovieBuilder m;
    m.StagePixels(200, 100);
    m.Rectangle(1, 800, 400, {255, 0, 0})
        .Rectangle(2, 800, 400, {0, 255, 0})
        .Rectangle(3, 800, 400, {0, 0, 255})
        .Rectangle(4, 800, 400, {0, 0, 0});
    std::vector<swfwriter::ButtonConditionAction> actions;
    const std::pair<std::uint16_t, const char*> traced[] = {
        {kIdleToOverUp, "roll over"},      {kOverUpToIdle, "roll out"},
        {kOverUpToOverDown, "press"},      {kOverDownToOutDown, "drag out"},
        {kOutDownToOverDown, "drag over"}, {kOutDownToIdle, "release outside"}};
    for (const auto& [condition, text] : traced) {
        swfwriter::Actions a;
        a.TraceText(text);
        actions.push_back({condition, a});
    }
    swfwriter::Actions release;
    release.TraceText("release").GotoFrame(2);
    actions.push_back({kOverDownToOverUp, release});
    m.DefineButton2(
        10, {{kButtonUp, 1, 1}, {kButtonOver, 2, 2}, {kButtonDown, 3, 3}, {kButtonHitTest, 4, 4}},
        actions);
    return m;
}

// The hit test through a whole display tree: a button placed in a sprite that is moved and
// scaled, one placed invisible, one under a mask, and the topmost of two overlapping ones.
TEST(ButtonHitTest, ThroughSpritesMatricesMasksAndVisibility) {
    swfwriter::MovieBuilder m = ButtonMovie();
    m.DefineButton2(11, {{kButtonUp | kButtonHitTest, 4, 1}}, {});
    swfwriter::MovieBuilder inner;
    inner.PlaceObject(10, 1, 0, 0).ShowFrame();
    m.DefineSprite(20, inner);
    swfwriter::Place sprite;
    sprite.depth = 1;
    sprite.characterId = 20;
    sprite.matrix = swfwriter::Matrix{2, 0, 0, 2, 100 * 20, 0};  // doubled, at x 100
    m.PlaceObject2(sprite);
    swfwriter::Place hidden;
    hidden.depth = 2;
    hidden.characterId = 11;
    hidden.matrix = swfwriter::Matrix{1, 0, 0, 1, 0, 60 * 20};
    hidden.visible = 0;
    m.PlaceObject3(hidden);
    // A mask over depth 4 only, 10 pixels wide at x 0; button 11 under it at y 30, and button
    // 10 over it (depth 5) from x 30 overlapping button 11's right part.
    swfwriter::Place mask;
    mask.depth = 3;
    mask.characterId = 1;
    mask.clipDepth = 4;
    mask.matrix = swfwriter::Matrix{0.25, 0, 0, 1, 0, 30 * 20};
    m.PlaceObject2(mask);
    swfwriter::Place masked = hidden;
    masked.depth = 4;
    masked.visible.reset();
    masked.matrix = swfwriter::Matrix{1, 0, 0, 1, 0, 30 * 20};
    m.PlaceObject3(masked);
    m.PlaceObject(10, 5, 30 * 20, 30 * 20).ShowFrame();
    Player player(flashtest::Load(m));
    player.StepFrame();
    ButtonPicker picker;
    auto at = [&](double x, double y) -> std::string {
        const Clip* hit = picker.ButtonAt(player, Point{x * 20, y * 20});
        if (hit == nullptr) return "-";
        return std::to_string(hit->ButtonDefinition()->id) + "@" +
               std::to_string(hit->Parent() == &player.Root() ? 0 : 1);
    };
    EXPECT_EQ(at(101, 1), "10@1");   // in the sprite
    EXPECT_EQ(at(179, 39), "10@1");  // its 40 x 20 hit area, doubled
    EXPECT_EQ(at(181, 10), "-");
    EXPECT_EQ(at(99, 10), "-");
    EXPECT_EQ(at(5, 65), "-");      // invisible
    EXPECT_EQ(at(5, 35), "11@0");   // inside the mask
    EXPECT_EQ(at(20, 35), "-");     // masked off
    EXPECT_EQ(at(35, 35), "10@0");  // the topmost of the two
    EXPECT_EQ(at(-5, -5), "-");
}

// The whole chain, through the control's model: window pixels under a scale mode, the hit
// test, the phases, what each state shows and the actions they run.
TEST(ButtonMovies, AnswerTheMouseThroughTheControlModel) {
    swfwriter::MovieBuilder m = ButtonMovie();
    swfwriter::Actions stop;
    stop.Stop();
    m.DoAction(stop).PlaceObject(10, 1, 20 * 20, 20 * 20).ShowFrame();
    m.ShowFrame().ShowFrame();
    ButtonPicker picker;  // outlives the model
    ControlModel model;
    model.SetButtonFinder(&picker);
    model.SetMovie("buttons.swf", ParseMovie(m.Build()));
    ASSERT_TRUE(model.HasMovie());
    ASSERT_TRUE(model.SetScale("ShowAll"));
    // The 200 x 100 stage doubled and centred in 400 x 300: stage pixel (x, y) shows at
    // window (2x, 50 + 2y); the button covers stage 20-59 by 20-39.
    const Clip& root = model.Playing()->Root();
    // The character the button shows.
    auto shows = [&] {
        const Clip* button = root.Entries()[0].clip;
        return button->Entries().empty() ? 0 : button->Entries()[0].characterId;
    };
    EXPECT_EQ(shows(), 1);
    model.Mouse(10, 10, 400, 300, false);  // above the stage
    EXPECT_FALSE(model.OverButton());
    model.Mouse(41, 91, 400, 300, false);  // stage (20.5, 20.5)
    EXPECT_TRUE(model.OverButton());
    EXPECT_EQ(shows(), 2);
    model.Mouse(41, 91, 400, 300, true);
    EXPECT_EQ(shows(), 3);
    model.Mouse(200, 91, 400, 300, true);  // stage 100: dragged out, shows over
    EXPECT_FALSE(model.OverButton());
    EXPECT_EQ(shows(), 2);
    model.Mouse(100, 100, 400, 300, true);
    EXPECT_EQ(shows(), 3);
    EXPECT_EQ(model.CurrentFrame(), 0);
    model.Mouse(100, 100, 400, 300, false);  // the release runs GotoFrame(2)
    EXPECT_EQ(model.CurrentFrame(), 2);
    EXPECT_FALSE(model.IsPlaying());
    model.MouseLeft();
    EXPECT_EQ(shows(), 1);
    EXPECT_FALSE(model.OverButton());
    // A new movie forgets the old one's shapes and buttons.
    model.SetMovie("none.swf", ParseMovie(Bytes{'F', 'W', 'S'}));
    model.Mouse(41, 91, 400, 300, true);
    EXPECT_FALSE(model.OverButton());
}

// The actions of every transition, in order, and a sprite in the over state that runs its
// own timeline while shown and starts afresh when shown again.
TEST(ButtonMovies, RunTheirConditionActionsAndAnimateTheirStates) {
    swfwriter::MovieBuilder m = ButtonMovie();
    swfwriter::MovieBuilder spin;
    spin.PlaceObject(1, 1, 0, 0).ShowFrame().ShowFrame().ShowFrame();
    m.DefineSprite(21, spin);
    m.DefineButton(12, {{kButtonUp | kButtonOver | kButtonHitTest, 4, 1}, {kButtonOver, 21, 2}},
                   swfwriter::Actions().TraceText("v1 release"));
    swfwriter::Actions stop;
    stop.Stop();
    m.DoAction(stop).PlaceObject(10, 1, 0, 0).PlaceObject(12, 2, 100 * 20, 0).ShowFrame();
    m.ShowFrame().ShowFrame();
    Recorder traces;
    Player player(flashtest::Load(m), &traces);
    player.StepFrame();
    ButtonPicker picker;
    auto mouse = [&](double x, double y, bool down) {
        player.Mouse(picker.ButtonAt(player, Point{x * 20, y * 20}), down);
    };
    mouse(5, 5, false);
    mouse(5, 5, true);
    mouse(50, 5, true);
    mouse(5, 5, true);
    mouse(50, 5, true);
    mouse(50, 5, false);
    mouse(5, 5, false);
    mouse(110, 5, false);
    EXPECT_EQ(traces.Take(),
              (flashtest::Texts{"roll over", "press", "drag out", "drag over", "drag out",
                                "release outside", "roll over", "roll out"}));
    // Button 12 shows its sprite, which plays on with the movie's frames.
    const Clip* second = player.Root().Entries()[1].clip;
    ASSERT_EQ(second->Entries().size(), 2u);
    const Clip* sprite = second->Entries()[1].clip;
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->CurrentFrame(), 0u);
    player.StepFrame();
    player.StepFrame();
    EXPECT_EQ(sprite->CurrentFrame(), 2u);
    EXPECT_EQ(player.CurrentFrame(), 0u);  // the main timeline stopped
    mouse(110, 5, true);
    mouse(110, 5, false);
    EXPECT_EQ(traces.Take(), flashtest::Texts{"v1 release"});
    mouse(0, 90, false);
    EXPECT_EQ(second->Entries().size(), 1u);  // rolled out: the sprite is gone
    mouse(110, 5, false);
    EXPECT_EQ(second->Entries()[1].clip->CurrentFrame(), 0u);
    // The button's release of button 10 moves the main timeline.
    mouse(5, 5, true);
    mouse(5, 5, false);
    EXPECT_EQ(player.CurrentFrame(), 2u);
}

// DefineButtonCxform colours every character of a DefineButton; the first readable one for a
// button counts, and DefineButton2 buttons keep their records' own transforms.
TEST(ButtonMovies, DefineButtonCxformColoursADefineButtonsCharacters) {
    const auto cxform = [](std::uint16_t id, int rMul, int gMul) {
        Bytes body{static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8)};
        swfwriter::BitFields bits(body);
        bits.Put(1, 0);  // no add terms
        bits.Put(1, 1);  // multiply terms
        bits.Put(4, 10);
        for (int mul : {rMul, gMul, 256}) bits.PutSigned(10, mul);
        return body;
    };
    swfwriter::MovieBuilder m = ButtonMovie();
    m.DefineButton(12, {{kButtonUp | kButtonHitTest, 1, 1}, {kButtonUp, 2, 2}}, {});
    m.Tag(tags::kDefineButtonCxform, Bytes{12, 0})  // too short: skipped
        .Tag(tags::kDefineButtonCxform, cxform(12, 128, 256))
        .Tag(tags::kDefineButtonCxform, cxform(12, 256, 0))
        .Tag(tags::kDefineButtonCxform, cxform(10, 0, 0))
        .Tag(tags::kDefineButtonCxform, cxform(99, 0, 0));
    m.PlaceObject(10, 1, 0, 0).PlaceObject(12, 2, 100 * 20, 0).ShowFrame();
    Player player(flashtest::Load(m));
    player.StepFrame();
    const auto& root = player.Root().Entries();
    ASSERT_EQ(root.size(), 2u);
    for (const DisplayEntry& e : root[1].clip->Entries()) {
        EXPECT_EQ(e.colorTransform.rMul, 128);
        EXPECT_EQ(e.colorTransform.gMul, 256);
    }
    EXPECT_EQ(root[1].clip->Entries().size(), 2u);
    ASSERT_FALSE(root[0].clip->Entries().empty());
    EXPECT_TRUE(root[0].clip->Entries()[0].colorTransform.IsIdentity());
}

// The window point a stage point is drawn at maps back to that stage point, in every mode
// and for stages that do not start at 0.
TEST(StagePoints, WindowPointsMapBackToTheStage) {
    const Rect stages[] = {{0, 4000, 0, 2000}, {-200, 3800, 100, 1100}};
    for (const Rect& stage : stages) {
        for (ScaleMode mode :
             {ScaleMode::ShowAll, ScaleMode::ExactFit, ScaleMode::NoBorder, ScaleMode::NoScale}) {
            for (const auto& [w, h] : {std::pair{400, 300}, std::pair{123, 457}, std::pair{0, 0}}) {
                const StageView view = MakeStageView(mode, w, h, stage);
                for (const Point p : {Point{0, 0}, Point{1234, 567}, Point{-40, 2500}}) {
                    const Point d = view.toDevice.Apply(p);
                    const Point back = WindowToStage(mode, w, h, stage, d.x, d.y);
                    EXPECT_NEAR(back.x, p.x, 1e-6) << static_cast<int>(mode) << ' ' << w;
                    EXPECT_NEAR(back.y, p.y, 1e-6) << static_cast<int>(mode) << ' ' << w;
                }
            }
        }
    }
}

}  // namespace
