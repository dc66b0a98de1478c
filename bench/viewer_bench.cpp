// Moravel's window: refilling the movie list against inserting the same texts into a bare
// sorted list view (the control the list used to be), the refill's cost per row from 10,000
// to 40,000 rows, and the start-up of Moravel.exe to a visible window against a bare dialog
// program started the same way.
//
//   cmake/wine-run.sh build/windows/wine build/windows/bench/viewer_bench.exe Z:\...\Moravel.exe
//   [start-up]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/median.h"
#include "tools/file_tree.h"
#include "viewer/settings_store.h"
#include "viewer/viewer_app.h"
#include "viewer/viewer_dlg.h"
#include "win/ax_host.h"

namespace {

using filetree::ClearUrlCache;
using filetree::RemoveTree;
using filetree::WriteFileBytes;

constexpr int kRounds = 5;
constexpr int kBareRounds = 3;  // 10,000 sorted inserts take about 24 s under Wine 8

void Set(const char* name, const std::string& value) {
    viewer::WriteStringSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, name, value);
}

// Loose movies of the Internet Explorer cache folder, nested so that one folder holds the
// first 10,000, its parent 20,000 and the top 40,000 (the folder pass searches subfolders).
// Their names are scattered so that the folder's order is not the sorted one.
struct Trees {
    std::string of10k, of20k, of40k;
};

Trees MakeMovies(const std::string& root) {
    const Trees trees{root + "\\s1\\s2\\s3", root + "\\s1\\s2", root + "\\s1"};
    const std::string movie = std::string("FWS\x0A\x20\0\0\0", 8) + std::string(24, 'm');
    for (int i = 0; i < 40000; ++i) {
        const std::string& folder = i < 10000 ? trees.of10k : i < 20000 ? trees.of20k : trees.of40k;
        const unsigned scattered = static_cast<unsigned>(i) * 2654435761u % 1000003u;
        WriteFileBytes(folder + "\\clip_" + std::to_string(scattered) + ".swf", movie);
    }
    return trees;
}

struct Refill {
    int rows = 0;
    double ms = 0;
    std::vector<std::string> names;  // in catalogue order
};

// The main window on the Internet Explorer source with this cache folder; the first scan
// fills the catalogue, then the list is refilled from it.
Refill MeasureRefill(const std::string& cacheFolder) {
    Set(viewer::kIeCacheFolderValue, cacheFolder);
    Refill refill;
    viewer::CViewerDlg dialog(GetModuleHandleA(nullptr), "");
    if (!dialog.CreateForTest(nullptr)) return refill;
    refill.ms = MedianMs(kRounds, [&] { dialog.RefillList(); });
    refill.rows = ListView_GetItemCount(GetDlgItem(dialog.Window(), 1000));
    for (const auto& record : dialog.Catalogue()) refill.names.push_back(record.name);
    return refill;
}

// The floor the list used to stand on: the same texts into a bare sorted report list.
double MeasureBareSortedList(const std::vector<std::string>& names) {
    HWND bare = CreateWindowExA(0, WC_LISTVIEWA, "",
                                WS_POPUP | LVS_REPORT | LVS_SORTASCENDING | LVS_NOCOLUMNHEADER, 0,
                                0, 250, 320, nullptr, nullptr, nullptr, nullptr);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 230;
    SendMessageA(bare, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    const double ms = MedianMs(kBareRounds, [&] {
        ListView_DeleteAllItems(bare);
        for (const std::string& name : names) {
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.pszText = const_cast<char*>(name.c_str());
            item.iImage = 1;
            SendMessageA(bare, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    });
    DestroyWindow(bare);
    return ms;
}

void BenchListRefill(const std::string& root) {
    ClearUrlCache();
    viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, viewer::kSourceValue, 135);
    const Trees trees = MakeMovies(root);
    const Refill r10 = MeasureRefill(trees.of10k);
    const Refill r20 = MeasureRefill(trees.of20k);
    const Refill r40 = MeasureRefill(trees.of40k);
    const double bare = MeasureBareSortedList(r10.names);
    std::printf(
        "list refill, %d rows: FillMovieList %8.1f ms  bare sorted list %8.1f ms  ratio %6.4f\n",
        r10.rows, r10.ms, bare, r10.ms / bare);
    for (const Refill* r : {&r10, &r20, &r40})
        std::printf(
            "list refill, %5d rows: %8.1f ms  %6.2f us per row  per-row ratio to 10000: %5.2f\n",
            r->rows, r->ms, 1000.0 * r->ms / r->rows, (r->ms / r->rows) / (r10.ms / r10.rows));
}

// Process start to a visible top-level window of this class and caption, then closed the
// way a user closes it; the median of kRounds.
double StartUpMs(const std::string& program, const char* caption, const char* arguments = "") {
    return MedianMs(kRounds, [&] {
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        std::string line = "\"" + program + "\" " + arguments;
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return;
        HWND main = nullptr;
        for (int i = 0; i < 20000 && main == nullptr; ++i) {
            main = FindWindowA("#32770", caption);
            if (main && !IsWindowVisible(main)) main = nullptr;
            if (!main) Sleep(1);
        }
        if (main) PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        WaitForSingleObject(pi.hProcess, 20000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    });
}

void BenchStartUp(const std::string& moravel, const std::string& root) {
    ClearUrlCache();
    CreateDirectoryA((root + "\\empty").c_str(), nullptr);
    Set(viewer::kIeCacheFolderValue, root + "\\empty");
    viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, viewer::kSourceValue, 135);
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string bare = module;
    bare.resize(bare.rfind('\\') + 1);
    bare += "bare_dialog.exe";
    const double moravelMs = StartUpMs(moravel, "Moravel");
    const double bareMs = StartUpMs(bare, "Bare dialog");
    const double splashMs = StartUpMs(bare, "Bare dialog", "splash");
    std::printf(
        "start-up to a visible window (median of %d), Moravel.exe with an empty cache:\n"
        "  Moravel.exe %8.1f ms\n"
        "  bare dialog %8.1f ms  ratio %5.2f\n"
        "  bare dialog after a splash %8.1f ms  ratio %5.2f\n",
        kRounds, moravelMs, bareMs, moravelMs / bareMs, splashMs, moravelMs / splashMs);
}

}  // namespace

int main(int argc, char** argv) {
    if (!viewer::CViewerApp::InitialiseUi()) return 1;
    win::PreferRegisteredControls(false);
    viewer::EnsureSettingsKey();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "moravel-viewer-bench";
    RemoveTree(root);
    CreateDirectoryA(root.c_str(), nullptr);
    // "start-up" after Moravel's path skips the list (ten minutes, most of them the baseline).
    if (argc < 3 || std::strcmp(argv[2], "start-up") != 0) BenchListRefill(root);
    if (argc > 1) BenchStartUp(argv[1], root);
    RemoveTree(root);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano");
    return 0;
}
