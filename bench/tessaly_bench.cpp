// Tessaly's position timer: the cost of one 300 ms tick while nothing changes (the movie
// stands on a frame that is not its last), against a bare SendMessage round trip to the same
// view, and against that round trip plus the one query round a tick has to make (Movie,
// CurrentFrame, TotalFrames), all in the same run. It also checks that unchanged ticks ask
// for no repaint of the status bar or the slider (the program ends with 1 if they do).
//
//   cmake/wine-run.sh build/windows/bench-wine build/windows/bench/tessaly_bench.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/median.h"
#include "player/main_frame.h"
#include "player/tessaly_app.h"
#include "player/tessaly_view.h"
#include "tools/swf_writer.h"
#include "win/ax_host.h"

namespace {

constexpr int kTicks = 20000;
constexpr int kRounds = 7;

void ForgetPlayerKeys() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano\\Tessaly");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Veltrano\\HalvardTessaly");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "FlashMovie");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".swf");
}

}  // namespace

int main() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string movie = std::string(temp) + "tessaly-bench.swf";
    {
        // Ten frames at 1/256 frame a second: the movie stands still while the ticks run.
        swfwriter::MovieBuilder builder;
        builder.StagePixels(320, 240).FrameRate88(1);
        for (int i = 0; i < 10; ++i) builder.ShowFrame();
        if (!swfwriter::WriteFile(movie, builder.Build(swfwriter::Compression::None))) return 1;
    }
    ForgetPlayerKeys();
    win::PreferRegisteredControls(false);
    int failed = 0;
    {
        player::CTessalyApp app(GetModuleHandleA(nullptr), {movie});
        if (!app.InitInstance()) return 1;
        const HWND view = app.View()->Window();
        // The ticks are sent here; the window's own timer would add some of its own.
        KillTimer(view, player::kPositionTimer);
        app.View()->Flash().GotoFrame(3);
        SendMessageA(view, WM_TIMER, player::kPositionTimer, 0);  // arms the slider, shows 4/10
        app.PumpPending();
        const HWND status = app.Frame()->StatusBar();
        const HWND slider = app.Frame()->Slider().Window();
        UpdateWindow(app.Frame()->Window());

        const double tick = MedianMs(kRounds, [&] {
            for (int i = 0; i < kTicks; ++i)
                SendMessageA(view, WM_TIMER, player::kPositionTimer, 0);
        });
        const bool repaint =
            GetUpdateRect(status, nullptr, FALSE) || GetUpdateRect(slider, nullptr, FALSE);
        const double roundTrip = MedianMs(kRounds, [&] {
            for (int i = 0; i < kTicks; ++i) SendMessageA(view, WM_NULL, 0, 0);
        });
        win::CShockwaveFlash& flash = app.View()->Flash();
        long sink = 0;
        const double query = MedianMs(kRounds, [&] {
            for (int i = 0; i < kTicks; ++i) {
                sink += static_cast<long>(flash.GetMovie().size());
                sink += flash.CurrentFrame() + flash.TotalFrames();
            }
        });
        std::printf("%d ticks, median of %d rounds (a tick that changes nothing):\n", kTicks,
                    kRounds);
        std::printf("  tick                          %8.2f ms  %6.2f us each\n", tick,
                    tick * 1000 / kTicks);
        std::printf("  bare SendMessage to the view  %8.2f ms  %6.2f us each   tick ratio %5.2f\n",
                    roundTrip, roundTrip * 1000 / kTicks, tick / roundTrip);
        std::printf("  query round of the control    %8.2f ms  %6.2f us each\n", query,
                    query * 1000 / kTicks);
        std::printf("  round trip + query round      %8.2f ms  %6.2f us each   tick ratio %5.2f\n",
                    roundTrip + query, (roundTrip + query) * 1000 / kTicks,
                    tick / (roundTrip + query));
        std::printf("  repaint asked by unchanged ticks: %s  (checksum %ld)\n",
                    repaint ? "YES" : "none", sink);
        failed = repaint ? 1 : 0;
    }
    ForgetPlayerKeys();
    DeleteFileA(movie.c_str());
    return failed;
}
