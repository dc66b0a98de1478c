#include "player/shell/viewer_launch.h"

#include <windows.h>
#include <shellapi.h>

#include "player/shell/association_rules.h"

namespace player {

std::string ViewerPathBeside(std::string_view programPath) {
    const std::string folder = DirectoryOf(programPath);
    if (folder.empty()) return {};
    return folder + "\\" + kViewerFile;
}

void ShellOpen(const std::string& target) {
    if (target.empty()) return;
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    // The shell's own error boxes stay away too: a failure shows nothing at all.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = target.c_str();
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&info);
}

}  // namespace player
