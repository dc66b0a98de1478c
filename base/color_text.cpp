#include "base/color_text.h"

#include <cstdio>

namespace base {

std::string ToBgColorText(std::uint32_t colorref) {
    // "%06X" of 0x00BBGGRR is BBGGRR; the pairs swap to RRGGBB.
    char bgr[16];
    std::snprintf(bgr, sizeof(bgr), "%06X", static_cast<unsigned>(colorref & 0xFFFFFF));
    return std::string(bgr + 4, 2) + std::string(bgr + 2, 2) + std::string(bgr, 2);
}

std::optional<std::uint32_t> ParseBgColorText(std::string_view text) {
    if (!text.empty() && text[0] == '#') text.remove_prefix(1);
    if (text.size() != 6) return std::nullopt;
    std::uint32_t rgb = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        rgb = rgb * 16 + static_cast<std::uint32_t>(digit);
    }
    const std::uint32_t r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r | (g << 8) | (b << 16);
}

}  // namespace base
