#include "player/command_line.h"

namespace player {

void CPlayerCommandLineInfo::ParseParam(std::string_view param, bool isFlag, bool isLast) {
    if (isFlag) switches_.emplace(param);
    win::CommandLineInfo::ParseParam(param, isFlag, isLast);
}

StartOptions ApplyPlayerSwitches(const CPlayerCommandLineInfo& info, StartOptions options) {
    if (info.HasSwitch("full")) options.fullScreenOnLoad = true;
    if (info.HasSwitch("click")) options.clickPause = true;
    if (info.HasSwitch("sa")) options.scaleOverride = kScaleShowAll;
    if (info.HasSwitch("ef")) options.scaleOverride = kScaleExactFit;
    if (info.HasSwitch("nb")) options.scaleOverride = kScaleNoBorder;
    if (info.HasSwitch("ns")) options.scaleOverride = kScaleNoScale;
    return options;
}

}  // namespace player
