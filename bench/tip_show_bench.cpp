// Showing a tooltip, from the initial-delay timer to the tip's first paint: CRichToolTip (the
// display notification, measuring the mark-up, placement, outline, background, the capture of
// the screen beneath, showing and the first composed paint with its shadow) against the
// system's tooltip control showing the same plain text as a tracking tip (measuring, showing,
// painting), in the same run. Target: within 3 times.
//   cmake/wine-run.sh build/windows/wine build/windows/bench/tip_show_bench.exe
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tooltip/markup_seeds.h"
#include "tooltip/rich_tooltip.h"

namespace {

constexpr int kRounds = 7;
constexpr int kShows = 200;

using Clock = std::chrono::steady_clock;

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

std::string Text(int id) {
    for (const tooltip::ViewerTip& tip : tooltip::ViewerTooltipTexts())
        if (tip.stringId == id) return tip.text;
    return {};
}

// The characters of a mark-up text: tags left out, "<BR>" as a line end.
std::string PlainCharacters(std::string_view markup) {
    std::string out;
    for (std::size_t i = 0; i < markup.size(); ++i) {
        if (markup[i] == '<') {
            if (markup.substr(i, 4) == "<BR>") out += "\r\n";
            i = markup.find('>', i);
            continue;
        }
        out += markup[i];
    }
    return out;
}

struct Host {
    HWND window, a, b;
    Host() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = "TipBenchHost";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, "TipBenchHost", "", WS_POPUP | WS_VISIBLE, 100, 300, 600, 200,
                                 nullptr, nullptr, nullptr, nullptr);
        a = CreateWindowExA(0, "BUTTON", "A", WS_CHILD | WS_VISIBLE, 20, 100, 100, 30, window,
                            nullptr, nullptr, nullptr);
        b = CreateWindowExA(0, "BUTTON", "B", WS_CHILD | WS_VISIBLE, 300, 100, 100, 30, window,
                            nullptr, nullptr, nullptr);
        UpdateWindow(window);
        Pump();
    }
    ~Host() { DestroyWindow(window); }
    static POINT Centre(HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
};

// One showing of ours: the mouse comes to rest on a button, and the initial delay is over.
// Returns the time from the timer to the painted tip.
Clock::duration ShowOurs(tooltip::CRichToolTip& tip, HWND button, bool& ok) {
    const POINT p = Host::Centre(button);
    SetCursorPos(p.x, p.y);
    MSG move{};
    move.hwnd = button;
    POINT client = p;
    ScreenToClient(button, &client);
    move.message = WM_MOUSEMOVE;
    move.lParam = MAKELPARAM(client.x, client.y);
    tip.ForwardMessage(move);
    const auto start = Clock::now();
    SendMessageA(tip.Window(), WM_TIMER, tooltip::tiptimer::kInitial, 0);
    const auto spent = Clock::now() - start;
    ok = ok && tip.TipVisible();
    tip.HideNow();
    Pump();
    return spent;
}

// One showing of the system's tooltip control, tracked at the button's centre.
Clock::duration ShowSystem(HWND tip, TOOLINFOA& info, HWND button, bool& ok) {
    const POINT p = Host::Centre(button);
    SetCursorPos(p.x, p.y);
    const auto start = Clock::now();
    SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(p.x, p.y));
    SendMessageA(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
    UpdateWindow(tip);
    const auto spent = Clock::now() - start;
    ok = ok && IsWindowVisible(tip);
    SendMessageA(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
    Pump();
    return spent;
}

struct Figures {
    double ours = 0, system = 0;  // microseconds per showing
};

// Both tips over the same buttons, their rounds taking turns so that a machine busy with
// other work weighs on both alike.
Figures Measure(Host& host, const std::string& markup, const std::string& plain) {
    tooltip::CRichToolTip ours;
    ours.CreateTipWindow(host.window, true);
    ours.SetDelay(tooltip::delay::kInitial, 1000);
    ours.RegisterTool(host.a, markup);
    ours.RegisterTool(host.b, markup);

    HWND system = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                  WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, host.window,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    TOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    info.hwnd = host.window;
    info.uId = 1;
    info.lpszText = const_cast<char*>(plain.c_str());
    SendMessageA(system, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageA(system, TTM_SETMAXTIPWIDTH, 0, 1000);  // line ends break lines

    bool ok = true;
    std::vector<double> oursRounds, systemRounds;
    for (int round = 0; round < kRounds; ++round) {
        Clock::duration a{}, b{};
        for (int i = 0; i < kShows; ++i) a += ShowOurs(ours, i % 2 ? host.b : host.a, ok);
        for (int i = 0; i < kShows; ++i) b += ShowSystem(system, info, i % 2 ? host.b : host.a, ok);
        oursRounds.push_back(std::chrono::duration<double, std::micro>(a).count() / kShows);
        systemRounds.push_back(std::chrono::duration<double, std::micro>(b).count() / kShows);
    }
    DestroyWindow(system);
    if (!ok) std::printf("(a showing did not show)\n");
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    return {median(oursRounds), median(systemRounds)};
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    Host host;
    std::printf("%d showings per round, median of %d rounds\n", kShows, kRounds);
    for (const int id : {161, 158}) {
        const std::string markup = Text(id);
        const Figures f = Measure(host, markup, PlainCharacters(markup));
        std::printf(
            "text %d (%zu bytes): CRichToolTip %8.1f us  system tooltip %8.1f us  "
            "ratio %5.2f  (target 3)\n",
            id, markup.size(), f.ours, f.system, f.ours / f.system);
    }
    return 0;
}
