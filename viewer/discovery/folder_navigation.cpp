#include "viewer/discovery/folder_navigation.h"

#include "base/ansi_text.h"
#include "viewer/discovery/source_folders.h"

namespace viewer {

std::string FolderAfterOpening(const std::string& currentFolder, const std::string& entryName) {
    const std::string trimmed = TrimFolderBackslashes(currentFolder);
    if (entryName != "..") return trimmed + "\\" + entryName;

    // The cut must lie after the first character; on a network path it must also lie after
    // the share (\\server\share has no parent the folder source could list).
    std::size_t floor = 0;
    if (IsNetworkPath(trimmed)) {
        floor = base::FindChar(trimmed, '\\', 2);
        if (floor == std::string::npos) floor = trimmed.size();
    }
    const std::size_t slash = base::FindLastChar(trimmed, '\\');
    if (slash == std::string::npos || slash <= floor) return trimmed;
    std::string parent = trimmed.substr(0, slash);
    // "C:" alone would mean the drive's current folder, not its root.
    if (parent.size() == 2) parent += "\\";
    return parent;
}

}  // namespace viewer
