// The 12-byte layout of the date settings "exactDate", "startDate" and "endDate": six unsigned
// 16-bit little-endian fields of local time, hour, minute, second, year, month, day.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "base/local_time.h"

namespace viewer {

inline constexpr std::size_t kStoredDateSize = 12;
using StoredDateBytes = std::array<std::uint8_t, kStoredDateSize>;

struct StoredDate {
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;

    friend bool operator==(const StoredDate&, const StoredDate&) = default;
};

StoredDateBytes PackStoredDate(const StoredDate& date);
StoredDate UnpackStoredDate(const StoredDateBytes& bytes);

// The local fields of t. When t cannot be broken down, hour, minute and second are 0xFFFF and
// year, month and day 0, a pattern that never reads back as a valid date.
StoredDate StoredDateFromTime(base::Time64 t);

// The time of the stored local fields; empty when they form no valid local time (month 13,
// day 0, year 1800, the failure pattern above).
std::optional<base::Time64> TimeFromStoredDate(const StoredDate& date);

}  // namespace viewer
