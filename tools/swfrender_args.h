// The command line of swfrender, the engine without a window:
//   swfrender MOVIE.swf [--frames N] [--png OUT.png] [--trace] [--size WxH]
//             [--quality low|medium|high]
// Kept apart from the program so that its rules are tested as they are.
#pragma once

#include <string>

namespace swfrender {

enum class Quality { Low, Medium, High };

struct Options {
    std::string movie;
    int frames = 1;  // frames to run; frame 1 is the first one shown
    std::string png;
    bool trace = false;
    int width = 0;  // 0: the stage's own size at scale 1
    int height = 0;
    Quality quality = Quality::High;
};

// The largest --size side and --frames count accepted: a bigger picture or run is surely a
// typing mistake, and would only exhaust memory or time.
inline constexpr int kMaxSide = 8192;
inline constexpr int kMaxFrames = 1000000;

// On failure returns false with a one-line reason in `error`.
bool ParseArgs(int argc, const char* const* argv, Options& out, std::string& error);

}  // namespace swfrender
