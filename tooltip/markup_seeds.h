// Tooltip texts shared by the fuzzer's seed corpus, its replay in the tests, the pictures and
// the benchmark: the viewer's own fourteen help texts (code page 936) and texts that reach
// the rest of the language.
#pragma once

#include <string>
#include <vector>

namespace tooltip {

struct ViewerTip {
    int stringId;
    const char* text;  // code page 936
};
// Strings 155 to 168, the help texts of the viewer's controls.
const std::vector<ViewerTip>& ViewerTooltipTexts();

// Fuzzer inputs: a settings byte (see fuzz_target.h), then the text.
std::vector<std::string> MarkupSeeds();

}  // namespace tooltip
