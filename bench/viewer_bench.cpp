// Moravel's window: refilling the movie list with 10,000 records against inserting the same
// texts into a bare sorted list view (the floor), and the start-up of Moravel.exe to a visible
// window with an empty cache.
//
//   cmake/wine-run.sh build/windows/wine build/windows/bench/viewer_bench.exe Z:\...\Moravel.exe
#include <windows.h>
#include <commctrl.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
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

constexpr int kMovies = 10000;
constexpr int kRounds = 5;

void Set(const char* name, const std::string& value) {
    viewer::WriteStringSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, name, value);
}

void BenchListRefill(const std::string& root) {
    // 10,000 movies of the Firefox source, listed sorted by the control.
    const std::string tree = root + "\\ff";
    CreateDirectoryA(tree.c_str(), nullptr);
    const std::string movie = std::string("FWS\x0A\x20\0\0\0", 8) + std::string(24, 'm');
    for (int i = 0; i < kMovies; ++i) WriteFileBytes(tree + "\\m" + std::to_string(i), movie);
    Set(viewer::kFirefoxProfileFolderValue, tree);
    viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, viewer::kSourceValue, 134);

    viewer::CViewerDlg dialog(GetModuleHandleA(nullptr), "");
    if (!dialog.CreateForTest(nullptr)) {
        std::printf("the main window could not be made\n");
        return;
    }
    const double refill = MedianMs(kRounds, [&] { dialog.RefillList(); });
    const int rows = ListView_GetItemCount(GetDlgItem(dialog.Window(), 1000));

    // The floor: the same texts into a bare sorted report list of the same size.
    std::vector<std::string> names;
    for (const auto& record : dialog.Catalogue()) names.push_back(record.name);
    HWND bare = CreateWindowExA(0, WC_LISTVIEWA, "",
                                WS_CHILD | LVS_REPORT | LVS_SORTASCENDING | LVS_NOCOLUMNHEADER, 0,
                                0, 250, 320, dialog.Window(), nullptr, nullptr, nullptr);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 230;
    SendMessageA(bare, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    const double floor = MedianMs(kRounds, [&] {
        ListView_DeleteAllItems(bare);
        for (const std::string& name : names) {
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.pszText = const_cast<char*>(name.c_str());
            item.iImage = 1;
            SendMessageA(bare, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    });
    std::printf(
        "list refill, %d rows: FillMovieList %8.1f ms  bare sorted list %8.1f ms  "
        "ratio %5.2f\n",
        rows, refill, floor, refill / floor);
    RemoveTree(tree);
}

void BenchStartUp(const std::string& moravel, const std::string& root) {
    ClearUrlCache();
    CreateDirectoryA((root + "\\empty").c_str(), nullptr);
    Set(viewer::kIeCacheFolderValue, root + "\\empty");
    viewer::WriteDwordSetting(HKEY_CURRENT_USER, viewer::kSettingsKey, viewer::kSourceValue, 135);
    const double ms = MedianMs(kRounds, [&] {
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        std::string line = "\"" + moravel + "\"";
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return;
        HWND main = nullptr;
        for (int i = 0; i < 20000 && main == nullptr; ++i) {
            main = FindWindowA("#32770", "Moravel");
            if (main && !IsWindowVisible(main)) main = nullptr;
            if (!main) Sleep(1);
        }
        if (main) PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        WaitForSingleObject(pi.hProcess, 20000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    });
    std::printf(
        "start-up of Moravel.exe to a visible window, empty cache: %8.1f ms (median of %d)\n", ms,
        kRounds);
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
    BenchListRefill(root);
    if (argc > 1) BenchStartUp(argv[1], root);
    RemoveTree(root);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano");
    return 0;
}
