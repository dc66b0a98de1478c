// The folders the sources search, as texts: how a stored or default folder is cleaned before a
// search, and which folder the Firefox source starts from.
#pragma once

#include <string>
#include <string_view>

namespace viewer {

// The folder without backslashes at either end (whole characters only, so a trail byte equal
// to "\" stays), except that a network path (\\server\share\...) keeps the two backslashes it
// begins with: without them it would become a relative path and be searched from the current
// directory. Empty when nothing but backslashes is left.
std::string TrimFolderBackslashes(std::string_view folder);

// True for a folder that begins with two backslashes (a network or device path).
bool IsNetworkPath(std::string_view folder);

// The root of a disk search: the stored setting when it is not empty, else the default folder,
// trimmed as above. Empty means there is nothing to search.
std::string SearchRoot(std::string_view setting, std::string_view defaultFolder);

// The Firefox tree: the stored setting when it is not empty, else the application data folder
// followed by "\Mozilla\Firefox". Empty (nothing to search) when neither is known, rather than
// the relative path "Mozilla\Firefox".
std::string FirefoxRoot(std::string_view setting, std::string_view appData);

}  // namespace viewer
