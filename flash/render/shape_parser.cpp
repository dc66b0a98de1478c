#include <algorithm>
#include <atomic>

#include "flash/render/shape.h"
#include "flash/render/swf_bits.h"

namespace flash::render {

namespace {

constexpr std::int64_t kCoordLimit = std::int64_t{1} << 30;

std::int32_t ClampCoord(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp(v, -kCoordLimit, kCoordLimit));
}

class ShapeReader {
public:
    ShapeReader(SwfBits& in, Shape& shape, std::uint8_t swfVersion)
        : in_(in), shape_(shape), swfVersion_(swfVersion) {}

    // Reads the first style arrays and every shape record; stops at the end record, at the
    // end of the data or at a record it cannot read.
    void Read() {
        if (!ReadStyleArrays()) return Cut();
        bool newPath = true;
        std::uint16_t fill0 = 0, fill1 = 0, line = 0;
        while (true) {
            const bool isEdge = in_.Flag();
            if (in_.Failed()) return Cut();
            if (!isEdge) {
                const std::uint32_t flags = in_.Bits(5);
                if (in_.Failed()) return Cut();
                if (flags == 0) return;  // end of shape
                const bool newStyles = flags & 0x10, lineChange = flags & 0x08,
                           fill1Change = flags & 0x04, fill0Change = flags & 0x02,
                           moveTo = flags & 0x01;
                if (moveTo) {
                    // A move to where the pen already is does not break a stroke.
                    const unsigned n = in_.Bits(5);
                    const std::int32_t x = in_.SignedBits(n), y = in_.SignedBits(n);
                    if (x != x_ || y != y_) newPath = true;
                    x_ = x;
                    y_ = y;
                }
                const std::uint32_t raw0 = fill0Change ? in_.Bits(fillBits_) : 0;
                const std::uint32_t raw1 = fill1Change ? in_.Bits(fillBits_) : 0;
                const std::uint32_t rawLine = lineChange ? in_.Bits(lineBits_) : 0;
                if (in_.Failed()) return Cut();
                // DefineShape has no new style arrays: the flag is ignored there.
                if (newStyles && shape_.shapeVersion >= 2) {
                    if (!ReadStyleArrays()) return Cut();
                    fill0 = fill1 = line = 0;
                    newPath = true;
                }
                const StyleGroup& g = shape_.groups.back();
                if (fill0Change) fill0 = Global(raw0, g.firstFill, g.fillCount);
                if (fill1Change) fill1 = Global(raw1, g.firstFill, g.fillCount);
                if (lineChange) {
                    const std::uint16_t next = Global(rawLine, g.firstLine, g.lineCount);
                    if (next != line) newPath = true;
                    line = next;
                }
                continue;
            }
            Edge e;
            e.x0 = ClampCoord(x_);
            e.y0 = ClampCoord(y_);
            const bool straight = in_.Flag();
            const unsigned n = in_.Bits(4) + 2;
            if (straight) {
                std::int32_t dx = 0, dy = 0;
                if (in_.Flag()) {
                    dx = in_.SignedBits(n);
                    dy = in_.SignedBits(n);
                } else if (in_.Flag()) {
                    dy = in_.SignedBits(n);
                } else {
                    dx = in_.SignedBits(n);
                }
                x_ += dx;
                y_ += dy;
            } else {
                const std::int32_t cdx = in_.SignedBits(n), cdy = in_.SignedBits(n);
                const std::int32_t adx = in_.SignedBits(n), ady = in_.SignedBits(n);
                e.cx = ClampCoord(x_ + cdx);
                e.cy = ClampCoord(y_ + cdy);
                x_ += std::int64_t{cdx} + adx;
                y_ += std::int64_t{cdy} + ady;
                e.curved = true;
            }
            if (in_.Failed()) return Cut();
            x_ = std::clamp(x_, -kCoordLimit, kCoordLimit);
            y_ = std::clamp(y_, -kCoordLimit, kCoordLimit);
            e.x1 = static_cast<std::int32_t>(x_);
            e.y1 = static_cast<std::int32_t>(y_);
            // An edge with no style draws nothing; a stroke after it starts afresh.
            if (fill0 == 0 && fill1 == 0 && line == 0) {
                newPath = true;
                continue;
            }
            if (shape_.edges.size() >= kMaxShapeEdges) {
                shape_.limited = true;
                return;
            }
            e.fill0 = fill0;
            e.fill1 = fill1;
            e.line = line;
            e.newPath = newPath;
            newPath = false;
            shape_.edges.push_back(e);
            ++shape_.groups.back().edgeCount;
        }
    }

private:
    void Cut() { shape_.truncated = true; }

    static std::uint16_t Global(std::uint32_t local, std::uint16_t first, std::uint16_t count) {
        return local >= 1 && local <= count ? static_cast<std::uint16_t>(first + local) : 0;
    }

    Rgba ReadColor(bool withAlpha) {
        Rgba c;
        c.r = in_.U8();
        c.g = in_.U8();
        c.b = in_.U8();
        if (withAlpha) c.a = in_.U8();
        return c;
    }

    bool Rgba32() const { return shape_.shapeVersion >= 3; }

    void ReadGradient(Gradient& g, bool focal) {
        const std::uint8_t head = in_.U8();
        if (swfVersion_ >= 8) {
            const unsigned spread = head >> 6, interpolation = head >> 4 & 3;
            g.spread = spread <= 2 ? static_cast<SpreadMode>(spread) : SpreadMode::Pad;
            g.interpolation = interpolation == 1 ? Interpolation::LinearRgb : Interpolation::Rgb;
        }
        g.count = head & 0x0F;
        for (unsigned i = 0; i < g.count; ++i) {
            g.stops[i].ratio = in_.U8();
            g.stops[i].color = ReadColor(Rgba32());
        }
        if (focal) {
            const auto raw = static_cast<std::int16_t>(in_.U16());
            g.focalPoint = std::clamp(raw / 256.0, -1.0, 1.0);
        }
    }

    // Returns false for a fill type this reader does not know: the data after it cannot be
    // placed.
    bool ReadFillStyle(FillStyle& f) {
        const std::uint8_t type = in_.U8();
        switch (type) {
            case 0x00:
                f.kind = FillKind::Solid;
                f.color = ReadColor(Rgba32());
                return true;
            case 0x10:
            case 0x12:
            case 0x13:
                f.kind = type == 0x10   ? FillKind::LinearGradient
                         : type == 0x12 ? FillKind::RadialGradient
                                        : FillKind::FocalGradient;
                f.matrix = in_.ReadMatrix();
                ReadGradient(f.gradient, type == 0x13);
                return true;
            case 0x40:
            case 0x41:
            case 0x42:
            case 0x43:
                f.kind = FillKind::Bitmap;
                f.bitmapId = in_.U16();
                f.matrix = in_.ReadMatrix();
                f.bitmapRepeat = type == 0x40 || type == 0x42;
                f.bitmapSmoothed = type == 0x40 || type == 0x41;
                return true;
            default:
                return false;
        }
    }

    bool ReadLineStyle(LineStyle& l) {
        l.width = in_.U16();
        if (shape_.shapeVersion < 4) {
            l.fill.color = ReadColor(Rgba32());
            return true;
        }
        auto cap = [](std::uint32_t v) {
            return v <= 2 ? static_cast<CapStyle>(v) : CapStyle::Round;
        };
        l.startCap = cap(in_.Bits(2));
        const std::uint32_t join = in_.Bits(2);
        l.join = join <= 2 ? static_cast<JoinStyle>(join) : JoinStyle::Round;
        const bool hasFill = in_.Flag();
        l.noHScale = in_.Flag();
        l.noVScale = in_.Flag();
        l.pixelHinting = in_.Flag();
        in_.Bits(5);
        l.noClose = in_.Flag();
        l.endCap = cap(in_.Bits(2));
        if (l.join == JoinStyle::Miter) l.miterLimit = in_.U16() / 256.0;
        if (hasFill) return ReadFillStyle(l.fill);
        l.fill.color = ReadColor(true);
        return true;
    }

    // Count as stored: one byte, 0xFF announcing a 16-bit count (for fill styles only from
    // DefineShape2 on).
    std::uint32_t ReadCount(bool extendedAllowed) {
        std::uint32_t count = in_.U8();
        if (count == 0xFF && extendedAllowed) count = in_.U16();
        return count;
    }

    // Reads a FILLSTYLEARRAY, a LINESTYLEARRAY and the index widths, opening a new group.
    bool ReadStyleArrays() {
        if (shape_.groups.size() >= kMaxStyleGroups) {
            shape_.limited = true;
            return false;
        }
        StyleGroup g;
        g.firstEdge = static_cast<std::uint32_t>(shape_.edges.size());
        g.firstFill = static_cast<std::uint16_t>(shape_.fills.size());
        g.firstLine = static_cast<std::uint16_t>(shape_.lines.size());
        const std::uint32_t fills = ReadCount(shape_.shapeVersion >= 2);
        for (std::uint32_t i = 0; i < fills; ++i) {
            FillStyle f;
            if (!ReadFillStyle(f) || in_.Failed()) return false;
            if (shape_.fills.size() < kMaxShapeStyles) {
                shape_.fills.push_back(f);
                ++g.fillCount;
            } else {
                shape_.limited = true;
            }
        }
        const std::uint32_t lines = ReadCount(true);
        for (std::uint32_t i = 0; i < lines; ++i) {
            LineStyle l;
            if (!ReadLineStyle(l) || in_.Failed()) return false;
            if (shape_.lines.size() < kMaxShapeStyles) {
                shape_.lines.push_back(l);
                ++g.lineCount;
            } else {
                shape_.limited = true;
            }
        }
        const std::uint8_t bits = in_.U8();
        if (in_.Failed()) return false;
        fillBits_ = bits >> 4;
        lineBits_ = bits & 0x0F;
        shape_.groups.push_back(g);
        return true;
    }

    SwfBits& in_;
    Shape& shape_;
    std::uint8_t swfVersion_;
    unsigned fillBits_ = 0, lineBits_ = 0;
    std::int64_t x_ = 0, y_ = 0;
};

}  // namespace

std::optional<Shape> ParseShape(std::uint16_t tagCode, std::span<const std::uint8_t> body,
                                std::uint8_t swfVersion) {
    Shape shape;
    switch (tagCode) {
        case kDefineShape:
            shape.shapeVersion = 1;
            break;
        case kDefineShape2:
            shape.shapeVersion = 2;
            break;
        case kDefineShape3:
            shape.shapeVersion = 3;
            break;
        case kDefineShape4:
            shape.shapeVersion = 4;
            break;
        default:
            return std::nullopt;
    }
    SwfBits in(body);
    shape.id = in.U16();
    shape.bounds = in.ReadRect();
    shape.edgeBounds = shape.bounds;
    if (shape.shapeVersion == 4) {
        shape.edgeBounds = in.ReadRect();
        const std::uint8_t flags = in.U8();
        shape.nonZeroWinding = flags & 0x04;
        shape.usesNonScalingStrokes = flags & 0x02;
        shape.usesScalingStrokes = flags & 0x01;
    }
    if (in.Failed()) return std::nullopt;
    ShapeReader(in, shape, swfVersion).Read();
    if (!shape.edges.empty()) {
        Rect& x = shape.extent;
        x = {shape.edges[0].x0, shape.edges[0].x0, shape.edges[0].y0, shape.edges[0].y0};
        auto add = [&x](std::int32_t px, std::int32_t py) {
            x.xMin = std::min(x.xMin, px);
            x.xMax = std::max(x.xMax, px);
            x.yMin = std::min(x.yMin, py);
            x.yMax = std::max(x.yMax, py);
        };
        for (const Edge& e : shape.edges) {
            add(e.x0, e.y0);
            add(e.x1, e.y1);
            if (e.curved) add(e.cx, e.cy);
        }
    }
    return shape;
}

void AddRectangleEdges(Shape& s, const Rect& r, std::uint16_t line) {
    const std::array<std::int32_t, 2> corners[] = {
        {r.xMin, r.yMin}, {r.xMax, r.yMin}, {r.xMax, r.yMax}, {r.xMin, r.yMax}};
    AddPolygonEdges(s, corners, line);
}

void AddPolygonEdges(Shape& s, std::span<const std::array<std::int32_t, 2>> corners,
                     std::uint16_t line) {
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const auto& to = corners[(i + 1) % corners.size()];
        Edge e;
        e.x0 = corners[i][0];
        e.y0 = corners[i][1];
        e.x1 = to[0];
        e.y1 = to[1];
        e.fill1 = 1;
        e.line = line;
        e.newPath = i == 0;
        s.edges.push_back(e);
    }
}

std::uint64_t NewShapeSerial() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

}  // namespace flash::render
