#include "flash/placement.h"

#include <algorithm>

#include "flash/swf_reader.h"

namespace flash {

namespace {

bool ReadRgba(SwfReader& r, Rgba& out) {
    Rgba c;
    if (!r.U8(c.r) || !r.U8(c.g) || !r.U8(c.b) || !r.U8(c.a)) return false;
    out = c;
    return true;
}

// MATRIX: optional scale and rotate-skew pairs (16.16 in n bits), then the translation.
bool ReadMatrix(SwfReader& r, Matrix& out) {
    Matrix m;
    std::uint32_t n = 0;
    std::int32_t v0 = 0;
    std::int32_t v1 = 0;
    bool has = false;
    if (!r.Flag(has)) return false;
    if (has) {
        if (!r.Bits(5, n) || !r.SignedBits(n, v0) || !r.SignedBits(n, v1)) return false;
        m.a = v0 / 65536.0;
        m.d = v1 / 65536.0;
    }
    if (!r.Flag(has)) return false;
    if (has) {
        if (!r.Bits(5, n) || !r.SignedBits(n, v0) || !r.SignedBits(n, v1)) return false;
        m.b = v0 / 65536.0;
        m.c = v1 / 65536.0;
    }
    if (!r.Bits(5, n) || !r.SignedBits(n, v0) || !r.SignedBits(n, v1)) return false;
    m.tx = v0;
    m.ty = v1;
    r.Align();
    out = m;
    return true;
}

// CXFORM (no alpha) or CXFORMWITHALPHA: flags for add and multiply terms, a field width,
// then the multiply terms and the add terms.
bool ReadColorTransform(SwfReader& r, bool withAlpha, ColorTransform& out) {
    bool hasAdd = false;
    bool hasMul = false;
    std::uint32_t n = 0;
    if (!r.Flag(hasAdd) || !r.Flag(hasMul) || !r.Bits(4, n)) return false;
    ColorTransform cx;
    std::int32_t* mul[4] = {&cx.rMul, &cx.gMul, &cx.bMul, &cx.aMul};
    std::int32_t* add[4] = {&cx.rAdd, &cx.gAdd, &cx.bAdd, &cx.aAdd};
    const int channels = withAlpha ? 4 : 3;
    for (int i = 0; hasMul && i < channels; ++i) {
        if (!r.SignedBits(n, *mul[i])) return false;
    }
    for (int i = 0; hasAdd && i < channels; ++i) {
        if (!r.SignedBits(n, *add[i])) return false;
    }
    r.Align();
    out = cx;
    return true;
}

bool ReadName(SwfReader& r, ByteRange body, ByteRange& out) {
    std::size_t offset = 0;
    std::size_t length = 0;
    if (!r.CString(offset, length)) return false;
    out = {body.offset + static_cast<std::uint32_t>(offset),
           static_cast<std::uint32_t>(std::min(length, kMaxNameBytes))};
    return true;
}

// The flags byte that ends the shadow, glow and bevel filters.
void SetShadowFlags(std::uint8_t flags, bool bevelStyle, Filter& f) {
    f.inner = (flags & 0x80) != 0;
    f.knockout = (flags & 0x40) != 0;
    f.compositeSource = (flags & 0x20) != 0;
    if (bevelStyle) {
        f.onTop = (flags & 0x10) != 0;
        f.passes = flags & 0x0F;
    } else {
        f.passes = flags & 0x1F;
    }
}

// CLIPEVENTFLAGS: 16 bits before version 6, 32 bits from it.
bool ReadEvents(SwfReader& r, bool wide, std::uint32_t& out) {
    if (wide) return r.U32(out);
    std::uint16_t narrow = 0;
    if (!r.U16(narrow)) return false;
    out = narrow;
    return true;
}

// Reads one filter. `keep` is false for a filter that is read past but not kept.
bool ReadFilter(SwfReader& r, Filter& f, bool& keep) {
    std::uint8_t id = 0;
    if (!r.U8(id) || id > static_cast<std::uint8_t>(FilterKind::GradientBevel)) return false;
    f = Filter{};
    f.kind = static_cast<FilterKind>(id);
    keep = true;
    std::uint8_t flags = 0;
    switch (f.kind) {
        case FilterKind::DropShadow:
            ReadRgba(r, f.color) && r.Fixed(f.blurX) && r.Fixed(f.blurY) && r.Fixed(f.angle) &&
                r.Fixed(f.distance) && r.Fixed8(f.strength) && r.U8(flags);
            SetShadowFlags(flags, false, f);
            break;
        case FilterKind::Blur:
            r.Fixed(f.blurX) && r.Fixed(f.blurY) && r.U8(flags);
            f.passes = flags >> 3;
            break;
        case FilterKind::Glow:
            ReadRgba(r, f.color) && r.Fixed(f.blurX) && r.Fixed(f.blurY) && r.Fixed8(f.strength) &&
                r.U8(flags);
            SetShadowFlags(flags, false, f);
            break;
        case FilterKind::Bevel:
            // The highlight comes first: movies store it there and Flash Player reads it so,
            // whatever the older format descriptions say.
            ReadRgba(r, f.highlight) && ReadRgba(r, f.color) && r.Fixed(f.blurX) &&
                r.Fixed(f.blurY) && r.Fixed(f.angle) && r.Fixed(f.distance) &&
                r.Fixed8(f.strength) && r.U8(flags);
            SetShadowFlags(flags, true, f);
            break;
        case FilterKind::GradientGlow:
        case FilterKind::GradientBevel: {
            std::uint8_t stops = 0;
            r.U8(stops);
            f.stopCount = static_cast<std::uint8_t>(std::min<std::size_t>(stops, kMaxFilterStops));
            for (std::size_t i = 0; i < stops && r.Ok(); ++i) {
                Rgba c;
                ReadRgba(r, c);
                if (i < kMaxFilterStops) f.stopColors[i] = c;
            }
            for (std::size_t i = 0; i < stops && r.Ok(); ++i) {
                std::uint8_t ratio = 0;
                r.U8(ratio);
                if (i < kMaxFilterStops) f.stopRatios[i] = ratio;
            }
            r.Fixed(f.blurX) && r.Fixed(f.blurY) && r.Fixed(f.angle) && r.Fixed(f.distance) &&
                r.Fixed8(f.strength) && r.U8(flags);
            SetShadowFlags(flags, true, f);
            break;
        }
        case FilterKind::Convolution: {
            r.U8(f.matrixX) && r.U8(f.matrixY) && r.Float(f.divisor) && r.Float(f.bias);
            keep = f.matrixX <= kMaxConvolutionSide && f.matrixY <= kMaxConvolutionSide;
            const std::size_t cells = std::size_t{f.matrixX} * f.matrixY;
            for (std::size_t i = 0; i < cells && r.Ok(); ++i) {
                float v = 0;
                r.Float(v);
                if (keep) f.matrix[i] = v;
            }
            ReadRgba(r, f.defaultColor) && r.U8(flags);
            f.clamp = (flags & 0x02) != 0;
            f.preserveAlpha = (flags & 0x01) != 0;
            break;
        }
        case FilterKind::ColorMatrix:
            for (std::size_t i = 0; i < 20 && r.Ok(); ++i) r.Float(f.matrix[i]);
            break;
    }
    return r.Ok();
}

}  // namespace

FilterReader::FilterReader(std::span<const std::uint8_t> movieBytes, FilterList list) {
    if (list.bytes.offset <= movieBytes.size() &&
        list.bytes.length <= movieBytes.size() - list.bytes.offset) {
        data_ = movieBytes.subspan(list.bytes.offset, list.bytes.length);
        left_ = list.count;
    }
}

bool FilterReader::Next(Filter& out) {
    while (left_ > 0) {
        --left_;
        SwfReader r(data_, pos_);
        bool keep = true;
        if (!ReadFilter(r, out, keep)) break;
        pos_ = r.Pos();
        if (keep) return true;
    }
    left_ = 0;
    return false;
}

bool ParsePlaceObject(std::uint16_t code, std::span<const std::uint8_t> movieBytes, ByteRange body,
                      std::uint8_t swfVersion, Placement& out) {
    if (body.offset > movieBytes.size() || body.length > movieBytes.size() - body.offset)
        return false;
    const std::span<const std::uint8_t> data = movieBytes.subspan(body.offset, body.length);
    SwfReader r(data);
    out = Placement{};
    if (code == tags::kPlaceObject) {
        std::uint16_t id = 0;
        if (!r.U16(id) || !r.U16(out.depth)) return false;
        out.characterId = id;
        Matrix m;
        if (!ReadMatrix(r, m)) {
            out.cut = true;
            return true;
        }
        out.matrix = m;
        // The colour transform is there when the tag has bytes left for it.
        ColorTransform cx;
        if (r.Left() > 0) {
            if (ReadColorTransform(r, false, cx)) {
                out.colorTransform = cx;
            } else {
                out.cut = true;
            }
        }
        out.used = static_cast<std::uint32_t>(r.Ok() ? r.Pos() : 0);
        return true;
    }
    if (code != tags::kPlaceObject2 && code != tags::kPlaceObject3) return false;

    std::uint8_t flags = 0;
    std::uint8_t flags3 = 0;
    if (!r.U8(flags)) return false;
    if (code == tags::kPlaceObject3 && !r.U8(flags3)) return false;
    if (!r.U16(out.depth)) return false;
    out.move = (flags & 0x01) != 0;
    const bool hasCharacter = (flags & 0x02) != 0;
    out.hasImage = (flags3 & 0x10) != 0;

    // Each step reads one field its flag announced; the first that fails ends the tag.
    auto read = [&]() -> bool {
        if ((flags3 & 0x08) != 0 || (out.hasImage && hasCharacter)) {
            ByteRange name;
            if (!ReadName(r, body, name)) return false;
            out.className = name;
        }
        if (hasCharacter) {
            std::uint16_t id = 0;
            if (!r.U16(id)) return false;
            out.characterId = id;
        }
        if ((flags & 0x04) != 0) {
            Matrix m;
            if (!ReadMatrix(r, m)) return false;
            out.matrix = m;
        }
        if ((flags & 0x08) != 0) {
            ColorTransform cx;
            if (!ReadColorTransform(r, true, cx)) return false;
            out.colorTransform = cx;
        }
        if ((flags & 0x10) != 0) {
            std::uint16_t ratio = 0;
            if (!r.U16(ratio)) return false;
            out.ratio = ratio;
        }
        if ((flags & 0x20) != 0) {
            ByteRange name;
            if (!ReadName(r, body, name)) return false;
            out.name = name;
        }
        if ((flags & 0x40) != 0) {
            std::uint16_t clipDepth = 0;
            if (!r.U16(clipDepth)) return false;
            out.clipDepth = clipDepth;
        }
        if ((flags3 & 0x01) != 0) {
            // The list is walked once to find its end; its values are read again on demand.
            std::uint8_t count = 0;
            if (!r.U8(count)) return false;
            const std::size_t start = r.Pos();
            Filter scratch;
            bool keep = true;
            std::size_t end = start;
            std::uint8_t read = 0;
            for (; read < count; ++read) {
                SwfReader one(data, end);
                if (!ReadFilter(one, scratch, keep)) break;
                end = one.Pos();
            }
            // Filters before one that cannot be read are kept; what follows it cannot be found.
            out.filters = FilterList{{body.offset + static_cast<std::uint32_t>(start),
                                      static_cast<std::uint32_t>(end - start)},
                                     read};
            if (read < count) return false;
            r = SwfReader(data, end);
        }
        if ((flags3 & 0x02) != 0) {
            std::uint8_t mode = 0;
            if (!r.U8(mode)) return false;
            out.blendMode = BlendModeFromByte(mode);
        }
        if ((flags3 & 0x04) != 0) {
            std::uint8_t cache = 0;
            if (!r.U8(cache)) return false;
            out.cacheAsBitmap = cache != 0;
        }
        if ((flags3 & 0x20) != 0) {
            std::uint8_t visible = 0;
            if (!r.U8(visible)) return false;
            out.visible = visible != 0;
        }
        if ((flags3 & 0x40) != 0) {
            Rgba c;
            if (!ReadRgba(r, c)) return false;
            out.opaqueBackground = c;
        }
        if ((flags & 0x80) != 0) {
            const std::size_t start = r.Pos();
            const ByteRange record{body.offset + static_cast<std::uint32_t>(start),
                                   static_cast<std::uint32_t>(body.length - start)};
            ClipActionReader actions(movieBytes, record, swfVersion);
            if (!actions.HeaderRead()) return false;
            out.clipActions = record;
            out.clipEventFlags = actions.AllEvents();
            r.Skip(record.length);
        }
        out.used = static_cast<std::uint32_t>(r.Pos());
        return true;
    };
    out.cut = !read();
    return true;
}

ClipActionReader::ClipActionReader(std::span<const std::uint8_t> movieBytes, ByteRange record,
                                   std::uint8_t swfVersion)
    : wide_(swfVersion >= 6) {
    if (record.offset > movieBytes.size() || record.length > movieBytes.size() - record.offset)
        return;
    data_ = movieBytes;
    end_ = record.offset + record.length;
    SwfReader r(data_.first(end_), record.offset);
    std::uint16_t reserved = 0;
    if (!r.U16(reserved) || !ReadEvents(r, wide_, allEvents_)) return;
    pos_ = r.Pos();
}

bool ClipActionReader::Next(ClipAction& out) {
    if (pos_ == 0 || pos_ >= end_) return false;
    SwfReader r(data_.first(end_), pos_);
    std::uint32_t events = 0;
    if (!ReadEvents(r, wide_, events) || events == 0) {
        pos_ = end_;
        return false;
    }
    std::uint32_t size = 0;
    if (!r.U32(size) || size > r.Left()) {
        pos_ = end_;
        return false;
    }
    ClipAction a;
    a.events = events;
    std::size_t start = r.Pos();
    // The key code of a key-press handler counts in the record's size.
    if (wide_ && (events & 0x00020000u) != 0 && size > 0) {
        r.U8(a.keyCode);
        ++start;
        --size;
    }
    a.actions = {static_cast<std::uint32_t>(start), size};
    pos_ = start + size;
    out = a;
    return true;
}

}  // namespace flash
