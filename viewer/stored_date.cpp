#include "viewer/stored_date.h"

namespace viewer {

StoredDateBytes PackStoredDate(const StoredDate& date) {
    const std::uint16_t fields[6] = {date.hour, date.minute, date.second,
                                     date.year, date.month,  date.day};
    StoredDateBytes bytes{};
    for (int i = 0; i < 6; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(fields[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(fields[i] >> 8);
    }
    return bytes;
}

StoredDate UnpackStoredDate(const StoredDateBytes& bytes) {
    auto field = [&](int i) {
        return static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    };
    return StoredDate{field(0), field(1), field(2), field(3), field(4), field(5)};
}

StoredDate StoredDateFromTime(base::Time64 t) {
    const auto local = base::BreakDownLocal(t);
    if (!local || local->year < 0 || local->year > 0xFFFF)
        return StoredDate{0xFFFF, 0xFFFF, 0xFFFF, 0, 0, 0};
    return StoredDate{
        static_cast<std::uint16_t>(local->hour),   static_cast<std::uint16_t>(local->minute),
        static_cast<std::uint16_t>(local->second), static_cast<std::uint16_t>(local->year),
        static_cast<std::uint16_t>(local->month),  static_cast<std::uint16_t>(local->day)};
}

std::optional<base::Time64> TimeFromStoredDate(const StoredDate& date) {
    const base::CivilTime local{date.year, date.month,  date.day,
                                date.hour, date.minute, date.second};
    if (!base::IsValidCivilTime(local)) return std::nullopt;
    return base::ComposeLocal(local);
}

}  // namespace viewer
