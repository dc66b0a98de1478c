// The mark-up drawer against plain text drawing: measuring and drawing the viewer's longest
// tooltip text (string 158, code page 936, two line breaks and a bold run), against DrawTextA
// of the same characters (the tags left out, the breaks as line ends) measured and drawn in
// the same run, each with the fonts it needs made for the occasion. Target: within 5 times.
//   cmake/wine-run.sh build/windows/wine build/windows/bench/tooltip_bench.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/median.h"
#include "tooltip/markup_drawer.h"
#include "tooltip/markup_seeds.h"

namespace {

constexpr int kRounds = 7;
constexpr int kShows = 2000;

// The characters of a mark-up text: tags left out, "<BR>" as a line end.
std::string PlainCharacters(std::string_view markup) {
    std::string out;
    for (std::size_t i = 0; i < markup.size(); ++i) {
        if (markup[i] == '<') {
            const std::size_t close = markup.find('>', i);
            if (markup.substr(i, 4) == "<BR>") out += "\r\n";
            i = close;
            continue;
        }
        out += markup[i];
    }
    return out;
}

}  // namespace

int main() {
    std::string text;
    for (const tooltip::ViewerTip& tip : tooltip::ViewerTooltipTexts()) {
        if (tip.stringId == 158) text = tip.text;
    }
    const std::string plain = PlainCharacters(text);

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 800, 200);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);

    tooltip::MarkupDrawer drawer;
    SIZE markupSize{};
    const double markup = MedianMs(kRounds, [&] {
        for (int i = 0; i < kShows; ++i) {
            markupSize = drawer.MeasureText(dc, text);
            drawer.RenderText(dc, RECT{0, 0, markupSize.cx, markupSize.cy});
        }
    });

    RECT plainRect{};
    const double base = MedianMs(kRounds, [&] {
        for (int i = 0; i < kShows; ++i) {
            HFONT font = CreateFontA(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                                     0, "Verdana");
            HGDIOBJ before = SelectObject(dc, font);
            plainRect = RECT{0, 0, 0, 0};
            DrawTextA(dc, plain.c_str(), static_cast<int>(plain.size()), &plainRect,
                      DT_CALCRECT | DT_NOPREFIX);
            DrawTextA(dc, plain.c_str(), static_cast<int>(plain.size()), &plainRect,
                      DT_NOPREFIX);
            SelectObject(dc, before);
            DeleteObject(font);
        }
    });

    std::printf("text 158: %zu bytes of mark-up, %zu characters drawn plain\n", text.size(),
                plain.size());
    std::printf("mark-up drawer  %8.2f us per measure and draw  (%ld x %ld)\n",
                markup * 1000.0 / kShows, markupSize.cx, markupSize.cy);
    std::printf("plain DrawTextA %8.2f us per measure and draw  (%ld x %ld)\n",
                base * 1000.0 / kShows, plainRect.right, plainRect.bottom);
    std::printf("ratio           %8.2f  (target 5)\n", markup / base);

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return 0;
}
