// Where the folder source goes when the user opens one of its folder entries.
#pragma once

#include <string>

namespace viewer {

// The folder entered by opening the entry named entryName while currentFolder is shown. The
// current folder is first trimmed of backslashes at both ends (it may be stored with a
// trailing one), a network path keeping its leading "\\". ".." cuts at the last backslash
// when that lies after the first character (after the share on a network path), and gives a
// drive its root backslash back ("C:" becomes "C:\"); without such a backslash the trimmed
// folder stays. Any other entry is appended after a backslash. Whether the folder
// still exists is not asked: a vanished folder is entered all the same and scans empty.
std::string FolderAfterOpening(const std::string& currentFolder, const std::string& entryName);

}  // namespace viewer
