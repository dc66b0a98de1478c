#include "flash/render/device_font.h"

#include <algorithm>
#include <cmath>

#include "base/ansi_text.h"

namespace flash::render {

namespace {

bool Contains(std::string_view haystack, std::string_view needle) {
    if (needle.size() > haystack.size()) return false;
    for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
        if (base::EqualsNoCase(haystack.substr(i, needle.size()), needle)) return true;
    }
    return false;
}

// Glyphs a device font holds at most, against text that names every character there is.
constexpr std::size_t kMaxDeviceGlyphs = 8192;

}  // namespace

GenericFamily FamilyOf(std::string_view name) {
    if (base::EqualsNoCase(name, "_serif")) return GenericFamily::Serif;
    if (base::EqualsNoCase(name, "_typewriter")) return GenericFamily::Typewriter;
    if (base::EqualsNoCase(name, "_sans")) return GenericFamily::Sans;
    for (const char* mono : {"courier", "mono", "consol", "typewriter", "fixed", "lucida console"})
        if (Contains(name, mono)) return GenericFamily::Typewriter;
    // "Sans" first: "DejaVu Sans", "Noto Sans" are no serif faces whatever else they say.
    if (Contains(name, "sans")) return GenericFamily::Sans;
    // Song (SimSun, 宋体 in UTF-8 and in code page 936) and Ming faces are the serif faces of
    // Chinese text.
    for (const char* serif :
         {"times", "serif", "georgia", "garamond", "roman", "book", "palatino", "cambria", "simsun",
          "nsimsun", "song", "ming", "\xE5\xAE\x8B", "\xCB\xCE"})
        if (Contains(name, serif)) return GenericFamily::Serif;
    return GenericFamily::Sans;
}

std::int32_t OutlineBuilder::X(double x) const {
    return static_cast<std::int32_t>(std::lround(std::clamp(x * scale_, -1e8, 1e8)));
}
std::int32_t OutlineBuilder::Y(double y) const {
    return static_cast<std::int32_t>(std::lround(std::clamp(-y * scale_, -1e8, 1e8)));
}

void OutlineBuilder::MoveTo(double x, double y) {
    Close();
    startX_ = x_ = x;
    startY_ = y_ = y;
    open_ = true;
}

void OutlineBuilder::LineTo(double x, double y) {
    if (!open_) MoveTo(x_, y_);
    Edge e;
    e.x0 = X(x_);
    e.y0 = Y(y_);
    e.x1 = X(x);
    e.y1 = Y(y);
    e.fill1 = 1;
    if (e.x0 != e.x1 || e.y0 != e.y1) edges_.push_back(e);
    x_ = x;
    y_ = y;
}

void OutlineBuilder::QuadTo(double cx, double cy, double x, double y) {
    if (!open_) MoveTo(x_, y_);
    Edge e;
    e.x0 = X(x_);
    e.y0 = Y(y_);
    e.cx = X(cx);
    e.cy = Y(cy);
    e.x1 = X(x);
    e.y1 = Y(y);
    e.fill1 = 1;
    e.curved = true;
    if (e.x0 != e.x1 || e.y0 != e.y1 || e.cx != e.x0 || e.cy != e.y0) edges_.push_back(e);
    x_ = x;
    y_ = y;
}

void OutlineBuilder::CubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y) {
    // Two halves (de Casteljau), each approximated by the quadratic with the control point
    // (3 (P1 + P2) - P0 - P3) / 4: close enough at glyph size.
    const double x0 = x_, y0 = y_;
    const double mx = (x0 + 3 * c1x + 3 * c2x + x) / 8, my = (y0 + 3 * c1y + 3 * c2y + y) / 8;
    const double ax = (x0 + c1x) / 2, ay = (y0 + c1y) / 2;
    const double bx = (c1x + c2x) / 2, by = (c1y + c2y) / 2;
    const double cx = (c2x + x) / 2, cy = (c2y + y) / 2;
    const double abx = (ax + bx) / 2, aby = (ay + by) / 2;
    const double bcx = (bx + cx) / 2, bcy = (by + cy) / 2;
    QuadTo((3 * (ax + abx) - x0 - mx) / 4, (3 * (ay + aby) - y0 - my) / 4, mx, my);
    QuadTo((3 * (bcx + cx) - mx - x) / 4, (3 * (bcy + cy) - my - y) / 4, x, y);
}

void OutlineBuilder::Close() {
    if (open_ && (x_ != startX_ || y_ != startY_)) LineTo(startX_, startY_);
    open_ = false;
}

Shape OutlineBuilder::Finish() {
    Close();
    Shape s;
    s.nonZeroWinding = true;
    FillStyle black;
    black.color = {0, 0, 0, 255};
    s.fills.push_back(black);
    s.edges = std::move(edges_);
    edges_.clear();
    if (!s.edges.empty()) {
        Rect r{s.edges[0].x0, s.edges[0].x0, s.edges[0].y0, s.edges[0].y0};
        for (const Edge& e : s.edges) {
            for (const auto& [x, y] : {std::pair{e.x0, e.y0}, std::pair{e.x1, e.y1},
                                       std::pair{e.curved ? e.cx : e.x0, e.curved ? e.cy : e.y0}}) {
                r.xMin = std::min(r.xMin, x);
                r.xMax = std::max(r.xMax, x);
                r.yMin = std::min(r.yMin, y);
                r.yMax = std::max(r.yMax, y);
            }
        }
        s.bounds = s.edgeBounds = s.extent = r;
    }
    s.groups.push_back(StyleGroup{0, static_cast<std::uint32_t>(s.edges.size()), 0, 1, 0, 0});
    return s;
}

const Font* DeviceFonts::Face(const std::string& name, bool bold, bool italic) {
    auto& slot = faces_[{name, bold, italic}];
    if (!slot) {
        auto entry = std::make_unique<Entry>();
        entry->request = {name, FamilyOf(name), bold, italic};
        FaceMetrics m;
        if (!source_.Metrics(entry->request, m)) return nullptr;
        Font& f = entry->font;
        f.emSquare = kDeviceEmSquare;
        f.name = name;
        f.bold = bold;
        f.italic = italic;
        f.hasLayout = true;
        f.ascent = m.ascent;
        f.descent = m.descent;
        f.leading = m.leading;
        slot = std::move(entry);
    }
    return &slot->font;
}

int DeviceFonts::Glyph(const Font& font, char32_t code) {
    auto it = faces_.find({font.name, font.bold, font.italic});
    if (it == faces_.end() || !it->second || &it->second->font != &font) return -1;
    Entry& entry = *it->second;
    if (const auto known = entry.glyphs.find(code); known != entry.glyphs.end())
        return known->second;
    int index = -1;
    Shape shape;
    double advance = 0;
    if (entry.font.glyphs.size() < kMaxDeviceGlyphs &&
        source_.Glyph(entry.request, code, shape, advance)) {
        index = static_cast<int>(entry.font.glyphs.size());
        entry.font.glyphs.push_back(std::move(shape));
        entry.font.codes.push_back(static_cast<std::uint16_t>(code));
        entry.font.advances.push_back(advance);
    }
    entry.glyphs.emplace(code, index);
    return index;
}

}  // namespace flash::render
