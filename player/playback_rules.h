// The player's decisions over the control's state: which playback commands are available,
// which scale mode a movie gets, whether a file's first bytes look like a Flash movie, and
// what the view's position timer does at each tick.
#pragma once

#include <string>
#include <string_view>

#include "win/command_map.h"

namespace player {

// Playback and view commands.
inline constexpr unsigned kIdBackground = 130;
inline constexpr unsigned kIdToStart = 131;
inline constexpr unsigned kIdBack = 132;
inline constexpr unsigned kIdPlay = 133;
inline constexpr unsigned kIdPause = 134;
inline constexpr unsigned kIdForward = 135;
inline constexpr unsigned kIdToEnd = 136;
inline constexpr unsigned kIdFullScreen = 137;
inline constexpr unsigned kIdViewCache = 138;
inline constexpr unsigned kIdShowAll = 139;
inline constexpr unsigned kIdExactFit = 140;
inline constexpr unsigned kIdNoBorder = 141;
inline constexpr unsigned kIdNoScale = 142;
inline constexpr unsigned kIdClickPause = 32798;
inline constexpr unsigned kIdDarkIcon = 32800;
inline constexpr unsigned kIdLightIcon = 32801;
inline constexpr unsigned kIdAssociate = 32802;
inline constexpr unsigned kIdAutoReplay = 32806;

// What the playback commands look at. The control holds a movie when its Movie property
// reads back non-empty; frames are zero-based.
struct PlaybackState {
    bool hasMovie = false;
    long current = 0;
    long total = 0;
    bool playing = false;
};

// Commands 131 to 136: all disabled without a movie; start and back need a frame after the
// first, forward and end a frame before the last, play a stopped movie, pause a playing one.
// Never checked.
win::CommandState PlaybackCommandState(unsigned id, const PlaybackState& state);

// The Scale text of a newly loaded movie: the override when there is one (1 "ShowAll",
// 3 "NoBorder", 4 "NoScale", 2 and any other non-zero value "ExactFit"), else the stored
// "ScaleMode" text as it stands.
std::string ScaleModeText(int scaleOverride, std::string_view stored);

// The first bytes of a file (at most 4 read): true when it may be opened without asking.
// Files shorter than 4 bytes are not checked; otherwise the signature is "FWS", "CWS" or
// "ZWS" (zlib or LZMA compressed movies), letter case ignored.
bool SignatureAccepted(std::string_view firstBytes);

// One tick of the view's position timer. Without a movie the frame and the count are 0.
struct TickInput {
    bool hasMovie = false;
    long current = 0;
    long total = 0;
    long lastShownFrame = 0;  // what the counter shows now
    long lastShownTotal = 0;
    bool sliderArmed = false;  // a movie was loaded since the slider was last ranged
    bool fullScreenOnLoad = false;
};
struct TickResult {
    // Enable the slider and range it from 0 to the frame count: at the first tick that finds
    // a movie after one was loaded.
    bool armSlider = false;
    // The "full" switch takes effect then, once.
    bool enterFullScreen = false;
    // The counter and the slider's position are written only when the frame or the count
    // changed.
    bool showCounter = false;
    // A movie that stands on its last frame is replayed when the setting "AutoReplay" (read
    // only then) is on.
    bool atLastFrame = false;
    friend bool operator==(const TickResult&, const TickResult&) = default;
};
TickResult DecideTick(const TickInput& tick);

// The frame counter "帧数: %d/%d" with the one-based current frame and the frame count.
// format is the counter's text resource; its first two "%d" take the numbers, nothing else
// in it is interpreted.
std::string FrameCounterText(std::string_view format, long current, long total);

// Commands 32802 (associate), 32800 (dark icon) and 32801 (light icon): the first always
// available and checked while associated; the icon commands available while associated and
// checked when the setting "icon" names them (1 dark, 2 light).
win::CommandState AssociationCommandState(unsigned id, bool associated, int iconSetting);

}  // namespace player
