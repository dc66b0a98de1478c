// Writes the mark-up fuzzer's seed corpus into a folder: markup_seeds FOLDER
#include <cstdio>
#include <string>

#include "tooltip/markup_seeds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: markup_seeds FOLDER\n");
        return 2;
    }
    int n = 0;
    for (const std::string& seed : tooltip::MarkupSeeds()) {
        const std::string path = std::string(argv[1]) + "/seed" + std::to_string(n++);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(seed.data(), 1, seed.size(), f) != seed.size()) {
            std::fprintf(stderr, "markup_seeds: cannot write %s\n", path.c_str());
            if (f) std::fclose(f);
            return 1;
        }
        std::fclose(f);
    }
    std::printf("%d seeds written to %s\n", n, argv[1]);
    return 0;
}
