// Starts the built Moravel.exe on a seeded prefix and checks it from outside, the way a
// person would look at it: the splash appears, then the main window with the demo movies
// listed and the combos on their first-run choices; pictures of both are saved. Closing the
// window ends the program cleanly. Given a movie of the outside corpus, it is put into the
// cache folder, the list refreshed and the movie selected, and the preview pictured
// (moravel-corpus.bmp): a movie with pictures, gradients and text, looked at as a user would.
//
//   moravel_driver.exe MORAVEL.EXE SEED_DEMO.EXE OUTPUT_FOLDER [CORPUS_MOVIE]
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/driver_support.h"

using driver::Check;
using driver::RunAndWait;
using driver::SaveScreenshot;
using driver::WindowsPath;

namespace {

struct Found {
    DWORD pid;
    HWND splash = nullptr;
    HWND main = nullptr;
};

BOOL CALLBACK FindWindows(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != found->pid || !IsWindowVisible(window)) return TRUE;
    char title[64] = {};
    GetWindowTextA(window, title, sizeof(title));
    if (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)
        found->splash = window;
    else if (std::string(title) == "Moravel")
        found->main = window;
    return TRUE;
}

// The selected entry's text, asked for in UTF-16 (which crosses processes unchanged) and
// turned into the code page here.
std::string SelectedText(HWND combo) {
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return "<none>";
    wchar_t wide[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide));
    char text[512] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
    return text;
}

// Every row's text of a list view in another process: LVM_GETITEMTEXTW with the item and its
// buffer placed in that process (Wine marshals the UTF-16 text), turned into the code page
// here. Empty when the memory cannot be had.
std::vector<std::string> RowTexts(HWND list, DWORD pid) {
    std::vector<std::string> texts;
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) return texts;
    constexpr int kChars = 260;
    auto* remote = static_cast<char*>(VirtualAllocEx(
        process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    if (remote != nullptr) {
        const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) {
            LVITEMW item{};
            item.iSubItem = 0;
            item.cchTextMax = kChars;
            item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
            wchar_t wide[kChars] = {};
            if (!WriteProcessMemory(process, remote, &item, sizeof(item), nullptr)) break;
            SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
            if (!ReadProcessMemory(process, remote + sizeof(LVITEMW), wide, sizeof(wide), nullptr))
                break;
            wide[kChars - 1] = L'\0';
            char text[2 * kChars] = {};
            WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
            texts.push_back(text);
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return texts;
}

// Selects one row of a list view in another process (the item lives in that process).
bool SelectRow(HWND list, DWORD pid, int row) {
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) return false;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMW), MEM_COMMIT, PAGE_READWRITE);
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    const bool done = remote != nullptr &&
                      WriteProcessMemory(process, remote, &item, sizeof(item), nullptr) &&
                      SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote));
    if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return done;
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : " ") + text;
    return joined;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(
            stderr,
            "usage: moravel_driver MORAVEL.EXE SEED_DEMO.EXE OUTPUT_FOLDER [CORPUS_MOVIE]\n");
        return 2;
    }
    const std::string moravel = WindowsPath(argv[1]), seed = WindowsPath(argv[2]),
                      out = WindowsPath(argv[3]);
    Check(RunAndWait("\"" + seed + "\" --force"), "the demo movies are seeded");
    // Where the corpus movie goes, if one is given; a copy left by a broken run goes first.
    std::string added;
    if (argc >= 5) {
        char cache[MAX_PATH] = {};
        SHGetFolderPathA(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, cache);
        const std::string source = argv[4];
        added = std::string(cache) + "\\" + source.substr(source.find_last_of("/\\") + 1);
        SetFileAttributesA(added.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(added.c_str());
    }

    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + moravel + "\"";
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        Check(false, "Moravel.exe starts");
        return 1;
    }
    Found found{pi.dwProcessId};
    bool splashSeen = false, splashPictured = false;
    for (int waited = 0; waited < 60000 && found.main == nullptr; waited += 2) {
        found.splash = nullptr;
        EnumWindows(FindWindows, reinterpret_cast<LPARAM>(&found));
        if (found.splash) {
            splashSeen = true;
            // Kept up to date while the splash stands, so the last picture is the fullest.
            if (SaveScreenshot(found.splash, out + "\\moravel-splash.bmp", false))
                splashPictured = true;
        }
        Sleep(2);
    }
    Check(found.main != nullptr, "the main window appears");
    if (found.main == nullptr) {
        TerminateProcess(pi.hProcess, 1);
        return 1;
    }
    std::printf("     splash %s\n", splashPictured ? "seen and pictured"
                                    : splashSeen   ? "seen, gone before it painted"
                                                   : "gone before a look");
    Sleep(1500);  // let the first paint and the preview settle

    const HWND list = GetDlgItem(found.main, 1000);
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    Check(rows == 12,
          "12 movies listed (9 from the index, 3 from the cache folder): " + std::to_string(rows));
    Check(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) == 1, "one row selected");
    // The seeded names in the order of the system's sorted list (equal names side by side).
    const std::vector<std::string> expected = {"banner", "clock",       "fireworks",  "intro",
                                               "map",    "opening",     "opening",    "promo_loop",
                                               "racer",  "site_loader", "skyscraper", "tetra"};
    const std::vector<std::string> texts = RowTexts(list, pi.dwProcessId);
    Check(texts == expected, "rows read from outside, sorted: " + Joined(texts));
    // 所有站点, Internet Explorer 缓存 and 任意时刻 in code page 936.
    Check(SelectedText(GetDlgItem(found.main, 1017)) == "Internet Explorer \xBB\xBA\xB4\xE6",
          "source: Internet Explorer");
    Check(SelectedText(GetDlgItem(found.main, 1016)) == "\xCB\xF9\xD3\xD0\xD5\xBE\xB5\xE3",
          "site filter: all sites");
    Check(SelectedText(GetDlgItem(found.main, 1020)) == "\xC8\xCE\xD2\xE2\xCA\xB1\xBF\xCC",
          "date filter: any time");
    SaveScreenshot(found.main, out + "\\moravel-main.bmp");

    if (!added.empty()) {
        // A movie of the outside corpus in the cache folder: refreshed, it sorts first.
        const std::string source = WindowsPath(argv[4]);
        std::string name = source.substr(source.find_last_of('\\') + 1);
        Check(CopyFileA(source.c_str(), added.c_str(), FALSE) != 0, "the corpus movie is cached");
        // The corpus may be read-only; the copy must not be.
        SetFileAttributesA(added.c_str(), FILE_ATTRIBUTE_NORMAL);
        name = name.substr(0, name.find_last_of('.'));
        SendMessageA(GetDlgItem(found.main, 1013), BM_CLICK, 0, 0);  // 刷新
        std::vector<std::string> now;
        for (int waited = 0; waited < 20000 && now.size() != 13; waited += 50) {
            Sleep(50);
            now = RowTexts(list, pi.dwProcessId);
        }
        Check(!now.empty() && now.front() == name,
              "refreshed, the corpus movie is first: " + Joined(now));
        Check(SelectRow(list, pi.dwProcessId, 0), "the corpus movie is selected");
        Sleep(1500);  // the preview loads it and draws its first frames
        const std::size_t colours = driver::ColoursShown(GetDlgItem(found.main, 1011));
        Check(colours > 64, "the preview draws it: " + std::to_string(colours) + " colours");
        SaveScreenshot(found.main, out + "\\moravel-corpus.bmp");
    }

    driver::CloseAndCheckExit(found.main, WM_SYSCOMMAND, SC_CLOSE, pi);
    if (!added.empty()) {
        // The program's handles may outlive its process for a moment.
        bool gone = false;
        for (int waited = 0; waited < 10000 && !gone; waited += 50) {
            gone = DeleteFileA(added.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
            if (!gone) Sleep(50);
        }
        Check(gone, "the corpus movie leaves the cache folder");
    }
    RunAndWait("\"" + seed + "\" --clear");

    return driver::Finish();
}
