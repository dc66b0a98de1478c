// What the outside-corpus tests share: where the corpus is, its cases, the few test.toml
// fields that say how to run a case and what to compare, the lists of cases known to pass
// (which may only grow), and the picture comparison with Flash Player's tolerances.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/png_io.h"

namespace corpus {

namespace fs = std::filesystem;

// The corpus folder beside the source tree.
fs::path Root();

// The folders below `dir` that hold a test.swf, as '/'-separated paths relative to `dir`,
// sorted.
std::vector<std::string> CaseNames(const fs::path& dir);

std::string ReadText(const fs::path& path);

// A test name usable as a GoogleTest parameter name.
std::string ParamName(const std::string& caseName);

// One tolerance with the number of channel values allowed beyond it.
struct Check {
    int tolerance = 0;
    long maxOutliers = 0;
};

struct Comparison {
    std::string name;  // the picture is NAME.expected.png
    int trigger = 0;   // the frame (1-based) after which to compare; 0 is the last frame
    std::vector<Check> checks;
};

struct CaseSpec {
    int frames = 1;  // num_frames or num_ticks
    std::vector<Comparison> comparisons;
    int viewportWidth = 0;  // 0: the movie's own stage size
    int viewportHeight = 0;
    std::string quality = "high";
};

// The flattened keys of a small TOML subset: tables, arrays of tables (numbered "[0]",
// "[1]", ...), dotted and quoted keys, inline tables; key segments joined by '/'.
// Values keep their text, strings without their quotes.
std::map<std::string, std::string> FlattenToml(const std::string& text);

CaseSpec ReadSpec(const std::string& tomlText);

// A pass list: one case name per line; '#' starts a comment.
std::set<std::string> ReadPassList(const fs::path& path);

// The number of channel values (RGBA) that differ by more than `tolerance`, or -1 when the
// pictures differ in size.
long CountOutliers(const pngio::Image& expected, const pngio::Image& actual, int tolerance);

// True when every check holds.
bool Matches(const pngio::Image& expected, const pngio::Image& actual,
             const std::vector<Check>& checks, std::string& why);

}  // namespace corpus
