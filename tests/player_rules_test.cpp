// The player's decisions over values: its switches, the playback commands' states, the scale
// of a new movie, the signature check, the position timer's tick and counter text, the scale
// checks and the window's stored rectangle, and the association's text rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/command_line.h"
#include "player/playback_rules.h"
#include "player/shell/association_rules.h"
#include "player/view_rules.h"

namespace {

using player::StartOptions;
using win::CommandState;

const std::string kCheng = "\xD5\x5C";  // 誠, trail byte '\'

TEST(PlayerSwitches, TestedInFixedOrderAndCaseSensitive) {
    const struct {
        std::vector<std::string> args;
        StartOptions options;
        std::string file;
    } cases[] = {
        {{}, {false, false, 0}, ""},
        {{"/full", "-click"}, {true, true, 0}, ""},
        // Among scale switches ns beats nb beats ef beats sa, whatever their order.
        {{"/ef", "/sa"}, {false, false, 2}, ""},
        {{"/sa", "/ef"}, {false, false, 2}, ""},
        {{"-ns", "-nb", "-ef", "-sa"}, {false, false, 4}, ""},
        {{"/nb", "/ef"}, {false, false, 3}, ""},
        // Names are exact: capitals, prefixes and longer words set nothing.
        {{"/SA", "/Full", "/clicks", "/n"}, {false, false, 0}, ""},
        // Switches and the file in any order; the framework still takes the file.
        {{"/click", "C:\\m.swf", "/ns"}, {false, true, 4}, "C:\\m.swf"},
        {{"C:\\m.swf", "/dde"}, {false, false, 0}, "C:\\m.swf"},
    };
    for (const auto& c : cases) {
        player::CPlayerCommandLineInfo info;
        info.Parse(c.args);
        std::string joined;
        for (const std::string& a : c.args) joined += "[" + a + "]";
        EXPECT_EQ(player::ApplyPlayerSwitches(info), c.options) << joined;
        EXPECT_EQ(info.fileName, c.file) << joined;
    }
    // An option the program set before the switches is kept when no switch changes it.
    player::CPlayerCommandLineInfo none;
    EXPECT_TRUE(player::ApplyPlayerSwitches(none, {false, true, 3}).clickPause);
    EXPECT_EQ(player::ApplyPlayerSwitches(none, {false, true, 3}).scaleOverride, 3);
}

TEST(PlaybackCommands, EnabledByMovieFrameAndPlayState) {
    using player::PlaybackState;
    const unsigned ids[] = {131, 132, 133, 134, 135, 136};
    const struct {
        const char* what;
        PlaybackState state;
        bool enabled[6];  // 131 start, 132 back, 133 play, 134 pause, 135 forward, 136 end
    } cases[] = {
        {"no movie", {false, 0, 0, false}, {false, false, false, false, false, false}},
        {"first frame, playing", {true, 0, 10, true}, {false, false, false, true, true, true}},
        {"middle, stopped", {true, 4, 10, false}, {true, true, true, false, true, true}},
        {"last frame, stopped", {true, 9, 10, false}, {true, true, true, false, false, false}},
        {"one-frame movie", {true, 0, 1, false}, {false, false, true, false, false, false}},
    };
    for (const auto& c : cases)
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(player::PlaybackCommandState(ids[i], c.state),
                      (CommandState{c.enabled[i], false}))
                << c.what << ", command " << ids[i];
}

TEST(PlaybackRules, ScaleOfANewMovie) {
    EXPECT_EQ(player::ScaleModeText(0, "NoBorder"), "NoBorder");
    EXPECT_EQ(player::ScaleModeText(0, "ExactFit"), "ExactFit");
    EXPECT_EQ(player::ScaleModeText(1, "NoBorder"), "ShowAll");
    EXPECT_EQ(player::ScaleModeText(2, "NoBorder"), "ExactFit");
    EXPECT_EQ(player::ScaleModeText(3, "ShowAll"), "NoBorder");
    EXPECT_EQ(player::ScaleModeText(4, "ShowAll"), "NoScale");
    EXPECT_EQ(player::ScaleModeText(9, "ShowAll"), "ExactFit");
    EXPECT_EQ(player::ScaleModeText(-1, "ShowAll"), "ExactFit");
}

TEST(PlaybackRules, SignatureOfFlashMoviesInAnyCompression) {
    const struct {
        std::string bytes;
        bool accepted;
    } cases[] = {
        {"FWS\x0A", true},
        {"CWS\x0A", true},
        {"ZWS\x0A", true},  // LZMA: the engine plays it
        {"fws\x0A", true},
        {"cWs\x0A", true},
        {"<htm", false},
        {"FW S", false},
        {"GWS\x0A", false},
        {std::string("\0\0\0\0", 4), false},
        // Shorter than 4 bytes: not checked.
        {"", true},
        {"ab", true},
        {"xyz", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(player::SignatureAccepted(c.bytes), c.accepted) << c.bytes;
}

TEST(PlaybackRules, TickArmsOnceShowsChangesOnlyAndFindsTheLastFrame) {
    using player::TickInput;
    using player::TickResult;
    const struct {
        const char* what;
        TickInput in;    // movie, current, total, shown frame, shown total, armed, full
        TickResult out;  // arm, full screen, counter, last frame
    } cases[] = {
        {"no movie: nothing", {false, 0, 0, 0, 0, true, true}, {false, false, false, false}},
        // A control without a movie may still answer; its numbers do not count.
        {"no movie, stale numbers", {false, 9, 10, 0, 0, true, false}, {}},
        {"first movie, first tick", {true, 0, 10, 0, 0, true, false}, {true, false, true, false}},
        {"with the full switch", {true, 0, 10, 0, 0, true, true}, {true, true, true, false}},
        {"armed already: once", {true, 0, 10, 0, 10, false, true}, {false, false, false, false}},
        {"nothing changed", {true, 3, 10, 3, 10, false, false}, {}},
        {"the count changed", {true, 3, 12, 3, 10, false, false}, {false, false, true, false}},
        // A later movie re-arms: its range is its own, even with the same numbers shown.
        {"re-armed, same numbers", {true, 0, 10, 0, 10, true, false}, {true, false, false, false}},
        {"last frame", {true, 9, 10, 9, 10, false, false}, {false, false, false, true}},
        {"one-frame movie", {true, 0, 1, 0, 1, false, false}, {false, false, false, true}},
    };
    for (const auto& c : cases) EXPECT_EQ(player::DecideTick(c.in), c.out) << c.what;

    const std::string format = "\xD6\xA1\xCA\xFD: %d/%d";  // 帧数 in code page 936
    EXPECT_EQ(player::FrameCounterText(format, 0, 10), "\xD6\xA1\xCA\xFD: 1/10");
    EXPECT_EQ(player::FrameCounterText(format, 9, 10), "\xD6\xA1\xCA\xFD: 10/10");
    // Nothing but the first two %d is interpreted.
    EXPECT_EQ(player::FrameCounterText("%d %s %d %d %n", 1, 5), "2 %s 5 %d %n");
}

TEST(AssociationRules, OpenCommandIconAndSwfKey) {
    EXPECT_EQ(player::OpenCommandText("C:\\PROGRA~1\\TESSALY.EXE"),
              "C:\\PROGRA~1\\TESSALY.EXE \"%1\"");
    EXPECT_EQ(player::OpenCommandText("C:\\Program Files\\Tessaly.exe"),
              "\"C:\\Program Files\\Tessaly.exe\" \"%1\"");
    EXPECT_EQ(player::IconValue(1, "C:\\T\\Tessaly.exe", "C:\\T"), "C:\\T\\Tessaly.exe,0");
    EXPECT_EQ(player::IconValue(2, "C:\\T\\Tessaly.exe", "C:\\T"), "C:\\T\\TessalyLight.ico");
    EXPECT_EQ(player::IconValue(7, "C:\\T\\Tessaly.exe", "C:\\T"), "C:\\T\\TessalyLight.ico");
    EXPECT_EQ(player::IconValue(0, "C:\\T\\Tessaly.exe", "C:\\T"), "");
    EXPECT_EQ(player::IconValue(2, "", ""), "");
    EXPECT_TRUE(player::SwfKeyIsOurs(false, "ignored"));
    EXPECT_TRUE(player::SwfKeyIsOurs(true, ""));
    EXPECT_TRUE(player::SwfKeyIsOurs(true, "FlashMovie"));
    EXPECT_TRUE(player::SwfKeyIsOurs(true, "flashmovie"));
    EXPECT_FALSE(player::SwfKeyIsOurs(true, "ShockwaveFlash.ShockwaveFlash"));
    EXPECT_EQ(player::DirectoryOf("C:\\" + kCheng + "\\Tessaly.exe"), "C:\\" + kCheng);
    EXPECT_EQ(player::DirectoryOf("C:\\" + kCheng), "C:");
    EXPECT_EQ(player::DirectoryOf("Tessaly.exe"), "");
}

TEST(AssociationRules, RegisteredCommandNamesTessaly) {
    const struct {
        std::string command;
        std::string path;
        bool tessaly;
    } cases[] = {
        {"C:\\PROGRA~1\\TESSALY.EXE \"%1\"", "C:\\PROGRA~1\\TESSALY.EXE", true},
        {"\"C:\\Program Files\\Tessaly.exe\" \"%1\"", "C:\\Program Files\\Tessaly.exe", true},
        {"  \"D:\\copy\\tessaly.exe\"  ", "D:\\copy\\tessaly.exe", true},
        {"C:\\T\\Tessaly.exe \"%1\" \"%1\"", "C:\\T\\Tessaly.exe", true},
        {"C:\\T\\Tessaly.exe %1", "C:\\T\\Tessaly.exe %1", true},
        {"C:\\T\\Player.exe \"%1\"", "C:\\T\\Player.exe", false},
        {"C:\\T\\Tessaly.exe.bak", "C:\\T\\Tessaly.exe.bak", true},  // the name alone counts
        {"\"%1\"", "", false},
        {"", "", false},
        {"C:\\" + kCheng + "\\TESSALY.EXE \"%1\"", "C:\\" + kCheng + "\\TESSALY.EXE", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(player::CommandProgramPath(c.command), c.path) << c.command;
        EXPECT_EQ(player::NamesTessaly(player::CommandProgramPath(c.command)), c.tessaly)
            << c.command;
    }
}

TEST(AssociationRules, MenuStatesFollowTheAssociationAndIconSetting) {
    using player::AssociationCommandState;
    EXPECT_EQ(AssociationCommandState(32802, false, 1), (CommandState{true, false}));
    EXPECT_EQ(AssociationCommandState(32802, true, 2), (CommandState{true, true}));
    EXPECT_EQ(AssociationCommandState(32800, false, 1), (CommandState{false, true}));
    EXPECT_EQ(AssociationCommandState(32801, false, 1), (CommandState{false, false}));
    EXPECT_EQ(AssociationCommandState(32800, true, 2), (CommandState{true, false}));
    EXPECT_EQ(AssociationCommandState(32801, true, 2), (CommandState{true, true}));
    EXPECT_EQ(AssociationCommandState(32801, true, 5), (CommandState{true, false}));
}

TEST(ViewRules, ScaleChecksFollowTheOverrideThenTheStoredModeExactly) {
    using player::ScaleCommandState;
    const struct {
        int scaleOverride;
        std::string stored;
        unsigned checked;  // 0: none
    } cases[] = {
        {0, "ExactFit", 140}, {0, "ShowAll", 139}, {0, "NoScale", 142},
        {0, "exactfit", 0},                                              // letter case counts
        {0, "", 0},           {0, "NoBorder ", 0}, {3, "ShowAll", 141},  // the override first
        {1, "NoScale", 139},  {4, "", 142},        {5, "ExactFit", 0},
        {-1, "ExactFit", 0},
    };
    for (const auto& c : cases)
        for (unsigned id = 139; id <= 142; ++id)
            EXPECT_EQ(ScaleCommandState(id, c.scaleOverride, c.stored),
                      (CommandState{true, id == c.checked}))
                << c.scaleOverride << " '" << c.stored << "' " << id;
    EXPECT_EQ(player::ScaleCommandMode(141), "NoBorder");
    EXPECT_EQ(player::ScaleCommandState(138, 0, ""), (CommandState{true, false}));
}

TEST(ViewRules, StoredRectangleIsClampedToTheScreen) {
    using player::WindowRect;
    const struct {
        const char* what;
        WindowRect stored;
        WindowRect opens;
    } cases[] = {
        {"inside", {100, 50, 700, 550}, {100, 50, 700, 550}},
        {"the defaults", {0, 0, 603, 537}, {0, 0, 603, 537}},
        {"touching the edges", {0, 0, 1280, 1024}, {0, 0, 1280, 1024}},
        {"closed minimised", {-32000, -32000, -31840, -31976}, {0, 0, 1280, 1024}},
        {"left and top past the screen", {1300, 1100, 1280, 1024}, {0, 0, 1280, 1024}},
        {"right and bottom past the screen", {200, 100, 1500, 1200}, {200, 100, 1280, 1024}},
        {"negative left only", {-8, 40, 600, 500}, {0, 40, 600, 500}},
        {"inverted width", {500, 0, 100, 537}, {0, 0, 603, 537}},
        {"inverted height", {0, 400, 603, 300}, {0, 0, 603, 537}},
        {"empty is not inverted", {300, 300, 300, 300}, {300, 300, 300, 300}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(player::InitialWindowRect(c.stored, 1280, 1024), c.opens) << c.what;
}

TEST(ViewRules, ClosingStoresWhereTheWindowReturnsTo) {
    using player::StoredPlacement;
    const player::WindowRect window{10, 20, 610, 520}, restored{30, 40, 630, 540};
    const player::WindowRect icon{-32000, -32000, -31840, -31976};
    EXPECT_EQ(player::PlacementToStore({window, window, false, false, false}),
              (StoredPlacement{window, 0}));
    EXPECT_EQ(player::PlacementToStore({{-8, -8, 1288, 1000}, restored, false, true, false}),
              (StoredPlacement{{-8, -8, 1288, 1000}, 1}));
    // Minimised: the icon's place would open the next window over the whole screen.
    EXPECT_EQ(player::PlacementToStore({icon, restored, true, false, false}),
              (StoredPlacement{restored, 0}));
    EXPECT_EQ(player::PlacementToStore({icon, restored, true, false, true}),
              (StoredPlacement{restored, 1}));
}

}  // namespace
