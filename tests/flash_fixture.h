// What the engine's tests share: loading a written movie, recording its traces and warnings,
// and the display tree as a short text to compare with.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "flash/player.h"
#include "flash/swf_parser.h"
#include "tools/swf_writer.h"

namespace flashtest {

using Texts = std::vector<std::string>;

// Traces as they are; warnings with a "!" in front.
class Recorder : public flash::TraceSink {
public:
    void Trace(std::string_view text) override { lines.emplace_back(text); }
    void Warning(std::string_view text) override { lines.push_back("! " + std::string(text)); }
    Texts Take() { return std::exchange(lines, {}); }
    Texts lines;
};

inline flash::Movie Load(const swfwriter::MovieBuilder& m) {
    flash::LoadResult r = flash::ParseMovie(m.Build());
    EXPECT_TRUE(r.Ok());
    return std::move(r.movie);
}

// A clip's entries in depth order, "depth:character", with "@x,y" (pixels) when moved and
// a sprite instance's frame and entries in brackets: "1:2@5,0 3:7[f1 1:2]".
inline std::string Describe(const flash::Clip& clip) {
    std::string out;
    for (const flash::DisplayEntry& e : clip.Entries()) {
        if (!out.empty()) out += ' ';
        out += std::to_string(e.depth) + ':' + std::to_string(e.characterId);
        if (e.matrix.tx != 0 || e.matrix.ty != 0) {
            out += '@' + std::to_string(std::lround(e.matrix.tx / 20)) + ',' +
                   std::to_string(std::lround(e.matrix.ty / 20));
        }
        if (e.clip != nullptr) {
            const std::string inner = Describe(*e.clip);
            out += "[f" + std::to_string(e.clip->CurrentFrame()) + (inner.empty() ? "" : " ") +
                   inner + ']';
        }
    }
    return out;
}

// A PlaceObject2 of `id` at `depth`, `x` pixels from the left; `move` for a move.
inline swfwriter::Place At(std::uint16_t depth, std::uint16_t id, std::int32_t x = 0,
                           bool move = false) {
    swfwriter::Place p;
    p.depth = depth;
    p.move = move;
    if (id != 0) p.characterId = id;
    swfwriter::Matrix m;
    m.tx = x * 20;
    p.matrix = m;
    return p;
}

}  // namespace flashtest
