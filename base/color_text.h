// Colours as the Flash control's BGColor property takes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace base {

// A Windows colour value (0x00BBGGRR) as six upper-case hexadecimal digits RRGGBB: pure red
// (0x0000FF) gives "FF0000". Bits above the 24 colour bits are ignored.
std::string ToBgColorText(std::uint32_t colorref);

// "RRGGBB" (a leading "#" allowed, letter case ignored) back to 0x00BBGGRR; empty for any
// other text.
std::optional<std::uint32_t> ParseBgColorText(std::string_view text);

}  // namespace base
