// The tooltip's show and hide cycle, fed with mouse positions and timer events through a
// scripted host: which tools lie where, where the cursor is, and a log of what the machine
// asks of the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tooltip/tip_machine.h"

namespace {

using namespace tooltip;

// Two tools side by side (A: x 0-99, B: x 100-199, y 0-99); the tip, when visible, covers
// x 300-399. Everything the machine asks for is logged as one short line.
class ScriptedHost final : public TipHost {
public:
    std::vector<std::string> log;
    Point cursor;
    bool showText = true;  // false: the owner left the text empty
    std::string shownText;

    std::optional<ToolHit> ToolAt(Point p) override {
        if (p.y < 0 || p.y >= 100 || p.x < 0 || p.x >= 200) return std::nullopt;
        ToolHit hit;
        hit.window = p.x < 100 ? 1 : 2;
        hit.tool.text = p.x < 100 ? "A" : "B";
        return hit;
    }
    bool CursorOverTip(Point p) override { return p.x >= 300 && p.x < 400; }
    Point CursorPos() override { return cursor; }
    void StartTimer(unsigned id, int ms) override {
        log.push_back("start " + std::to_string(id) + " " + std::to_string(ms));
    }
    void StopTimer(unsigned) override {}  // stops are many and harmless: not logged
    bool ShowTip(ToolHit& tool, Point at, int t) override {
        if (!showText) tool.tool.text.clear();
        shownText = tool.tool.text;
        log.push_back("show " + tool.tool.text + " at " + std::to_string(at.x) + " t" +
                      std::to_string(t));
        return !tool.tool.text.empty();
    }
    void RepaintTip(int t) override { log.push_back("paint t" + std::to_string(t)); }
    void HideTip() override { log.push_back("hide"); }
    void MoveTip(Point p) override { log.push_back("move " + std::to_string(p.x)); }
    void ClickTip(Point p) override { log.push_back("click " + std::to_string(p.x)); }
};

class TipCycle : public ::testing::Test {
protected:
    TipCycle() {
        settings.initialDelay = 1000;
        settings.autopopDelay = 30000;
    }
    // The user moves the mouse there (the cursor goes with it).
    void Move(int x, int y = 50) {
        host.cursor = {x, y};
        machine.MouseMove({x, y});
    }
    // What the machine asked for since the last call.
    std::vector<std::string> Took() { return std::exchange(host.log, {}); }
    // Rests on tool A until its tip is shown.
    void ShowA(int x = 10) {
        Move(x);
        machine.Timer(tiptimer::kInitial);
        ASSERT_EQ(machine.State(), DisplayState::Shown);
        Took();
    }

    TipSettings settings;
    ScriptedHost host;
    TipMachine machine{settings, host};
};

using Log = std::vector<std::string>;

TEST_F(TipCycle, RestingShowsAfterTheInitialDelayAndAutopopHides) {
    Move(10);
    EXPECT_EQ(Took(), (Log{"start 256 1000"}));
    EXPECT_EQ(machine.State(), DisplayState::Hidden);
    machine.Timer(tiptimer::kInitial);
    EXPECT_EQ(Took(), (Log{"show A at 10 t0", "start 257 30000"}));
    EXPECT_TRUE(machine.Visible());
    machine.Timer(tiptimer::kAutopop);
    EXPECT_EQ(Took(), (Log{"hide"}));
    EXPECT_EQ(machine.State(), DisplayState::Hidden);
    machine.Timer(tiptimer::kAutopop);  // a late tick changes nothing
    EXPECT_TRUE(Took().empty());
}

TEST_F(TipCycle, MovesThatDoNotRestShowNothing) {
    Move(10);
    Move(10);  // the same position again: nothing
    Move(20);  // the delay starts over
    EXPECT_EQ(Took(), (Log{"start 256 1000", "start 256 1000"}));
    host.cursor = {25, 50};  // moved without a message reaching us
    machine.Timer(tiptimer::kInitial);
    EXPECT_TRUE(Took().empty());
    EXPECT_EQ(machine.State(), DisplayState::Hidden);
    Move(10);
    Move(150);  // onto B before A's tip came: B is the one pending
    machine.Timer(tiptimer::kInitial);
    EXPECT_EQ(Took().back(), "start 257 30000");
    EXPECT_EQ(host.shownText, "B");
}

// A second move inside the tool whose tip is shown, by behaviour.
struct MoveCase {
    const char* name;
    unsigned behaviour;
    Log log;
    DisplayState after;
};

class MoveInsideTheTool : public TipCycle, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveInsideTheTool, FollowsTheBehaviour) {
    settings.defaultBehaviour = GetParam().behaviour;
    ShowA();
    Move(20);
    EXPECT_EQ(Took(), GetParam().log);
    EXPECT_EQ(machine.State(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Behaviours, MoveInsideTheTool,
                         ::testing::Values(MoveCase{"None", 0, {"hide"}, DisplayState::Hidden},
                                           MoveCase{"ReshowOnMove",
                                                    behaviour::kReshowOnMove,
                                                    {"hide", "start 256 1000"},
                                                    DisplayState::Hidden},
                                           MoveCase{"StayOnMove",
                                                    behaviour::kStayOnMove,
                                                    {"start 257 30000"},
                                                    DisplayState::Shown},
                                           MoveCase{"FollowCursor",
                                                    behaviour::kFollowCursor,
                                                    {"start 257 30000", "move 20"},
                                                    DisplayState::Shown}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TipCycle, WithoutBehaviourTheTipComesBackOnlyAfterLeavingTheTool) {
    ShowA();
    Move(20);
    Move(30);
    machine.Timer(tiptimer::kInitial);  // nothing was started: nothing shows
    EXPECT_EQ(Took(), (Log{"hide"}));
    Move(30, 150);  // off every tool
    Move(30);
    EXPECT_EQ(Took(), (Log{"start 256 1000"}));
}

struct HoverCase {
    const char* name;
    unsigned behaviour;
    Log log;
};

class CursorEntersTheTip : public TipCycle, public ::testing::WithParamInterface<HoverCase> {};

TEST_P(CursorEntersTheTip, HidesUnlessTheToolSaysOtherwise) {
    settings.defaultBehaviour = GetParam().behaviour;
    ShowA();
    Move(350);  // over the tip, outside every tool
    EXPECT_EQ(Took(), GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Behaviours, CursorEntersTheTip,
    ::testing::Values(HoverCase{"None", 0, {"hide"}},
                      HoverCase{"ReshowOnMove", behaviour::kReshowOnMove, {"hide"}},
                      HoverCase{
                          "StayWhenHovered", behaviour::kStayWhenHovered, {"start 257 30000"}},
                      // Following goes on to the hit test, which finds no tool there.
                      HoverCase{"FollowCursor", behaviour::kFollowCursor, {"hide"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TipCycle, PressesHideAtOnceAndClicksOnTheTipReachItsLinks) {
    ShowA();
    machine.LeftButtonDown({350, 50});
    EXPECT_EQ(Took(), (Log{"click 350", "hide"}));
    EXPECT_EQ(machine.State(), DisplayState::Hidden);
    Move(30, 150);  // the same tool shows again only after the mouse left it
    ShowA(30);
    machine.LeftButtonDown({30, 50});  // on the tool: no click goes to the tip
    machine.HideNow();                 // a key press
    EXPECT_EQ(Took(), (Log{"hide", "hide"}));
}

TEST_F(TipCycle, FadingStepsTwentyPercentEachWay) {
    settings.fadeInStep = 50;
    settings.fadeOutStep = 50;
    Move(10);
    machine.Timer(tiptimer::kInitial);
    EXPECT_EQ(Took(), (Log{"start 256 1000", "show A at 10 t100", "start 258 50"}));
    std::vector<int> seen;
    for (int step = 0; step < 5; ++step) {
        EXPECT_EQ(machine.State(), DisplayState::Appearing);
        machine.Timer(tiptimer::kFadeIn);
        seen.push_back(machine.Transparency());
    }
    EXPECT_EQ(seen, (std::vector<int>{80, 60, 40, 20, 0}));
    EXPECT_EQ(machine.State(), DisplayState::Shown);
    EXPECT_EQ(Took(), (Log{"paint t80", "paint t60", "paint t40", "paint t20", "start 257 30000",
                           "paint t0"}));

    machine.Timer(tiptimer::kAutopop);
    EXPECT_EQ(Took(), (Log{"start 259 50"}));
    seen.clear();
    for (int step = 0; step < 5; ++step) {
        EXPECT_EQ(machine.State(), DisplayState::Disappearing);
        machine.Timer(tiptimer::kFadeOut);
        seen.push_back(machine.Transparency());
    }
    EXPECT_EQ(seen, (std::vector<int>{20, 40, 60, 80, 100}));
    EXPECT_EQ(Took().back(), "hide");
    EXPECT_EQ(machine.State(), DisplayState::Hidden);
}

TEST_F(TipCycle, FadingInStopsAtTheToolsOwnTransparency) {
    settings.fadeInStep = 50;
    settings.defaultTransparency = 30;
    Move(10);
    machine.Timer(tiptimer::kInitial);
    std::vector<int> seen;
    while (machine.State() == DisplayState::Appearing && seen.size() < 10) {
        machine.Timer(tiptimer::kFadeIn);
        seen.push_back(machine.Transparency());
    }
    EXPECT_EQ(seen, (std::vector<int>{80, 60, 40, 30}));
    EXPECT_EQ(machine.State(), DisplayState::Shown);
}

TEST_F(TipCycle, AShowWaitsForTheFadeOutAndIsDroppedWhenTheMouseLeaves) {
    settings.fadeOutStep = 40;
    settings.defaultBehaviour = behaviour::kReshowOnMove;
    ShowA();
    Move(20);
    EXPECT_EQ(Took(), (Log{"start 259 40"}));
    for (int step = 0; step < 5; ++step) machine.Timer(tiptimer::kFadeOut);
    EXPECT_EQ(Took().back(), "start 256 1000");  // the show follows the hide

    ShowA(30);
    Move(40);  // fading out, a show pending
    Move(40, 150);
    for (int step = 0; step < 5; ++step) machine.Timer(tiptimer::kFadeOut);
    const Log log = Took();
    EXPECT_EQ(log.back(), "hide");
    EXPECT_EQ(std::count(log.begin(), log.end(), "start 256 1000"), 0);
}

TEST_F(TipCycle, AnEmptyTextShowsNothingAndTheNextRestTriesAgain) {
    settings.defaultBehaviour = behaviour::kReshowOnMove;
    host.showText = false;
    Move(10);
    machine.Timer(tiptimer::kInitial);
    EXPECT_EQ(machine.State(), DisplayState::Hidden);
    EXPECT_FALSE(machine.Visible());
    EXPECT_FALSE(machine.Current().has_value());
    Took();
    host.showText = true;
    Move(20);
    machine.Timer(tiptimer::kInitial);
    EXPECT_EQ(Took(), (Log{"start 256 1000", "show A at 20 t0", "start 257 30000"}));
}

TEST_F(TipCycle, NoAutoPopAndAZeroDelayKeepTheTip) {
    settings.defaultBehaviour = behaviour::kNoAutoPop;
    ShowA();
    settings.defaultBehaviour = 0;
    settings.autopopDelay = 0;
    settings.initialDelay = 0;
    Move(150);  // B, shown at once
    EXPECT_EQ(Took(), (Log{"hide", "show B at 150 t0"}));
    EXPECT_EQ(machine.State(), DisplayState::Shown);
}

}  // namespace
