// A movie loaded, played frame by frame and drawn without a window: what swfrender does, and
// what the corpus tests and the benchmarks do through the very same code.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "flash/player.h"
#include "flash/render/renderer.h"
#include "flash/render/stage_drawer.h"
#include "flash/render/surface.h"
#include "flash/swf_parser.h"
#include "tools/png_io.h"

namespace swfrender {

class MovieSession {
public:
    // Loads the movie; on failure returns null and sets `error` to one line.
    static std::unique_ptr<MovieSession> Open(const std::string& path, flash::TraceSink* trace,
                                              std::string& error);

    flash::Player& GetPlayer() { return player_; }
    const flash::Movie& GetMovie() const { return player_.GetMovie(); }
    // The stage's own size in whole pixels (at least 1 x 1).
    int StageWidth() const;
    int StageHeight() const;

    // Runs the next frame: the first call shows frame 1 (the movie's first frame, after its
    // actions ran).
    void StepFrame() { player_.StepFrame(); }

    // Draws the current frame at the stage's size at scale 1 (width or height 0), or at the
    // given size with the stage shown whole (ShowAll). The background is the movie's own,
    // else white.
    const flash::render::PixelBuffer& Draw(int width, int height, flash::render::Quality quality);

    // The last drawing as straight RGBA.
    pngio::Image Picture() const;

private:
    explicit MovieSession(flash::Movie movie, flash::TraceSink* trace);

    flash::Player player_;
    flash::render::StageDrawer drawer_;
    flash::render::Renderer renderer_;
    flash::render::PixelBuffer surface_;
};

// swfrender's whole run: output to `out` (traces) and `err` (the one error line); returns the
// exit code.
int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace swfrender
