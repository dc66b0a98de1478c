// Save all against plain copies: 1,000 movies of 100 KB saved into a folder that already holds
// earlier copies of each name, against CopyFileA of the same files to fresh names in the same
// run. Saving probes folder\name.swf, name01.swf, ... until a name is free, so its cost grows
// with the number of earlier copies; the table shows 0, 3, 10 and 100 of them.
//   cmake/wine-run.sh build/windows/wine build/windows/bench/save_bench.exe
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/file_tree.h"
#include "viewer/actions/movie_actions.h"
#include "viewer/actions/save_names.h"
#include "viewer/settings_store.h"

namespace {

using filetree::RemoveTree;

constexpr int kRounds = 3;
constexpr std::size_t kMovieBytes = 100 * 1024;

void WriteFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Counts failures instead of showing message boxes.
class CountingUi : public viewer::SaveUi {
public:
    int failures = 0;
    void ReportSaveFailure(const std::string&) override { ++failures; }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "moravel-save-bench";
    RemoveTree(root);
    CreateDirectoryA(root.c_str(), nullptr);
    const std::string sources = root + "\\cache";
    CreateDirectoryA(sources.c_str(), nullptr);

    // The movies: distinct content so no layer can share pages between them.
    constexpr int kMovies = 1000;
    viewer::MovieCatalogue all;
    std::string bytes(kMovieBytes, '\0');
    for (int i = 0; i < kMovies; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "movie%04d", i);
        viewer::MovieRecord record;
        record.name = name;
        record.localPath = sources + "\\" + name + "[1].swf";
        record.id = i + 1;
        bytes.replace(0, 3, "FWS");
        std::snprintf(bytes.data() + 3, 16, "%012d", i);
        WriteFile(record.localPath, bytes);
        all.Append(record);
    }

    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, viewer::kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    std::string previous;
    const bool hadPrevious = viewer::ReadStringSetting(HKEY_CURRENT_USER, viewer::kSettingsKey,
                                                       viewer::kSavePathValue, previous) == 0;

    std::printf("save all of 100 KB movies against CopyFileA to fresh names, median of %d\n",
                kRounds);
    std::printf("%8s %7s %11s %11s %7s %13s %13s\n", "earlier", "movies", "save all", "CopyFileA",
                "ratio", "save/movie", "empty folder");
    for (const int earlier : {0, 3, 10, 100}) {
        // 100 earlier copies of 1,000 names would be 100,000 files: that step uses 100 names.
        const int count = earlier == 100 ? 100 : kMovies;
        viewer::MovieCatalogue catalogue;
        int n = 0;
        for (const viewer::MovieRecord& record : all)
            if (n++ < count) catalogue.Append(record);

        const std::string target = root + "\\target";
        const std::string plain = root + "\\plain";
        RemoveTree(target);
        RemoveTree(plain);
        CreateDirectoryA(target.c_str(), nullptr);
        // The earlier copies only need to exist: one byte each.
        for (const viewer::MovieRecord& record : catalogue)
            for (int k = 0; k < earlier; ++k)
                WriteFile(viewer::SaveCandidate(target, record.name, k), "x");
        viewer::WriteStringSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, viewer::kSavePathValue,
                                   target);

        std::vector<double> saves, copies, empties;
        CountingUi ui;
        for (int round = 0; round < kRounds; ++round) {
            // Alternate the order so neither side always runs on a warmer cache.
            for (int side = 0; side < 2; ++side) {
                if ((side == 0) == (round % 2 == 0)) {
                    const auto start = std::chrono::steady_clock::now();
                    viewer::SaveCatalogue(catalogue, ui);
                    saves.push_back(Ms(std::chrono::steady_clock::now() - start));
                    for (const viewer::MovieRecord& record : catalogue)
                        DeleteFileA(viewer::SaveCandidate(target, record.name, earlier).c_str());
                } else {
                    // The same copies to the same free names, known in advance: what saving
                    // costs beyond the copies themselves is finding the names.
                    std::vector<std::string> names;
                    for (const viewer::MovieRecord& record : catalogue)
                        names.push_back(viewer::SaveCandidate(target, record.name, earlier));
                    const auto start = std::chrono::steady_clock::now();
                    std::size_t i = 0;
                    for (const viewer::MovieRecord& record : catalogue)
                        if (!CopyFileA(record.localPath.c_str(), names[i++].c_str(), FALSE))
                            ++ui.failures;
                    copies.push_back(Ms(std::chrono::steady_clock::now() - start));
                    for (const std::string& name : names) DeleteFileA(name.c_str());
                    // Into an empty folder, for comparison.
                    CreateDirectoryA(plain.c_str(), nullptr);
                    const auto emptyStart = std::chrono::steady_clock::now();
                    for (const viewer::MovieRecord& record : catalogue)
                        if (!CopyFileA(record.localPath.c_str(),
                                       (plain + "\\" + record.name + ".swf").c_str(), FALSE))
                            ++ui.failures;
                    empties.push_back(Ms(std::chrono::steady_clock::now() - emptyStart));
                    RemoveTree(plain);
                }
            }
        }
        const double save = Median(saves);
        const double copy = Median(copies);
        std::printf("%8d %7d %8.1f ms %8.1f ms %7.2f %10.1f us %10.1f ms%s\n", earlier, count, save,
                    copy, save / copy, 1000.0 * save / count, Median(empties),
                    ui.failures ? "  (copies failed!)" : "");
    }

    if (hadPrevious)
        viewer::WriteStringSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, viewer::kSavePathValue,
                                   previous);
    else
        RegDeleteValueA(key, viewer::kSavePathValue);
    RegCloseKey(key);
    RemoveTree(root);
    return 0;
}
