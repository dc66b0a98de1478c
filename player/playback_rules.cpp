#include "player/playback_rules.h"

#include "base/ansi_text.h"

namespace player {

win::CommandState PlaybackCommandState(unsigned id, const PlaybackState& state) {
    if (!state.hasMovie) return {false, false};
    const bool notFirst = state.current != 0;
    const bool notLast = state.current != state.total - 1;
    switch (id) {
        case kIdToStart:
        case kIdBack:
            return {notFirst, false};
        case kIdPlay:
            return {!state.playing, false};
        case kIdPause:
            return {state.playing, false};
        case kIdForward:
        case kIdToEnd:
            return {notLast, false};
        default:
            return {false, false};
    }
}

std::string ScaleModeText(int scaleOverride, std::string_view stored) {
    switch (scaleOverride) {
        case 0:
            return std::string(stored);
        case 1:
            return "ShowAll";
        case 3:
            return "NoBorder";
        case 4:
            return "NoScale";
        default:
            return "ExactFit";
    }
}

bool SignatureAccepted(std::string_view firstBytes) {
    if (firstBytes.size() < 4) return true;
    const std::string_view signature = firstBytes.substr(0, 3);
    return base::EqualsNoCase(signature, "FWS") || base::EqualsNoCase(signature, "CWS") ||
           base::EqualsNoCase(signature, "ZWS");
}

TickResult DecideTick(const TickInput& tick) {
    const long current = tick.hasMovie ? tick.current : 0;
    const long total = tick.hasMovie ? tick.total : 0;
    TickResult result;
    result.armSlider = tick.hasMovie && tick.sliderArmed;
    result.enterFullScreen = result.armSlider && tick.fullScreenOnLoad;
    result.showCounter = current != tick.lastShownFrame || total != tick.lastShownTotal;
    result.atLastFrame = tick.hasMovie && current + 1 == total;
    return result;
}

win::CommandState AssociationCommandState(unsigned id, bool associated, int iconSetting) {
    switch (id) {
        case kIdAssociate:
            return {true, associated};
        case kIdDarkIcon:
            return {associated, iconSetting == 1};
        case kIdLightIcon:
            return {associated, iconSetting == 2};
        default:
            return {false, false};
    }
}

std::string FrameCounterText(std::string_view format, long current, long total) {
    const long numbers[] = {current + 1, total};
    std::string text;
    int used = 0;
    for (std::size_t i = 0; i < format.size();) {
        const std::size_t n = base::CharLength(format, i);
        if (n == 1 && used < 2 && format.substr(i, 2) == "%d") {
            text += std::to_string(numbers[used++]);
            i += 2;
            continue;
        }
        text.append(format.substr(i, n));
        i += n;
    }
    return text;
}

}  // namespace player
