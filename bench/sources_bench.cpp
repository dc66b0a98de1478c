// How the three disk scans compare with the least work they could do: enumerating the same
// trees (and the URL cache index) and reading 3 bytes of every file. Each scan and its floor
// are measured in the same run, at 1x, 2x and 4x the size, so the ratios show both the
// overhead and whether anything grows faster than the number of files.
//
//   cmake/wine-run.sh build/windows/wine build/windows/bench/sources_bench.exe [scale ...]
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/median.h"
#include "tools/file_tree.h"
#include "viewer/discovery/disk_sources.h"
#include "viewer/discovery/file_helpers.h"
#include "viewer/settings_store.h"

namespace {

using filetree::ClearUrlCache;
using filetree::MakeFolders;
using filetree::RemoveTree;
using filetree::WriteFileBytes;

constexpr int kRounds = 5;

std::string Movie() {
    return std::string("FWS\x0A\x40\0\0\0", 8) + std::string(56, 'm');
}
std::string Other() {
    return std::string(64, 'o');
}

// The floor: enumerate a tree depth first and read 3 bytes of every file.
int ReadTree(const std::string& folder) {
    int files = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files += ReadTree(path);
            continue;
        }
        HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            char first[3];
            DWORD read = 0;
            ReadFile(f, first, 3, &read, nullptr);
            CloseHandle(f);
            ++files;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return files;
}

int WalkUrlCache() {
    int entries = 0;
    std::vector<std::uint64_t> buffer(4096);
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    DWORD size = static_cast<DWORD>(buffer.size() * 8);
    HANDLE find = FindFirstUrlCacheEntryA(nullptr, entry, &size);
    if (find == nullptr) return 0;
    do {
        ++entries;
        size = static_cast<DWORD>(buffer.size() * 8);
    } while (FindNextUrlCacheEntryA(find, entry, &size));
    FindCloseUrlCache(find);
    return entries;
}

void Report(const char* what, int scale, std::size_t found, double scanMs, double floorMs) {
    std::printf("%-16s x%d  found %6zu  scan %9.1f ms  floor %9.1f ms  ratio %5.2f\n", what, scale,
                found, scanMs, floorMs, scanMs / floorMs);
    std::fflush(stdout);
}

void SetSetting(const char* name, const std::string& value) {
    viewer::WriteStringSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, name, value);
}

void BenchFirefox(const std::string& root, int scale) {
    // 20,000 files of which 500 are movies, spread over both trees.
    const std::string user = root + "\\ff\\user";
    const std::string trees[2] = {user + "\\Application Data\\Mozilla\\Firefox",
                                  user + "\\Local Settings\\Application Data\\Mozilla\\Firefox"};
    const int filesPerTree = 10000 * scale, moviesPerTree = 250 * scale;
    for (const std::string& tree : trees) {
        for (int i = 0; i < filesPerTree; ++i) {
            char rel[64];
            std::snprintf(rel, sizeof(rel), "\\cache2\\entries\\%02X", i % 64);
            const std::string folder = tree + rel;
            if (i < 64) MakeFolders(folder);
            char name[48];
            std::snprintf(name, sizeof(name), "\\%08X%032X", i * 2654435761u, i);
            WriteFileBytes(folder + name,
                           i % (filesPerTree / moviesPerTree) == 0 ? Movie() : Other());
        }
    }
    SetSetting(viewer::kFirefoxProfileFolderValue, trees[0]);
    std::size_t found = 0;
    const double scan = MedianMs(kRounds, [&] {
        viewer::MovieCatalogue catalogue;
        std::int32_t counter = 0;
        viewer::ScanFirefoxCache(catalogue, counter);
        found = catalogue.Count();
    });
    const double floor = MedianMs(kRounds, [&] {
        ReadTree(trees[0]);
        ReadTree(trees[1]);
    });
    Report("Firefox cache", scale, found, scan, floor);
    RemoveTree(root + "\\ff");
}

void BenchIeCache(const std::string& root, int scale) {
    ClearUrlCache();
    const int entries = 2000 * scale;
    for (int i = 0; i < entries; ++i) {
        char url[96];
        std::snprintf(url, sizeof(url), "http://www.site%d.example/movies/m%d.swf", i % 20, i);
        char local[MAX_PATH] = {};
        CreateUrlCacheEntryA(url, 0, "swf", local, 0);
        WriteFileBytes(local, Movie());
        FILETIME none{};
        CommitUrlCacheEntryA(url, local, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr,
                             nullptr);
    }
    // Loose movies of the cache folder that the index does not know.
    const std::string cache = viewer::SpecialFolderPath(0x20);
    MakeFolders(cache + "\\loose");
    for (int i = 0; i < entries / 10; ++i)
        WriteFileBytes(cache + "\\loose\\l" + std::to_string(i) + ".swf", Movie());
    SetSetting(viewer::kIeCacheFolderValue, "");

    std::size_t found = 0;
    const double scan = MedianMs(kRounds, [&] {
        viewer::MovieCatalogue catalogue;
        std::int32_t counter = 0;
        viewer::ScanIeCacheIndex(catalogue, counter);
        found = catalogue.Count();
    });
    const double floor = MedianMs(kRounds, [&] {
        WalkUrlCache();
        ReadTree(cache);
    });
    Report("IE cache", scale, found, scan, floor);
    ClearUrlCache();
    RemoveTree(cache + "\\loose");
    (void)root;
}

void BenchCustomFolder(const std::string& root, int scale) {
    // 5,000 files, a fifth of them movies, and 50 subfolders.
    const std::string folder = root + "\\custom";
    MakeFolders(folder);
    const int files = 5000 * scale;
    for (int i = 0; i < 50 * scale; ++i)
        CreateDirectoryA((folder + "\\d" + std::to_string(i)).c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
        const bool movie = i % 5 == 0;
        WriteFileBytes(folder + "\\f" + std::to_string(i) + (movie ? ".swf" : ".dat"),
                       movie ? Movie() : Other());
    }
    std::size_t found = 0;
    const double scan = MedianMs(kRounds, [&] {
        viewer::MovieCatalogue catalogue;
        std::int32_t counter = 0;
        viewer::ScanCustomFolder(folder, catalogue, counter);
        found = catalogue.Count();
    });
    const double floor = MedianMs(kRounds, [&] { ReadTree(folder); });
    Report("custom folder", scale, found, scan, floor);
    RemoveTree(folder);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> scales;
    for (int i = 1; i < argc; ++i) scales.push_back(std::max(1, std::atoi(argv[i])));
    if (scales.empty()) scales = {1, 2, 4};

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "moravel-bench";
    RemoveTree(root);
    MakeFolders(root);
    viewer::EnsureSettingsKey();

    std::printf("scan against its floor (enumerate + read 3 bytes per file), median of %d\n",
                kRounds);
    for (int scale : scales) {
        BenchCustomFolder(root, scale);
        BenchFirefox(root, scale);
        BenchIeCache(root, scale);
    }
    RemoveTree(root);
    return 0;
}
