// The file finder and the custom folder source on real folders under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/disk_fixture.h"
#include "viewer/discovery/disk_sources.h"
#include "viewer/discovery/file_finder.h"

namespace {

using viewer::FileFinder;
using viewer::FinderEvent;

struct Event {
    FinderEvent code;
    std::string lastResult;
    std::string lastFolder;
};

void Record(FileFinder& finder, FinderEvent code, void* user) {
    static_cast<std::vector<Event>*>(user)->push_back(
        {code, finder.LastResult(), finder.LastFolderEntry()});
}

std::size_t IndexOf(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) - list.begin();
}

class Finder : public DiskTest {
protected:
    void SetUp() override {
        DiskTest::SetUp();
        disk::WriteBytes(Path("a.swf"), disk::Movie());
        disk::WriteBytes(Path("b.txt"), "text");
        disk::WriteBytes(Path("sub\\c.swf"), disk::Movie());
        disk::WriteBytes(Path("sub\\deep\\d.swf"), disk::Movie());
        disk::MakeFolders(Path("e.swf"));  // a folder with a movie's name
    }
    std::vector<std::string> Results(const FileFinder& finder) {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < finder.Count(); ++i) out.push_back(finder.Result(i));
        return out;
    }
};

TEST_F(Finder, DeepestFoldersFilesComeFirst) {
    FileFinder finder;
    EXPECT_EQ(finder.SearchFolder(root_, "*.swf", 1), 3u);
    const auto results = Results(finder);
    // The folder e.swf has only the directory attribute: not taken in a file search.
    EXPECT_EQ(IndexOf(results, Path("e.swf\\")), results.size());
    EXPECT_LT(IndexOf(results, Path("sub\\deep\\d.swf")), IndexOf(results, Path("sub\\c.swf")));
    EXPECT_LT(IndexOf(results, Path("sub\\c.swf")), IndexOf(results, Path("a.swf")));
    EXPECT_EQ(finder.Result(3), "");
    EXPECT_EQ(finder.Result(static_cast<std::size_t>(-1)), "");
}

TEST_F(Finder, TrailingSeparatorsAreDroppedBeforeTheSearch) {
    FileFinder plain, trailing;
    plain.SearchFolder(root_, "*.*", 0);
    trailing.SearchFolder(root_ + "\\/\\", "*.*", 0);
    EXPECT_EQ(Results(plain), Results(trailing));
    EXPECT_NE(IndexOf(Results(plain), Path("a.swf")), plain.Count());
}

TEST_F(Finder, PathsNearTheLengthLimitStayWithinBounds) {
    // Nest folders until the system refuses a longer path, with a movie at every level.
    std::string folder = root_;
    int levels = 0;
    while (folder.size() < 400) {
        const std::string next = folder + "\\" + std::string(20, 'n');
        if (!CreateDirectoryA(next.c_str(), nullptr)) break;
        folder = next;
        ++levels;
        disk::WriteBytes(folder + "\\m.swf", disk::Movie());
    }
    ASSERT_GT(levels, 5);
    FileFinder finder;
    std::vector<std::string> files;
    finder.SetCallback(viewer::Collector, &files);
    viewer::ProcessCollectorMode() = {};
    finder.SearchFolder(root_, "*.swf", 1);
    EXPECT_GE(files.size(), 2u);
    for (const std::string& f : files) EXPECT_LT(f.size(), std::size_t{MAX_PATH});

    viewer::MovieCatalogue catalogue;
    std::int32_t counter = 0;
    viewer::ScanCustomFolder(folder + "\\" + std::string(300, 'x'), catalogue, counter);
    EXPECT_EQ(catalogue.Count(), 1u);  // only the parent entry of a folder that cannot exist
}

TEST_F(Finder, FolderSearchReportsEventsInOrder) {
    FileFinder finder;
    std::vector<Event> events;
    finder.SetCallback(Record, &events);
    viewer::FinderCriteria criteria;
    criteria.folder = Path("sub");
    criteria.options = viewer::kAttributeFilterOn;
    criteria.attributeMask = viewer::kFolderAttributes;
    finder.Search(criteria);
    // First the folder event before the entries (nothing met yet), then one per entry:
    // the subfolder taken (event 2, result with "\"), the file not taken (event 1).
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].code, viewer::kFolderEvent);
    EXPECT_EQ(events[0].lastFolder, "");
    std::vector<FinderEvent> rest = {events[1].code, events[2].code};
    std::sort(rest.begin(), rest.end());
    EXPECT_EQ(rest, (std::vector<FinderEvent>{viewer::kEntryNotTaken, viewer::kFolderEvent}));
    EXPECT_EQ(Results(finder), (std::vector<std::string>{Path("sub\\deep\\")}));
    EXPECT_EQ(finder.LastFolderEntry(), Path("sub\\deep"));
}

// Wine stores no attribute outside the file mask (not content indexed, encrypted, offline), so
// the entries left out by the mask are tested on the rule itself, beside the record fields.
TEST_F(Finder, HiddenFilesShareTheMaskAndEveryEntryIsReported) {
    disk::WriteBytes(Path("hidden.swf"), disk::Movie());
    SetFileAttributesA(Path("hidden.swf").c_str(), FILE_ATTRIBUTE_HIDDEN);
    FileFinder finder;
    std::vector<Event> events;
    finder.SetCallback(Record, &events);
    finder.SearchFolder(root_, "*.swf", 0);
    const auto results = Results(finder);
    EXPECT_NE(IndexOf(results, Path("hidden.swf")), results.size());
    // Every entry was reported: taken files as 0, the rest as 1, no folder events.
    const long taken = std::count_if(events.begin(), events.end(),
                                     [](const Event& e) { return e.code == viewer::kFileTaken; });
    EXPECT_EQ(static_cast<std::size_t>(taken), results.size());
}

TEST_F(Finder, CollectorTakesSignedFilesOnlyWhenAsked) {
    disk::WriteBytes(Path("fake.swf"), "not a movie at all");
    std::vector<std::string> all, signed_;
    FileFinder first, second;
    first.SetCallback(viewer::Collector, &all);
    second.SetCallback(viewer::Collector, &signed_);
    viewer::ProcessCollectorMode() = {};
    first.SearchFolder(root_, "*.swf", 0);
    viewer::ProcessCollectorMode().checkSignature = true;
    second.SearchFolder(root_, "*.swf", 0);
    viewer::ProcessCollectorMode() = {};
    EXPECT_NE(IndexOf(all, Path("fake.swf")), all.size());
    EXPECT_EQ(IndexOf(signed_, Path("fake.swf")), signed_.size());
    EXPECT_NE(IndexOf(signed_, Path("a.swf")), signed_.size());
}

// --- the custom folder -------------------------------------------------------------------

class CustomFolder : public DiskTest {
protected:
    viewer::MovieCatalogue Scan(const std::string& folder) {
        viewer::MovieCatalogue catalogue;
        std::int32_t counter = 0;
        viewer::ScanCustomFolder(folder, catalogue, counter);
        return catalogue;
    }
    static std::vector<std::string> Names(const viewer::MovieCatalogue& c) {
        std::vector<std::string> names;
        for (const auto& r : c) names.push_back(r.name);
        return names;
    }
};

TEST_F(CustomFolder, ParentThenSortedFoldersThenMovies) {
    const std::string movies = Path("Movies");
    disk::MakeFolders(movies + "\\Old");
    disk::MakeFolders(movies + "\\a.swf");     // a folder, never a movie
    disk::MakeFolders(movies + "\\\xD5\x5C");  // 誠: trail byte "\"
    disk::MakeFolders(movies + "\\\xC4\x5B");  // 腫: trail byte "["
    disk::WriteBytes(movies + "\\clip.swf", disk::Movie("FWS", 1234));
    disk::WriteBytes(movies + "\\\xD5\x5A[1].swf", disk::Movie("CWS", 99));  // 語[1].swf
    disk::WriteBytes(movies + "\\empty.swf", "");
    disk::WriteBytes(movies + "\\notes.txt", "x");

    const viewer::MovieCatalogue catalogue = Scan(movies);
    // Folders in code-page order: "Old" < "a.swf" < 腫 (C4 5B) < 誠 (D5 5C).
    const std::vector<std::string> head = {"..", "Old", "a.swf", "\xC4\x5B", "\xD5\x5C"};
    std::vector<std::string> names = Names(catalogue);
    ASSERT_EQ(names.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 5), head);
    std::vector<std::string> movieNames(names.begin() + 5, names.end());
    std::sort(movieNames.begin(), movieNames.end());
    EXPECT_EQ(movieNames, (std::vector<std::string>{"clip", "\xD5\x5A"}));

    std::vector<std::int32_t> ids;
    for (const auto& r : catalogue) {
        ids.push_back(r.id);
        if (r.name == "..") {
            EXPECT_EQ(r.localPath, "..");
            EXPECT_TRUE(r.isFolder);
        } else if (r.isFolder) {
            EXPECT_EQ(r.localPath, movies + "\\" + r.name);
            EXPECT_EQ(r.sizeText, "");
            EXPECT_EQ(r.time, 0);
            EXPECT_FALSE(r.standalone);
        } else {
            EXPECT_TRUE(r.standalone);
            EXPECT_EQ(r.sizeText, r.name == "clip" ? "1 234" : "99");
            EXPECT_NE(r.time, 0);
        }
    }
    std::vector<std::int32_t> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
}

TEST_F(CustomFolder, TrailingBackslashScansTheSame) {
    disk::MakeFolders(Path("Movies\\Old"));
    disk::WriteBytes(Path("Movies\\clip.swf"), disk::Movie());
    EXPECT_EQ(Names(Scan(Path("Movies"))), Names(Scan(Path("Movies") + "\\")));
    EXPECT_EQ(Names(Scan(Path("Movies"))), (std::vector<std::string>{"..", "Old", "clip"}));
}

TEST_F(CustomFolder, VanishedFolderShowsOnlyTheParent) {
    EXPECT_EQ(Names(Scan(Path("gone"))), (std::vector<std::string>{".."}));
}

TEST_F(CustomFolder, DriveRootHasNoParentEntry) {
    const viewer::MovieCatalogue catalogue = Scan("C:\\");
    ASSERT_FALSE(catalogue.Empty());
    for (const auto& r : catalogue) EXPECT_NE(r.name, "..");
    const auto names = Names(catalogue);
    EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                            [](const std::string& n) { return base::EqualsNoCase(n, "windows"); }));
}

}  // namespace
