#include "tools/swfrender_args.h"

#include <charconv>
#include <string_view>

namespace swfrender {

namespace {

bool ParseInt(std::string_view text, int low, int high, int& out) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return false;
    out = value;
    return true;
}

}  // namespace

bool ParseArgs(int argc, const char* const* argv, Options& out, std::string& error) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const std::string_view value = hasValue ? std::string_view(argv[i + 1]) : "";
        if (arg == "--trace") {
            o.trace = true;
        } else if (arg == "--frames" || arg == "--png" || arg == "--size" || arg == "--quality") {
            if (!hasValue) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            ++i;
            if (arg == "--frames") {
                if (!ParseInt(value, 1, kMaxFrames, o.frames)) {
                    error = "--frames takes a number from 1 to " + std::to_string(kMaxFrames);
                    return false;
                }
            } else if (arg == "--png") {
                o.png = value;
            } else if (arg == "--size") {
                const std::size_t x = value.find('x');
                if (x == std::string_view::npos ||
                    !ParseInt(value.substr(0, x), 1, kMaxSide, o.width) ||
                    !ParseInt(value.substr(x + 1), 1, kMaxSide, o.height)) {
                    error = "--size takes WIDTHxHEIGHT, each from 1 to " + std::to_string(kMaxSide);
                    return false;
                }
            } else if (value == "low") {
                o.quality = Quality::Low;
            } else if (value == "medium") {
                o.quality = Quality::Medium;
            } else if (value == "high") {
                o.quality = Quality::High;
            } else {
                error = "--quality takes low, medium or high";
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + std::string(arg);
            return false;
        } else if (o.movie.empty()) {
            o.movie = arg;
        } else {
            error = "more than one movie given";
            return false;
        }
    }
    if (o.movie.empty()) {
        error = "no movie given";
        return false;
    }
    out = std::move(o);
    return true;
}

}  // namespace swfrender
