#include "flash/render/morph_shape.h"

#include <algorithm>

#include "flash/render/swf_bits.h"

namespace flash::render {

namespace {

constexpr std::int64_t kCoordLimit = std::int64_t{1} << 30;

Rgba ReadRgba(SwfBits& in) {
    Rgba c;
    c.r = in.U8();
    c.g = in.U8();
    c.b = in.U8();
    c.a = in.U8();
    return c;
}

// One MORPHFILLSTYLE into its start and end styles; false for a type the format lacks.
bool ReadMorphFill(SwfBits& in, FillStyle& a, FillStyle& b) {
    const std::uint8_t type = in.U8();
    switch (type) {
        case 0x00:
            a.kind = b.kind = FillKind::Solid;
            a.color = ReadRgba(in);
            b.color = ReadRgba(in);
            return true;
        case 0x10:
        case 0x12:
        case 0x13: {
            a.kind = b.kind = type == 0x10   ? FillKind::LinearGradient
                              : type == 0x12 ? FillKind::RadialGradient
                                             : FillKind::FocalGradient;
            a.matrix = in.ReadMatrix();
            b.matrix = in.ReadMatrix();
            const std::uint8_t head = in.U8();
            const unsigned spread = head >> 6, interpolation = head >> 4 & 3;
            for (FillStyle* f : {&a, &b}) {
                f->gradient.spread =
                    spread <= 2 ? static_cast<SpreadMode>(spread) : SpreadMode::Pad;
                f->gradient.interpolation =
                    interpolation == 1 ? Interpolation::LinearRgb : Interpolation::Rgb;
                f->gradient.count = head & 0x0F;
            }
            for (unsigned i = 0; i < a.gradient.count; ++i) {
                a.gradient.stops[i].ratio = in.U8();
                a.gradient.stops[i].color = ReadRgba(in);
                b.gradient.stops[i].ratio = in.U8();
                b.gradient.stops[i].color = ReadRgba(in);
            }
            if (type == 0x13) {
                a.gradient.focalPoint =
                    std::clamp(static_cast<std::int16_t>(in.U16()) / 256.0, -1.0, 1.0);
                b.gradient.focalPoint =
                    std::clamp(static_cast<std::int16_t>(in.U16()) / 256.0, -1.0, 1.0);
            }
            return true;
        }
        case 0x40:
        case 0x41:
        case 0x42:
        case 0x43:
            a.kind = b.kind = FillKind::Bitmap;
            a.bitmapId = b.bitmapId = in.U16();
            a.matrix = in.ReadMatrix();
            b.matrix = in.ReadMatrix();
            a.bitmapRepeat = b.bitmapRepeat = type == 0x40 || type == 0x42;
            a.bitmapSmoothed = b.bitmapSmoothed = type == 0x40 || type == 0x41;
            return true;
        default:
            return false;
    }
}

bool ReadMorphLine(SwfBits& in, bool version2, LineStyle& a, LineStyle& b) {
    a.width = in.U16();
    b.width = in.U16();
    if (!version2) {
        a.fill.color = ReadRgba(in);
        b.fill.color = ReadRgba(in);
        return true;
    }
    auto cap = [](std::uint32_t v) { return v <= 2 ? static_cast<CapStyle>(v) : CapStyle::Round; };
    a.startCap = cap(in.Bits(2));
    const std::uint32_t join = in.Bits(2);
    a.join = join <= 2 ? static_cast<JoinStyle>(join) : JoinStyle::Round;
    const bool hasFill = in.Flag();
    a.noHScale = in.Flag();
    a.noVScale = in.Flag();
    a.pixelHinting = in.Flag();
    in.Bits(5);
    a.noClose = in.Flag();
    a.endCap = cap(in.Bits(2));
    if (a.join == JoinStyle::Miter) a.miterLimit = in.U16() / 256.0;
    const std::uint16_t endWidth = b.width;
    b = a;
    b.width = endWidth;
    if (hasFill) return ReadMorphFill(in, a.fill, b.fill);
    a.fill.color = ReadRgba(in);
    b.fill.color = ReadRgba(in);
    return true;
}

std::uint32_t ReadCount(SwfBits& in) {
    std::uint32_t count = in.U8();
    if (count == 0xFF) count = in.U16();
    return count;
}

// Reads shape records (after their index widths) into `shape.edges`, every edge kept, styled
// or not, so that the start and end lists pair up by position.
void ReadEdges(SwfBits& in, Shape& shape) {
    const std::uint8_t bits = in.U8();
    const unsigned fillBits = bits >> 4, lineBits = bits & 0x0F;
    std::int64_t x = 0, y = 0;
    std::uint16_t fill0 = 0, fill1 = 0, line = 0;
    bool newPath = true;
    const std::uint32_t fills = static_cast<std::uint32_t>(shape.fills.size());
    const std::uint32_t lines = static_cast<std::uint32_t>(shape.lines.size());
    auto style = [](std::uint32_t v, std::uint32_t count) {
        return static_cast<std::uint16_t>(v <= count ? v : 0);
    };
    while (!in.Failed()) {
        if (!in.Flag()) {
            const std::uint32_t flags = in.Bits(5);
            if (in.Failed() || flags == 0) return;
            if (flags & 0x01) {
                const unsigned n = in.Bits(5);
                x = in.SignedBits(n);
                y = in.SignedBits(n);
                newPath = true;
            }
            const std::uint32_t f0 = flags & 0x02 ? in.Bits(fillBits) : 0;
            const std::uint32_t f1 = flags & 0x04 ? in.Bits(fillBits) : 0;
            const std::uint32_t l = flags & 0x08 ? in.Bits(lineBits) : 0;
            if (flags & 0x10) return;  // morph shapes have no new style arrays
            if (flags & 0x02) fill0 = style(f0, fills);
            if (flags & 0x04) fill1 = style(f1, fills);
            if (flags & 0x08) {
                if (style(l, lines) != line) newPath = true;
                line = style(l, lines);
            }
            continue;
        }
        Edge e;
        e.x0 = static_cast<std::int32_t>(x);
        e.y0 = static_cast<std::int32_t>(y);
        const bool straight = in.Flag();
        const unsigned n = in.Bits(4) + 2;
        if (straight) {
            std::int32_t dx = 0, dy = 0;
            if (in.Flag()) {
                dx = in.SignedBits(n);
                dy = in.SignedBits(n);
            } else if (in.Flag()) {
                dy = in.SignedBits(n);
            } else {
                dx = in.SignedBits(n);
            }
            x += dx;
            y += dy;
        } else {
            const std::int32_t cdx = in.SignedBits(n), cdy = in.SignedBits(n);
            const std::int32_t adx = in.SignedBits(n), ady = in.SignedBits(n);
            e.cx = static_cast<std::int32_t>(std::clamp(x + cdx, -kCoordLimit, kCoordLimit));
            e.cy = static_cast<std::int32_t>(std::clamp(y + cdy, -kCoordLimit, kCoordLimit));
            x += std::int64_t{cdx} + adx;
            y += std::int64_t{cdy} + ady;
            e.curved = true;
        }
        if (in.Failed()) return;
        x = std::clamp(x, -kCoordLimit, kCoordLimit);
        y = std::clamp(y, -kCoordLimit, kCoordLimit);
        e.x1 = static_cast<std::int32_t>(x);
        e.y1 = static_cast<std::int32_t>(y);
        if (!e.curved) {
            // Halfway, so that pairing it with a curve interpolates the control point too.
            e.cx = static_cast<std::int32_t>((std::int64_t{e.x0} + e.x1) / 2);
            e.cy = static_cast<std::int32_t>((std::int64_t{e.y0} + e.y1) / 2);
        }
        e.fill0 = fill0;
        e.fill1 = fill1;
        e.line = line;
        e.newPath = newPath;
        newPath = false;
        if (shape.edges.size() >= kMaxShapeEdges) {
            shape.limited = true;
            return;
        }
        shape.edges.push_back(e);
    }
}

std::int32_t Lerp(std::int32_t a, std::int32_t b, double t) {
    return static_cast<std::int32_t>(a + (std::int64_t{b} - a) * t);
}

double Lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

// Colour channels and gradient ratios: the mix rounded down, as Flash Player's pictures show.
std::uint8_t Lerp8(std::uint8_t a, std::uint8_t b, std::uint32_t ratio) {
    return static_cast<std::uint8_t>(a + (int(b) - int(a)) * (ratio / 65535.0));
}

Rgba LerpColor(Rgba a, Rgba b, std::uint32_t ratio) {
    return {Lerp8(a.r, b.r, ratio), Lerp8(a.g, b.g, ratio), Lerp8(a.b, b.b, ratio),
            Lerp8(a.a, b.a, ratio)};
}

Matrix LerpMatrix(const Matrix& a, const Matrix& b, double t) {
    return {Lerp(a.a, b.a, t), Lerp(a.b, b.b, t),   Lerp(a.c, b.c, t),
            Lerp(a.d, b.d, t), Lerp(a.tx, b.tx, t), Lerp(a.ty, b.ty, t)};
}

void LerpFill(const FillStyle& a, const FillStyle& b, std::uint32_t ratio, double t,
              FillStyle& out) {
    out = a;
    out.color = LerpColor(a.color, b.color, ratio);
    out.matrix = LerpMatrix(a.matrix, b.matrix, t);
    out.gradient.focalPoint = Lerp(a.gradient.focalPoint, b.gradient.focalPoint, t);
    for (unsigned i = 0; i < a.gradient.count; ++i) {
        out.gradient.stops[i].ratio =
            Lerp8(a.gradient.stops[i].ratio, b.gradient.stops[i].ratio, ratio);
        out.gradient.stops[i].color =
            LerpColor(a.gradient.stops[i].color, b.gradient.stops[i].color, ratio);
    }
}

Rect LerpRect(const Rect& a, const Rect& b, double t) {
    return {Lerp(a.xMin, b.xMin, t), Lerp(a.xMax, b.xMax, t), Lerp(a.yMin, b.yMin, t),
            Lerp(a.yMax, b.yMax, t)};
}

}  // namespace

std::optional<MorphShape> ParseMorphShape(std::uint16_t tagCode,
                                          std::span<const std::uint8_t> body) {
    if (tagCode != kDefineMorphShape && tagCode != kDefineMorphShape2) return std::nullopt;
    const bool version2 = tagCode == kDefineMorphShape2;
    SwfBits in(body);
    MorphShape m;
    m.id = in.U16();
    m.start.id = m.end.id = m.id;
    m.start.shapeVersion = m.end.shapeVersion = version2 ? 4 : 3;
    m.start.bounds = in.ReadRect();
    m.end.bounds = in.ReadRect();
    m.start.edgeBounds = m.start.bounds;
    m.end.edgeBounds = m.end.bounds;
    if (version2) {
        m.start.edgeBounds = in.ReadRect();
        m.end.edgeBounds = in.ReadRect();
        const std::uint8_t flags = in.U8();
        m.start.usesNonScalingStrokes = m.end.usesNonScalingStrokes = flags & 0x02;
        m.start.usesScalingStrokes = m.end.usesScalingStrokes = flags & 0x01;
    }
    const std::uint32_t b0 = in.U8(), b1 = in.U8(), b2 = in.U8(), b3 = in.U8();
    if (in.Failed()) return std::nullopt;
    const std::size_t endAt = in.Position() + (b0 | b1 << 8 | b2 << 16 | std::size_t{b3} << 24);
    const std::uint32_t fills = ReadCount(in);
    for (std::uint32_t i = 0; i < fills && !in.Failed(); ++i) {
        FillStyle a, b;
        if (!ReadMorphFill(in, a, b)) return m;
        if (m.start.fills.size() >= kMaxShapeStyles) continue;
        m.start.fills.push_back(a);
        m.end.fills.push_back(b);
    }
    const std::uint32_t lines = ReadCount(in);
    for (std::uint32_t i = 0; i < lines && !in.Failed(); ++i) {
        LineStyle a, b;
        if (!ReadMorphLine(in, version2, a, b)) return m;
        if (m.start.lines.size() >= kMaxShapeStyles) continue;
        m.start.lines.push_back(a);
        m.end.lines.push_back(b);
    }
    if (in.Failed()) {
        m.start.truncated = true;
        m.start.fills.clear();
        m.start.lines.clear();
        m.end.fills.clear();
        m.end.lines.clear();
        return m;
    }
    ReadEdges(in, m.start);
    if (endAt < body.size()) {
        SwfBits endIn(body.subspan(endAt));
        ReadEdges(endIn, m.end);
    }
    // Start edges that carry no style draw nothing and break strokes: drop them with their
    // partners, keeping the pairs in step.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m.start.edges.size(); ++i) {
        const Edge& e = m.start.edges[i];
        if (e.fill0 == 0 && e.fill1 == 0 && e.line == 0) {
            if (i + 1 < m.start.edges.size()) m.start.edges[i + 1].newPath = true;
            continue;
        }
        m.start.edges[kept] = e;
        if (i < m.end.edges.size()) m.end.edges[kept] = m.end.edges[i];
        ++kept;
    }
    m.end.edges.resize(std::min(m.end.edges.size(), kept));
    m.start.edges.resize(kept);
    m.start.groups = {StyleGroup{0, static_cast<std::uint32_t>(kept), 0,
                                 static_cast<std::uint16_t>(m.start.fills.size()), 0,
                                 static_cast<std::uint16_t>(m.start.lines.size())}};
    return m;
}

void MorphAt(const MorphShape& m, std::uint16_t ratio, Shape& out) {
    const double t = ratio / 65535.0;
    out.id = m.id;
    out.shapeVersion = m.start.shapeVersion;
    out.bounds = LerpRect(m.start.bounds, m.end.bounds, t);
    out.edgeBounds = LerpRect(m.start.edgeBounds, m.end.edgeBounds, t);
    out.usesNonScalingStrokes = m.start.usesNonScalingStrokes;
    out.usesScalingStrokes = m.start.usesScalingStrokes;
    out.nonZeroWinding = false;
    out.truncated = m.start.truncated;
    out.limited = m.start.limited;
    out.groups = m.start.groups;
    out.fills.resize(m.start.fills.size());
    for (std::size_t i = 0; i < out.fills.size(); ++i)
        LerpFill(m.start.fills[i], m.end.fills[i], ratio, t, out.fills[i]);
    out.lines.resize(m.start.lines.size());
    for (std::size_t i = 0; i < out.lines.size(); ++i) {
        const LineStyle& a = m.start.lines[i];
        const LineStyle& b = m.end.lines[i];
        out.lines[i] = a;
        out.lines[i].width = static_cast<std::uint16_t>(Lerp(a.width, b.width, t));
        LerpFill(a.fill, b.fill, ratio, t, out.lines[i].fill);
    }
    out.edges.resize(m.start.edges.size());
    for (std::size_t i = 0; i < out.edges.size(); ++i) {
        const Edge& a = m.start.edges[i];
        const Edge& b = i < m.end.edges.size() ? m.end.edges[i] : a;
        Edge& e = out.edges[i];
        e = a;
        e.x0 = Lerp(a.x0, b.x0, t);
        e.y0 = Lerp(a.y0, b.y0, t);
        e.x1 = Lerp(a.x1, b.x1, t);
        e.y1 = Lerp(a.y1, b.y1, t);
        e.curved = a.curved || b.curved;
        e.cx = Lerp(a.cx, b.cx, t);
        e.cy = Lerp(a.cy, b.cy, t);
    }
    Rect& x = out.extent;
    x = {};
    if (out.edges.empty()) return;
    x = {out.edges[0].x0, out.edges[0].x0, out.edges[0].y0, out.edges[0].y0};
    auto add = [&x](std::int32_t px, std::int32_t py) {
        x.xMin = std::min(x.xMin, px);
        x.xMax = std::max(x.xMax, px);
        x.yMin = std::min(x.yMin, py);
        x.yMax = std::max(x.yMax, py);
    };
    for (const Edge& e : out.edges) {
        add(e.x0, e.y0);
        add(e.x1, e.y1);
        add(e.cx, e.cy);
    }
}

}  // namespace flash::render
