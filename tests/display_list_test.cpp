// The display list and the clips' timelines: placing, moving, replacing and removing;
// going back keeping or remaking instances; sprites' own timelines; the order of scripts
// across clips; targets; hostile trees; and the cost of a frame in steady playback.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/allocation_count.h"
#include "tests/flash_fixture.h"

namespace {

using flash::Player;
using flashtest::At;
using flashtest::Describe;
using flashtest::Load;
using flashtest::Recorder;
using flashtest::Texts;
using swfwriter::Actions;
using swfwriter::MovieBuilder;

// Runs a list of operations: "step", "step*N", "goto:N", "back", "forward", "rewind".
void Drive(Player& player, const std::string& ops) {
    std::istringstream in(ops);
    std::string op;
    while (in >> op) {
        const std::size_t colon = op.find_first_of(":*");
        const std::string name = op.substr(0, colon);
        const int n = colon == std::string::npos ? 1 : std::stoi(op.substr(colon + 1));
        if (name == "step") {
            for (int i = 0; i < n; ++i) player.StepFrame();
        } else if (name == "goto") {
            player.GotoFrame(n);
        } else if (name == "back") {
            player.Back();
        } else if (name == "forward") {
            player.Forward();
        } else if (name == "rewind") {
            player.Rewind();
        } else {
            ADD_FAILURE() << "unknown operation " << op;
        }
    }
}

MovieBuilder Shapes() {
    MovieBuilder m;
    m.Rectangle(1, 100, 100, {255, 0, 0}).Rectangle(2, 100, 100, {0, 255, 0});
    return m;
}

// A sprite timeline whose frames trace `name` and their number; `stopAt` stops it there.
MovieBuilder Tracing(const std::string& name, int frames, int stopAt = -1) {
    MovieBuilder s;
    for (int i = 0; i < frames; ++i) {
        Actions a = Actions().TraceText(name + std::to_string(i));
        if (i == stopAt) a.Stop();
        s.DoAction(a).ShowFrame();
    }
    return s;
}

MovieBuilder PlaceMoveRemove() {
    MovieBuilder m = Shapes();
    m.PlaceObject2(At(1, 1)).PlaceObject2(At(3, 2, 10)).ShowFrame();
    m.PlaceObject2(At(1, 0, 100, true)).ShowFrame();
    m.RemoveObject2(3).ShowFrame();
    m.RemoveObject(1, 1).ShowFrame();
    return m;
}

MovieBuilder Replace() {
    MovieBuilder m = Shapes();
    swfwriter::Place named = At(1, 1, 50);
    named.name = "n";
    swfwriter::Place replace;
    replace.move = true;
    replace.characterId = 2;
    return m.PlaceObject2(named).ShowFrame().PlaceObject2(replace).ShowFrame();
}

MovieBuilder OnePlacement(const swfwriter::Place& a, const swfwriter::Place& b) {
    MovieBuilder m = Shapes();
    return m.PlaceObject2(a).PlaceObject2(b).ShowFrame();
}

// Sprite 11 traces "made" when an instance starts and stops on its second frame. The root
// places it, moves it, leaves it, removes it and places it again by another tag.
MovieBuilder KeptOrMade() {
    MovieBuilder sprite;
    sprite.DoAction(Actions().TraceText("made")).ShowFrame().DoAction(Actions().Stop()).ShowFrame();
    MovieBuilder m = Shapes();
    m.DefineSprite(11, sprite);
    m.PlaceObject2(At(1, 11)).ShowFrame();
    m.PlaceObject2(At(1, 0, 30, true)).ShowFrame();
    m.ShowFrame();
    m.RemoveObject2(1).ShowFrame();
    m.PlaceObject2(At(1, 11)).ShowFrame();
    return m;
}

// Sprites A (id 12) and B (id 13) trace their frames; B is made after A at a lower depth.
MovieBuilder TwoSprites() {
    MovieBuilder m = Shapes();
    m.DefineSprite(12, Tracing("a", 2)).DefineSprite(13, Tracing("b", 2));
    m.PlaceObject2(At(2, 12)).PlaceObject2(At(1, 13));
    m.DoAction(Actions().TraceText("r0")).ShowFrame();
    m.DoAction(Actions().TraceText("r1")).ShowFrame();
    return m;
}

MovieBuilder InitActions() {
    MovieBuilder m = Shapes();
    m.DefineSprite(14, Tracing("s", 1));
    m.DoAction(Actions().TraceText("frame0")).DoInitAction(14, Actions().TraceText("init"));
    m.ShowFrame().DoAction(Actions().TraceText("frame1")).ShowFrame();
    return m;
}

// Sprites whose bodies end in the ways Flash Player tells apart (see swf_movie.h).
MovieBuilder SpriteEndings() {
    MovieBuilder loops = Tracing("L", 2);
    MovieBuilder trailing = Tracing("T", 1);
    trailing.DoAction(Actions().TraceText("T-tail"));
    MovieBuilder m = Shapes();
    m.DefineSprite(15, loops).DefineSprite(16, trailing).DefineSprite(17, loops, false);
    m.PlaceObject2(At(1, 15)).PlaceObject2(At(2, 16)).PlaceObject2(At(3, 17)).ShowFrame();
    return m;
}

struct ListCase {
    const char* name;
    MovieBuilder (*movie)();
    const char* ops;
    const char* list;
    Texts traced;
};

const ListCase kListCases[] = {
    {"place", PlaceMoveRemove, "step", "1:1 3:2@10,0", {}},
    {"move keeps the character", PlaceMoveRemove, "step*2", "1:1@100,0 3:2@10,0", {}},
    {"RemoveObject2", PlaceMoveRemove, "step*3", "1:1@100,0", {}},
    {"RemoveObject", PlaceMoveRemove, "step*4", "", {}},
    {"goto back rebuilds", PlaceMoveRemove, "step*4 goto:1", "1:1@100,0 3:2@10,0", {}},
    {"back", PlaceMoveRemove, "step*3 back", "1:1@100,0 3:2@10,0", {}},
    {"looping rebuilds frame 0", PlaceMoveRemove, "step*5", "1:1 3:2@10,0", {}},
    {"goto forward runs the frames between", PlaceMoveRemove, "goto:2", "1:1@100,0", {}},
    {"replace keeps the placement", Replace, "step*2", "1:2@50,0", {}},
    {"taken depth",
     [] { return OnePlacement(At(1, 1), At(1, 2)); },
     "step",
     "1:1",
     {"! Warning: Failed to place object at depth 1."}},
    {"move to an empty depth places",
     [] { return OnePlacement(At(1, 2, 5, true), At(2, 0, 5, true)); },
     "step",
     "1:2@5,0",
     {}},
    {"undefined character", [] { return OnePlacement(At(1, 99), At(2, 0)); }, "step", "", {}},
    {"a sprite runs its own timeline",
     [] {
         MovieBuilder m = Shapes();
         return m.DefineSprite(10, Tracing("s", 3)).PlaceObject2(At(1, 10)).ShowFrame();
     },
     "step*4",
     "1:10[f0]",
     {"s0", "s1", "s2", "s0"}},
    {"back to the placing frame keeps the instance and its state",
     KeptOrMade,
     "step*3 goto:0",
     "1:11[f1]",
     {"made"}},
    {"an instance another tag made is made anew",
     KeptOrMade,
     "step*5 goto:0",
     "1:11[f0]",
     {"made", "made", "made"}},
    {"going back before a placement drops it", KeptOrMade, "step*5 goto:3", "", {"made", "made"}},
    {"newest instance runs first, the root last",
     TwoSprites,
     "step*2",
     "1:13[f1] 2:12[f1]",
     {"a0", "b0", "r0", "b1", "a1", "r1"}},
    {"init actions run once, before frame actions",
     InitActions,
     "step*3 forward rewind",
     "",
     {"init", "frame0", "frame1", "frame0", "frame1", "frame0"}},
    {"sprite endings",
     SpriteEndings,
     "step*4",
     "1:15[f1] 2:16[f1] 3:17[f1]",
     {"L0", "T0", "L0", "L1", "T-tail", "L1", "L0", "L1"}},
};

void PrintTo(const ListCase& c, std::ostream* os) {
    *os << c.name;
}

class DisplayList : public ::testing::TestWithParam<ListCase> {};

TEST_P(DisplayList, FollowsThePlacementsOfEachClipsTimeline) {
    const ListCase& c = GetParam();
    Recorder rec;
    Player player(Load(c.movie()), &rec);
    Drive(player, c.ops);
    EXPECT_EQ(Describe(player.Root()), c.list);
    EXPECT_EQ(rec.lines, c.traced);
    EXPECT_FALSE(player.Limited());
}

INSTANTIATE_TEST_SUITE_P(Cases, DisplayList, ::testing::ValuesIn(kListCases),
                         [](const ::testing::TestParamInfo<ListCase>& info) {
                             std::string n = info.param.name;
                             for (char& ch : n) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return n;
                         });

// Root places sprite "a" (21), which places sprite "b" (20). The root's frame 1 sends "a" to
// its frame 1, whose block runs `tested`; frames 2 of the root, "a" and "b" trace.
MovieBuilder TargetMovie(std::uint8_t version, const Actions& tested) {
    MovieBuilder inner = Tracing("b", 3, 0);
    MovieBuilder outer;
    swfwriter::Place b = At(1, 20);
    b.name = "b";
    outer.PlaceObject2(b).DoAction(Actions().TraceText("a0").Stop()).ShowFrame();
    outer.DoAction(tested).ShowFrame();
    outer.DoAction(Actions().TraceText("a2")).ShowFrame();
    MovieBuilder m = Shapes();
    m.Version(version).DefineSprite(20, inner).DefineSprite(21, outer);
    swfwriter::Place a = At(1, 21);
    a.name = "a";
    m.PlaceObject2(a).DoAction(Actions().Stop()).ShowFrame();
    m.DoAction(Actions().SetTarget("a").GotoFrame(1).SetTarget("")).ShowFrame();
    m.DoAction(Actions().TraceText("r2")).ShowFrame();
    return m;
}

TEST(Targets, PathsFromTheRunningClip) {
    struct Case {
        std::uint8_t version;
        const char* path;
        const char* traced;  // which clip went to its frame 2
    };
    const Case cases[] = {
        {10, "b", "b2"},         {10, "/a/b", "b2"}, {10, "_root.a.b", "b2"}, {10, "a.b", "r2"},
        {10, "../a/b", "b2"},    {10, "", "a2"},     {10, "_parent", "r2"},   {10, "/", "r2"},
        {10, "_level0/a", "a2"}, {10, "this", "a2"}, {10, "nowhere", "r2"},   {10, "B", "r2"},
        {6, "B", "b2"},          {5, "/A/B", "b2"},  {10, "b/../..", "r2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.version) + " " + c.path);
        Recorder rec;
        Player player(Load(TargetMovie(c.version, Actions().SetTarget(c.path).GotoFrame(2))), &rec);
        player.StepFrame();
        EXPECT_EQ(rec.Take(), (Texts{"b0", "a0"}));
        player.GotoFrame(1);
        EXPECT_EQ(rec.Take(), (Texts{c.traced}));
    }
    // SetTarget2's undefined is the running clip before version 7, a path to nowhere from it.
    for (const std::uint8_t version : {6, 7}) {
        Recorder rec;
        Player player(
            Load(TargetMovie(version, Actions().PushUndefined().SetTarget2().GotoFrame(2))), &rec);
        Drive(player, "step goto:1");
        EXPECT_EQ(rec.lines.back(), version < 7 ? "a2" : "r2");
    }
}

TEST(HostileTrees, NestingAndEntriesAreBounded) {
    // A sprite that places itself: the tree stops at kMaxNesting levels.
    MovieBuilder self = Shapes();
    self.DefineSprite(30, MovieBuilder().PlaceObject2(At(1, 30)).ShowFrame());
    self.PlaceObject2(At(1, 30)).ShowFrame();
    Player nested(Load(self));
    Drive(nested, "step*3 goto:0");
    std::size_t levels = 0;
    for (const flash::Clip* c = &nested.Root(); !c->Entries().empty(); c = c->Entries()[0].clip)
        ++levels;
    EXPECT_EQ(levels, Player::kMaxNesting - 1);
    EXPECT_TRUE(nested.Limited());

    // 200 instances of a sprite of 200 shapes would be 40,200 entries.
    MovieBuilder many;
    for (std::uint16_t d = 1; d <= 200; ++d) many.PlaceObject2(At(d, 1));
    MovieBuilder wide = Shapes();
    wide.DefineSprite(31, many.ShowFrame());
    for (std::uint16_t d = 1; d <= 200; ++d) wide.PlaceObject2(At(d, 31));
    Player crowded(Load(wide.ShowFrame()));
    Drive(crowded, "step*2");
    std::size_t entries = crowded.Root().Entries().size();
    for (const flash::DisplayEntry& e : crowded.Root().Entries())
        entries += e.clip != nullptr ? e.clip->Entries().size() : 0;
    EXPECT_LE(entries, Player::kMaxEntries);
    EXPECT_GT(entries, Player::kMaxEntries - 201);
    EXPECT_TRUE(crowded.Limited());
}

TEST(DisplayVersion, ChangesOnlyWithThePicture) {
    for (const int step : {0, 10}) {
        MovieBuilder m = Shapes();
        m.DefineSprite(10, Tracing("s", 3));
        m.PlaceObject2(At(1, 1)).PlaceObject2(At(2, 10)).ShowFrame();
        m.PlaceObject2(At(1, 0, step, true)).ShowFrame();  // a move, to where it is for 0
        Player player(Load(m));
        player.StepFrame();
        const std::uint64_t first = player.DisplayVersion();
        std::uint64_t last = first;
        for (int i = 0; i < 6; ++i) {
            player.StepFrame();
            if (step == 0) {
                EXPECT_EQ(player.DisplayVersion(), first) << i;
            } else {
                EXPECT_GT(player.DisplayVersion(), last) << i;
            }
            last = player.DisplayVersion();
        }
    }
}

TEST(SteadyPlayback, AllocatesNothingPerFrame) {
    // A looping root that places a sprite and moves it; the sprite animates a shape and
    // places and removes another each loop.
    MovieBuilder sprite;
    sprite.PlaceObject2(At(1, 1)).PlaceObject2(At(2, 2)).ShowFrame();
    sprite.PlaceObject2(At(1, 0, 10, true)).RemoveObject2(2).ShowFrame();
    sprite.PlaceObject2(At(1, 0, 20, true)).ShowFrame();
    MovieBuilder m = Shapes();
    m.DefineSprite(10, sprite);
    m.PlaceObject2(At(1, 10)).DoAction(Actions().PushInt(1).Pop()).ShowFrame();
    m.PlaceObject2(At(1, 0, 40, true)).ShowFrame();
    m.PlaceObject2(At(1, 0, 80, true)).ShowFrame();
    Player player(Load(m));
    Drive(player, "step*12");  // warm up: every list and queue at its size
    const long before = testsupport::Allocations();
    for (int i = 0; i < 60; ++i) player.StepFrame();
    player.GotoFrame(0);
    player.GotoFrame(2);
    player.Back();
    for (int i = 0; i < 6; ++i) player.StepFrame();
    EXPECT_EQ(testsupport::Allocations() - before, 0);
    EXPECT_EQ(Describe(player.Root()), "1:10@40,0[f2 1:1@20,0]");
}

}  // namespace
