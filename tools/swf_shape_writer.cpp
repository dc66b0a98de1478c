#include "tools/swf_shape_writer.h"

#include "tools/swf_bits.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace swfwriter {

namespace {

unsigned SignedWidth(std::int32_t v) {
    unsigned n = 1;
    while (n < 32 && (v < -(std::int64_t{1} << (n - 1)) || v >= (std::int64_t{1} << (n - 1)))) ++n;
    return n;
}

unsigned UnsignedWidth(std::uint32_t v) {
    unsigned n = 0;
    while (n < 32 && (v >> n) != 0) ++n;
    return n;
}

void PutColor(std::vector<std::uint8_t>& out, Color c, bool alpha) {
    out.push_back(c.r);
    out.push_back(c.g);
    out.push_back(c.b);
    if (alpha) out.push_back(c.a);
}

void PutMatrix(std::vector<std::uint8_t>& out, const ShapeMatrix& m) {
    BitFields bits(out);
    auto fixed = [](double v) { return static_cast<std::int32_t>(std::lround(v * 65536)); };
    const std::int32_t a = fixed(m.a), b = fixed(m.b), c = fixed(m.c), d = fixed(m.d);
    const bool scale = a != 65536 || d != 65536, rotate = b != 0 || c != 0;
    bits.Put(1, scale);
    if (scale) {
        const unsigned n = std::max(SignedWidth(a), SignedWidth(d));
        bits.Put(5, n);
        bits.PutSigned(n, a);
        bits.PutSigned(n, d);
    }
    bits.Put(1, rotate);
    if (rotate) {
        const unsigned n = std::max(SignedWidth(b), SignedWidth(c));
        bits.Put(5, n);
        bits.PutSigned(n, b);
        bits.PutSigned(n, c);
    }
    const unsigned n = m.tx == 0 && m.ty == 0 ? 0 : std::max(SignedWidth(m.tx), SignedWidth(m.ty));
    bits.Put(5, n);
    bits.PutSigned(n, m.tx);
    bits.PutSigned(n, m.ty);
}

void PutCount(std::vector<std::uint8_t>& out, std::size_t count, bool extended) {
    if (count >= 0xFF && extended) {
        out.push_back(0xFF);
        PutU16(out, static_cast<std::uint32_t>(count));
    } else {
        out.push_back(static_cast<std::uint8_t>(count));
    }
}

}  // namespace

ShapeWriter::ShapeWriter(int version, std::uint16_t id)
    : version_(std::clamp(version, 1, 4)), id_(id), sets_(1) {}

std::uint16_t ShapeWriter::TagCode() const {
    static constexpr std::uint16_t kCodes[] = {2, 22, 32, 83};
    return kCodes[version_ - 1];
}

ShapeWriter& ShapeWriter::Bounds(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin,
                                 std::int32_t yMax) {
    bounds_[0] = xMin;
    bounds_[1] = xMax;
    bounds_[2] = yMin;
    bounds_[3] = yMax;
    return *this;
}

ShapeWriter& ShapeWriter::NonZeroWinding(bool on) {
    nonZero_ = on;
    return *this;
}

std::vector<std::uint8_t> ShapeWriter::FillBytes(std::uint8_t type, const ShapeMatrix* m,
                                                 const std::vector<Stop>& stops, int spread,
                                                 int interpolation) const {
    std::vector<std::uint8_t> out{type};
    if (m != nullptr) PutMatrix(out, *m);
    out.push_back(static_cast<std::uint8_t>((spread & 3) << 6 | (interpolation & 3) << 4 |
                                            (stops.size() & 0x0F)));
    for (const Stop& s : stops) {
        out.push_back(s.ratio);
        PutColor(out, s.color, version_ >= 3);
    }
    return out;
}

std::uint16_t ShapeWriter::Solid(Color color) {
    std::vector<std::uint8_t> f{0x00};
    PutColor(f, color, version_ >= 3);
    sets_.back().fills.push_back(f);
    return static_cast<std::uint16_t>(sets_.back().fills.size());
}

std::uint16_t ShapeWriter::Linear(const ShapeMatrix& m, const std::vector<Stop>& stops, int spread,
                                  int interpolation) {
    sets_.back().fills.push_back(FillBytes(0x10, &m, stops, spread, interpolation));
    return static_cast<std::uint16_t>(sets_.back().fills.size());
}

std::uint16_t ShapeWriter::Radial(const ShapeMatrix& m, const std::vector<Stop>& stops, int spread,
                                  int interpolation) {
    sets_.back().fills.push_back(FillBytes(0x12, &m, stops, spread, interpolation));
    return static_cast<std::uint16_t>(sets_.back().fills.size());
}

std::uint16_t ShapeWriter::Focal(const ShapeMatrix& m, const std::vector<Stop>& stops,
                                 double focalPoint, int spread, int interpolation) {
    std::vector<std::uint8_t> f = FillBytes(0x13, &m, stops, spread, interpolation);
    PutU16(f, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(focalPoint * 256))));
    sets_.back().fills.push_back(f);
    return static_cast<std::uint16_t>(sets_.back().fills.size());
}

std::uint16_t ShapeWriter::Bitmap(std::uint16_t bitmapId, const ShapeMatrix& m, bool repeat,
                                  bool smooth) {
    const std::uint8_t type = 0x40 | (repeat ? 0 : 1) | (smooth ? 0 : 2);
    std::vector<std::uint8_t> f{type};
    PutU16(f, bitmapId);
    PutMatrix(f, m);
    sets_.back().fills.push_back(f);
    return static_cast<std::uint16_t>(sets_.back().fills.size());
}

std::uint16_t ShapeWriter::Line(std::uint16_t width, Color color) {
    if (version_ == 4) {
        LineStyle2 s;
        s.width = width;
        s.color = color;
        return Line(s);
    }
    std::vector<std::uint8_t> l;
    PutU16(l, width);
    PutColor(l, color, version_ >= 3);
    sets_.back().lines.push_back(l);
    return static_cast<std::uint16_t>(sets_.back().lines.size());
}

std::uint16_t ShapeWriter::Line(const LineStyle2& s) {
    std::vector<std::uint8_t> l;
    PutU16(l, s.width);
    const bool hasFill = s.fillFrom != 0;
    {
        BitFields bits(l);
        bits.Put(2, s.startCap);
        bits.Put(2, s.join);
        bits.Put(1, hasFill);
        bits.Put(1, s.noHScale);
        bits.Put(1, s.noVScale);
        bits.Put(1, s.pixelHinting);
        bits.Put(5, 0);
        bits.Put(1, s.noClose);
        bits.Put(2, s.endCap);
    }
    if (s.join == 2) PutU16(l, static_cast<std::uint32_t>(std::lround(s.miterLimit * 256)));
    if (hasFill && s.fillFrom <= sets_.back().fills.size()) {
        const std::vector<std::uint8_t>& f = sets_.back().fills[s.fillFrom - 1];
        l.insert(l.end(), f.begin(), f.end());
    } else {
        PutColor(l, s.color, true);
    }
    sets_.back().lines.push_back(l);
    return static_cast<std::uint16_t>(sets_.back().lines.size());
}

ShapeWriter::Record& ShapeWriter::Change() {
    if (records_.empty() || records_.back().edge) records_.emplace_back();
    return records_.back();
}

ShapeWriter& ShapeWriter::MoveTo(std::int32_t x, std::int32_t y) {
    Record& r = Change();
    r.move = true;
    r.x = penX_ = x;
    r.y = penY_ = y;
    return *this;
}

ShapeWriter& ShapeWriter::Fill0(std::uint16_t index) {
    Change().fill0 = index;
    return *this;
}

ShapeWriter& ShapeWriter::Fill1(std::uint16_t index) {
    Change().fill1 = index;
    return *this;
}

ShapeWriter& ShapeWriter::LineStyle(std::uint16_t index) {
    Change().line = index;
    return *this;
}

ShapeWriter& ShapeWriter::NewStyles() {
    sets_.emplace_back();
    Change().newSet = static_cast<int>(sets_.size()) - 1;
    return *this;
}

ShapeWriter& ShapeWriter::LineTo(std::int32_t x, std::int32_t y) {
    Record r;
    r.edge = true;
    r.dx = x - penX_;
    r.dy = y - penY_;
    records_.push_back(r);
    penX_ = x;
    penY_ = y;
    return *this;
}

ShapeWriter& ShapeWriter::CurveTo(std::int32_t cx, std::int32_t cy, std::int32_t x,
                                  std::int32_t y) {
    Record r;
    r.edge = true;
    r.curve = true;
    r.cdx = cx - penX_;
    r.cdy = cy - penY_;
    r.dx = x - cx;
    r.dy = y - cy;
    records_.push_back(r);
    penX_ = x;
    penY_ = y;
    return *this;
}

ShapeWriter& ShapeWriter::Rect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    return MoveTo(x, y).LineTo(x + w, y).LineTo(x + w, y + h).LineTo(x, y + h).LineTo(x, y);
}

std::vector<std::uint8_t> ShapeWriter::Build() const {
    std::vector<std::uint8_t> out;
    PutU16(out, id_);
    auto rect = [&out](const std::int32_t(&r)[4]) {
        BitFields bits(out);
        unsigned n = 1;
        for (std::int32_t v : r) n = std::max(n, SignedWidth(v));
        bits.Put(5, n);
        for (std::int32_t v : r) bits.PutSigned(n, v);
    };
    rect(bounds_);
    if (version_ == 4) {
        rect(bounds_);
        out.push_back(nonZero_ ? 0x04 : 0x00);
    }
    unsigned fillBits = 0, lineBits = 0;
    auto putSet = [&](const StyleSet& set) {
        PutCount(out, set.fills.size(), version_ >= 2);
        for (const auto& f : set.fills) out.insert(out.end(), f.begin(), f.end());
        PutCount(out, set.lines.size(), true);
        for (const auto& l : set.lines) out.insert(out.end(), l.begin(), l.end());
        fillBits = UnsignedWidth(static_cast<std::uint32_t>(set.fills.size()));
        lineBits = UnsignedWidth(static_cast<std::uint32_t>(set.lines.size()));
        out.push_back(
            static_cast<std::uint8_t>(std::min(fillBits, 15u) << 4 | std::min(lineBits, 15u)));
    };
    putSet(sets_[0]);
    auto bits = std::make_unique<BitFields>(out);
    for (const Record& r : records_) {
        if (r.edge) {
            bits->Put(1, 1);
            if (r.curve) {
                const unsigned n = std::max({SignedWidth(r.cdx), SignedWidth(r.cdy),
                                             SignedWidth(r.dx), SignedWidth(r.dy), 2u});
                bits->Put(1, 0);
                bits->Put(4, n - 2);
                bits->PutSigned(n, r.cdx);
                bits->PutSigned(n, r.cdy);
                bits->PutSigned(n, r.dx);
                bits->PutSigned(n, r.dy);
            } else {
                const unsigned n = std::max({SignedWidth(r.dx), SignedWidth(r.dy), 2u});
                bits->Put(1, 1);
                bits->Put(4, n - 2);
                bits->Put(1, 1);  // general line
                bits->PutSigned(n, r.dx);
                bits->PutSigned(n, r.dy);
            }
            continue;
        }
        const bool newStyles = r.newSet >= 0;
        // A record bringing new arrays holds only them (and the move): its index fields would
        // be written in the old arrays' widths. The selections follow in a record of their own.
        auto change = [&](bool withNew, bool withStyles, bool withMove) {
            bits->Put(1, 0);
            bits->Put(1, withNew);
            bits->Put(1, withStyles && r.line >= 0);
            bits->Put(1, withStyles && r.fill1 >= 0);
            bits->Put(1, withStyles && r.fill0 >= 0);
            bits->Put(1, withMove);
            if (withMove) {
                const unsigned n = std::max(SignedWidth(r.x), SignedWidth(r.y));
                bits->Put(5, n);
                bits->PutSigned(n, r.x);
                bits->PutSigned(n, r.y);
            }
            if (!withStyles) return;
            if (r.fill0 >= 0) bits->Put(fillBits, static_cast<std::uint32_t>(r.fill0));
            if (r.fill1 >= 0) bits->Put(fillBits, static_cast<std::uint32_t>(r.fill1));
            if (r.line >= 0) bits->Put(lineBits, static_cast<std::uint32_t>(r.line));
        };
        if (!newStyles) {
            change(false, true, r.move);
            continue;
        }
        change(true, false, r.move);
        bits.reset();  // the arrays start on a byte boundary
        putSet(sets_[r.newSet]);
        bits = std::make_unique<BitFields>(out);
        if (r.fill0 >= 0 || r.fill1 >= 0 || r.line >= 0) change(false, true, false);
    }
    bits->Put(6, 0);  // end of shape
    return out;
}

std::vector<ShapeSeed> ShapeSeeds() {
    std::vector<ShapeSeed> seeds;
    const std::vector<Stop> stops = {
        {0, {255, 0, 0, 255}}, {128, {0, 255, 0, 128}}, {255, {0, 0, 255, 255}}};
    const ShapeMatrix gradient{0.05, 0, 0, 0.05, 640, 640};
    for (int version = 1; version <= 4; ++version) {
        ShapeWriter w(version);
        w.Bounds(0, 1280, 0, 1280).NonZeroWinding(version == 4);
        const std::uint16_t solid = w.Solid({200, 40, 40, 180});
        const std::uint16_t linear = w.Linear(gradient, stops, 1, 1);
        const std::uint16_t radial = w.Radial(gradient, stops, 2);
        const std::uint16_t focal = version == 4 ? w.Focal(gradient, stops, -0.5) : solid;
        LineStyle2 miter;
        miter.width = 60;
        miter.join = 2;
        miter.miterLimit = 1.5;
        miter.startCap = 1;
        miter.endCap = 2;
        miter.fillFrom = linear;
        const std::uint16_t line = version == 4 ? w.Line(miter) : w.Line(40, {0, 0, 0, 255});
        w.Fill1(solid).LineStyle(line).Rect(100, 100, 500, 400);
        w.Fill0(linear).Fill1(radial).MoveTo(300, 300).CurveTo(900, 100, 1100, 700);
        w.LineTo(700, 1100).CurveTo(200, 1000, 300, 300);
        w.Fill0(0).Fill1(focal).LineStyle(0).MoveTo(800, 800).LineTo(1200, 820).LineTo(900, 1200);
        w.LineTo(800, 800);
        if (version >= 2) {
            w.NewStyles();
            const std::uint16_t top = w.Solid({20, 20, 220, 255});
            const std::uint16_t hair = w.Line(0, {255, 255, 0, 255});
            w.Fill1(top).LineStyle(hair).Rect(600, 50, 300, 300);
        }
        for (int variant = 0; variant < 4; ++variant) {
            // Head byte: tag in bits 0-1, quality in 2-3, placement in 4-5, colour transform
            // and blend in 6-7.
            const auto head =
                static_cast<std::uint8_t>((version - 1) | variant << 2 | variant << 4 |
                                          (variant & 1) << 6 | (variant & 2) << 6);
            ShapeSeed seed{"shape" + std::to_string(version) + "_" + std::to_string(variant),
                           {head}};
            const std::vector<std::uint8_t> body = w.Build();
            seed.bytes.insert(seed.bytes.end(), body.begin(), body.end());
            seeds.push_back(std::move(seed));
        }
    }
    return seeds;
}

}  // namespace swfwriter
