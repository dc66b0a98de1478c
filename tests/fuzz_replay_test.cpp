// Replays the fuzzer's seed corpus through the fuzzer's own entry, plus every truncation and
// a byte flip at every position of each seed: the cheap, deterministic part of fuzzing, run
// with every test run (under the sanitizers natively).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "flash/fuzz_target.h"
#include "flash/swf_parser.h"
#include "tools/seed_movies.h"

namespace {

TEST(FuzzReplay, SeedsLoadAndSurviveTruncationAndByteFlips) {
    const std::vector<swfwriter::SeedMovie> seeds = swfwriter::SeedMovies();
    ASSERT_GE(seeds.size(), 12u);
    std::size_t loaded = 0;
    for (const swfwriter::SeedMovie& seed : seeds) {
        SCOPED_TRACE(seed.name);
        // Every seed is a valid movie: a seed the parser rejects would teach the fuzzer little.
        const flash::LoadResult r = flash::ParseMovie(seed.bytes);
        ASSERT_TRUE(r.Ok()) << flash::LoadErrorName(r.error);
        EXPECT_FALSE(r.movie.truncated);
        flash::FuzzOneInput(seed.bytes.data(), seed.bytes.size());

        for (std::size_t size = 0; size < seed.bytes.size(); ++size) {
            std::vector<std::uint8_t> cut(seed.bytes.begin(), seed.bytes.begin() + size);
            flash::FuzzOneInput(cut.data(), cut.size());
            // A cut movie is rejected or marked truncated, unless only the compressed
            // stream's tail (checksum, coder flush) was lost and every byte still came out.
            const flash::LoadResult c = flash::ParseMovie(cut);
            if (c.Ok()) {
                if (!c.movie.truncated) {
                    EXPECT_EQ(c.movie.bytes, r.movie.bytes) << size;
                }
                ++loaded;
            }
        }
        std::vector<std::uint8_t> flipped = seed.bytes;
        for (std::size_t i = 0; i < flipped.size(); ++i) {
            for (std::uint8_t mask : {0x01, 0x80, 0xFF}) {
                flipped[i] ^= mask;
                flash::FuzzOneInput(flipped.data(), flipped.size());
                flipped[i] ^= mask;
            }
        }
    }
    // Truncated movies must mostly still load: the point of keeping what came before a cut.
    EXPECT_GT(loaded, 0u);
}

// Inputs the fuzzer once found faulty, kept so that the fault stays mended: each is loaded,
// played and drawn like any fuzzer input (under the sanitizers natively).
TEST(FuzzReplay, EarlierFindingsRunClean) {
    std::size_t replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(MORAVEL_FUZZ_FINDINGS)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        ASSERT_FALSE(bytes.empty());
        flash::FuzzOneInput(bytes.data(), bytes.size());
        ++replayed;
    }
    EXPECT_GT(replayed, 0u);
}

}  // namespace
