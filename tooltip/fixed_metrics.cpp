#include "tooltip/fixed_metrics.h"

#include "base/ansi_text.h"

namespace tooltip {

FontMetrics FixedMetricsDevice::Metrics() {
    return {font.fontHeight, font.fontHeight - font.fontHeight / 4};
}

Size FixedMetricsDevice::Extent(std::string_view text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size(); i += base::CharLength(text, i)) {
        width += base::CharLength(text, i) * advance;
    }
    return {width, font.fontHeight};
}

void FixedMetricsDevice::DrawRun(Point topLeft, std::string_view text, const TextStyle& style,
                                 int extra, int breaks) {
    PaintCall c;
    c.kind = PaintCall::Kind::Text;
    c.at = topLeft;
    c.text.assign(text);
    c.style = style;
    c.extra = extra;
    c.breaks = breaks;
    calls.push_back(std::move(c));
}

void FixedMetricsDevice::DrawStrokes(const std::vector<Stroke>& strokes) {
    if (strokes.empty()) return;
    PaintCall c;
    c.kind = PaintCall::Kind::Strokes;
    c.strokes = strokes;
    calls.push_back(std::move(c));
}

void FixedMetricsDevice::FillEffect(Rect r, int effectCode, Colour begin, Colour middle, Colour end,
                                    int granularity, int blendPercent) {
    PaintCall c;
    c.kind = PaintCall::Kind::Fill;
    c.rect = r;
    c.effect = effectCode;
    c.begin = begin;
    c.middle = middle;
    c.end = end;
    c.granularity = granularity;
    c.blend = blendPercent;
    calls.push_back(std::move(c));
}

void FixedMetricsDevice::TilePicture(Rect r, const BackgroundPicture&) {
    PaintCall c;
    c.kind = PaintCall::Kind::Tile;
    c.rect = r;
    calls.push_back(std::move(c));
}

void FixedMetricsDevice::DrawImage(const ImageRef& image, const ImageDraw& how) {
    PaintCall c;
    c.kind = PaintCall::Kind::Image;
    c.image = image;
    c.how = how;
    c.rect = how.rect;
    calls.push_back(std::move(c));
}

std::vector<PaintCall> FixedMetricsDevice::Calls(PaintCall::Kind kind) const {
    std::vector<PaintCall> out;
    for (const PaintCall& c : calls) {
        if (c.kind == kind) out.push_back(c);
    }
    return out;
}

}  // namespace tooltip
