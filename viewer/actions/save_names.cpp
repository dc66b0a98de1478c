#include "viewer/actions/save_names.h"

#include <cstdio>
#include <string_view>

#include "base/ansi_text.h"

namespace viewer {

std::string SaveCandidate(const std::string& folder, const std::string& base, int n) {
    std::string path = folder + "\\" + base;
    if (n != 0) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%02d", n);
        path += digits;
    }
    return path + ".swf";
}

std::string FreeSaveTarget(const std::string& folder, const std::string& base,
                           const std::function<bool(const std::string&)>& taken) {
    for (int n = 0;; ++n) {
        std::string candidate = SaveCandidate(folder, base, n);
        if (!taken(candidate)) return candidate;
    }
}

SaveAsChoice ParseSaveAsChoice(const std::string& chosenPath, const std::string& fallbackBase) {
    const std::size_t slash = base::FindLastChar(chosenPath, '\\');
    const std::string_view fileName = slash == std::string::npos
                                          ? std::string_view(chosenPath)
                                          : std::string_view(chosenPath).substr(slash + 1);
    const std::size_t dot = base::FindLastChar(fileName, '.');
    const std::string_view title = dot == std::string::npos ? fileName : fileName.substr(0, dot);

    SaveAsChoice choice;
    choice.base = title.empty() ? fallbackBase : std::string(title);
    const bool cut = slash != std::string::npos && slash != 0 && slash + 1 != chosenPath.size();
    choice.folder = cut ? chosenPath.substr(0, slash) : chosenPath;
    return choice;
}

std::string CutForPathBuffer(const std::string& text) {
    const std::size_t limit = kPathBufferChars - 1;
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + base::CharLength(text, end);
        if (next > limit) break;
        end = next;
    }
    return text.substr(0, end);
}

}  // namespace viewer
