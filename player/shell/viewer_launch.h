// Tessaly and Moravel ship side by side: the player starts the viewer as a process of its
// own, passing nothing, and opens addresses (mail, web) in the programs the shell chooses.
#pragma once

#include <string>
#include <string_view>

namespace player {

inline constexpr char kViewerFile[] = "Moravel.exe";

// "Moravel.exe" in the folder of programPath (the running player); empty when the path has
// no folder, so that nothing is started from wherever the current folder happens to be.
std::string ViewerPathBeside(std::string_view programPath);

// The shell's "open" verb on a file or an address, with no owner window, parameters or
// working folder, shown normally. The outcome is not examined and nothing is shown on
// failure: a missing viewer or a missing mail program leaves the player as it was.
void ShellOpen(const std::string& target);

}  // namespace player
