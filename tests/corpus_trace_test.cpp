// Replays the outside corpus's timeline tests (movies with Flash Player's own trace output)
// and compares our trace text with the player's. Movies that rely on what this engine does
// not run yet (clip events, actions beyond the timeline's) are reported as skipped, with the
// reason, rather than failed.
//
// tests/corpus/trace_passes.txt lists the tests that pass. A listed test that fails or is
// skipped fails, so a change cannot quietly turn passes into skips; a passing test missing
// from the list fails too, so the list keeps up and only grows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "flash/actions.h"
#include "flash/placement.h"
#include "flash/player.h"
#include "flash/swf_parser.h"
#include "tests/corpus_harness.h"

namespace {

namespace fs = std::filesystem;

fs::path TracesDir() {
    return corpus::Root() / "traces";
}

// Why this engine cannot play the movie yet; empty when it can. The movie model notes what
// it met in every timeline, sprites' included.
std::string MissingFeatures(const flash::Movie& movie) {
    std::string why;
    auto add = [&why](const std::string& what) { why += (why.empty() ? "" : ", ") + what; };
    if (movie.clipEvents) add("clip events (onClipEvent)");
    std::string codes;
    for (unsigned c = 0; c < 256; ++c) {
        if (!movie.otherActions.test(c)) continue;
        const char* name = flash::ActionName(static_cast<std::uint8_t>(c));
        char buf[48];
        std::snprintf(buf, sizeof buf, " %s(0x%02X)", name != nullptr ? name : "", c);
        codes += buf;
    }
    if (!codes.empty()) add("actions" + codes);
    return why;
}

// Flash Player's log writes each trace as a line, a carriage return inside the text
// starting a new line; its warnings are lines of the same log.
class TraceLog : public flash::TraceSink {
public:
    void Trace(std::string_view text) override {
        for (char c : text) text_ += c == '\r' ? '\n' : c;
        text_ += '\n';
    }
    void Warning(std::string_view text) override { Trace(text); }
    std::string text_;
};

struct Replayed {
    std::string missing;  // not empty: skipped for this reason
    std::string traced;
    std::string expected;
    bool Passed() const { return missing.empty() && traced == expected; }
};

Replayed Replay(const std::string& name) {
    const fs::path dir = TracesDir() / name;
    Replayed out;
    flash::LoadResult r = flash::LoadMovieFile((dir / "test.swf").string());
    if (!r.Ok()) {
        out.missing = std::string("a movie that loads: ") + flash::LoadErrorName(r.error);
        return out;
    }
    out.missing = MissingFeatures(r.movie);
    if (!out.missing.empty()) return out;
    TraceLog log;
    flash::Player player(std::move(r.movie), &log);
    const int frames = corpus::ReadSpec(corpus::ReadText(dir / "test.toml")).frames;
    for (int i = 0; i < frames; ++i) player.StepFrame();
    out.traced = log.text_;
    out.expected = corpus::ReadText(dir / "output.txt");
    out.expected.erase(std::remove(out.expected.begin(), out.expected.end(), '\r'),
                       out.expected.end());
    return out;
}

std::set<std::string> ListedPasses() {
    return corpus::ReadPassList(MORAVEL_TRACE_PASSES);
}

class CorpusTrace : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusTrace, MatchesFlashPlayer) {
    const Replayed r = Replay(GetParam());
    if (!r.missing.empty()) {
        if (ListedPasses().count(GetParam()) != 0)
            FAIL() << "listed as passing, but now skipped: needs " << r.missing;
        GTEST_SKIP() << "needs " << r.missing;
    }
    EXPECT_EQ(r.traced, r.expected);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusTrace, ::testing::ValuesIn(corpus::CaseNames(TracesDir())),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return corpus::ParamName(info.param);
                         });

TEST(CorpusTrace, CorpusIsPresent) {
    // Without this, a moved corpus would quietly turn the replay into zero tests.
    EXPECT_EQ(corpus::CaseNames(TracesDir()).size(), 29u) << "looked in " << TracesDir();
}

TEST(CorpusTrace, PassListOnlyGrows) {
    const std::set<std::string> listed = ListedPasses();
    const std::vector<std::string> names = corpus::CaseNames(TracesDir());
    std::size_t passed = 0;
    for (const std::string& name : names) {
        const Replayed r = Replay(name);
        const bool isListed = listed.count(name) != 0;
        if (r.Passed()) {
            ++passed;
            EXPECT_TRUE(isListed) << name << " passes: add it to " << MORAVEL_TRACE_PASSES;
        } else if (isListed) {
            ADD_FAILURE() << name << " is listed as passing but "
                          << (r.missing.empty() ? "fails" : "is skipped: needs " + r.missing);
        }
    }
    for (const std::string& name : listed) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end())
            << name << " is listed but not in the corpus";
    }
    std::printf("trace corpus: %zu of %zu tests pass\n", passed, names.size());
}

// The image corpus's movies as data for the placement reader: every PlaceObject of every
// timeline, sprites' included, reads without a cut and ends where its tag ends, and every
// filter list reads whole. Real files made by Flash tools check the field layouts.
TEST(CorpusPlacements, EveryPlacementReadsToTheEndOfItsTag) {
    const fs::path images = corpus::Root() / "images";
    std::size_t placements = 0;
    std::size_t filters = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(images, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename() != "test.swf") continue;
        const flash::LoadResult r = flash::LoadMovieFile(it->path().string());
        if (!r.Ok()) continue;
        const flash::Movie& movie = r.movie;
        auto check = [&](const std::vector<flash::Frame>& frames) {
            for (const flash::Frame& frame : frames) {
                for (const flash::ControlTag& tag : frame.tags) {
                    flash::Placement p;
                    if (!flash::ParsePlaceObject(tag.code, movie.bytes, tag.body,
                                                 movie.header.version, p))
                        continue;
                    ++placements;
                    EXPECT_FALSE(p.cut) << it->path();
                    EXPECT_EQ(p.used, tag.body.length) << it->path();
                    if (!p.filters) continue;
                    flash::FilterReader reader(movie.bytes, *p.filters);
                    flash::Filter f;
                    std::size_t read = 0;
                    while (reader.Next(f)) ++read;
                    EXPECT_EQ(read, p.filters->count) << it->path();
                    filters += read;
                }
            }
        };
        check(movie.frames);
        for (const flash::Sprite& sprite : movie.sprites) check(sprite.frames);
    }
    std::printf("image corpus: %zu placements, %zu filters read\n", placements, filters);
    EXPECT_GT(placements, 1000u) << "looked in " << images;
    EXPECT_GT(filters, 20u);
}

}  // namespace
