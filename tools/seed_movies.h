// A small set of movies that between them use every tag, action and push type the engine
// reads, in all three compressions: the fuzzer's seed corpus and the replay test's input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace swfwriter {

struct SeedMovie {
    std::string name;  // a file name, ".swf" included
    std::vector<std::uint8_t> bytes;
};

std::vector<SeedMovie> SeedMovies();

}  // namespace swfwriter
