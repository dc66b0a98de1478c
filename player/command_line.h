// Tessaly's command line: the framework's record (a file to open, the framework's own
// switches) plus the text of every switch met, looked up by exact, case-sensitive text, and
// what the player's switches ask for at start-up.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "win/command_line_info.h"

namespace player {

class CPlayerCommandLineInfo : public win::CommandLineInfo {
public:
    void ParseParam(std::string_view param, bool isFlag, bool isLast) override;
    // The switch given exactly so ("/ef" or "-ef" for "ef"; "EF" is another switch).
    bool HasSwitch(std::string_view name) const { return switches_.count(std::string(name)) > 0; }

private:
    std::set<std::string, std::less<>> switches_;
};

// The scale override: 0 none, 1 "ShowAll", 2 "ExactFit", 3 "NoBorder", 4 "NoScale".
enum ScaleOverride : int {
    kScaleNone = 0,
    kScaleShowAll = 1,
    kScaleExactFit = 2,
    kScaleNoBorder = 3,
    kScaleNoScale = 4
};

struct StartOptions {
    bool fullScreenOnLoad = false;
    bool clickPause = false;
    int scaleOverride = kScaleNone;
    friend bool operator==(const StartOptions&, const StartOptions&) = default;
};

// The switches tested in their fixed order: full, click, sa, ef, nb, ns. A later scale
// switch overwrites an earlier one's override, whatever their order on the command line.
StartOptions ApplyPlayerSwitches(const CPlayerCommandLineInfo& info, StartOptions options = {});

}  // namespace player
