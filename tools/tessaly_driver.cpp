// Starts the built Tessaly.exe on a movie from our SWF writer and checks it from outside, the
// way a person would look at it: the main window shows the movie's name in its title, the
// frame counter and the progress slider move on while the movie plays, full screen covers the
// screen and Escape brings the window back, and closing the window ends the program cleanly.
// Pictures of the window, windowed and in full screen, are saved. The light file icon is
// checked beside the program.
// The keys its first run writes are removed again.
// Given a movie of the outside corpus, Tessaly is started again on it and its window pictured
// (tessaly-corpus.bmp): a movie with pictures, gradients and text, looked at as a user would.
//
//   tessaly_driver.exe TESSALY.EXE OUTPUT_FOLDER [CORPUS_MOVIE]
#include <windows.h>
#include <commctrl.h>

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

constexpr char kSettingsKey[] = "Software\\Veltrano\\Tessaly\\Settings";

void ForgetFirstRun() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano\\Tessaly");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano\\HalvardTessaly");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "FlashMovie");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".swf");
}

// Starts Tessaly on a movie and waits for its main window (a minute at most).
Found Start(const std::string& tessaly, const std::string& movie, PROCESS_INFORMATION& pi) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    std::string line = "\"" + tessaly + "\" \"" + movie + "\"";
    Found found{0};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        Check(false, "Tessaly.exe starts");
        return found;
    }
    found.pid = pi.dwProcessId;
    for (int waited = 0; waited < 60000 && found.main == nullptr; waited += 20) {
        EnumWindows(FindMain, reinterpret_cast<LPARAM>(&found));
        Sleep(20);
    }
    Check(found.main != nullptr, "the main window appears");
    if (found.main == nullptr) TerminateProcess(pi.hProcess, 1);
    return found;
}

void Close(const Found& found, PROCESS_INFORMATION& pi) {
    driver::CloseAndCheckExit(found.main, WM_CLOSE, 0, pi);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tessaly_driver TESSALY.EXE OUTPUT_FOLDER [CORPUS_MOVIE]\n");
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
    // The light file icon ships beside the program: the association's light icon names it.
    {
        const std::string light =
            tessaly.substr(0, tessaly.find_last_of('\\') + 1) + "TessalyLight.ico";
        const HICON icon = static_cast<HICON>(
            LoadImageA(nullptr, light.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
        Check(icon != nullptr, "TessalyLight.ico beside Tessaly.exe is an icon: " + light);
        if (icon) DestroyIcon(icon);
    }
    ForgetFirstRun();
    // The movie's own blue as the background, and the whole stage shown: the pictures show
    // the stage and the margins around it.
    const DWORD blue = RGB(0x20, 0x40, 0x90);
    RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "bgColor", REG_DWORD, &blue, sizeof blue);
    RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "ScaleMode", REG_SZ, "ShowAll", 8);

    PROCESS_INFORMATION pi{};
    const Found found = Start(tessaly, movie, pi);
    if (found.main == nullptr) return 1;
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
    // The slider moves with the counter; it lives in the progress bar, in the rebar.
    const HWND slider = GetDlgItem(GetDlgItem(GetDlgItem(found.main, 0xE804), 0xE805), 103);
    const LRESULT position = SendMessageA(slider, TBM_GETPOS, 0, 0);
    Check(IsWindowEnabled(slider) && position > 0 &&
              SendMessageA(slider, TBM_GETRANGEMAX, 0, 0) == 48,
          "the slider is ranged to the 48 frames and moves: at " + std::to_string(position));
    driver::SaveScreenshot(found.main, out + "\\tessaly-main.bmp");

    // Full screen (command 137): the client area alone covers the screen.
    RECT windowed{};
    GetWindowRect(found.main, &windowed);
    PostMessageA(found.main, WM_COMMAND, 137, 0);
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    bool covers = false;
    for (int waited = 0; waited < 10000 && !covers; waited += 50) {
        Sleep(50);
        RECT client{};
        GetClientRect(found.main, &client);
        POINT corner{0, 0};
        ClientToScreen(found.main, &corner);
        covers =
            corner.x == 0 && corner.y == 0 && client.right == screenW && client.bottom == screenH;
    }
    Check(covers, "full screen: the movie covers the screen");
    Sleep(700);  // a few frames on, painted
    const HDC screen = GetDC(nullptr);
    const COLORREF middle = GetPixel(screen, screenW / 2, screenH / 2);
    ReleaseDC(nullptr, screen);
    Check(middle == blue, "full screen: the stage in the middle, in the stored background");
    // The window reaches past the screen's edges now: the picture is the screen's.
    Check(driver::SaveScreenshot(GetDesktopWindow(), out + "\\tessaly-fullscreen.bmp"),
          "full screen: a picture of the screen");
    // Escape, typed into the movie, brings the window back where it was.
    PostMessageA(GetDlgItem(found.main, 0xE900), WM_KEYDOWN, VK_ESCAPE, 1);
    RECT back{};
    for (int waited = 0; waited < 10000 && !EqualRect(&back, &windowed); waited += 50) {
        Sleep(50);
        GetWindowRect(found.main, &back);
    }
    Check(EqualRect(&back, &windowed), "Escape leaves full screen for the window as it was");

    Close(found, pi);

    if (argc >= 4) {
        // A movie of the outside corpus, drawn by the engine in the window as it stands, on
        // the settings a new user has.
        const std::string corpus = driver::WindowsPath(argv[3]);
        ForgetFirstRun();
        PROCESS_INFORMATION other{};
        const Found shown = Start(tessaly, corpus, other);
        if (shown.main != nullptr) {
            Sleep(1500);  // the first frames drawn and painted
            const std::size_t colours = driver::ColoursShown(GetDlgItem(shown.main, 0xE900));
            Check(colours > 64, "the corpus movie draws: " + std::to_string(colours) + " colours");
            driver::SaveScreenshot(shown.main, out + "\\tessaly-corpus.bmp");
            Close(shown, other);
        }
    }
    ForgetFirstRun();
    DeleteFileA(movie.c_str());
    return driver::Finish();
}
