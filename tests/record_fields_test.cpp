// The text rules that fill a record's fields.
#include <gtest/gtest.h>

#include <string>

#include "tests/zone_scope.h"
#include "viewer/discovery/file_finder.h"
#include "viewer/discovery/record_fields.h"
#include "viewer/discovery/source_folders.h"

namespace {

using viewer::DisplayNameFromPath;
using viewer::SiteFromUrl;

TEST(RecordFields, GroupsDigitsInThrees) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {1, "1"},
        {999, "999"},
        {1000, "1 000"},
        {1234, "1 234"},
        {1000000, "1 000 000"},
        {1234567, "1 234 567"},
        // 2 GB and more, beyond a signed 32-bit size.
        {2147483648ULL, "2 147 483 648"},
        {5000000000ULL, "5 000 000 000"},
        {18446744073709551615ULL, "18 446 744 073 709 551 615"}};
    for (const auto& [size, text] : cases) EXPECT_EQ(viewer::GroupDigits(size), text) << size;
}

TEST(RecordFields, DisplayNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Cache\\AB12CD34\\intro[1].swf", "intro"},
        {"C:\\Movies\\clip.swf", "clip"},
        {"C:\\Movies\\noext", "flash"},
        {"C:\\a[1]\\b.swf", "b"},        // the "[" lies before the last "\"
        {"C:\\Movies\\[2].swf", "[2]"},  // "[" first: the "." rule applies
        {"noslash", "flash"},
        {"clip.swf", "clip"},
        {"C:\\x\\.swf", "flash"},
        {"C:\\x\\", "flash"},
        {"", "flash"},
        // 誠 (D5 5C) and 腫 (C4 5B) carry "\" and "[" as trail bytes.
        {"C:\\\xD5\x5C.swf", "\xD5\x5C"},
        {"C:\\m\\\xC4\x5B\xD5\x5C.swf", "\xC4\x5B\xD5\x5C"},
        {"C:\\m\\\xC4\x5B[3].swf", "\xC4\x5B"},
        // A name ending in a lone lead byte is read no further than its end.
        {"C:\\m\\a.\xD5", "a"}};
    for (const auto& [path, name] : cases) EXPECT_EQ(DisplayNameFromPath(path), name) << path;
}

TEST(RecordFields, SitesFromUrls) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://www.Games.Example.com/intro.swf", "games.example.com"},
        {"HTTP://WWW.games.com:8080/a.swf", "games.com"},
        {"http://user:pw@www.games.com/a.swf", "games.com"},
        {"https://cdn.games.com?x=1", "cdn.games.com"},
        {"http://www/a.swf", "www"},    // fewer than 5 bytes: kept
        {"http://www./a.swf", "www."},  // 4 bytes: kept as it is
        {"http://wwwx.com/", "wwwx.com"},
        {"http://[::1]:80/a.swf", "[::1]"},
        {"", ""},
        {"games.com/a.swf", ""},  // no scheme
        {":foo", ""},
        {"mailto:a@b.com", ""},  // no "//"
        {"http:///a.swf", ""},   // no host
        {"ht tp://a.com/", ""},
        {"http://" + std::string(256, 'a') + "/", std::string(256, 'a')},
        {"http://" + std::string(257, 'a') + "/", ""},
        {"http://" + std::string(129, 'u') + "@a.com/", ""},
        {"http://u:" + std::string(129, 'p') + "@a.com/", ""},
        {"http://" + std::string(128, 'u') + ":" + std::string(128, 'p') + "@a.com/", "a.com"},
        // GBK hosts: a trail byte "\" is no separator, a trail byte "Z" no letter.
        {"http://\xD5\x5C.cn/a.swf", "\xD5\x5C.cn"},
        {"http://WWW.\xD5\x5A.CN/", "\xD5\x5A.cn"}};
    for (const auto& [url, site] : cases) EXPECT_EQ(SiteFromUrl(url), site) << url;
}

TEST(RecordFields, CacheTimesInEnglishGmt) {
    constexpr std::uint64_t kTicksPerSecond = 10000000;
    constexpr std::uint64_t kEpoch = 11644473600ULL * kTicksPerSecond;
    const std::pair<std::uint64_t, const char*> cases[] = {
        {kEpoch, "Thu, 01 Jan 1970 00:00:00 GMT"},
        {kEpoch + 1782900000ULL * kTicksPerSecond, "Wed, 01 Jul 2026 10:00:00 GMT"},
        {kEpoch + 951868799ULL * kTicksPerSecond + 9999999, "Tue, 29 Feb 2000 23:59:59 GMT"},
        {1, "Mon, 01 Jan 1601 00:00:00 GMT"},
        {0, ""},
        {1ULL << 63, ""},
        {~0ULL, ""}};
    for (const auto& [ticks, text] : cases) EXPECT_EQ(viewer::CacheTimeText(ticks), text) << ticks;
}

TEST(RecordFields, CreationTimeTakesUtcFieldsAsLocal) {
    PIN_ZONE("Asia/Shanghai");
    // 10:00 UTC read as 10:00 in UTC+8 is 02:00 UTC.
    EXPECT_EQ(viewer::CreationTimeFromUtcFields({2026, 7, 1, 10, 0, 0}), 1782871200);
    EXPECT_EQ(viewer::CreationTimeFromUtcFields({1899, 12, 31, 23, 59, 59}), 0);
    EXPECT_EQ(viewer::CreationTimeFromUtcFields({1601, 1, 1, 0, 0, 0}), 0);
    EXPECT_EQ(viewer::CreationTimeFromUtcFields({1900, 1, 1, 0, 0, 0}),
              base::ComposeLocal({1900, 1, 1, 0, 0, 0}));
    EXPECT_FALSE(viewer::CreationTimeFromUtcFields({2026, 2, 30, 0, 0, 0}).has_value());
}

TEST(RecordFields, SwfFileNamesAndSignatures) {
    EXPECT_TRUE(viewer::HasSwfFileName("C:\\c\\intro[1].swf"));
    EXPECT_TRUE(viewer::HasSwfFileName("C:\\c\\INTRO[1].SWF"));
    EXPECT_TRUE(viewer::HasSwfFileName("a.swf"));
    EXPECT_FALSE(viewer::HasSwfFileName(".swf"));
    EXPECT_FALSE(viewer::HasSwfFileName("a.swf "));
    EXPECT_FALSE(viewer::HasSwfFileName("a.swf.tmp"));
    EXPECT_FALSE(viewer::HasSwfFileName(""));

    const char fws[3] = {'F', 'W', 'S'}, cws[3] = {'c', 'w', 's'}, zws[3] = {'Z', 'W', 'S'};
    const char cwNull[3] = {'C', 'W', '\0'}, gbk[3] = {'\xC6', '\x57', 'S'};
    EXPECT_TRUE(viewer::IsSwfSignature(fws));
    EXPECT_TRUE(viewer::IsSwfSignature(cws));
    EXPECT_FALSE(viewer::IsSwfSignature(zws));
    EXPECT_FALSE(viewer::IsSwfSignature(cwNull));
    EXPECT_FALSE(viewer::IsSwfSignature(gbk));
}

TEST(RecordFields, ReplaceNoCaseRewritesTheFirefoxPath) {
    const char* roaming = "\\Application Data\\Mozilla\\Firefox";
    const char* marker = "### !!! NEW FOLDER !!! ###";
    const char* local = "\\Local Settings\\Application Data\\Mozilla\\Firefox";
    std::string path = "C:\\Documents and Settings\\user\\application data\\mozilla\\firefox";
    EXPECT_EQ(viewer::ReplaceNoCase(path, roaming, marker), 1);
    EXPECT_EQ(viewer::ReplaceNoCase(path, marker, local), 1);
    EXPECT_EQ(path,
              "C:\\Documents and Settings\\user\\Local Settings\\Application Data\\Mozilla"
              "\\Firefox");

    std::string elsewhere = "D:\\Profiles\\ff";
    EXPECT_EQ(viewer::ReplaceNoCase(elsewhere, roaming, marker), 0);
    EXPECT_EQ(elsewhere, "D:\\Profiles\\ff");
}

TEST(RecordFields, ReplaceNoCaseCountsAndTerminates) {
    std::string text = "aXbxAB";
    EXPECT_EQ(viewer::ReplaceNoCase(text, "x", "-"), 2);
    EXPECT_EQ(text, "a-b-AB");
    // Each search starts again at the beginning: "aab" -> "ab" -> "b".
    text = "aab";
    EXPECT_EQ(viewer::ReplaceNoCase(text, "ab", "b"), 2);
    EXPECT_EQ(text, "b");
    // A replacement that contains the search text is not searched again.
    text = "ab";
    EXPECT_EQ(viewer::ReplaceNoCase(text, "a", "Aa"), 1);
    EXPECT_EQ(text, "Aab");
    text = "abc";
    EXPECT_EQ(viewer::ReplaceNoCase(text, "", "x"), 0);
    // The trail byte 'Z' of 語 is no letter: "z" does not match inside it.
    text = "\xD5\x5Az";
    EXPECT_EQ(viewer::ReplaceNoCase(text, "Z", "y"), 1);
    EXPECT_EQ(text, "\xD5\x5Ay");
}

TEST(SourceFolders, RootsKeepNetworkPathsAndNeverFallBackToARelativePath) {
    const std::string kCheng = "\xD5\x5C";  // trail byte '\'
    struct Case {
        std::string setting, fallback, searchRoot, firefoxRoot;
    };
    const Case cases[] = {
        // The setting wins; backslashes go at both ends, a network path keeps its "\\".
        {"\\C:\\Cache\\", "D:\\x", "C:\\Cache", "C:\\Cache"},
        {"\\\\server\\share\\ff\\", "", "\\\\server\\share\\ff", "\\\\server\\share\\ff"},
        {"\\\\\\server\\share", "", "\\\\server\\share", "\\\\server\\share"},
        {"C:\\" + kCheng, "", "C:\\" + kCheng, "C:\\" + kCheng},
        {"\\\\", "D:\\x", "", ""},
        // Without a setting: the default folder, or for Firefox the application data tree.
        {"", "C:\\AppData\\", "C:\\AppData", "C:\\AppData\\Mozilla\\Firefox"},
        {"", "\\\\srv\\home\\ad", "\\\\srv\\home\\ad", "\\\\srv\\home\\ad\\Mozilla\\Firefox"},
        // Neither known: nothing to search, not "Mozilla\Firefox" below the current folder.
        {"", "", "", ""},
        {"", "\\", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(viewer::SearchRoot(c.setting, c.fallback), c.searchRoot) << c.setting;
        EXPECT_EQ(viewer::FirefoxRoot(c.setting, c.fallback), c.firefoxRoot) << c.setting;
    }
}

TEST(FinderAttributes, AnEntryNeedsAShareOfTheMask) {
    using viewer::kAttributeFilterOn;
    using viewer::kFileAttributes;
    using viewer::kFolderAttributes;
    struct Case {
        std::uint32_t options, mask, attributes;
        bool taken;
    };
    const Case cases[] = {
        {kAttributeFilterOn, kFileAttributes, 0x2000, false},  // not content indexed alone
        {kAttributeFilterOn, kFileAttributes, 0x2020, true},   // ... and archive
        {kAttributeFilterOn, kFileAttributes, 0x4000, false},  // encrypted
        {kAttributeFilterOn, kFileAttributes, 0x1000, false},  // offline
        {kAttributeFilterOn, kFileAttributes, 0x0080, true},   // normal
        {kAttributeFilterOn, kFileAttributes, 0x0002, true},   // hidden
        {kAttributeFilterOn, kFileAttributes, 0x0800, true},   // compressed
        {kAttributeFilterOn, kFileAttributes, 0x0010, false},  // a folder in a file search
        {kAttributeFilterOn, kFolderAttributes, 0x0010, true},
        {kAttributeFilterOn, kFolderAttributes, 0x0020, false},
        {0, kFileAttributes, 0x2000, true},  // the filter off takes everything
        {0, 0, 0x0010, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewer::PassesAttributeFilter(c.options, c.mask, c.attributes), c.taken)
            << std::hex << c.options << " " << c.mask << " " << c.attributes;
}

}  // namespace
