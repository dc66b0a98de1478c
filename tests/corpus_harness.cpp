#include "tests/corpus_harness.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace corpus {

namespace {

std::string Trim(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const std::size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Splits at `sep` outside quotes, braces and brackets.
std::vector<std::string> SplitTop(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::string cur;
    int depth = 0;
    bool quoted = false;
    for (char c : s) {
        if (c == '"') quoted = !quoted;
        if (!quoted && (c == '{' || c == '[')) ++depth;
        if (!quoted && (c == '}' || c == ']')) --depth;
        if (c == sep && !quoted && depth == 0) {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    return parts;
}

// "a.\"b.c\".d" -> a/b.c/d
std::string KeyPath(const std::string& dotted) {
    std::string out;
    for (std::string part : SplitTop(Trim(dotted), '.')) {
        part = Trim(part);
        if (part.size() >= 2 && part.front() == '"' && part.back() == '"')
            part = part.substr(1, part.size() - 2);
        out += (out.empty() ? "" : "/") + part;
    }
    return out;
}

std::string StripComment(const std::string& line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == '#' && !quoted) return line.substr(0, i);
    }
    return line;
}

void Assign(std::map<std::string, std::string>& out, const std::string& prefix,
            const std::string& key, std::string value) {
    const std::string path = (prefix.empty() ? "" : prefix + "/") + KeyPath(key);
    value = Trim(value);
    if (value.size() >= 2 && value.front() == '{' && value.back() == '}') {
        for (const std::string& item : SplitTop(value.substr(1, value.size() - 2), ',')) {
            const std::size_t eq = item.find('=');
            if (eq != std::string::npos) Assign(out, path, item.substr(0, eq), item.substr(eq + 1));
        }
        return;
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    out[path] = value;
}

int Int(const std::map<std::string, std::string>& keys, const std::string& key, int fallback) {
    const auto it = keys.find(key);
    return it == keys.end() ? fallback : std::atoi(it->second.c_str());
}

}  // namespace

fs::path Root() {
    return fs::path(MORAVEL_CORPUS_DIR);
}

std::vector<std::string> CaseNames(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename() == "test.swf")
            names.push_back(fs::relative(it->path().parent_path(), dir).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ParamName(const std::string& caseName) {
    std::string n = caseName;
    for (char& c : n) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return n;
}

std::map<std::string, std::string> FlattenToml(const std::string& text) {
    std::map<std::string, std::string> out;
    std::map<std::string, int> arrayCounts;
    std::string prefix;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        line = Trim(StripComment(line));
        if (line.empty()) continue;
        if (line.rfind("[[", 0) == 0 && line.size() > 4 && line.substr(line.size() - 2) == "]]") {
            const std::string table = KeyPath(line.substr(2, line.size() - 4));
            prefix = table + "[" + std::to_string(arrayCounts[table]++) + "]";
        } else if (line.front() == '[' && line.back() == ']') {
            prefix = KeyPath(line.substr(1, line.size() - 2));
        } else {
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos)
                Assign(out, prefix, line.substr(0, eq), line.substr(eq + 1));
        }
    }
    return out;
}

CaseSpec ReadSpec(const std::string& tomlText) {
    const std::map<std::string, std::string> keys = FlattenToml(tomlText);
    CaseSpec spec;
    spec.frames = Int(keys, "num_frames", Int(keys, "num_ticks", 1));
    spec.viewportWidth = Int(keys, "player_options/viewport_dimensions/width", 0);
    spec.viewportHeight = Int(keys, "player_options/viewport_dimensions/height", 0);
    if (const auto q = keys.find("player_options/with_renderer/quality"); q != keys.end())
        spec.quality = q->second;

    const std::string head = "image_comparisons/";
    std::set<std::string> names;
    for (const auto& [key, value] : keys) {
        if (key.rfind(head, 0) != 0) continue;
        std::string name = key.substr(head.size());
        name = name.substr(0, name.find('/'));
        const std::size_t bracket = name.find('[');  // never part of a name in the corpus
        names.insert(name.substr(0, bracket));
    }
    for (const std::string& name : names) {
        Comparison c;
        c.name = name;
        const std::string base = head + name + "/";
        c.trigger = Int(keys, base + "trigger", 0);
        for (int i = 0;; ++i) {
            const std::string check = base + "checks[" + std::to_string(i) + "]/";
            if (keys.count(check + "tolerance") == 0 && keys.count(check + "max_outliers") == 0)
                break;
            c.checks.push_back(
                {Int(keys, check + "tolerance", 0), Int(keys, check + "max_outliers", 0)});
        }
        if (c.checks.empty())
            c.checks.push_back(
                {Int(keys, base + "tolerance", 0), Int(keys, base + "max_outliers", 0)});
        spec.comparisons.push_back(std::move(c));
    }
    return spec;
}

std::set<std::string> ReadPassList(const fs::path& path) {
    std::set<std::string> names;
    std::istringstream lines(ReadText(path));
    std::string line;
    while (std::getline(lines, line)) {
        line = Trim(StripComment(line));
        if (!line.empty()) names.insert(line);
    }
    return names;
}

long CountOutliers(const pngio::Image& expected, const pngio::Image& actual, int tolerance) {
    if (expected.width != actual.width || expected.height != actual.height ||
        expected.rgba.size() != actual.rgba.size())
        return -1;
    long count = 0;
    for (std::size_t i = 0; i < expected.rgba.size(); ++i) {
        if (std::abs(int(expected.rgba[i]) - int(actual.rgba[i])) > tolerance) ++count;
    }
    return count;
}

bool Matches(const pngio::Image& expected, const pngio::Image& actual,
             const std::vector<Check>& checks, std::string& why) {
    for (const Check& check : checks) {
        const long outliers = CountOutliers(expected, actual, check.tolerance);
        if (outliers < 0) {
            why = "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height) +
                  ", expected " + std::to_string(expected.width) + "x" +
                  std::to_string(expected.height);
            return false;
        }
        if (outliers > check.maxOutliers) {
            why = std::to_string(outliers) + " values beyond " + std::to_string(check.tolerance) +
                  " (at most " + std::to_string(check.maxOutliers) + ")";
            return false;
        }
    }
    return true;
}

}  // namespace corpus
