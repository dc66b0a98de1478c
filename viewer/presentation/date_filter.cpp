#include "viewer/presentation/date_filter.h"

#include <limits>

#include "base/ansi_text.h"

namespace viewer {
namespace {

constexpr base::Time64 kHour = 3600;
constexpr base::Time64 kDay = 86400;

// True when (a - b) / unit, truncated toward zero, is >= -limit (limit >= 0). For a < b the
// quotient is -floor((b - a) / unit), so the test becomes b - a < (limit + 1) * unit. The
// difference of two arbitrary 64-bit times can overflow a signed subtraction; taken in
// unsigned arithmetic when b > a it is exact, since it then lies in 1 .. 2^64 - 1.
bool WholeUnitsAtLeast(base::Time64 a, base::Time64 b, base::Time64 unit, base::Time64 limit) {
    if (a >= b) return true;
    const std::uint64_t behind = static_cast<std::uint64_t>(b) - static_cast<std::uint64_t>(a);
    return behind < static_cast<std::uint64_t>((limit + 1) * unit);
}

bool SameDay(const base::CivilTime& a, const base::CivilTime& b) {
    return a.day == b.day && a.month == b.month && a.year == b.year;
}

}  // namespace

bool PassesDateFilter(base::Time64 t, int kind, const DateFilterDates& dates, base::Time64 now) {
    switch (kind) {
        case kToday:
        case kYesterday:
        case kThisMonth:
        case kExactDate: {
            base::Time64 reference = now;
            if (kind == kYesterday) {
                // One day of seconds back, not one calendar day: in the first hour after the
                // night the clocks went forward this lands on the day before yesterday.
                if (now < std::numeric_limits<base::Time64>::min() + kDay) return false;
                reference = now - kDay;
            } else if (kind == kExactDate) {
                reference = dates.exactDate;
            }
            const auto when = base::BreakDownLocal(t);
            const auto ref = base::BreakDownLocal(reference);
            if (!when || !ref) return false;
            if (kind == kThisMonth) return when->month == ref->month && when->year == ref->year;
            return SameDay(*when, *ref);
        }
        case kTimeRange:
            // Whole hours, truncated toward zero: the hour before the start day and the 25th
            // hour after the end day began still count, which keeps the whole end day in.
            return WholeUnitsAtLeast(t, dates.startDate, kHour, 0) &&
                   WholeUnitsAtLeast(dates.endDate, t, kHour, 24);
        default:
            return true;
    }
}

bool RangeAllowsOk(base::Time64 start, base::Time64 end) {
    return WholeUnitsAtLeast(end, start, kDay, 0);
}

std::optional<base::Time64> LocalMidnight(int year, int month, int day) {
    return base::ComposeLocal(base::CivilTime{year, month, day, 0, 0, 0});
}

int InitialDateEntry(std::uint32_t saveDateFilter, const std::string& stored,
                     const std::vector<std::string>& entryTexts, const std::string& anyTimeText) {
    // The combo's select-by-text search: the first entry that begins with the text.
    const std::string& wanted = (saveDateFilter != 0 && !stored.empty()) ? stored : anyTimeText;
    for (std::size_t i = 0; i < entryTexts.size(); ++i) {
        if (base::StartsWithNoCase(entryTexts[i], wanted)) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace viewer
