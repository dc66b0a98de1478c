#include "viewer/presentation/command_line.h"

#include <string_view>

#include "base/ansi_text.h"

namespace viewer {

std::string CommandLineSite(const std::vector<std::string>& args) {
    constexpr std::string_view kPrefix = "site:";
    for (const std::string& arg : args) {
        if (arg.empty() || (arg[0] != '/' && arg[0] != '-')) continue;
        const std::string_view name = std::string_view(arg).substr(1);
        // A switch of six characters or fewer ("site:x") names no site; it is skipped and a
        // later switch may still name one.
        if (name.size() <= 6) continue;
        if (base::ToLowerAnsi(name.substr(0, kPrefix.size())) != kPrefix) continue;
        return std::string(name.substr(kPrefix.size()));
    }
    return {};
}

}  // namespace viewer
