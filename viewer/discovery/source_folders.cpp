#include "viewer/discovery/source_folders.h"

#include "base/ansi_text.h"

namespace viewer {

bool IsNetworkPath(std::string_view folder) {
    return folder.size() >= 2 && folder[0] == '\\' && folder[1] == '\\';
}

std::string TrimFolderBackslashes(std::string_view folder) {
    const std::string_view trimmed = base::TrimChar(folder, '\\');
    if (trimmed.empty()) return {};
    return IsNetworkPath(folder) ? "\\\\" + std::string(trimmed) : std::string(trimmed);
}

std::string SearchRoot(std::string_view setting, std::string_view defaultFolder) {
    return TrimFolderBackslashes(setting.empty() ? defaultFolder : setting);
}

std::string FirefoxRoot(std::string_view setting, std::string_view appData) {
    if (!setting.empty()) return TrimFolderBackslashes(setting);
    const std::string base = TrimFolderBackslashes(appData);
    if (base.empty()) return {};
    return base + "\\Mozilla\\Firefox";
}

}  // namespace viewer
