// swfwrite: writes a test movie, or the fuzz seed corpus.
//
//   swfwrite OUT.swf [--compress none|zlib|lzma] [--version N] [--stage WxH] [--rate FPS]
//            [--declared N] [--bg RRGGBB] FRAME...
//   swfwrite --seeds DIR          (the movie fuzzer's seeds)
//   swfwrite --sound-seeds DIR    (the sound fuzzer's seeds: runs of tags, not movies)
//
// Each FRAME is one frame's content, items separated by ';':
//   label=NAME  trace=TEXT  play  stop  next  prev  goto=N (0-based)  gotolabel=NAME
//   rect=W,H,RRGGBB (pixels; defines a rectangle and places it at the next depth)
// An empty FRAME ("") is an empty frame.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/seed_movies.h"
#include "tools/sound_writer.h"
#include "tools/swf_writer.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: swfwrite OUT.swf [--compress none|zlib|lzma] [--version N] "
                 "[--stage WxH] [--rate FPS] [--declared N] [--bg RRGGBB] FRAME...\n"
                 "       swfwrite --seeds DIR | --sound-seeds DIR\n"
                 "FRAME items, ';'-separated: label=NAME trace=TEXT play stop next prev goto=N "
                 "gotolabel=NAME rect=W,H,RRGGBB\n");
    return 2;
}

bool ParseColor(std::string_view text, swfwriter::Rgb& out) {
    if (text.size() != 6) return false;
    char* end = nullptr;
    const std::string s(text);
    const unsigned long v = std::strtoul(s.c_str(), &end, 16);
    if (*end != '\0') return false;
    out = {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
           static_cast<std::uint8_t>(v)};
    return true;
}

// Adds one frame's items to the movie; false on an item it does not know.
bool AddFrame(swfwriter::MovieBuilder& movie, std::string_view items, std::uint16_t& nextId) {
    swfwriter::Actions actions;
    bool anyAction = false;
    while (!items.empty()) {
        const std::size_t semi = items.find(';');
        const std::string_view item = items.substr(0, semi);
        items = semi == std::string_view::npos ? std::string_view() : items.substr(semi + 1);
        const std::size_t eq = item.find('=');
        const std::string_view key = item.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view() : item.substr(eq + 1);
        if (key.empty()) continue;
        if (key == "label") {
            movie.FrameLabel(value);
        } else if (key == "trace") {
            actions.TraceText(value);
            anyAction = true;
        } else if (key == "play" || key == "stop" || key == "next" || key == "prev") {
            const std::uint8_t code = key == "play"   ? 0x06
                                      : key == "stop" ? 0x07
                                      : key == "next" ? 0x04
                                                      : 0x05;
            actions.Code(code);
            anyAction = true;
        } else if (key == "goto") {
            actions.GotoFrame(static_cast<std::uint16_t>(std::atoi(std::string(value).c_str())));
            anyAction = true;
        } else if (key == "gotolabel") {
            actions.GotoLabel(value);
            anyAction = true;
        } else if (key == "rect") {
            int w = 0, h = 0;
            char color[7] = {};
            swfwriter::Rgb rgb;
            if (std::sscanf(std::string(value).c_str(), "%d,%d,%6s", &w, &h, color) != 3 ||
                !ParseColor(color, rgb)) {
                return false;
            }
            movie.Rectangle(nextId, w * 20, h * 20, rgb).PlaceObject(nextId, nextId, 0, 0);
            ++nextId;
        } else {
            std::fprintf(stderr, "swfwrite: unknown item '%.*s'\n", static_cast<int>(item.size()),
                         item.data());
            return false;
        }
    }
    if (anyAction) movie.DoAction(actions);
    movie.ShowFrame();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool soundSeeds = argc == 3 && std::string_view(argv[1]) == "--sound-seeds";
    if (argc == 3 && (std::string_view(argv[1]) == "--seeds" || soundSeeds)) {
        const std::string dir = argv[2];
        for (const swfwriter::SeedMovie& seed :
             soundSeeds ? swfwriter::SoundSeeds() : swfwriter::SeedMovies()) {
            if (!swfwriter::WriteFile(dir + "/" + seed.name, seed.bytes)) {
                std::fprintf(stderr, "swfwrite: cannot write %s/%s\n", dir.c_str(),
                             seed.name.c_str());
                return 1;
            }
        }
        return 0;
    }
    if (argc < 2) return Usage();
    const std::string out = argv[1];
    swfwriter::MovieBuilder movie;
    swfwriter::Compression compression = swfwriter::Compression::None;
    std::uint16_t nextId = 1;
    int frames = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--compress" && hasValue) {
            const std::string_view v = argv[++i];
            if (v == "none")
                compression = swfwriter::Compression::None;
            else if (v == "zlib")
                compression = swfwriter::Compression::Zlib;
            else if (v == "lzma")
                compression = swfwriter::Compression::Lzma;
            else
                return Usage();
        } else if (arg == "--version" && hasValue) {
            movie.Version(static_cast<std::uint8_t>(std::atoi(argv[++i])));
        } else if (arg == "--stage" && hasValue) {
            int w = 0, h = 0;
            if (std::sscanf(argv[++i], "%dx%d", &w, &h) != 2) return Usage();
            movie.StagePixels(w, h);
        } else if (arg == "--rate" && hasValue) {
            movie.FrameRate(std::atof(argv[++i]));
        } else if (arg == "--declared" && hasValue) {
            movie.DeclaredFrames(static_cast<std::uint16_t>(std::atoi(argv[++i])));
        } else if (arg == "--bg" && hasValue) {
            swfwriter::Rgb rgb;
            if (!ParseColor(argv[++i], rgb)) return Usage();
            movie.BackgroundColor(rgb);
        } else if (arg.starts_with("--")) {
            return Usage();
        } else {
            if (!AddFrame(movie, arg, nextId)) return Usage();
            ++frames;
        }
    }
    if (frames == 0) movie.ShowFrame();
    if (!swfwriter::WriteFile(out, movie.Build(compression))) {
        std::fprintf(stderr, "swfwrite: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
