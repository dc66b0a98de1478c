// The date filter: which record times the date combo's kinds let through, the range dialog's
// OK rule, the day a month calendar stands for, and the entry selected when the window opens.
// Everything here breaks times down in the system's local time zone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/local_time.h"

namespace viewer {

// The kinds of the date combo. Each is also the identifier of its entry's string, the combo's
// item data, and what the kind is called in the settings.
enum DateFilterKind : int {
    kAnyTime = 148,
    kToday = 142,
    kYesterday = 143,
    kThisMonth = 145,
    kExactDate = 146,
    kTimeRange = 147,
};

// The date combo's kinds in their fixed order.
inline constexpr int kDateFilterOrder[6] = {148, 142, 143, 145, 146, 147};

// The remembered day of the exact-date filter and span of the range filter.
struct DateFilterDates {
    base::Time64 exactDate = 0, startDate = 0, endDate = 0;
};

// True when a record of time t is listed under the given kind. "now" is the caller's single
// reading of the clock. Any kind not listed above (and 148, 0) lets everything through. A
// time that cannot be broken down into local time fails every day-based kind.
bool PassesDateFilter(base::Time64 t, int kind, const DateFilterDates& dates, base::Time64 now);

// The range dialog's OK rule: (end - start) / 86400, truncated toward zero, is >= 0.
bool RangeAllowsOk(base::Time64 start, base::Time64 end);

// A calendar's selected day as a local midnight (hour, minute, second zero); empty when the
// day is no real day or the system cannot convert it.
std::optional<base::Time64> LocalMidnight(int year, int month, int day);

// Index of the entry to select when the window opens: with saveDateFilter non-zero, the first
// entry whose text begins with stored (letter case ignored; stored empty -> the entry
// anyTimeText); otherwise the anyTimeText entry. -1 when none matches.
int InitialDateEntry(std::uint32_t saveDateFilter, const std::string& stored,
                     const std::vector<std::string>& entryTexts, const std::string& anyTimeText);

}  // namespace viewer
