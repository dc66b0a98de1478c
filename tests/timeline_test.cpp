#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "tests/flash_fixture.h"

namespace {

using flash::Player;
using flashtest::Load;
using flashtest::Recorder;
using flashtest::Texts;
using std::chrono::milliseconds;
using swfwriter::Actions;
using swfwriter::MovieBuilder;

// Frames that trace their own number ("0", "1", ...), with extra actions per frame.
MovieBuilder Numbered(int frames, const std::vector<std::pair<int, Actions>>& extra = {}) {
    MovieBuilder m;
    m.FrameRate(10);
    for (int i = 0; i < frames; ++i) {
        m.FrameLabel("Label" + std::to_string(i));
        m.DoAction(Actions().TraceText(std::to_string(i)));
        for (const auto& [frame, more] : extra) {
            if (frame == i) m.DoAction(more);
        }
        m.ShowFrame();
    }
    return m;
}

void Steps(Player& t, int n) {
    for (int i = 0; i < n; ++i) t.StepFrame();
}

TEST(Timeline, RootTimelineLoopsAndRunsEachFrameOnArrival) {
    Recorder rec;
    Player t(Load(Numbered(3)), &rec);
    EXPECT_EQ(t.TotalFrames(), 3u);
    EXPECT_TRUE(t.IsPlaying());
    EXPECT_TRUE(rec.lines.empty());  // nothing runs before the first step
    std::vector<std::size_t> frames;
    for (int i = 0; i < 7; ++i) {
        t.StepFrame();
        frames.push_back(t.CurrentFrame());
    }
    EXPECT_EQ(rec.lines, (Texts{"0", "1", "2", "0", "1", "2", "0"}));
    EXPECT_EQ(frames, (std::vector<std::size_t>{0, 1, 2, 0, 1, 2, 0}));
}

TEST(Timeline, WithoutLoopingStopsOnTheLastFrame) {
    Recorder rec;
    Player t(Load(Numbered(2)), &rec);
    t.SetLooping(false);
    Steps(t, 5);
    EXPECT_EQ(rec.lines, (Texts{"0", "1"}));
    EXPECT_EQ(t.CurrentFrame(), 1u);
    EXPECT_FALSE(t.IsPlaying());
}

TEST(Timeline, OneFrameMovieRunsItsActionsOnce) {
    // Declared as three frames, holding one; Play on the only frame changes nothing.
    MovieBuilder m;
    m.DeclaredFrames(3).DoAction(Actions().TraceText("once").Play()).ShowFrame();
    Recorder rec;
    Player t(Load(m), &rec);
    Steps(t, 5);
    t.Tick(milliseconds(1000));
    EXPECT_EQ(rec.lines, (Texts{"once"}));
    EXPECT_EQ(t.TotalFrames(), 1u);
    EXPECT_EQ(t.CurrentFrame(), 0u);
}

TEST(Timeline, StopOnAFrameHoldsItUntilPlay) {
    Recorder rec;
    Player t(Load(Numbered(4, {{1, Actions().Stop()}})), &rec);
    Steps(t, 6);
    EXPECT_EQ(rec.Take(), (Texts{"0", "1"}));
    EXPECT_EQ(t.CurrentFrame(), 1u);
    EXPECT_FALSE(t.IsPlaying());
    t.Play();
    Steps(t, 3);
    EXPECT_EQ(rec.Take(), (Texts{"2", "3", "0"}));
}

TEST(Timeline, NavigationLeavesTheMovieStoppedAndClampsAtTheEnds) {
    struct Case {
        const char* name;
        std::size_t from;
        void (*act)(Player&);
        std::size_t to;
        Texts traced;
    };
    const Case cases[] = {
        {"goto beyond the end", 1, [](Player& t) { t.GotoFrame(99); }, 3, {"3"}},
        {"goto the count itself", 0, [](Player& t) { t.GotoFrame(4); }, 3, {"3"}},
        {"goto negative", 2, [](Player& t) { t.GotoFrame(-5); }, 0, {"0"}},
        {"goto current frame", 2, [](Player& t) { t.GotoFrame(2); }, 2, {}},
        {"back", 2, [](Player& t) { t.Back(); }, 1, {"1"}},
        {"back on the first", 0, [](Player& t) { t.Back(); }, 0, {}},
        {"forward", 1, [](Player& t) { t.Forward(); }, 2, {"2"}},
        {"forward on the last", 3, [](Player& t) { t.Forward(); }, 3, {}},
        {"rewind", 3, [](Player& t) { t.Rewind(); }, 0, {"0"}},
    };
    for (const Case& c : cases) {
        Recorder rec;
        Player t(Load(Numbered(4)), &rec);
        t.StepFrame();
        for (std::size_t i = 0; i < c.from; ++i) t.StepFrame();
        ASSERT_EQ(t.CurrentFrame(), c.from) << c.name;
        rec.Take();
        c.act(t);
        EXPECT_EQ(t.CurrentFrame(), c.to) << c.name;
        EXPECT_FALSE(t.IsPlaying()) << c.name;
        EXPECT_EQ(rec.Take(), c.traced) << c.name;
        Steps(t, 2);  // stopped: nothing moves
        EXPECT_EQ(t.CurrentFrame(), c.to) << c.name;
    }
}

TEST(Timeline, FrameActionsMayRestartAMovieThatNavigationStopped) {
    Recorder rec;
    Player t(Load(Numbered(3, {{2, Actions().Play()}})), &rec);
    t.GotoFrame(2);
    EXPECT_TRUE(t.IsPlaying());
    t.StepFrame();
    EXPECT_EQ(t.CurrentFrame(), 0u);
}

TEST(Timeline, GotoInsideAnActionRunsTheTargetAfterTheCurrentBlock) {
    MovieBuilder m;
    m.DoAction(Actions().TraceText("a").GotoFrame(2).Play().TraceText("after goto")).ShowFrame();
    m.DoAction(Actions().TraceText("b")).ShowFrame();
    m.DoAction(Actions().TraceText("c")).ShowFrame();
    m.DoAction(Actions().TraceText("d")).ShowFrame();
    Recorder rec;
    Player t(Load(m), &rec);
    t.StepFrame();
    EXPECT_EQ(rec.Take(), (Texts{"a", "after goto", "c"}));
    EXPECT_EQ(t.CurrentFrame(), 2u);
    t.StepFrame();
    EXPECT_EQ(rec.Take(), (Texts{"d"}));
}

TEST(Timeline, NextAndPreviousFrameActionsStop) {
    MovieBuilder m;
    m.DoAction(Actions().TraceText("0").NextFrame()).ShowFrame();
    m.DoAction(Actions().TraceText("1")).ShowFrame();
    m.DoAction(Actions().TraceText("2").PreviousFrame()).ShowFrame();
    Recorder rec;
    Player t(Load(m), &rec);
    Steps(t, 3);
    EXPECT_EQ(rec.Take(), (Texts{"0", "1"}));
    EXPECT_EQ(t.CurrentFrame(), 1u);
    t.GotoFrame(2);
    EXPECT_EQ(rec.Take(), (Texts{"2", "1"}));
    EXPECT_EQ(t.CurrentFrame(), 1u);
}

TEST(Timeline, GotoLabelIgnoresCaseAndMissingLabels) {
    struct Case {
        std::uint8_t version;
        const char* target;
        std::size_t expected;  // frame after the first step
    };
    // "\x81Ab" holds a double-byte character whose trail byte is 'A' in an ANSI (version 5)
    // movie: only the 'b' may fold there. From version 6 labels are UTF-8 and all ASCII folds.
    const Case cases[] = {
        {10, "LABEL2", 2},
        {10, "label3", 3},
        {10, "nowhere", 0},
        {10, "", 0},
        {10, "Label", 0},
        {5, "label1", 1},
        {5,
         "\x81"
         "AB",
         4},
        {5,
         "\x81"
         "ab",
         0},
        {10,
         "\x81"
         "ab",
         4},
    };
    for (const Case& c : cases) {
        MovieBuilder m;
        m.Version(c.version);
        m.DoAction(Actions().GotoLabel(c.target)).ShowFrame();
        for (int i = 1; i < 4; ++i) m.FrameLabel("Label" + std::to_string(i)).ShowFrame();
        m.FrameLabel(
             "\x81"
             "Ab")
            .ShowFrame();
        Player t(Load(m));
        t.StepFrame();
        EXPECT_EQ(t.CurrentFrame(), c.expected) << int(c.version) << " " << c.target;
        // A missing label is ignored: the movie plays on.
        EXPECT_EQ(t.IsPlaying(), c.expected == 0) << c.target;
    }
}

TEST(Timeline, GotoFrame2TakesNumbersFromOneAndLabels) {
    struct Case {
        const char* name;
        Actions push;
        bool play;
        std::size_t frame;
        bool playing;
    };
    const Case cases[] = {
        {"number", Actions().PushInt(3), false, 2, false},
        {"number and play", Actions().PushInt(2), true, 1, true},
        {"number beyond the end", Actions().PushInt(50), false, 3, false},
        {"zero is ignored", Actions().PushInt(0), false, 0, true},
        {"numeric text", Actions().PushString("4"), false, 3, false},
        {"label", Actions().PushString("THIRD"), true, 2, true},
        {"missing label", Actions().PushString("fourth"), false, 0, true},
        {"undefined", Actions().PushUndefined(), false, 0, true},
        {"empty stack", Actions(), false, 0, true},
    };
    for (const Case& c : cases) {
        MovieBuilder m;
        Actions a = c.push;
        m.DoAction(a.GotoFrame2(c.play)).ShowFrame();
        m.ShowFrame().FrameLabel("third").ShowFrame().ShowFrame();
        Player t(Load(m));
        t.StepFrame();
        EXPECT_EQ(t.CurrentFrame(), c.frame) << c.name;
        EXPECT_EQ(t.IsPlaying(), c.playing) << c.name;
    }
}

TEST(Timeline, TraceTextOfEveryValue) {
    MovieBuilder m;
    m.DoAction(Actions()
                   .ConstantPool({"zero", "one"})
                   .PushConstant(1)
                   .Trace()
                   .PushConstant(2)  // past the pool
                   .Trace()
                   .PushInt(-42)
                   .Trace()
                   .PushDouble(0.1)
                   .Trace()
                   .PushDouble(1e21)
                   .Trace()
                   .PushDouble(1.5e-7)
                   .Trace()
                   .PushDouble(-0.0)
                   .Trace()
                   .PushDouble(std::numeric_limits<double>::infinity())
                   .Trace()
                   .PushDouble(std::numeric_limits<double>::quiet_NaN())
                   .Trace()
                   .PushFloat(2.5f)
                   .Trace()
                   .PushBool(false)
                   .Trace()
                   .PushNull()
                   .Trace()
                   .PushRegister(1)
                   .Trace()
                   .PushString("kept")
                   .PushString("popped")
                   .Pop()
                   .Trace()
                   .Trace())  // empty stack
        .ShowFrame();
    Recorder rec;
    Player t(Load(m), &rec);
    t.StepFrame();
    EXPECT_EQ(rec.lines,
              (Texts{"one", "undefined", "-42", "0.1", "1e+21", "1.5e-7", "0", "Infinity", "NaN",
                     "2.5", "false", "null", "undefined", "kept", "undefined"}));
}

TEST(Timeline, StackLastsThroughAStepAndConstantPoolAcrossFrames) {
    // Flash Player's log of the trace corpus shows it: values left on the stack reach the
    // next block of the same frame, not the next frame.
    MovieBuilder m;
    m.DoAction(Actions().ConstantPool({"from frame 0"}).PushString("left for block 2"));
    m.DoAction(Actions().Trace().PushString("left for frame 1")).ShowFrame();
    m.DoAction(Actions().Trace().PushConstant(0).Trace()).ShowFrame();
    Recorder rec;
    Player t(Load(m), &rec);
    Steps(t, 2);
    EXPECT_EQ(rec.lines, (Texts{"left for block 2", "undefined", "from frame 0"}));
}

TEST(Timeline, TickAdvancesAtTheFrameRate) {
    MovieBuilder m = Numbered(100);
    m.FrameRate88(0x0C80);  // 12.5 fps: 80 ms a frame
    Player t(Load(m));
    t.Tick(milliseconds(0));
    EXPECT_EQ(t.CurrentFrame(), 0u);  // the first tick enters frame 0 at once
    t.Tick(milliseconds(79));
    EXPECT_EQ(t.CurrentFrame(), 0u);
    t.Tick(milliseconds(1));
    EXPECT_EQ(t.CurrentFrame(), 1u);
    t.Tick(milliseconds(200));  // 2 frames, 40 ms left over
    EXPECT_EQ(t.CurrentFrame(), 3u);
    t.Tick(milliseconds(40));
    EXPECT_EQ(t.CurrentFrame(), 4u);
    t.Tick(std::chrono::microseconds(-5000));
    EXPECT_EQ(t.CurrentFrame(), 4u);
    // 150 ticks of a third of a frame each (plus 1 us): exactly 50 frames, no drift.
    for (int i = 0; i < 150; ++i) t.Tick(std::chrono::microseconds(26667));
    EXPECT_EQ(t.CurrentFrame(), 54u);
}

TEST(Timeline, TickWithZeroRateAndLongStalls) {
    MovieBuilder m = Numbered(1000);
    m.FrameRate88(0);
    Player t(Load(m));
    t.Tick(milliseconds(1000));  // enters, then 12 frames at the fallback rate
    EXPECT_EQ(t.CurrentFrame(), 12u);
    t.Tick(std::chrono::hours(24 * 365));  // a stall advances at most kMaxStepsPerTick
    EXPECT_EQ(t.CurrentFrame(), 12u + Player::kMaxStepsPerTick);
    t.Tick(milliseconds(0));  // and leaves no backlog behind
    EXPECT_EQ(t.CurrentFrame(), 12u + Player::kMaxStepsPerTick);
}

TEST(Timeline, GotosChasingEachOtherAreCutOff) {
    MovieBuilder m;
    m.DoAction(Actions().TraceText("a").GotoFrame(1)).ShowFrame();
    m.DoAction(Actions().TraceText("b").GotoFrame(0)).ShowFrame();
    Recorder rec;
    Player t(Load(m), &rec);
    t.StepFrame();
    EXPECT_GE(rec.lines.size(), 2u);
    EXPECT_LE(rec.lines.size(), Player::kMaxActionGotosPerStep + 1);
    // Many actions in one frame: the step ends after kMaxActionsPerStep of them.
    MovieBuilder big;
    Actions lots;
    for (int i = 0; i < 60000; ++i) lots.PushInt(i).Pop();  // 120,000 actions
    big.DoAction(lots.TraceText("never")).ShowFrame();
    Player heavy(Load(big), &rec);
    rec.Take();
    heavy.StepFrame();
    EXPECT_TRUE(rec.lines.empty());
}

TEST(Timeline, TheHostCrossesALongMovieWhereAScriptIsStopped) {
    // Over a million control tags before the last frame: more than one step may run, not
    // more than the end command may cross.
    MovieBuilder m;
    m.DoAction(Actions().GotoFrame(17)).ShowFrame();
    for (int f = 1; f < 17; ++f) {
        for (int i = 0; i < 65536; ++i) m.RemoveObject2(1);
        m.ShowFrame();
    }
    m.DoAction(Actions().TraceText("last")).ShowFrame();
    Recorder rec;
    Player t(Load(m), &rec);
    t.StepFrame();
    EXPECT_EQ(t.CurrentFrame(), 0u);
    EXPECT_TRUE(t.Limited());
    t.GotoFrame(17);
    EXPECT_EQ(t.CurrentFrame(), 17u);
    EXPECT_EQ(rec.lines, (Texts{"last"}));
}

}  // namespace
