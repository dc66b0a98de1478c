// The frame framework's decisions over values: command routing and enabling, the document
// template's fields, titles, the shell's quoting, prompts, the recent-file list and its menu
// texts, status panes, the command line, the shell's DDE commands and the toolbar resource.
// Texts are code page 936 bytes: 誠 = D5 5C (trail byte '\'), 腯 = C4 5D (trail byte ']'),
// 腫 = C4 5B ('[').
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/command_line_info.h"
#include "win/command_map.h"
#include "win/frame_rules.h"
#include "win/recent_file_list.h"
#include "win/toolbar_resource.h"

namespace {

using win::CommandMap;
using win::CommandState;

const std::string kCheng = "\xD5\x5C";
const std::string kRbracket = "\xC4\x5D";

// --- command routing ------------------------------------------------------------------------

// Four targets in routing order, each logging what ran.
class Routing : public testing::Test {
protected:
    CommandMap frame, view, document, app;
    std::vector<std::string> ran;
    std::vector<const CommandMap*> chain{&frame, &view, &document, &app};

    void Handle(CommandMap& map, unsigned id, const std::string& who) {
        map.On(id, [this, who] { ran.push_back(who); });
    }
    CommandState Query(unsigned id) { return win::QueryCommand(chain, id); }
    bool Execute(unsigned id) { return win::ExecuteCommand(chain, id); }
};

TEST_F(Routing, FirstHandlerInRouteOrderRunsOnlyWhenEnabled) {
    Handle(view, 131, "view");
    Handle(app, 131, "app");
    Handle(document, 57604, "document");
    bool hasMovie = false;
    view.OnUpdate(57604, [&] { return CommandState{hasMovie, false}; });

    EXPECT_TRUE(Execute(131));
    EXPECT_EQ(ran, (std::vector<std::string>{"view"}));
    // The view rules on a command the document carries out: off, then on.
    EXPECT_EQ(Query(57604), (CommandState{false, false}));
    EXPECT_FALSE(Execute(57604));
    hasMovie = true;
    EXPECT_TRUE(Execute(57604));
    EXPECT_EQ(ran, (std::vector<std::string>{"view", "document"}));
    // Nobody handles it: disabled, and nothing runs.
    EXPECT_EQ(Query(999), (CommandState{false, false}));
    EXPECT_FALSE(Execute(999));
    // Handled without a rule: enabled, unchecked.
    EXPECT_EQ(Query(131), (CommandState{true, false}));
}

TEST_F(Routing, EarlierRuleWinsAndNullTargetsAreSkipped) {
    Handle(app, 32806, "app");
    app.OnUpdate(32806, [] { return CommandState{false, false}; });
    view.OnUpdate(32806, [] { return CommandState{true, true}; });
    chain[2] = nullptr;  // a view without a document
    EXPECT_EQ(Query(32806), (CommandState{true, true}));
    EXPECT_TRUE(Execute(32806));
    EXPECT_EQ(ran, (std::vector<std::string>{"app"}));
}

TEST_F(Routing, RangesPassTheirIdentifier) {
    std::vector<unsigned> opened;
    app.OnRange(57616, 57631, [&](unsigned id) { opened.push_back(id); });
    app.OnUpdateRange(57616, 57631, [](unsigned id) { return CommandState{id < 57618, false}; });
    EXPECT_TRUE(Execute(57617));
    EXPECT_FALSE(Execute(57618));
    EXPECT_FALSE(Execute(57632));
    EXPECT_EQ(opened, (std::vector<unsigned>{57617}));
}

// --- template, titles, quotes, prompts -----------------------------------------------------

TEST(FrameText, TemplateFieldsFilterAndTitle) {
    const win::DocTemplateStrings s = win::ParseDocTemplate(
        "Tessaly\n\nTessaly\nFlash (*.swf)\n.swf\nFlashMovie\nFlash " + kCheng);
    EXPECT_EQ(s.windowTitle, "Tessaly");
    EXPECT_EQ(s.docName, "");
    EXPECT_EQ(s.fileNewName, "Tessaly");
    EXPECT_EQ(s.filterName, "Flash (*.swf)");
    EXPECT_EQ(s.filterExt, ".swf");
    EXPECT_EQ(s.fileTypeId, "FlashMovie");
    EXPECT_EQ(s.fileTypeName, "Flash " + kCheng);
    EXPECT_EQ(win::OpenFileFilter(s, "All (*.*)"),
              std::string("Flash (*.swf)\0*.swf\0All (*.*)\0*.*\0\0", 35));
    // Short templates leave the later fields empty; without a filter only "all files" stays.
    const win::DocTemplateStrings shortOne = win::ParseDocTemplate("Only");
    EXPECT_EQ(shortOne.windowTitle, "Only");
    EXPECT_EQ(shortOne.fileTypeName, "");
    EXPECT_EQ(win::OpenFileFilter(shortOne, "All"), std::string("All\0*.*\0\0", 9));
    EXPECT_EQ(win::FrameTitle("a.swf", "Tessaly"), "a.swf - Tessaly");
}

TEST(FrameText, FileTitleAndShellQuotesStepOverWholeCharacters) {
    const struct {
        std::string path, title;
    } titles[] = {
        {"C:\\movies\\intro.swf", "intro.swf"},
        {"C:\\" + kCheng + ".swf", kCheng + ".swf"},  // the trail '\' is no separator
        {"C:\\" + kCheng + "\\a.swf", "a.swf"},
        {"C:/x/b.swf", "b.swf"},
        {"plain.swf", "plain.swf"},
        {"C:\\dir\\", ""},
    };
    for (const auto& c : titles) EXPECT_EQ(win::FileTitle(c.path), c.title) << c.path;

    const struct {
        std::string given, clean;
    } quotes[] = {
        {"\"C:\\a b.swf\"", "C:\\a b.swf"},
        {"\"C:\\a.swf", "C:\\a.swf"},
        {"C:\\a.swf\" /x", "C:\\a.swf"},
        {"C:\\a.swf", "C:\\a.swf"},
        {"\"\"", ""},
        {"\"C:\\" + kCheng + "\\x.swf\"", "C:\\" + kCheng + "\\x.swf"},
    };
    for (const auto& c : quotes) EXPECT_EQ(win::StripShellQuotes(c.given), c.clean) << c.given;
}

TEST(FrameText, PromptAndTooltipSplitAtTheFirstLineFeed) {
    EXPECT_EQ(win::PromptText("S-prompt\ntip"), "S-prompt");
    EXPECT_EQ(win::TooltipText("S-prompt\ntip"), "tip");
    EXPECT_EQ(win::TooltipText("a\nb\nc"), "b");
    EXPECT_EQ(win::PromptText("only"), "only");
    EXPECT_EQ(win::TooltipText("only"), "");
    EXPECT_EQ(win::PromptText(""), "");
}

TEST(FrameText, RecentFileMenuTextsShortenWholeFoldersAndDoubleAmpersands) {
    EXPECT_EQ(win::RecentFileMenuText(0, "C:\\a.swf"), "&1 C:\\a.swf");
    EXPECT_EQ(win::RecentFileMenuText(4, "C:\\R&D\\a&b.swf"), "&5 C:\\R&&D\\a&&b.swf");
    EXPECT_EQ(win::AbbreviatePath("C:\\one\\two\\three\\movie.swf", 24),
              "C:\\...\\three\\movie.swf");
    EXPECT_EQ(win::AbbreviatePath("C:\\one\\two\\three\\movie.swf", 10), "C:\\...\\movie.swf");
    EXPECT_EQ(win::AbbreviatePath("\\\\srv\\share\\deep\\er\\m.swf", 22),
              "\\\\srv\\share\\...\\m.swf");
    // A folder named 誠 is one part: its trail byte does not split it.
    const std::string dbcs = "C:\\long folder\\" + kCheng + "\\m.swf";
    EXPECT_EQ(win::AbbreviatePath(dbcs, 15), "C:\\...\\" + kCheng + "\\m.swf");
    EXPECT_EQ(win::AbbreviatePath(dbcs, 14), "C:\\...\\m.swf");
    EXPECT_EQ(win::AbbreviatePath(dbcs, 100), dbcs);
}

TEST(FrameText, StatusPaneEdgesGiveTheRestToTheStretchingPane) {
    EXPECT_EQ(win::StatusPaneEdges(500, {0, 120}), (std::vector<int>{380, -1}));
    EXPECT_EQ(win::StatusPaneEdges(100, {0, 120}), (std::vector<int>{0, -1}));
    EXPECT_EQ(win::StatusPaneEdges(500, {0}), (std::vector<int>{-1}));
    EXPECT_EQ(win::StatusPaneEdges(500, {50, 0, 100}), (std::vector<int>{50, 400, -1}));
}

// --- recent files ---------------------------------------------------------------------------

TEST(RecentFiles, MostRecentFirstOnceEachAndCapped) {
    win::RecentFileList list(3);
    for (const char* p : {"C:\\a.swf", "C:\\b.swf", "C:\\c.swf", "c:\\A.SWF", "", "C:\\d.swf"})
        list.Add(p);
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"C:\\d.swf", "c:\\A.SWF", "C:\\c.swf"}));
    list.Remove(1);
    list.Remove(7);
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"C:\\d.swf", "C:\\c.swf"}));
    // Two paths that differ only in a double-byte character's trail byte are different.
    list.Assign({"", "C:\\" + kCheng, "C:\\\xD5\x7C", "c:\\" + kCheng, "x", "y"});
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"C:\\" + kCheng, "C:\\\xD5\x7C", "x"}));
}

// --- command line ---------------------------------------------------------------------------

TEST(FrameCommandLine, FileNameAndFrameworkSwitches) {
    using Shell = win::CommandLineInfo::ShellCommand;
    const struct {
        std::vector<std::string> args;
        Shell command;
        std::string file;
    } cases[] = {
        {{}, Shell::FileNew, ""},
        {{"C:\\a.swf"}, Shell::FileOpen, "C:\\a.swf"},
        {{"C:\\a.swf", "C:\\b.swf"}, Shell::FileOpen, "C:\\a.swf"},
        {{"/dde"}, Shell::FileDde, ""},
        {{"-DDE"}, Shell::FileDde, ""},
        {{"/full", "/whatever", "C:\\a.swf"}, Shell::FileOpen, "C:\\a.swf"},
        {{"/p", "C:\\a.swf"}, Shell::FilePrint, "C:\\a.swf"},
        {{"/Register"}, Shell::AppRegister, ""},
        {{"/regserver"}, Shell::AppRegister, ""},
        {{"-Unregister"}, Shell::AppUnregister, ""},
        {{"", "C:\\a.swf"}, Shell::FileOpen, "C:\\a.swf"},
        {{"/", "-"}, Shell::FileNew, ""},
    };
    for (const auto& c : cases) {
        win::CommandLineInfo info;
        info.Parse(c.args);
        std::string joined;
        for (const std::string& a : c.args) joined += "[" + a + "]";
        EXPECT_EQ(info.shellCommand, c.command) << joined;
        EXPECT_EQ(info.fileName, c.file) << joined;
    }
    win::CommandLineInfo printTo;
    printTo.Parse({"/pt", "C:\\a.swf", "Printer", "Driver", "Port", "Extra"});
    EXPECT_EQ(printTo.shellCommand, Shell::FilePrintTo);
    EXPECT_EQ(printTo.fileName, "C:\\a.swf");
    EXPECT_EQ(printTo.printerName + "|" + printTo.driverName + "|" + printTo.portName,
              "Printer|Driver|Port");
}

// --- DDE commands ---------------------------------------------------------------------------

TEST(DdeCommands, ParsesQuotedAndPlainArgumentsUpToTheFirstFault) {
    using C = win::DdeCommand;
    const struct {
        std::string text;
        std::vector<C> commands;
    } cases[] = {
        {"[open(\"C:\\a b.swf\")]", {{"open", {"C:\\a b.swf"}}}},
        {" [open(\"a.swf\")] [print( b.swf , 2 )]",
         {{"open", {"a.swf"}}, {"print", {"b.swf", "2"}}}},
        {"[Exit]", {{"Exit", {}}}},
        {"[run()]", {{"run", {}}}},
        // Trail bytes ']' and '\' inside a quoted path, and ']' in a command name.
        {"[open(\"C:\\" + kRbracket + "\\" + kCheng + ".swf\")]",
         {{"open", {"C:\\" + kRbracket + "\\" + kCheng + ".swf"}}}},
        {"[op" + kRbracket + "(x)]", {{"op" + kRbracket, {"x"}}}},
        // Faults: the commands before them stand.
        {"[open(\"a.swf\")][open(\"b.swf\"", {{"open", {"a.swf"}}}},
        {"[open(\"a.swf\")]junk", {{"open", {"a.swf"}}}},
        {"[open(a.swf]", {}},
        {"[(\"a\")]", {}},
        {"open(\"a\")", {}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(win::ParseDdeCommands(c.text), c.commands) << c.text;
}

// --- toolbar resource -----------------------------------------------------------------------

TEST(ToolBarResource, ButtonsInOrderAndMalformedDataRefused) {
    using Bytes = std::vector<unsigned char>;
    // version 1, 16 x 15, three buttons: 57601, a separator, 131; then padding.
    const Bytes good = {1, 0, 16, 0, 15, 0, 3, 0, 0x01, 0xE1, 0, 0, 131, 0, 0, 0};
    const auto parsed = win::ParseToolBarResource(good);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, (win::ToolBarResource{16, 15, {57601, 0, 131}}));
    EXPECT_EQ(win::ToolBarImageCount(*parsed), 2u);
    EXPECT_EQ(win::ParseToolBarResource(Bytes{1, 0, 16, 0, 15, 0, 0, 0})->ids.size(), 0u);
    // The same toolbar as GNU windres writes it: 32-bit values, no version.
    const Bytes gnu = {16,   0,    0, 0, 15, 0, 0, 0, 3,   0, 0, 0,
                       0x01, 0xE1, 0, 0, 0,  0, 0, 0, 131, 0, 0, 0};
    EXPECT_EQ(win::ParseToolBarResource(gnu), parsed);
    // An image 1 pixel wide in the 32-bit layout starts like a version.
    EXPECT_EQ(win::ParseToolBarResource(Bytes{1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0}),
              (win::ToolBarResource{1, 2, {9}}));

    const struct {
        const char* what;
        Bytes bytes;
    } bad[] = {
        {"empty", {}},
        {"short header", {1, 0, 16, 0, 15, 0, 3}},
        {"fewer buttons than announced", {1, 0, 16, 0, 15, 0, 3, 0, 0x01, 0xE1, 0, 0, 131}},
        {"a count far past the data", {1, 0, 16, 0, 15, 0, 0xFF, 0xFF, 1, 0}},
        {"another version", {2, 0, 16, 0, 15, 0, 0, 0, 0, 0, 0, 0}},
        {"no width", {1, 0, 0, 0, 15, 0, 0, 0}},
        {"no height", {1, 0, 16, 0, 0, 0, 0, 0}},
        {"32-bit: fewer buttons than announced",
         {16, 0, 0, 0, 15, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0}},
        {"32-bit: an id past 16 bits", {16, 0, 0, 0, 15, 0, 0, 0, 1, 0, 0, 0, 5, 0, 1, 0}},
        {"32-bit: a count near 2^32", {16, 0, 0, 0, 15, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& c : bad) EXPECT_FALSE(win::ParseToolBarResource(c.bytes)) << c.what;
}

}  // namespace
