// The disk scans ask "is this path already in the catalogue?" once per file they find. This
// measures 100,000 appends plus 100,000 such questions (half found, half not) against the same
// work on a plain std::unordered_set of folded paths, in the same run, and prints the ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/median.h"
#include "base/ansi_text.h"
#include "viewer/discovery/movie_catalogue.h"

namespace {

constexpr int kMovies = 100000;
constexpr int kRounds = 7;

std::vector<std::string> MakePaths(const char* stem) {
    std::vector<std::string> paths;
    paths.reserve(kMovies);
    for (int i = 0; i < kMovies; ++i) {
        // Realistic cache paths, with a GBK folder whose trail byte is '\'.
        paths.push_back(std::string("C:\\Documents and Settings\\User\\\xD5\x5C\\Content.IE5\\") +
                        stem + std::to_string(i % 977) + "\\Movie[" + std::to_string(i) + "].SWF");
    }
    return paths;
}

}  // namespace

int main() {
    const std::vector<std::string> stored = MakePaths("CACHE");
    std::vector<std::string> queries = MakePaths("cache");  // same files, other case: found
    const std::vector<std::string> absent = MakePaths("other");
    for (int i = 1; i < kMovies; i += 2) queries[i] = absent[i];

    std::size_t sink = 0;
    const double catalogueMs = MedianMs(kRounds, [&] {
        viewer::MovieCatalogue catalogue;
        viewer::MovieRecord record;
        for (int i = 0; i < kMovies; ++i) {
            record.id = i + 1;
            record.localPath = stored[i];
            catalogue.Append(record);
        }
        for (const std::string& q : queries) sink += catalogue.ContainsPath(q) ? 1 : 0;
    });
    const double baselineMs = MedianMs(kRounds, [&] {
        std::unordered_set<std::string> folded;
        for (int i = 0; i < kMovies; ++i) folded.insert(base::ToLowerAnsi(stored[i]));
        for (const std::string& q : queries) sink += folded.count(base::ToLowerAnsi(q));
    });

    std::printf("appends + contains-path, %d movies, median of %d rounds\n", kMovies, kRounds);
    std::printf("  catalogue:          %8.2f ms\n", catalogueMs);
    std::printf("  unordered_set base: %8.2f ms\n", baselineMs);
    std::printf("  ratio:              %8.2f\n", catalogueMs / baselineMs);
    std::printf("  (found %zu)\n", sink / (2 * kRounds));
    return 0;
}
