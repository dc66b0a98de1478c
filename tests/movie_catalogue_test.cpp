#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/discovery/movie_catalogue.h"

namespace {

using viewer::MovieCatalogue;
using viewer::MovieRecord;

MovieRecord Movie(std::int32_t id, std::string path, std::string name = "clip") {
    MovieRecord r;
    r.id = id;
    r.localPath = std::move(path);
    r.name = std::move(name);
    r.sizeText = "1 234";
    r.time = 1782900000;
    r.standalone = true;
    return r;
}

std::vector<std::int32_t> Ids(const MovieCatalogue& catalogue) {
    std::vector<std::int32_t> ids;
    for (const MovieRecord& r : catalogue) ids.push_back(r.id);
    return ids;
}

TEST(MovieRecord, FreshRecordIsEmpty) {
    const MovieRecord r;
    EXPECT_TRUE(r.url.empty() && r.site.empty() && r.modifiedText.empty() && r.sizeText.empty() &&
                r.localPath.empty() && r.name.empty());
    EXPECT_EQ(r.time, 0);
    EXPECT_FALSE(r.standalone);
    EXPECT_FALSE(r.isFolder);
    EXPECT_EQ(r.id, 0);
}

TEST(MovieCatalogue, KeepsAppendOrderAndHandsOutCopies) {
    MovieCatalogue catalogue;
    catalogue.Append(Movie(3, "C:\\c.swf"));
    catalogue.Append(Movie(1, "C:\\a.swf"));
    catalogue.Append(Movie(2, "C:\\b.swf"));
    EXPECT_EQ(Ids(catalogue), (std::vector<std::int32_t>{3, 1, 2}));
    EXPECT_EQ(catalogue.Count(), 3u);

    MovieRecord copy = catalogue.Find(1);
    EXPECT_EQ(copy, Movie(1, "C:\\a.swf"));
    copy.name = "changed";
    EXPECT_EQ(catalogue.Find(1).name, "clip");
}

TEST(MovieCatalogue, FindOfAnUnknownIdGivesAFreshRecord) {
    MovieCatalogue catalogue;
    EXPECT_EQ(catalogue.Find(7), MovieRecord{});
    catalogue.Append(Movie(1, "C:\\a.swf"));
    EXPECT_EQ(catalogue.Find(7), MovieRecord{});
    EXPECT_TRUE(catalogue.Find(7).localPath.empty());
}

TEST(MovieCatalogue, FindAndRemoveTakeTheFirstRecordOfAnId) {
    MovieCatalogue catalogue;
    catalogue.Append(Movie(5, "C:\\first.swf"));
    catalogue.Append(Movie(5, "C:\\second.swf"));
    EXPECT_EQ(catalogue.Find(5).localPath, "C:\\first.swf");
    EXPECT_TRUE(catalogue.Remove(5));
    EXPECT_EQ(catalogue.Find(5).localPath, "C:\\second.swf");
    EXPECT_FALSE(catalogue.ContainsPath("C:\\first.swf"));
    EXPECT_TRUE(catalogue.ContainsPath("C:\\second.swf"));
}

TEST(MovieCatalogue, RemoveKeepsTheRestInOrder) {
    MovieCatalogue catalogue;
    for (std::int32_t id = 1; id <= 4; ++id)
        catalogue.Append(Movie(id, "C:\\m" + std::to_string(id) + ".swf"));
    EXPECT_TRUE(catalogue.Remove(2));
    EXPECT_TRUE(catalogue.Remove(4));
    EXPECT_FALSE(catalogue.Remove(4));
    EXPECT_FALSE(catalogue.Remove(99));
    EXPECT_EQ(Ids(catalogue), (std::vector<std::int32_t>{1, 3}));
}

TEST(MovieCatalogue, ContainsPathIgnoresAsciiCaseOnly) {
    MovieCatalogue catalogue;
    // C:\語\Intro.SWF: 語 = D5 5A, its trail byte is a capital Z.
    catalogue.Append(Movie(1, "C:\\\xD5\x5A\\Intro.SWF"));
    EXPECT_TRUE(catalogue.ContainsPath("c:\\\xD5\x5A\\intro.swf"));
    // Folding the trail byte would turn 語 into the different character D5 7A.
    EXPECT_FALSE(catalogue.ContainsPath("c:\\\xD5\x7A\\intro.swf"));
    EXPECT_FALSE(catalogue.ContainsPath("C:\\\xD5\x5A\\Intro.SWF\\"));
    EXPECT_FALSE(catalogue.ContainsPath(""));
}

TEST(MovieCatalogue, PathIndexFollowsRemoveAndClear) {
    MovieCatalogue catalogue;
    // The same file under two spellings, as two passes of one scan might append it.
    catalogue.Append(Movie(1, "C:\\Cache\\A.swf"));
    catalogue.Append(Movie(2, "c:\\cache\\a.SWF"));
    EXPECT_TRUE(catalogue.Remove(1));
    EXPECT_TRUE(catalogue.ContainsPath("C:\\CACHE\\A.SWF"));
    EXPECT_TRUE(catalogue.Remove(2));
    EXPECT_FALSE(catalogue.ContainsPath("C:\\CACHE\\A.SWF"));

    catalogue.Append(Movie(3, "C:\\b.swf"));
    catalogue.Clear();
    EXPECT_EQ(catalogue.Count(), 0u);
    EXPECT_TRUE(catalogue.Empty());
    EXPECT_FALSE(catalogue.ContainsPath("C:\\b.swf"));
    catalogue.Append(Movie(1, "C:\\b.swf"));
    EXPECT_TRUE(catalogue.ContainsPath("C:\\B.swf"));
}

}  // namespace
