// Times are signed 64-bit counts of seconds since 1970-01-01 00:00 UTC, broken down into the
// system's local time for display, comparison and storage. The breakdown itself belongs to the
// platform: the C library's zone rules natively (TZ), the system's time zone in the programs.
#pragma once

#include <cstdint>
#include <optional>

namespace base {

using Time64 = std::int64_t;

// Calendar fields of a local time; month 1-12, day 1-31.
struct CivilTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// The current time.
Time64 Now();

// The local calendar fields of t; empty when the platform cannot break t down.
std::optional<CivilTime> BreakDownLocal(Time64 t);

// The time of the given local fields, the daylight-saving state decided by the system. The
// fields must pass IsValidCivilTime; empty otherwise or when the platform cannot convert.
std::optional<Time64> ComposeLocal(const CivilTime& local);

// True for a real calendar day and time of day in the years the programs accept
// (1900-3000): month 13, day 0, 31 April or 29 February of a common year are rejected.
bool IsValidCivilTime(const CivilTime& t);

int DaysInMonth(int year, int month);

}  // namespace base
