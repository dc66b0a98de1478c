#include "viewer/presentation/details.h"

#include <ctime>

namespace viewer {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
long long DaysFromCivil(int year, int month, int day) {
    const long long y = year - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long mp = (month + 9) % 12;
    const long long doy = (153 * mp + 2) / 5 + day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

DetailTexts DetailsFor(const MovieRecord& r, int source, const std::string& bytesUnit) {
    DetailTexts d;
    if (source == kIeCacheSource) {
        // Movies found on disk beside the index have no URL; their path is the next best
        // answer to "where did this come from".
        d.field1005 = r.url.empty() ? r.localPath : r.url;
        d.field1009 = r.modifiedText;
        d.field1008 = r.sizeText + bytesUnit;
        d.field1010 = TimeText(r.time);
    } else {
        d.field1005 = r.localPath;
        d.field1009 = r.sizeText + bytesUnit;
        d.field1008 = TimeText(r.time);
    }
    return d;
}

std::string TimeText(base::Time64 t) {
    // The breakdown goes through the platform seam, so the text follows the same zone rules
    // as the date filter; the weekday and day of the year, which "%c" may print, are derived
    // from the calendar date.
    const auto local = base::BreakDownLocal(t);
    if (!local) return {};
    std::tm tm{};
    tm.tm_year = local->year - 1900;
    tm.tm_mon = local->month - 1;
    tm.tm_mday = local->day;
    tm.tm_hour = local->hour;
    tm.tm_min = local->minute;
    tm.tm_sec = local->second;
    const long long days = DaysFromCivil(local->year, local->month, local->day);
    tm.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    tm.tm_yday = static_cast<int>(days - DaysFromCivil(local->year, 1, 1));
    tm.tm_isdst = -1;
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%c", &tm);
    // strftime answers 0 when the text does not fit; the buffer is then undefined.
    return std::string(buffer, n);
}

}  // namespace viewer
