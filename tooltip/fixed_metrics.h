// A mark-up device with fixed metrics and a painter that records what it is asked to draw:
// the fuzzer measures and paints through it, and the native tests read exact positions from
// it. A single-byte character is `advance` pixels wide, a double-byte one twice that; a font
// is fontHeight tall with three quarters of it above the baseline.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tooltip/markup_layout.h"

namespace tooltip {

struct PaintCall {
    enum class Kind { Text, Strokes, Fill, Tile, Image };
    Kind kind = Kind::Text;
    Point at;
    std::string text;
    TextStyle style;
    int extra = 0;
    int breaks = 0;
    std::vector<Stroke> strokes;
    Rect rect;
    int effect = 0;
    Colour begin = 0, middle = 0, end = 0;
    int granularity = 0;
    int blend = 0;
    ImageRef image;
    ImageDraw how;
};

class FixedMetricsDevice : public MarkupPainter {
public:
    int advance = 6;
    int dpi = 96;
    // Natural sizes of images and texts of strings; none and empty unless set.
    std::function<std::optional<Size>(const ImageRef&)> images;
    std::function<std::string(const StringRef&)> strings;
    std::vector<PaintCall> calls;
    TextStyle font;  // the selected one

    int Dpi() override { return dpi; }
    int XHeight(const TextStyle& style) override { return style.fontHeight / 2; }
    void UseFont(const TextStyle& style) override { font = style; }
    FontMetrics Metrics() override;
    Size Extent(std::string_view text) override;
    std::optional<Size> ImageSize(const ImageRef& image) override {
        return images ? images(image) : std::nullopt;
    }
    std::string LoadResourceString(const StringRef& ref) override {
        return strings ? strings(ref) : std::string();
    }

    void DrawRun(Point topLeft, std::string_view text, const TextStyle& style, int extra,
                 int breaks) override;
    void DrawStrokes(const std::vector<Stroke>& strokes) override;
    void FillEffect(Rect r, int effectCode, Colour begin, Colour middle, Colour end,
                    int granularity, int blendPercent) override;
    void TilePicture(Rect r, const BackgroundPicture& picture) override;
    void DrawImage(const ImageRef& image, const ImageDraw& how) override;

    // The recorded calls of one kind, in order.
    std::vector<PaintCall> Calls(PaintCall::Kind kind) const;
};

}  // namespace tooltip
