// Local time breakdown and composition in two pinned zones, one with daylight saving. The
// expectations come from the zones' published rules, not from the code under test.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "base/local_time.h"
#include "tests/zone_scope.h"
#include "viewer/stored_date.h"

namespace {

using base::CivilTime;
using base::Time64;

struct ZoneCase {
    const char* zone;
    CivilTime local;
    Time64 utc;
};

class LocalTimeInZone : public testing::TestWithParam<ZoneCase> {};

TEST_P(LocalTimeInZone, BreaksDownAndComposesBothWays) {
    const ZoneCase& c = GetParam();
    PIN_ZONE(c.zone);
    const auto local = base::BreakDownLocal(c.utc);
    ASSERT_TRUE(local.has_value());
    EXPECT_EQ(*local, c.local);
    EXPECT_EQ(base::ComposeLocal(c.local), c.utc);
}

INSTANTIATE_TEST_SUITE_P(Zones, LocalTimeInZone,
                         testing::Values(
                             // Summer time (UTC+2) and winter time (UTC+1) in Berlin.
                             ZoneCase{"Europe/Berlin", {2026, 7, 1, 12, 0, 0}, 1782900000},
                             ZoneCase{"Europe/Berlin", {2026, 1, 15, 12, 0, 0}, 1768474800},
                             ZoneCase{"Europe/Berlin", {2000, 2, 29, 23, 59, 59}, 951865199},
                             // Local midnight of 1 January 1970 lies before the epoch in UTC.
                             ZoneCase{"Europe/Berlin", {1970, 1, 1, 0, 0, 0}, -3600},
                             // The last second of summer time before the clocks go back.
                             ZoneCase{"Europe/Berlin", {2026, 10, 25, 1, 59, 59}, 1792886399},
                             // Shanghai keeps UTC+8 all year.
                             ZoneCase{"Asia/Shanghai", {2026, 7, 1, 12, 0, 0}, 1782878400},
                             ZoneCase{"Asia/Shanghai", {2026, 1, 15, 12, 0, 0}, 1768449600},
                             ZoneCase{"Asia/Shanghai", {1970, 1, 1, 0, 0, 0}, -28800}));

TEST(LocalTime, RepeatedHourOfAutumnComposesToOneOfItsTwoInstants) {
    PIN_ZONE("Europe/Berlin");
    // 02:30 on 25 October 2026 happens twice, in summer time and then in winter time; which
    // one is the system's choice, but it must be one of them.
    const auto t = base::ComposeLocal({2026, 10, 25, 2, 30, 0});
    ASSERT_TRUE(t.has_value());
    EXPECT_TRUE(*t == 1792888200 || *t == 1792891800) << *t;
}

TEST(LocalTime, RejectsFieldsThatAreNoLocalTime) {
    const CivilTime bad[] = {{2026, 13, 1, 0, 0, 0}, {2026, 0, 1, 0, 0, 0},
                             {2026, 1, 0, 0, 0, 0},  {2026, 4, 31, 0, 0, 0},
                             {2026, 2, 29, 0, 0, 0}, {1800, 1, 1, 0, 0, 0},
                             {2026, 1, 1, 24, 0, 0}, {2026, 1, 1, 0, 60, 0},
                             {2026, 1, 1, 0, 0, 60}, {0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF}};
    for (const CivilTime& t : bad) {
        EXPECT_FALSE(base::IsValidCivilTime(t)) << t.year << "-" << t.month << "-" << t.day;
        EXPECT_FALSE(base::ComposeLocal(t).has_value());
    }
    EXPECT_TRUE(base::IsValidCivilTime({2024, 2, 29, 23, 59, 59}));
    EXPECT_TRUE(base::IsValidCivilTime({2000, 2, 29, 0, 0, 0}));
    EXPECT_FALSE(base::IsValidCivilTime({1900, 2, 29, 0, 0, 0}));
}

TEST(LocalTime, TimesBeyondAnyCalendarCannotBeBrokenDown) {
    EXPECT_FALSE(base::BreakDownLocal(std::numeric_limits<Time64>::max()).has_value());
    EXPECT_FALSE(base::BreakDownLocal(std::numeric_limits<Time64>::min()).has_value());
}

// --- the 12-byte StoredDate ------------------------------------------------------------

TEST(StoredDate, FieldsAreLittleEndianInStoredOrder) {
    const viewer::StoredDate date{23, 59, 58, 2026, 12, 31};
    const viewer::StoredDateBytes expected = {23, 0, 59, 0, 58, 0, 0xEA, 0x07, 12, 0, 31, 0};
    EXPECT_EQ(viewer::PackStoredDate(date), expected);
    EXPECT_EQ(viewer::UnpackStoredDate(expected), date);
}

TEST(StoredDate, BreakdownFailureWritesTheMarkerThatNeverReadsBack) {
    const viewer::StoredDate failed =
        viewer::StoredDateFromTime(std::numeric_limits<Time64>::max());
    EXPECT_EQ(failed, (viewer::StoredDate{0xFFFF, 0xFFFF, 0xFFFF, 0, 0, 0}));
    EXPECT_FALSE(viewer::TimeFromStoredDate(failed).has_value());
}

struct StoredCase {
    const char* zone;
    viewer::StoredDate fields;
    Time64 utc;
};

class StoredDateInZone : public testing::TestWithParam<StoredCase> {};

TEST_P(StoredDateInZone, HoldsLocalFields) {
    const StoredCase& c = GetParam();
    PIN_ZONE(c.zone);
    EXPECT_EQ(viewer::StoredDateFromTime(c.utc), c.fields);
    EXPECT_EQ(viewer::TimeFromStoredDate(c.fields), c.utc);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, StoredDateInZone,
    testing::Values(StoredCase{"Europe/Berlin", {12, 0, 0, 2026, 7, 1}, 1782900000},
                    StoredCase{"Europe/Berlin", {12, 0, 0, 2026, 1, 15}, 1768474800},
                    StoredCase{"Asia/Shanghai", {12, 0, 0, 2026, 7, 1}, 1782878400}));

TEST(StoredDate, InvalidFieldsGiveNoTime) {
    const viewer::StoredDate bad[] = {{0, 0, 0, 2026, 13, 1},
                                      {0, 0, 0, 2026, 1, 0},
                                      {0, 0, 0, 1800, 1, 1},
                                      {0, 0, 0, 0, 0, 0},
                                      {25, 0, 0, 2026, 1, 1}};
    for (const auto& date : bad) EXPECT_FALSE(viewer::TimeFromStoredDate(date).has_value());
}

}  // namespace
