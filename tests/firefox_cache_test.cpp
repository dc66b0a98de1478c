// The Firefox source on realistic cache trees under a test profile folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/disk_fixture.h"
#include "viewer/discovery/disk_sources.h"

namespace {

// A cache2 entry: a movie body followed by the cache's own metadata, named by a hash.
std::string CacheFile(const char* signature, std::size_t body) {
    return disk::Movie(signature, body) +
           std::string("\0\0\0\x01:http://games.example/x.swf\0", 31) + std::string(16, '\x7F');
}

std::string Hash(int n) {
    char text[41];
    std::snprintf(text, sizeof(text), "%08X%032X", n * 2654435761u, n);
    return text;
}

class Firefox : public DiskTest {
protected:
    void SetUp() override {
        DiskTest::SetUp();
        user_ = Path("Documents and Settings\\user");
        roaming_ = user_ + "\\Application Data\\Mozilla\\Firefox";
        local_ = user_ + "\\Local Settings\\Application Data\\Mozilla\\Firefox";
    }

    std::string Entries(const std::string& tree) {
        return tree + "\\Profiles\\x.default\\cache2\\entries\\";
    }

    viewer::MovieCatalogue Scan() {
        viewer::MovieCatalogue catalogue;
        std::int32_t counter = 0;
        viewer::ScanFirefoxCache(catalogue, counter);
        return catalogue;
    }

    std::string user_, roaming_, local_;
};

TEST_F(Firefox, BothTreesAreSearchedAndNamedAfresh) {
    const std::string roaming = Entries(roaming_), local = Entries(local_);
    disk::WriteBytes(roaming + Hash(1), CacheFile("CWS", 500));
    disk::WriteBytes(roaming + Hash(2), CacheFile("fws", 700));  // lower case signature
    disk::WriteBytes(roaming + Hash(3), "FWS");                  // 3 bytes: too short
    disk::WriteBytes(roaming + Hash(4), "GIF89a" + std::string(40, 'x'));
    disk::WriteBytes(roaming + "fake.swf", "not a movie, whatever the name");
    disk::WriteBytes(roaming_ + "\\Profiles\\x.default\\prefs.js", "user_pref(1);");
    disk::WriteBytes(local + Hash(5), CacheFile("FWS", 900));
    disk::WriteBytes(local + "sub\\" + Hash(6), CacheFile("CWS", 300));
    SetSetting("FirefoxProfileFolder", roaming_);

    const viewer::MovieCatalogue catalogue = Scan();
    ASSERT_EQ(catalogue.Count(), 4u);
    std::vector<std::string> roamingNames, localNames;
    std::set<std::int32_t> ids;
    for (const auto& r : catalogue) {
        EXPECT_TRUE(r.standalone);
        EXPECT_EQ(r.url, "");
        EXPECT_EQ(r.site, "");
        EXPECT_EQ(r.modifiedText, "");
        EXPECT_FALSE(r.sizeText.empty());
        ids.insert(r.id);
        (r.localPath.rfind(local_, 0) == 0 ? localNames : roamingNames).push_back(r.name);
    }
    EXPECT_EQ(ids.size(), 4u);  // names repeat across the trees, ids never
    EXPECT_EQ(roamingNames, (std::vector<std::string>{"flash001", "flash002"}));
    EXPECT_EQ(localNames, (std::vector<std::string>{"flash001", "flash002"}));
    // The first tree comes first.
    EXPECT_EQ(catalogue.begin()->localPath.rfind(roaming_, 0), 0u);
}

TEST_F(Firefox, RoamingSegmentInLowerCaseIsRewrittenToo) {
    disk::WriteBytes(Entries(local_) + Hash(7), CacheFile("FWS", 100));
    std::string lower = user_ + "\\application data\\mozilla\\firefox";
    SetSetting("FirefoxProfileFolder", "\\" + lower + "\\\\");
    const viewer::MovieCatalogue catalogue = Scan();
    ASSERT_EQ(catalogue.Count(), 1u);
    EXPECT_EQ(catalogue.begin()->name, "flash001");
}

TEST_F(Firefox, AFolderOutsideApplicationDataListsEachMovieOnce) {
    const std::string elsewhere = Path("ff");
    for (int i = 0; i < 3; ++i) disk::WriteBytes(elsewhere + "\\" + Hash(i), CacheFile("FWS", 64));
    SetSetting("FirefoxProfileFolder", elsewhere);
    const viewer::MovieCatalogue catalogue = Scan();
    EXPECT_EQ(catalogue.Count(), 3u);
}

TEST_F(Firefox, NoProfileFolderAddsNothing) {
    SetSetting("FirefoxProfileFolder", "\\\\");
    EXPECT_TRUE(Scan().Empty());
    SetSetting("FirefoxProfileFolder", Path("nothing here"));
    EXPECT_TRUE(Scan().Empty());
}

TEST_F(Firefox, AProfileFolderGivenAsAnExtendedPathIsSearchedAsGiven) {
    // "\\?\" begins with two backslashes like a network path, and must keep them.
    for (int i = 0; i < 2; ++i) disk::WriteBytes(Path("ff\\") + Hash(i), CacheFile("FWS", 64));
    SetSetting("FirefoxProfileFolder", "\\\\?\\" + Path("ff") + "\\");
    EXPECT_EQ(Scan().Count(), 2u);
}

TEST_F(Firefox, ManyMoviesCountPastNineHundredNinetyNine) {
    const std::string entries = Entries(roaming_);
    for (int i = 0; i < 1000; ++i) disk::WriteBytes(entries + Hash(i), CacheFile("FWS", 16));
    SetSetting("FirefoxProfileFolder", roaming_);
    const viewer::MovieCatalogue catalogue = Scan();
    ASSERT_EQ(catalogue.Count(), 1000u);
    std::set<std::string> names;
    for (const auto& r : catalogue) names.insert(r.name);
    EXPECT_TRUE(names.count("flash999"));
    EXPECT_TRUE(names.count("flash1000"));
}

}  // namespace
