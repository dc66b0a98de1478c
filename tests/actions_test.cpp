// The text rules behind saving and folder navigation: candidate names, the save-as answer,
// the dialog buffer cut and the folder entered by opening an entry. Paths are code page 936
// bytes; "\x81\x5C" is one character whose trail byte is a backslash.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "viewer/actions/save_names.h"
#include "viewer/discovery/folder_navigation.h"

namespace {

const std::string kJou = "\x81\x5C";      // trail byte '\'
const std::string kBracket = "\xB0\x5B";  // trail byte '['

TEST(SaveCandidate, NumbersHaveAtLeastTwoDigits) {
    struct Case {
        std::string folder, base;
        int n;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"C:", "clip", 0, "C:\\clip.swf"},
        {"C:\\Movies", "clip", 1, "C:\\Movies\\clip01.swf"},
        {"C:\\Movies", "clip", 9, "C:\\Movies\\clip09.swf"},
        {"C:\\Movies", "clip", 10, "C:\\Movies\\clip10.swf"},
        {"C:\\Movies", "clip", 99, "C:\\Movies\\clip99.swf"},
        {"C:\\Movies", "clip", 100, "C:\\Movies\\clip100.swf"},
        {"C:\\Movies", "clip", 1234, "C:\\Movies\\clip1234.swf"},
        // A drive root chosen in the browser gets a doubled separator, which is accepted.
        {"D:\\", "clip", 0, "D:\\\\clip.swf"},
        // A base that looks numbered already is numbered on top.
        {"C:", "clip01", 1, "C:\\clip0101.swf"},
        {"C:", kJou, 2, "C:\\" + kJou + "02.swf"},
        // A base with a per-cent sign is text, not a format.
        {"C:", "100%s", 3, "C:\\100%s03.swf"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(viewer::SaveCandidate(c.folder, c.base, c.n), c.expected)
            << c.folder << " " << c.base << " " << c.n;
    }
}

// Probes through a set of taken paths, recording every question.
struct FakeDisk {
    std::set<std::string> taken;
    std::vector<std::string> asked;
    std::string Free(const std::string& folder, const std::string& base) {
        return viewer::FreeSaveTarget(folder, base, [this](const std::string& path) {
            asked.push_back(path);
            return taken.count(path) != 0;
        });
    }
};

TEST(FreeSaveTarget, TakesTheFirstFreeNameInOrder) {
    FakeDisk disk;
    EXPECT_EQ(disk.Free("C:\\T", "clip"), "C:\\T\\clip.swf");
    EXPECT_EQ(disk.asked.size(), 1u);

    disk = {};
    disk.taken = {"C:\\T\\clip.swf", "C:\\T\\clip01.swf"};
    EXPECT_EQ(disk.Free("C:\\T", "clip"), "C:\\T\\clip02.swf");
    EXPECT_EQ(disk.asked, (std::vector<std::string>{"C:\\T\\clip.swf", "C:\\T\\clip01.swf",
                                                    "C:\\T\\clip02.swf"}));

    // A gap is filled: the search does not jump past the highest number.
    disk = {};
    disk.taken = {"C:\\T\\clip.swf", "C:\\T\\clip02.swf"};
    EXPECT_EQ(disk.Free("C:\\T", "clip"), "C:\\T\\clip01.swf");

    // Other names do not interfere.
    disk = {};
    disk.taken = {"C:\\T\\other.swf", "C:\\T\\clip01.swf"};
    EXPECT_EQ(disk.Free("C:\\T", "clip"), "C:\\T\\clip.swf");
}

TEST(FreeSaveTarget, HundredEarlierCopiesLeadToClip100) {
    FakeDisk disk;
    for (int n = 0; n < 100; ++n) disk.taken.insert(viewer::SaveCandidate("C:\\T", "clip", n));
    EXPECT_EQ(disk.Free("C:\\T", "clip"), "C:\\T\\clip100.swf");
    EXPECT_EQ(disk.asked.size(), 101u);
}

TEST(ParseSaveAsChoice, BaseAndFolderFromTheChosenPath) {
    struct Case {
        std::string chosen;
        std::string base, folder;
    };
    const std::vector<Case> cases = {
        {"C:\\Movies\\movie.swf", "movie", "C:\\Movies"},
        // A typed extension is dropped; saving appends ".swf" itself.
        {"C:\\Movies\\movie.txt", "movie", "C:\\Movies"},
        {"C:\\Movies\\movie", "movie", "C:\\Movies"},
        {"C:\\Movies\\a.b.swf", "a.b", "C:\\Movies"},
        // Only the file name's dot counts.
        {"C:\\old.v2\\movie", "movie", "C:\\old.v2"},
        // An empty title keeps the display name.
        {"C:\\Movies\\.swf", "fallback", "C:\\Movies"},
        {"C:\\movie.swf", "movie", "C:"},
        // No backslash, or the last one first or last: the whole path is the folder.
        {"movie.swf", "movie", "movie.swf"},
        {"\\movie.swf", "movie", "\\movie.swf"},
        {"C:\\Movies\\", "fallback", "C:\\Movies\\"},
        {"", "fallback", ""},
        // Double-byte names whose trail byte is a backslash are not cut apart.
        {"C:\\" + kJou + "\\movie.swf", "movie", "C:\\" + kJou},
        {"C:\\Movies\\" + kJou + ".swf", kJou, "C:\\Movies"},
        {"C:\\Movies\\" + kJou, kJou, "C:\\Movies"},
        {"C:\\" + kBracket + "\\" + kJou + kJou + ".txt", kJou + kJou, "C:\\" + kBracket},
    };
    for (const Case& c : cases) {
        const viewer::SaveAsChoice choice = viewer::ParseSaveAsChoice(c.chosen, "fallback");
        EXPECT_EQ(choice.base, c.base) << c.chosen;
        EXPECT_EQ(choice.folder, c.folder) << c.chosen;
    }
}

TEST(CutForPathBuffer, AtMost259BytesOfWholeCharacters) {
    struct Case {
        std::string text;
        std::size_t expectedLength;
    };
    const std::vector<Case> cases = {
        {"", 0},
        {std::string(259, 'a'), 259},
        {std::string(260, 'a'), 259},
        {std::string(1000, 'a'), 259},
        // A double-byte character ending exactly at 259 stays; one that would end at 260 goes.
        {std::string(257, 'a') + kJou + "b", 259},
        {std::string(258, 'a') + kJou, 258},
        {std::string(256, 'a') + kJou + kJou, 258},
    };
    for (const Case& c : cases) {
        const std::string cut = viewer::CutForPathBuffer(c.text);
        EXPECT_EQ(cut.size(), c.expectedLength) << c.text.size();
        EXPECT_EQ(cut, c.text.substr(0, c.expectedLength));
    }
    // 129 double-byte characters are 258 bytes; the 130th would need 260.
    std::string wide;
    for (int i = 0; i < 140; ++i) wide += kJou;
    EXPECT_EQ(viewer::CutForPathBuffer(wide), wide.substr(0, 258));
}

TEST(FolderAfterOpening, ParentAndChildEntries) {
    struct Case {
        std::string current, entry, expected;
    };
    const std::vector<Case> cases = {
        // A drive gets its root backslash back.
        {"C:\\Movies", "..", "C:\\"},
        {"C:\\Movies\\", "..", "C:\\"},
        {"C:\\Movies\\Old", "..", "C:\\Movies"},
        {"C:\\Movies\\Old\\\\", "..", "C:\\Movies"},
        // At a root there is nothing to cut: the trimmed folder stays.
        {"C:\\", "..", "C:"},
        {"\\\\", "..", ""},
        {"Movies", "..", "Movies"},
        // A current folder kept with a trailing backslash.
        {"C:\\Movies\\", "Old", "C:\\Movies\\Old"},
        {"C:\\Movies", "Old", "C:\\Movies\\Old"},
        {"C:\\", "Movies", "C:\\Movies"},
        // A network path keeps its leading "\\"; its share has no parent.
        {"\\\\server\\share\\", "dir", "\\\\server\\share\\dir"},
        {"\\\\server\\share\\dir\\", "..", "\\\\server\\share"},
        {"\\\\server\\share", "..", "\\\\server\\share"},
        {"\\\\server", "..", "\\\\server"},
        {"\\\\" + kJou + "\\share", "..", "\\\\" + kJou + "\\share"},
        // Trail bytes that are backslashes are neither trimmed nor cut at.
        {"C:\\" + kJou, "..", "C:\\"},
        {"C:\\Movies\\" + kJou, "..", "C:\\Movies"},
        {"C:\\Movies\\" + kJou + "\\", "Old", "C:\\Movies\\" + kJou + "\\Old"},
        {"C:\\" + kJou + "\\" + kBracket, "..", "C:\\" + kJou},
        {"C:\\Movies", kJou, "C:\\Movies\\" + kJou},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(viewer::FolderAfterOpening(c.current, c.entry), c.expected)
            << c.current << " + " << c.entry;
    }
}

}  // namespace
