#include "player/shell/association_rules.h"

#include "base/ansi_text.h"

namespace player {

std::string OpenCommandText(std::string_view programPath) {
    std::string command;
    if (base::FindChar(programPath, ' ') != std::string_view::npos)
        command = "\"" + std::string(programPath) + "\"";
    else
        command = programPath;
    return command + " \"%1\"";
}

std::string IconValue(int iconKind, std::string_view modulePath, std::string_view moduleDirectory) {
    if (iconKind == 0) return {};
    if (iconKind == kIconDark)
        return modulePath.empty() ? std::string() : std::string(modulePath) + ",0";
    if (moduleDirectory.empty()) return {};
    return std::string(moduleDirectory) + "\\" + kLightIconFile;
}

bool SwfKeyIsOurs(bool readOk, std::string_view value) {
    return !readOk || value.empty() || base::EqualsNoCase(value, kFileTypeId);
}

std::string CommandProgramPath(std::string_view command) {
    constexpr std::string_view kArgument = "\"%1\"";
    std::string path;
    std::size_t from = 0;
    for (std::size_t at = base::FindText(command, kArgument); at != std::string_view::npos;
         at = base::FindText(command, kArgument, from)) {
        path.append(command.substr(from, at - from));
        from = at + kArgument.size();
    }
    path.append(command.substr(from));
    std::string_view trimmed = base::TrimEnd(path, "\" ");
    // Quotes and spaces are never trail bytes, so the left end can be cut byte by byte.
    while (!trimmed.empty() && (trimmed.front() == '"' || trimmed.front() == ' '))
        trimmed.remove_prefix(1);
    return std::string(trimmed);
}

bool NamesTessaly(std::string_view programPath) {
    return !programPath.empty() &&
           base::FindText(base::ToLowerAnsi(programPath), "tessaly.exe") != std::string::npos;
}

std::string DirectoryOf(std::string_view path) {
    const std::size_t slash = base::FindLastChar(path, '\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

}  // namespace player
