// The Internet Explorer source against Wine's real WinINet URL cache.
#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/disk_fixture.h"
#include "tests/url_cache_fixture.h"
#include "viewer/discovery/disk_sources.h"
#include "viewer/discovery/file_helpers.h"
#include "viewer/discovery/ie_cache_entry.h"

namespace {

class IeCache : public DiskTest {
protected:
    void SetUp() override {
        DiskTest::SetUp();
        urlcache::Clear();
    }
    void TearDown() override {
        urlcache::Clear();
        for (const std::string& loose : looseFiles_) DeleteFileA(loose.c_str());
        DiskTest::TearDown();
    }

    std::string MakeEntry(const std::string& url, const std::string& content,
                          const char* rename = nullptr, DWORD type = NORMAL_CACHE_ENTRY,
                          FILETIME modified = {}) {
        return urlcache::Make(url, content, rename, type, modified);
    }

    std::string CacheFolder() { return viewer::SpecialFolderPath(CSIDL_INTERNET_CACHE); }

    // The index pass alone: the folder pass searches an empty folder.
    void IndexOnly() {
        disk::MakeFolders(Path("empty cache"));
        SetSetting("IECacheFolder", Path("empty cache"));
    }

    viewer::MovieCatalogue Scan() {
        viewer::MovieCatalogue catalogue;
        std::int32_t counter = 0;
        viewer::ScanIeCacheIndex(catalogue, counter);
        return catalogue;
    }

    std::vector<std::string> looseFiles_;
};

const viewer::MovieRecord* ByUrl(const viewer::MovieCatalogue& c, const std::string& url) {
    for (const auto& r : c)
        if (r.url == url) return &r;
    return nullptr;
}

TEST_F(IeCache, IndexEntriesBecomeRecordsWithUrlSiteAndTime) {
    IndexOnly();
    SYSTEMTIME st{2026, 7, 3, 1, 10, 0, 0, 0};  // Wed, 01 Jul 2026 10:00:00
    FILETIME modified;
    SystemTimeToFileTime(&st, &modified);
    const std::string intro =
        MakeEntry("http://www.Games.com/flash/intro.swf", disk::Movie("CWS", 1500), nullptr,
                  NORMAL_CACHE_ENTRY, modified);
    const std::string upper =
        MakeEntry("http://cdn.toys.cn/BIG.SWF", disk::Movie("FWS", 2000), "BIG[1].SWF");

    const viewer::MovieCatalogue catalogue = Scan();
    ASSERT_EQ(catalogue.Count(), 2u);
    const viewer::MovieRecord* r = ByUrl(catalogue, "http://www.Games.com/flash/intro.swf");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->site, "games.com");
    EXPECT_EQ(r->localPath, intro);
    EXPECT_EQ(r->name, "intro");
    EXPECT_EQ(r->sizeText, "1 500");
    EXPECT_EQ(r->modifiedText, "Wed, 01 Jul 2026 10:00:00 GMT");
    EXPECT_FALSE(r->standalone);
    EXPECT_FALSE(r->isFolder);

    const viewer::MovieRecord* big = ByUrl(catalogue, "http://cdn.toys.cn/BIG.SWF");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->localPath, upper);
    EXPECT_EQ(big->name, "BIG");
    EXPECT_EQ(big->site, "cdn.toys.cn");
    EXPECT_EQ(big->modifiedText, "");  // the index holds no time for it
}

TEST_F(IeCache, OnlyNonEmptySwfFilesOfContentEntriesCount) {
    IndexOnly();
    MakeEntry("http://a.com/blank.swf", disk::Movie(), "blank[1].swf ");
    MakeEntry("http://a.com/partial.swf", disk::Movie(), "partial[1].swf.tmp");
    MakeEntry("http://a.com/empty.swf", "");
    const std::string gone = MakeEntry("http://a.com/gone.swf", disk::Movie());
    DeleteFileA(gone.c_str());
    MakeEntry("http://a.com/first.swf", disk::Movie());
    MakeEntry("http://a.com/second.swf", disk::Movie());

    const viewer::MovieCatalogue catalogue = Scan();
    std::vector<std::string> urls;
    std::vector<std::int32_t> ids;
    for (const auto& r : catalogue) {
        urls.push_back(r.url);
        ids.push_back(r.id);
    }
    std::sort(urls.begin(), urls.end());
    EXPECT_EQ(urls,
              (std::vector<std::string>{"http://a.com/first.swf", "http://a.com/second.swf"}));
    // Dropped entries use up no number.
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::int32_t>{1, 2}));
}

TEST_F(IeCache, CookieAndHistoryEntriesAreNeverMovies) {
    IndexOnly();
    MakeEntry("http://c.com/cookie.swf", disk::Movie(), nullptr,
              NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY);
    MakeEntry("http://c.com/history.swf", disk::Movie(), nullptr,
              NORMAL_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY);
    MakeEntry("http://c.com/movie.swf", disk::Movie());
    // The cache keeps the type bits, so the scan must be the one that leaves them out.
    const auto entries = urlcache::Entries();
    ASSERT_TRUE(entries.count("http://c.com/cookie.swf"));
    EXPECT_TRUE(entries.at("http://c.com/cookie.swf") & COOKIE_CACHE_ENTRY);
    const viewer::MovieCatalogue catalogue = Scan();
    ASSERT_EQ(catalogue.Count(), 1u);
    EXPECT_EQ(catalogue.begin()->url, "http://c.com/movie.swf");
}

TEST_F(IeCache, EntriesTheCacheCannotMakeAreJudgedAlike) {
    const std::string file = Path("x[2].swf");
    disk::WriteBytes(file, disk::Movie("FWS", 10));
    INTERNET_CACHE_ENTRY_INFOA entry{};
    entry.dwStructSize = sizeof(entry);
    entry.lpszLocalFileName = const_cast<char*>(file.c_str());
    std::int32_t counter = 7;

    // No source URL: taken, with empty url and site.
    auto record = viewer::RecordFromCacheEntry(entry, counter);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->id, 8);
    EXPECT_EQ(record->url, "");
    EXPECT_EQ(record->site, "");
    EXPECT_EQ(record->name, "x");

    for (DWORD type : {DWORD{COOKIE_CACHE_ENTRY}, DWORD{URLHISTORY_CACHE_ENTRY}}) {
        entry.CacheEntryType = NORMAL_CACHE_ENTRY | type;
        EXPECT_FALSE(viewer::RecordFromCacheEntry(entry, counter).has_value());
    }
    entry.CacheEntryType = NORMAL_CACHE_ENTRY;
    entry.lpszLocalFileName = nullptr;
    EXPECT_FALSE(viewer::RecordFromCacheEntry(entry, counter).has_value());
    // A local name that is only ".swf" is too short to be a movie's.
    char onlyExtension[] = ".swf";
    entry.lpszLocalFileName = onlyExtension;
    EXPECT_FALSE(viewer::RecordFromCacheEntry(entry, counter).has_value());
    EXPECT_EQ(counter, 8);
}

TEST_F(IeCache, CacheFolderAddsLooseMoviesOnce) {
    const std::string indexed = MakeEntry("http://www.site.org/a.swf", disk::Movie());
    const std::string folder = CacheFolder();
    ASSERT_FALSE(folder.empty());
    const std::string loose = folder + "\\loose.swf";
    disk::WriteBytes(loose, disk::Movie("FWS", 4321));
    looseFiles_.push_back(loose);
    const std::string looseEmpty = folder + "\\nothing.swf";
    disk::WriteBytes(looseEmpty, "");
    looseFiles_.push_back(looseEmpty);

    // The folder given in upper case with extra backslashes (one in front: two would make it
    // a network path): the paths that the search finds differ from the index's in letter case,
    // and still count as the same files.
    std::string upperFolder = folder;
    for (char& c : upperFolder)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    SetSetting("IECacheFolder", "\\" + upperFolder + "\\\\\\");

    const viewer::MovieCatalogue catalogue = Scan();
    ASSERT_EQ(catalogue.Count(), 2u);
    const viewer::MovieRecord* index = ByUrl(catalogue, "http://www.site.org/a.swf");
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->site, "site.org");
    EXPECT_FALSE(index->standalone);
    const viewer::MovieRecord* standalone = ByUrl(catalogue, "");
    ASSERT_NE(standalone, nullptr);
    EXPECT_TRUE(standalone->standalone);
    EXPECT_TRUE(base::EqualsNoCase(standalone->localPath, loose));
    EXPECT_EQ(standalone->sizeText, "4 321");
    EXPECT_EQ(standalone->site, "");
    EXPECT_EQ(standalone->modifiedText, "");
    EXPECT_NE(standalone->id, index->id);
}

TEST_F(IeCache, MissingCacheFolderStillKeepsTheIndex) {
    MakeEntry("http://www.site.org/a.swf", disk::Movie());
    SetSetting("IECacheFolder", Path("no such folder"));
    EXPECT_EQ(Scan().Count(), 1u);
    SetSetting("IECacheFolder", "\\\\\\");
    EXPECT_EQ(Scan().Count(), 1u);
}

}  // namespace
