// Native breakdown through the C library, which follows TZ.
#include <ctime>
#include <limits>

#include "base/local_time.h"

namespace base {

Time64 Now() {
    return static_cast<Time64>(std::time(nullptr));
}

std::optional<CivilTime> BreakDownLocal(Time64 t) {
    if (t < std::numeric_limits<std::time_t>::min() || t > std::numeric_limits<std::time_t>::max())
        return std::nullopt;
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    if (localtime_r(&tt, &tm) == nullptr) return std::nullopt;
    return CivilTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

std::optional<Time64> ComposeLocal(const CivilTime& local) {
    if (!IsValidCivilTime(local)) return std::nullopt;
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;  // let the zone rules decide
    const std::time_t t = mktime(&tm);
    // mktime answers -1 both for failure and for one real second; only that second breaks
    // back down to the same fields.
    if (t == static_cast<std::time_t>(-1)) {
        const auto back = BreakDownLocal(-1);
        if (!back || !(*back == local)) return std::nullopt;
    }
    return static_cast<Time64>(t);
}

}  // namespace base
