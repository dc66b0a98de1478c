// Moravel's command line: one optional switch that preselects a site.
#pragma once

#include <string>
#include <vector>

namespace viewer {

// The site named by the first switch ("/" or "-") that, without its switch character, is
// longer than six characters and begins with "site:" in any letter case; the text after
// "site:" as typed. Empty when no switch names one. args are the program's arguments without
// the program name; arguments that are no switch are ignored.
std::string CommandLineSite(const std::vector<std::string>& args);

}  // namespace viewer
