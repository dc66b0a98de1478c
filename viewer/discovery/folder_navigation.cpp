#include "viewer/discovery/folder_navigation.h"

#include "base/ansi_text.h"

namespace viewer {

std::string FolderAfterOpening(const std::string& currentFolder, const std::string& entryName) {
    const std::string trimmed(base::TrimChar(currentFolder, '\\'));
    if (entryName != "..") return trimmed + "\\" + entryName;

    const std::size_t slash = base::FindLastChar(trimmed, '\\');
    if (slash == std::string::npos || slash == 0) return trimmed;
    std::string parent = trimmed.substr(0, slash);
    // "C:" alone would mean the drive's current folder, not its root.
    if (parent.size() == 2) parent += "\\";
    return parent;
}

}  // namespace viewer
