// Starts the built Tessaly.exe on a movie from our SWF writer and checks it from outside, the
// way a person would look at it: the main window shows the movie's name in its title, the
// frame counter moves on while the movie plays, and closing the window ends the program
// cleanly. A picture of the window is saved. The keys its first run writes are removed again.
//
//   tessaly_driver.exe TESSALY.EXE OUTPUT_FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/driver_support.h"
#include "tools/swf_writer.h"

using driver::Check;

namespace {

struct Found {
    DWORD pid;
    HWND main = nullptr;
};

BOOL CALLBACK FindMain(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (pid == found->pid && IsWindowVisible(window) && std::string(cls) == "VeltranoFrame")
        found->main = window;
    return TRUE;
}

// The frame number the counter "帧数: N/T" shows; 0 when it shows none.
int CounterFrame(const std::string& text) {
    const std::size_t colon = text.find(": ");
    return colon == std::string::npos ? 0 : std::atoi(text.c_str() + colon + 2);
}

void ForgetFirstRun() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano\\Tessaly");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano\\HalvardTessaly");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "FlashMovie");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".swf");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tessaly_driver TESSALY.EXE OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string tessaly = driver::WindowsPath(argv[1]), out = driver::WindowsPath(argv[2]);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string movie = std::string(temp) + "tessaly-driver.swf";
    {
        // 48 frames at 12 a second, a red square moving over a blue stage.
        swfwriter::MovieBuilder builder;
        builder.StagePixels(320, 240).FrameRate(12).BackgroundColor({0x20, 0x40, 0x90});
        builder.Rectangle(1, 60 * 20, 60 * 20, {0xE0, 0x30, 0x30});
        for (int i = 0; i < 48; ++i) builder.PlaceObject(1, 1, i * 5 * 20, 90 * 20).ShowFrame();
        Check(swfwriter::WriteFile(movie, builder.Build(swfwriter::Compression::Zlib)),
              "the movie is written");
    }
    ForgetFirstRun();

    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + tessaly + "\" \"" + movie + "\"";
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        Check(false, "Tessaly.exe starts");
        return 1;
    }
    Found found{pi.dwProcessId};
    for (int waited = 0; waited < 60000 && found.main == nullptr; waited += 20) {
        EnumWindows(FindMain, reinterpret_cast<LPARAM>(&found));
        Sleep(20);
    }
    Check(found.main != nullptr, "the main window appears");
    if (found.main == nullptr) {
        TerminateProcess(pi.hProcess, 1);
        return 1;
    }
    const std::string title = driver::TextOf(found.main);
    Check(title == "tessaly-driver.swf - Tessaly", "the title names the movie: " + title);

    // The counter moves on while the movie plays (the view polls the control every 300 ms).
    const HWND status = GetDlgItem(found.main, 0xE801);
    int first = 0, later = 0;
    std::string counter;
    for (int waited = 0; waited < 20000 && (first == 0 || later <= first); waited += 100) {
        counter = driver::StatusPaneText(status, 1);
        (first == 0 ? first : later) = CounterFrame(counter);
        Sleep(100);
    }
    Check(first >= 1 && later > first, "the frame counter moves on: frame " +
                                           std::to_string(first) + ", then " +
                                           std::to_string(later) + " (" + counter + ")");
    driver::SaveScreenshot(found.main, out + "\\tessaly-main.bmp");

    PostMessageA(found.main, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    Check(ended && code == 0, "closing the window ends the program with 0");
    if (!ended) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ForgetFirstRun();
    DeleteFileA(movie.c_str());
    return driver::Finish();
}
