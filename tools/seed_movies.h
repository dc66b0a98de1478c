// A small set of movies that between them use every tag, action and push type the engine
// reads, in all three compressions: the fuzzer's seed corpus and the replay test's input.
// And the demo's movies, which draw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/swf_writer.h"

namespace swfwriter {

struct SeedMovie {
    std::string name;  // a file name, ".swf" included
    std::vector<std::uint8_t> bytes;
};

std::vector<SeedMovie> SeedMovies();

// What a demo movie looks like: its stage, rate, colours, root frames and compression.
struct DemoMovieSpec {
    int width = 550;  // pixels
    int height = 400;
    double fps = 24;
    Rgb background;
    Rgb accent;
    int frames = 24;  // at least 1
    Compression compression = Compression::None;
};

// A movie that draws something: over the background, a ground band shaded by a linear
// gradient from the accent colour to a dark shade of it, a sun in a radial gradient from
// white to the accent colour with a dark outline, a star in a sprite whose own 12-frame
// timeline turns it, and a bar of the accent colour that grows by one block each root frame.
std::vector<std::uint8_t> DemoMovie(const DemoMovieSpec& spec);

// The sprite's frames per turn of the star, and where the star's centre stands on the stage
// (pixels): for the tests that watch it turn.
inline constexpr int kDemoStarFrames = 12;
void DemoStarCentre(const DemoMovieSpec& spec, int& x, int& y);

}  // namespace swfwriter
