// The viewer's presentation rules: the command-line site, the site filter and its combo
// entries, the date filter with its range rule and calendar days, the enabled state of the
// controls and the detail texts. Times are written as local calendar fields in a pinned zone
// with daylight saving; texts are code page 936 bytes, as the programs see them.
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/local_time.h"
#include "tests/zone_scope.h"
#include "viewer/discovery/movie_catalogue.h"
#include "viewer/presentation/command_line.h"
#include "viewer/presentation/controls_state.h"
#include "viewer/presentation/date_filter.h"
#include "viewer/presentation/details.h"
#include "viewer/presentation/site_filter.h"

namespace {

using base::CivilTime;
using base::Time64;
using viewer::DateFilterDates;

constexpr Time64 kMin = std::numeric_limits<Time64>::min();
constexpr Time64 kMax = std::numeric_limits<Time64>::max();

// Strings 132, 133, 144 and the date combo's entries, in code page 936.
const std::string kAllSites = "\xcb\xf9\xd3\xd0\xd5\xbe\xb5\xe3";                 // 所有站点
const std::string kStandalone = "\xb6\xc0\xc1\xa2\xb5\xc4 SWF \xce\xc4\xbc\xfe";  // 独立的 SWF 文件
const std::string kBytes = " \xd7\xd6\xbd\xda";                                   // " 字节"
const std::string kAnyTime = "\xc8\xce\xd2\xe2\xca\xb1\xbf\xcc";                  // 任意时刻
const std::string kToday = "\xbd\xf1\xcc\xec";                                    // 今天
const std::string kYesterday = "\xd7\xf2\xcc\xec";                                // 昨天
const std::string kThisMonth = "\xb1\xbe\xd4\xc2";                                // 本月
const std::string kExact = "\xbe\xab\xc8\xb7\xc8\xd5\xc6\xda";                    // 精确日期
const std::string kRange = "\xca\xb1\xbc\xe4\xb7\xb6\xce\xa7";                    // 时间范围
const std::vector<std::string> kDateEntries = {kAnyTime,   kToday, kYesterday,
                                               kThisMonth, kExact, kRange};

// The local time of the given fields in the pinned zone; the tests only use fields that
// exist exactly once in it.
Time64 At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    const auto t = base::ComposeLocal({y, mo, d, h, mi, s});
    EXPECT_TRUE(t.has_value()) << y << "-" << mo << "-" << d << " " << h << ":" << mi;
    return t.value_or(0);
}

// --- command line --------------------------------------------------------------------------

struct CommandLineCase {
    std::vector<std::string> args;
    std::string site;
};

TEST(CommandLineSite, FirstLongEnoughSiteSwitchWins) {
    const CommandLineCase cases[] = {
        {{"/site:games"}, "games"},
        {{"-SITE:games"}, "games"},
        // The prefix is matched in any case; the site is kept as typed.
        {{"/SiTe:Games.Example.COM"}, "Games.Example.COM"},
        {{"/site:all"}, "all"},
        // Six characters without the switch character: no site, and the walk goes on.
        {{"/site:x"}, ""},
        {{"/site:x", "-site:games"}, "games"},
        {{"/site:"}, ""},
        {{"/site:ab"}, "ab"},
        // Not a switch.
        {{"site:games"}, ""},
        {{"games", "/site:news"}, "news"},
        {{"/site:first", "/site:second"}, "first"},
        {{"/other", "-nb", "-site:b2"}, "b2"},
        {{"/sites:games"}, ""},
        {{"/site=games"}, ""},
        {{"//site:games"}, ""},
        {{"/", "-", ""}, ""},
        {{}, ""},
        // A site in code page 936 whose trail byte is an ASCII capital stays untouched.
        {{"/site:\xd3\xce\xcf\xb7"
          ".cn"},
         "\xd3\xce\xcf\xb7"
         ".cn"},
        {{"/site:\x81"
          "Abc"},
         "\x81"
         "Abc"},
    };
    for (const CommandLineCase& c : cases) {
        std::string joined;
        for (const std::string& a : c.args) joined += "[" + a + "]";
        EXPECT_EQ(viewer::CommandLineSite(c.args), c.site) << joined;
    }
}

// --- site filter ---------------------------------------------------------------------------

struct InitialSiteCase {
    std::uint32_t save;
    std::string stored;
    std::string commandLine;
    std::string expected;
};

TEST(SiteFilter, InitialChoiceFollowsCommandLineThenRememberedSite) {
    const InitialSiteCase cases[] = {
        {0, "", "", kAllSites},
        {1, "games.example.com", "", "games.example.com"},
        {7, "games.example.com", "", "games.example.com"},  // any non-zero value
        // Not remembered: the stored text is ignored.
        {0, "games.example.com", "", kAllSites},
        {1, "", "", kAllSites},
        // The command line wins over the remembered site.
        {1, "games.example.com", "news.example.com", "news.example.com"},
        {0, "", "games", "games"},
        {1, "games.example.com", "all", kAllSites},
        // Only exactly "all" means all sites.
        {1, "games.example.com", "ALL", "ALL"},
        {0, "", "all.example.com", "all.example.com"},
    };
    for (const InitialSiteCase& c : cases) {
        EXPECT_EQ(viewer::InitialSiteFilter(c.save, c.stored, c.commandLine, kAllSites), c.expected)
            << c.save << " [" << c.stored << "] [" << c.commandLine << "]";
    }
}

TEST(SiteFilter, TestsSelectionAgainstSiteAndStandaloneFlag) {
    viewer::MovieRecord games;
    games.site = "games.example.com";
    viewer::MovieRecord disk;  // found on disk beside the index: no URL, no site
    disk.standalone = true;
    viewer::MovieRecord diskWithSite = games;
    diskWithSite.standalone = true;

    struct Case {
        std::optional<std::string> selection;
        bool games, disk, diskWithSite;
    };
    const Case cases[] = {
        {std::nullopt, true, true, true},
        {std::string(), true, true, true},
        {kAllSites, true, true, true},
        {kStandalone, false, true, true},
        {std::string("games.example.com"), true, false, true},
        // Sites compare byte for byte.
        {std::string("Games.example.com"), false, false, false},
        {std::string("games.example"), false, false, false},
        {std::string("news.example.com"), false, false, false},
        // The fixed texts compare exactly: a near miss is taken for a site.
        {kAllSites + " ", false, false, false},
        {kStandalone.substr(0, kStandalone.size() - 2), false, false, false},
    };
    for (const Case& c : cases) {
        const std::string label = c.selection ? "[" + *c.selection + "]" : "none";
        EXPECT_EQ(viewer::PassesSiteFilter(games, c.selection, kAllSites, kStandalone), c.games)
            << label;
        EXPECT_EQ(viewer::PassesSiteFilter(disk, c.selection, kAllSites, kStandalone), c.disk)
            << label;
        EXPECT_EQ(viewer::PassesSiteFilter(diskWithSite, c.selection, kAllSites, kStandalone),
                  c.diskWithSite)
            << label;
    }
}

TEST(SiteFilter, EntriesAreDistinctSitesInCatalogueOrder) {
    // 0x81 0x41 (丄) and 0x81 0x61 (乤) differ only in a trail byte that looks like a letter's
    // case: they are two sites.
    const std::string upperTrail = "\x81\x41.cn";
    const std::string lowerTrail = "\x81\x61.cn";
    const char* sites[] = {"games.example.com", "",
                           "news.example.com",  "Games.Example.COM",
                           "games.example.com", upperTrail.c_str(),
                           "toys.example.com",  "",
                           lowerTrail.c_str(),  "NEWS.example.com",
                           "\x81\x41.CN"};
    viewer::MovieCatalogue catalogue;
    std::int32_t id = 0;
    for (const char* site : sites) {
        viewer::MovieRecord r;
        r.site = site;
        r.standalone = r.site.empty();
        r.id = ++id;
        catalogue.Append(r);
    }
    const std::vector<std::string> expected = {"games.example.com", "news.example.com", upperTrail,
                                               "toys.example.com", lowerTrail};
    EXPECT_EQ(viewer::SiteEntries(catalogue), expected);
    EXPECT_TRUE(viewer::SiteEntries(viewer::MovieCatalogue()).empty());
}

// --- date filter ---------------------------------------------------------------------------

struct DateCase {
    const char* what;
    int kind;
    CivilTime now;
    CivilTime t;
    bool passes;
};

TEST(DateFilter, DayKindsCompareLocalCalendarFields) {
    PIN_ZONE("Europe/Berlin");
    const CivilTime mid = {2026, 3, 15, 10, 0, 0};
    const DateCase cases[] = {
        {"today, first second", viewer::kToday, mid, {2026, 3, 15, 0, 0, 0}, true},
        {"today, last second", viewer::kToday, mid, {2026, 3, 15, 23, 59, 59}, true},
        {"today, 23:59 yesterday", viewer::kToday, mid, {2026, 3, 14, 23, 59, 0}, false},
        {"today, tomorrow", viewer::kToday, mid, {2026, 3, 16, 0, 0, 0}, false},
        {"today, same day last month", viewer::kToday, mid, {2026, 2, 15, 10, 0, 0}, false},
        {"today, same day last year", viewer::kToday, mid, {2025, 3, 15, 10, 0, 0}, false},
        {"yesterday, 23:59", viewer::kYesterday, mid, {2026, 3, 14, 23, 59, 0}, true},
        {"yesterday, its first second", viewer::kYesterday, mid, {2026, 3, 14, 0, 0, 0}, true},
        {"yesterday, 00:00 today", viewer::kYesterday, mid, {2026, 3, 15, 0, 0, 0}, false},
        {"yesterday, the day before", viewer::kYesterday, mid, {2026, 3, 13, 23, 59, 59}, false},
        {"yesterday at midnight",
         viewer::kYesterday,
         {2026, 3, 15, 0, 0, 0},
         {2026, 3, 14, 12, 0, 0},
         true},
        {"yesterday on 1 January",
         viewer::kYesterday,
         {2026, 1, 1, 8, 0, 0},
         {2025, 12, 31, 12, 0, 0},
         true},
        {"yesterday on 1 January, wrong year",
         viewer::kYesterday,
         {2026, 1, 1, 8, 0, 0},
         {2026, 12, 31, 12, 0, 0},
         false},
        {"yesterday on 1 January, today",
         viewer::kYesterday,
         {2026, 1, 1, 8, 0, 0},
         {2026, 1, 1, 0, 0, 0},
         false},
        // One day of seconds back from 00:30 on 30 March, after a 23-hour 29 March, is still
        // 28 March.
        {"yesterday after the 23-hour day",
         viewer::kYesterday,
         {2026, 3, 30, 0, 30, 0},
         {2026, 3, 28, 12, 0, 0},
         true},
        {"yesterday after the 23-hour day, 29th",
         viewer::kYesterday,
         {2026, 3, 30, 0, 30, 0},
         {2026, 3, 29, 12, 0, 0},
         false},
        {"yesterday after the 23-hour day, 01:30",
         viewer::kYesterday,
         {2026, 3, 30, 1, 30, 0},
         {2026, 3, 29, 12, 0, 0},
         true},
        {"this month on the 1st, that day",
         viewer::kThisMonth,
         {2026, 3, 1, 0, 30, 0},
         {2026, 3, 1, 0, 0, 0},
         true},
        {"this month on the 1st, later",
         viewer::kThisMonth,
         {2026, 3, 1, 0, 30, 0},
         {2026, 3, 31, 23, 59, 59},
         true},
        {"this month on the 1st, last month",
         viewer::kThisMonth,
         {2026, 3, 1, 0, 30, 0},
         {2026, 2, 28, 23, 59, 59},
         false},
        {"this month, same month last year",
         viewer::kThisMonth,
         mid,
         {2025, 3, 10, 0, 0, 0},
         false},
        {"this month across the clock change",
         viewer::kThisMonth,
         {2026, 3, 31, 12, 0, 0},
         {2026, 3, 1, 0, 0, 0},
         true},
    };
    for (const DateCase& c : cases) {
        EXPECT_EQ(
            viewer::PassesDateFilter(
                At(c.t.year, c.t.month, c.t.day, c.t.hour, c.t.minute, c.t.second), c.kind,
                DateFilterDates{},
                At(c.now.year, c.now.month, c.now.day, c.now.hour, c.now.minute, c.now.second)),
            c.passes)
            << c.what;
    }
}

TEST(DateFilter, ExactDateUsesOnlyTheDayOfTheRememberedTime) {
    PIN_ZONE("Europe/Berlin");
    const Time64 now = At(2026, 7, 20, 9, 0);
    DateFilterDates dates;
    dates.exactDate = At(2026, 3, 3, 17, 45);
    const std::pair<Time64, bool> cases[] = {
        {At(2026, 3, 3), true},
        {At(2026, 3, 3, 23, 59, 59), true},
        {At(2026, 3, 2, 23, 59, 59), false},
        {At(2026, 3, 4), false},
        {At(2025, 3, 3, 12, 0), false},
        {now, false},
    };
    for (const auto& [t, passes] : cases) {
        EXPECT_EQ(viewer::PassesDateFilter(t, viewer::kExactDate, dates, now), passes) << t;
    }
    // On a first run the remembered day is the time the window was built: today's movies.
    dates.exactDate = now;
    EXPECT_TRUE(viewer::PassesDateFilter(At(2026, 7, 20), viewer::kExactDate, dates, now));
    EXPECT_FALSE(viewer::PassesDateFilter(At(2026, 7, 19, 23, 59), viewer::kExactDate, dates, now));
}

TEST(DateFilter, RangeCountsWholeHoursFromStartAndToEnd) {
    PIN_ZONE("Europe/Berlin");
    const Time64 now = At(2026, 7, 20, 9, 0);
    // The calendars give local midnights: 3 March to 5 March.
    const DateFilterDates march{0, At(2026, 3, 3), At(2026, 3, 5)};
    // A first run: start = end = the time the window was built.
    const Time64 built = At(2026, 3, 15, 10, 17, 23);
    const DateFilterDates firstRun{built, built, built};
    // A span whose last day is the 23-hour day of the clock change: the 25 hours after its
    // start are real seconds, so they reach 01:59:59 of the next day.
    const DateFilterDates overChange{0, At(2026, 3, 28), At(2026, 3, 29)};
    // An inverted span lets nothing through.
    const DateFilterDates inverted{0, At(2026, 3, 5), At(2026, 3, 3)};

    struct Case {
        const char* what;
        const DateFilterDates& dates;
        Time64 t;
        bool passes;
    };
    const Case cases[] = {
        {"2 March 23:30", march, At(2026, 3, 2, 23, 30), true},
        {"2 March 22:59", march, At(2026, 3, 2, 22, 59), false},
        {"3599 s before the start", march, march.startDate - 3599, true},
        {"3600 s before the start", march, march.startDate - 3600, false},
        {"4 March", march, At(2026, 3, 4, 12, 0), true},
        {"5 March 00:00", march, At(2026, 3, 5), true},
        {"5 March 23:59:59", march, At(2026, 3, 5, 23, 59, 59), true},
        {"6 March 00:30", march, At(2026, 3, 6, 0, 30), true},
        {"6 March 01:00", march, At(2026, 3, 6, 1, 0), false},
        {"89 999 s after the end day began", march, march.endDate + 89999, true},
        {"90 000 s after the end day began", march, march.endDate + 90000, false},
        {"first run, 3599 s before", firstRun, built - 3599, true},
        {"first run, 3600 s before", firstRun, built - 3600, false},
        {"first run, 89 999 s after", firstRun, built + 89999, true},
        {"first run, 90 000 s after", firstRun, built + 90000, false},
        {"over the change, 30 March 01:59:59", overChange, At(2026, 3, 30, 1, 59, 59), true},
        {"over the change, 30 March 02:00", overChange, At(2026, 3, 30, 2, 0), false},
        {"inverted, between", inverted, At(2026, 3, 4), false},
        {"inverted, on the start", inverted, At(2026, 3, 5), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(viewer::PassesDateFilter(c.t, viewer::kTimeRange, c.dates, now), c.passes)
            << c.what;
    }
}

TEST(DateFilter, ExtremeTimesNeitherOverflowNorPassDayKinds) {
    PIN_ZONE("Europe/Berlin");
    const Time64 now = At(2026, 3, 15, 10, 0);
    const DateFilterDates wide{0, kMin, kMax};
    const DateFilterDates dates{now, now, now};
    // Every kind that is not a day or a range lets even an unrepresentable time through.
    for (const int kind : {int{viewer::kAnyTime}, 0, -1, 144, 149, 999}) {
        for (const Time64 t : {kMin, Time64{0}, now, kMax}) {
            EXPECT_TRUE(viewer::PassesDateFilter(t, kind, dates, now)) << kind << " " << t;
        }
    }
    for (const int kind :
         {viewer::kToday, viewer::kYesterday, viewer::kThisMonth, viewer::kExactDate}) {
        EXPECT_FALSE(viewer::PassesDateFilter(kMax, kind, dates, now)) << kind;
        EXPECT_FALSE(viewer::PassesDateFilter(kMin, kind, dates, now)) << kind;
    }
    // An unrepresentable reference day: "now" for the day kinds, the remembered day for the
    // exact date.
    for (const int kind : {viewer::kToday, viewer::kYesterday, viewer::kThisMonth}) {
        EXPECT_FALSE(viewer::PassesDateFilter(now, kind, dates, kMin)) << kind;
        EXPECT_FALSE(viewer::PassesDateFilter(now, kind, dates, kMax)) << kind;
    }
    EXPECT_FALSE(viewer::PassesDateFilter(now, viewer::kExactDate, {kMax, 0, 0}, now));
    EXPECT_TRUE(viewer::PassesDateFilter(kMin, viewer::kTimeRange, wide, now));
    EXPECT_TRUE(viewer::PassesDateFilter(kMax, viewer::kTimeRange, wide, now));
    EXPECT_FALSE(viewer::PassesDateFilter(kMin, viewer::kTimeRange, {0, kMax, kMax}, now));
    EXPECT_FALSE(viewer::PassesDateFilter(kMax, viewer::kTimeRange, {0, kMin, kMin}, now));
}

TEST(DateFilter, RangeDialogAllowsOkUnlessEndIsAWholeDayBeforeStart) {
    PIN_ZONE("Europe/Berlin");
    const Time64 day = 86400;
    const Time64 s = At(2026, 3, 3);
    struct Case {
        Time64 start, end;
        bool ok;
    };
    const Case cases[] = {
        {s, s, true},
        {s, At(2026, 3, 5), true},
        {At(2026, 3, 5), s, false},
        {At(2026, 3, 4), s, false},
        // Truncation toward zero: anything short of a whole day back still counts as 0.
        {s, s - (day - 1), true},
        {s, s - day, false},
        // The day after the 23-hour day starts only 23 hours after it: (end - start) is
        // -82 800 s, which truncates to 0 days.
        {At(2026, 3, 30), At(2026, 3, 29), true},
        {At(2026, 3, 31), At(2026, 3, 29), false},
        {kMin, kMax, true},
        {kMax, kMin, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(viewer::RangeAllowsOk(c.start, c.end), c.ok) << c.start << " .. " << c.end;
    }
}

TEST(DateFilter, CalendarDaysBecomeLocalMidnights) {
    PIN_ZONE("Europe/Berlin");
    // From the zone's published rules: 29 March 2026 begins at 23:00 UTC the day before and
    // lasts 23 hours; 20 July begins at 22:00 UTC the day before.
    EXPECT_EQ(viewer::LocalMidnight(2026, 3, 29), Time64{1774738800});
    EXPECT_EQ(viewer::LocalMidnight(2026, 3, 30), Time64{1774821600});
    EXPECT_EQ(viewer::LocalMidnight(2026, 7, 20), Time64{1784498400});
    EXPECT_EQ(viewer::LocalMidnight(1970, 1, 1), Time64{-3600});
    EXPECT_TRUE(viewer::LocalMidnight(2024, 2, 29).has_value());
    for (const CivilTime& bad :
         {CivilTime{2026, 2, 29}, CivilTime{2026, 4, 31}, CivilTime{2026, 13, 1},
          CivilTime{2026, 0, 1}, CivilTime{2026, 1, 0}, CivilTime{0, 0, 0}}) {
        EXPECT_FALSE(viewer::LocalMidnight(bad.year, bad.month, bad.day).has_value())
            << bad.year << "-" << bad.month << "-" << bad.day;
    }
}

TEST(DateFilter, InitialEntryIsFoundByPrefixWhenRemembered) {
    // The combo's kinds follow its entries' order.
    EXPECT_EQ(viewer::kDateFilterOrder[0], viewer::kAnyTime);
    EXPECT_EQ(viewer::kDateFilterOrder[5], viewer::kTimeRange);

    struct Case {
        std::uint32_t save;
        std::string stored;
        int index;
    };
    const Case cases[] = {
        {0, kToday, 0},
        {0, "nothing", 0},
        {1, kToday, 1},
        {1, kYesterday, 2},
        {2, kThisMonth, 3},
        {1, kRange, 5},
        {1, "", 0},
        // Prefixes of whole characters select; the first entry wins.
        {1, "\xca\xb1", 5},  // 时
        {1, "\xbd\xf1", 1},  // 今
        // A stored text that matches nothing leaves the combo without a selection.
        {1, "\xc3\xf7\xcc\xec", -1},  // 明天
        {1, kExact + "x", -1},
        // Half a character is no prefix.
        {1, "\xbe", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(viewer::InitialDateEntry(c.save, c.stored, kDateEntries, kAnyTime), c.index)
            << c.save << " [" << c.stored << "]";
    }
    // Letter case is ignored; without the any-time entry nothing is selected.
    const std::vector<std::string> latin = {"Any time", "Today", "Yesterday"};
    EXPECT_EQ(viewer::InitialDateEntry(1, "tOD", latin, "Any time"), 1);
    EXPECT_EQ(viewer::InitialDateEntry(0, "", latin, "any TIME"), 0);
    EXPECT_EQ(viewer::InitialDateEntry(0, "", {kToday, kRange}, kAnyTime), -1);
}

// --- controls ------------------------------------------------------------------------------

TEST(ControlsState, FollowsRowsSelectionSourceAndDateKind) {
    struct Case {
        int rows, selected;
        std::optional<int> source, dateKind;
        bool del, save, saveAll, view, site, created, choose, folder;
        int labels[3];
    };
    const Case cases[] = {
        {0, 0, 135, 148, false, false, false, false, true, true, false, false, {137, 138, 139}},
        {3, 0, 135, 148, false, false, true, false, true, true, false, false, {137, 138, 139}},
        {3, 1, 135, 142, true, true, true, true, true, true, false, false, {137, 138, 139}},
        {3, 2, 135, 143, true, true, true, false, true, true, false, false, {137, 138, 139}},
        {3, 3, 134, 145, true, true, true, false, false, false, false, false, {153, 139, 140}},
        {5, 1, 136, 146, true, true, true, true, false, false, true, true, {153, 139, 140}},
        {5, 0, 136, 147, false, false, true, false, false, false, true, true, {153, 139, 140}},
        // No source selected counts as the Internet Explorer cache; no date kind, no dialog.
        {1,
         1,
         std::nullopt,
         std::nullopt,
         true,
         true,
         true,
         true,
         true,
         true,
         false,
         false,
         {137, 138, 139}},
        {0, 0, 134, 147, false, false, false, false, false, false, true, false, {153, 139, 140}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const viewer::ControlsState s =
            viewer::ComputeControlsState(c.rows, c.selected, c.source, c.dateKind);
        SCOPED_TRACE(testing::Message() << "case " << i);
        EXPECT_EQ(s.deleteEnabled, c.del);
        EXPECT_EQ(s.saveAsEnabled, c.save);
        EXPECT_EQ(s.saveEnabled, c.save);
        EXPECT_EQ(s.saveAllEnabled, c.saveAll);
        EXPECT_EQ(s.viewEnabled, c.view);
        EXPECT_EQ(s.siteComboEnabled, c.site);
        EXPECT_EQ(s.createdVisible, c.created);
        EXPECT_EQ(s.dateChooseEnabled, c.choose);
        EXPECT_EQ(s.folderEnabled, c.folder);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(s.labelIds[k], c.labels[k]) << "label " << k;
    }
}

// --- details -------------------------------------------------------------------------------

TEST(Details, CreationTimeIsTheLocaleDateAndTimeOfTheLocalFields) {
    PIN_ZONE("Europe/Berlin");
    // Expected fields from the zone's rules and the calendar, weekday and day of year
    // included, formatted by the same C library.
    struct Case {
        Time64 t;
        std::tm fields;
    };
    auto tm = [](int y, int mo, int d, int h, int mi, int s, int wday, int yday) {
        std::tm r{};
        r.tm_year = y - 1900;
        r.tm_mon = mo - 1;
        r.tm_mday = d;
        r.tm_hour = h;
        r.tm_min = mi;
        r.tm_sec = s;
        r.tm_wday = wday;
        r.tm_yday = yday;
        r.tm_isdst = -1;
        return r;
    };
    const Case cases[] = {
        {1772717400, tm(2026, 3, 5, 14, 30, 0, 4, 63)},  // Thursday, winter time
        {1784531107, tm(2026, 7, 20, 9, 5, 7, 1, 200)},  // Monday, summer time
        {-7200, tm(1969, 12, 31, 23, 0, 0, 3, 364)},     // Wednesday, before the epoch
        {-630334800, tm(1950, 1, 10, 12, 0, 0, 2, 9)},   // Tuesday, decades before it
    };
    for (const Case& c : cases) {
        char expected[128];
        const std::size_t n = std::strftime(expected, sizeof expected, "%c", &c.fields);
        ASSERT_GT(n, 0u);
        EXPECT_EQ(viewer::TimeText(c.t), std::string(expected, n)) << c.t;
    }
    EXPECT_EQ(viewer::TimeText(kMax), "");
    EXPECT_EQ(viewer::TimeText(kMin), "");
}

TEST(Details, FieldsFollowTheSource) {
    PIN_ZONE("Europe/Berlin");
    viewer::MovieRecord indexed;
    indexed.url = "http://www.games.example.com/intro.swf";
    indexed.site = "games.example.com";
    indexed.modifiedText = "Thu, 05 Mar 2026 13:30:00 GMT";
    indexed.sizeText = "12 345";
    indexed.localPath = "C:\\cache\\QXXUY0NE\\intro[1].swf";
    indexed.name = "intro";
    indexed.time = 1772717400;
    viewer::MovieRecord onDisk = indexed;  // standalone: no URL, no last-modified time
    onDisk.url.clear();
    onDisk.site.clear();
    onDisk.modifiedText.clear();
    onDisk.standalone = true;
    const std::string when = viewer::TimeText(indexed.time);
    ASSERT_FALSE(when.empty());

    struct Case {
        const char* what;
        const viewer::MovieRecord& r;
        int source;
        viewer::DetailTexts expected;
    };
    const Case cases[] = {
        {"indexed", indexed, 135, {indexed.url, indexed.modifiedText, "12 345" + kBytes, when}},
        {"standalone", onDisk, 135, {indexed.localPath, "", "12 345" + kBytes, when}},
        {"firefox", indexed, 134, {indexed.localPath, "12 345" + kBytes, when, ""}},
        {"folder", onDisk, 136, {indexed.localPath, "12 345" + kBytes, when, ""}},
    };
    for (const Case& c : cases) {
        const viewer::DetailTexts d = viewer::DetailsFor(c.r, c.source, kBytes);
        EXPECT_EQ(d.field1005, c.expected.field1005) << c.what;
        EXPECT_EQ(d.field1009, c.expected.field1009) << c.what;
        EXPECT_EQ(d.field1008, c.expected.field1008) << c.what;
        EXPECT_EQ(d.field1010, c.expected.field1010) << c.what;
    }
    // A time that cannot be broken down leaves the creation-time field empty.
    viewer::MovieRecord timeless = indexed;
    timeless.time = kMax;
    EXPECT_EQ(viewer::DetailsFor(timeless, 135, kBytes).field1010, "");
    EXPECT_EQ(viewer::DetailsFor(timeless, 134, kBytes).field1008, "");
}

}  // namespace
