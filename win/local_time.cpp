// Local time through the system's own time zone and daylight-saving rules.
#include <windows.h>

#include "base/local_time.h"

namespace base {
namespace {

// Seconds between 1601-01-01 (FILETIME's epoch) and 1970-01-01.
constexpr Time64 kEpochDelta = 11644473600LL;
constexpr Time64 kTicksPerSecond = 10000000LL;

bool ToFileTime(Time64 t, FILETIME& ft) {
    // FILETIME counts 100 ns ticks from 1601 in a signed 64-bit range.
    if (t < -kEpochDelta || t > (INT64_MAX / kTicksPerSecond) - kEpochDelta) return false;
    const ULONGLONG ticks = static_cast<ULONGLONG>(t + kEpochDelta) * kTicksPerSecond;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return true;
}

}  // namespace

Time64 Now() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<Time64>(ticks / kTicksPerSecond) - kEpochDelta;
}

std::optional<CivilTime> BreakDownLocal(Time64 t) {
    FILETIME ft;
    SYSTEMTIME utc, local;
    if (!ToFileTime(t, ft) || !FileTimeToSystemTime(&ft, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return std::nullopt;
    return CivilTime{local.wYear, local.wMonth,  local.wDay,
                     local.wHour, local.wMinute, local.wSecond};
}

std::optional<Time64> ComposeLocal(const CivilTime& fields) {
    if (!IsValidCivilTime(fields)) return std::nullopt;
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(fields.year);
    local.wMonth = static_cast<WORD>(fields.month);
    local.wDay = static_cast<WORD>(fields.day);
    local.wHour = static_cast<WORD>(fields.hour);
    local.wMinute = static_cast<WORD>(fields.minute);
    local.wSecond = static_cast<WORD>(fields.second);
    SYSTEMTIME utc;
    FILETIME ft;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &ft))
        return std::nullopt;
    const ULONGLONG ticks = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<Time64>(ticks / kTicksPerSecond) - kEpochDelta;
}

}  // namespace base
