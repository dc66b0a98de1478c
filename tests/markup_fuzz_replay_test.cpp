// Replays the mark-up fuzzer's seed corpus through the fuzzer's own entry, plus every
// truncation and a byte flip at every position of each seed: the cheap, deterministic part
// of fuzzing, run with every test run (under the sanitizers natively).
#include <gtest/gtest.h>

#include "tooltip/fuzz_target.h"
#include "tooltip/markup_seeds.h"

namespace {

TEST(MarkupFuzzReplay, SeedsSurviveTruncationAndByteFlips) {
    const std::vector<std::string> seeds = tooltip::MarkupSeeds();
    ASSERT_GE(seeds.size(), 16u);
    for (const std::string& seed : seeds) {
        SCOPED_TRACE(seed);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(seed.data());
        for (std::size_t size = 0; size <= seed.size(); ++size) {
            tooltip::FuzzOneInput(bytes, size);
        }
        std::string flipped = seed;
        for (std::size_t i = 0; i < flipped.size(); ++i) {
            for (unsigned char mask : {0x01, 0x80, 0xFF}) {
                flipped[i] = static_cast<char>(flipped[i] ^ mask);
                tooltip::FuzzOneInput(reinterpret_cast<const std::uint8_t*>(flipped.data()),
                                      flipped.size());
                flipped[i] = seed[i];
            }
        }
    }
}

}  // namespace
