// The tooltip tests' shared pieces: the drawer core over the fixed-metrics device (a
// single-byte character 6 pixels wide, a double-byte one 12; the body font 13 pixels tall with
// an ascent of 10), a scripted random source and a link host that records what it is told.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "tooltip/fixed_metrics.h"
#include "tooltip/markup_layout.h"
#include "tooltip/pixel_effects.h"

namespace tooltip_test {

using namespace tooltip;

// System colour i is Rgb(i, 2i, 3i), so a test can tell which one was read.
inline Colour FakeSystemColour(int index) {
    return Rgb(index, 2 * index, 3 * index);
}

struct Drawer {
    MarkupEngine engine{FakeSystemColour};
    FixedMetricsDevice device;

    Size Measure(std::string_view text) { return engine.MeasureText(device, text); }
    // Measures the text, then paints it into (0, 0, width, measured height); width 0 paints
    // into the measured size. Returns what was drawn.
    std::vector<PaintCall> Paint(std::string_view text, int width = 0) {
        const Size s = Measure(text);
        device.calls.clear();
        engine.RenderText(device, {0, 0, width > 0 ? width : s.cx - 1, s.cy - 1});
        return device.calls;
    }
    std::vector<PaintCall> Texts(std::string_view text, int width = 0) {
        Paint(text, width);
        return device.Calls(PaintCall::Kind::Text);
    }
};

// Replays its values in turn, then the last one again; counts the calls.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<int> values) : values_(std::move(values)) {}
    int Next() override {
        const int v = values_[std::min(calls, values_.size() - 1)];
        ++calls;
        return v;
    }
    std::size_t calls = 0;

private:
    std::vector<int> values_;
};

struct RecordingHost final : LinkHost {
    std::vector<int> hot;
    int handCursors = 0;
    std::vector<std::string> opened, sent;
    void HotLinkChanged(int index) override { hot.push_back(index); }
    void SetHandCursor() override { ++handCursors; }
    void OpenTarget(const std::string& t) override { opened.push_back(t); }
    void SendLinkMessage(const std::string& t) override { sent.push_back(t); }
};

}  // namespace tooltip_test
