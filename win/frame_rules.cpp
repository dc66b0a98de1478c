#include "win/frame_rules.h"

#include <algorithm>

#include "base/ansi_text.h"

namespace win {
namespace {

constexpr std::string_view kSpaces = " \t";

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && kSpaces.find(text.front()) != std::string_view::npos)
        text.remove_prefix(1);
    return base::TrimEnd(text, kSpaces);
}

// Position of the last '\' or '/' that is a character of its own; npos when none.
std::size_t LastSeparator(std::string_view path) {
    const std::size_t back = base::FindLastChar(path, '\\');
    const std::size_t slash = base::FindLastChar(path, '/');
    if (back == std::string_view::npos) return slash;
    if (slash == std::string_view::npos) return back;
    return std::max(back, slash);
}

}  // namespace

DocTemplateStrings ParseDocTemplate(std::string_view text) {
    std::string* fields[] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    DocTemplateStrings s;
    fields[0] = &s.windowTitle;
    fields[1] = &s.docName;
    fields[2] = &s.fileNewName;
    fields[3] = &s.filterName;
    fields[4] = &s.filterExt;
    fields[5] = &s.fileTypeId;
    fields[6] = &s.fileTypeName;
    std::size_t start = 0;
    for (std::string* field : fields) {
        if (start > text.size()) break;
        const std::size_t end = base::FindChar(text, '\n', start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        field->assign(text.substr(start, stop - start));
        start = stop + 1;
    }
    return s;
}

std::string OpenFileFilter(const DocTemplateStrings& strings, std::string_view allFiles) {
    std::string filter;
    if (!strings.filterName.empty() && !strings.filterExt.empty()) {
        filter += strings.filterName;
        filter += '\0';
        filter += '*';
        filter += strings.filterExt;
        filter += '\0';
    }
    filter += allFiles;
    filter += '\0';
    filter += "*.*";
    filter += '\0';
    filter += '\0';
    return filter;
}

std::string FrameTitle(std::string_view documentTitle, std::string_view windowTitle) {
    std::string title(documentTitle);
    title += " - ";
    title += windowTitle;
    return title;
}

std::string FileTitle(std::string_view path) {
    const std::size_t sep = LastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string StripShellQuotes(std::string_view path) {
    if (!path.empty() && path.front() == '"') path.remove_prefix(1);
    // A double quote is never the trail byte of a character, so the last byte equal to it
    // is a quote of its own.
    const std::size_t last = path.rfind('"');
    if (last != std::string_view::npos) path = path.substr(0, last);
    return std::string(path);
}

std::string PromptText(std::string_view commandString) {
    const std::size_t lf = base::FindChar(commandString, '\n');
    return std::string(commandString.substr(0, lf));
}

std::string TooltipText(std::string_view commandString) {
    const std::size_t lf = base::FindChar(commandString, '\n');
    if (lf == std::string_view::npos) return {};
    const std::string_view rest = commandString.substr(lf + 1);
    return std::string(rest.substr(0, base::FindChar(rest, '\n')));
}

std::string AbbreviatePath(std::string_view path, std::size_t maxLength) {
    if (path.size() <= maxLength) return std::string(path);
    std::vector<std::size_t> seps;
    for (std::size_t i = base::FindChar(path, '\\'); i != std::string_view::npos;
         i = base::FindChar(path, '\\', i + 1))
        seps.push_back(i);
    // The root: "C:\" (first separator), or "\\server\share\" (fourth).
    const bool unc = path.size() > 1 && path[0] == '\\' && path[1] == '\\';
    const std::size_t rootSeps = unc ? 4 : 1;
    if (seps.size() <= rootSeps) return std::string(path);
    const std::size_t rootEnd = seps[rootSeps - 1] + 1;
    const std::string head = std::string(path.substr(0, rootEnd)) + "...";
    // Grow the tail folder by folder from the file name while it fits.
    std::size_t tailStart = seps.back();
    for (std::size_t k = seps.size() - 1; k >= rootSeps; --k) {
        if (head.size() + (path.size() - seps[k]) > maxLength) break;
        tailStart = seps[k];
        if (k == rootSeps) break;
    }
    if (tailStart < rootEnd) return std::string(path);
    return head + std::string(path.substr(tailStart));
}

std::string RecentFileMenuText(int index, std::string_view path, std::size_t maxLength) {
    std::string text = "&" + std::to_string(index + 1) + " ";
    const std::string shown = AbbreviatePath(path, maxLength);
    for (std::size_t i = 0; i < shown.size();) {
        const std::size_t n = base::CharLength(shown, i);
        if (n == 1 && shown[i] == '&') text += '&';
        text.append(shown, i, n);
        i += n;
    }
    return text;
}

std::vector<int> StatusPaneEdges(int barWidth, const std::vector<int>& widths) {
    int fixed = 0;
    for (int w : widths) fixed += std::max(w, 0);
    const int stretch = std::max(barWidth - fixed, 0);
    std::vector<int> edges;
    int right = 0;
    bool stretched = false;
    for (int w : widths) {
        if (w > 0) {
            right += w;
        } else if (!stretched) {
            right += stretch;
            stretched = true;
        }
        edges.push_back(right);
    }
    if (!edges.empty()) edges.back() = -1;
    return edges;
}

std::vector<DdeCommand> ParseDdeCommands(std::string_view text) {
    std::vector<DdeCommand> commands;
    std::size_t pos = 0;
    auto skipSpaces = [&] {
        while (pos < text.size() && kSpaces.find(text[pos]) != std::string_view::npos) ++pos;
    };
    for (;;) {
        skipSpaces();
        if (pos >= text.size() || text[pos] != '[') return commands;
        ++pos;
        // The name runs to '(' or ']', stepping over whole characters: ']' may be a trail byte.
        const std::size_t nameStart = pos;
        while (pos < text.size() && text[pos] != '(' && text[pos] != ']')
            pos += base::CharLength(text, pos);
        if (pos >= text.size()) return commands;
        DdeCommand command;
        command.name = std::string(TrimSpaces(text.substr(nameStart, pos - nameStart)));
        if (text[pos] == '(') {
            ++pos;
            skipSpaces();
            if (pos < text.size() && text[pos] == ')') {
                ++pos;
            } else {
                for (;;) {
                    skipSpaces();
                    if (pos >= text.size()) return commands;
                    if (text[pos] == '"') {
                        const std::size_t close = base::FindChar(text, '"', pos + 1);
                        if (close == std::string_view::npos) return commands;
                        command.args.emplace_back(text.substr(pos + 1, close - pos - 1));
                        pos = close + 1;
                        skipSpaces();
                    } else {
                        // ',' and ')' are never trail bytes.
                        const std::size_t end = text.find_first_of(",)", pos);
                        if (end == std::string_view::npos) return commands;
                        command.args.emplace_back(TrimSpaces(text.substr(pos, end - pos)));
                        pos = end;
                    }
                    if (pos >= text.size()) return commands;
                    if (text[pos] == ')') {
                        ++pos;
                        break;
                    }
                    if (text[pos] != ',') return commands;
                    ++pos;
                }
            }
            skipSpaces();
        }
        if (pos >= text.size() || text[pos] != ']') return commands;
        ++pos;
        if (command.name.empty()) return commands;
        commands.push_back(std::move(command));
    }
}

}  // namespace win
