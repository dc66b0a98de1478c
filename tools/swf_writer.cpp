#include "tools/swf_writer.h"

#include "tools/swf_bits.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace swfwriter {

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

// Bits a signed field needs to hold v (two's complement, at least 1).
unsigned SignedBits(std::int32_t v) {
    const std::uint32_t magnitude =
        v < 0 ? ~static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
    return static_cast<unsigned>(std::bit_width(magnitude)) + 1;
}

void PutRect(std::vector<std::uint8_t>& out, const std::int32_t (&r)[4]) {
    unsigned nbits = 1;
    for (std::int32_t v : r) nbits = std::max(nbits, SignedBits(v));
    BitFields bits(out);
    bits.Put(5, nbits);
    for (std::int32_t v : r) bits.PutSigned(nbits, v);
}

}  // namespace

Actions& Actions::Raw(std::uint8_t code, std::span<const std::uint8_t> payload) {
    bytes_.push_back(code);
    if (code >= 0x80) {
        PutU16(bytes_, static_cast<std::uint32_t>(payload.size()));
        bytes_.insert(bytes_.end(), payload.begin(), payload.end());
    }
    return *this;
}

Actions& Actions::GotoFrame(std::uint16_t frame) {
    const std::uint8_t p[2] = {static_cast<std::uint8_t>(frame),
                               static_cast<std::uint8_t>(frame >> 8)};
    return Raw(0x81, p);
}

Actions& Actions::GotoLabel(std::string_view label) {
    std::vector<std::uint8_t> p(label.begin(), label.end());
    p.push_back(0);
    return Raw(0x8C, p);
}

Actions& Actions::GotoFrame2(bool play) {
    const std::uint8_t p[1] = {static_cast<std::uint8_t>(play ? 1 : 0)};
    return Raw(0x9F, p);
}

Actions& Actions::ConstantPool(const std::vector<std::string>& constants) {
    std::vector<std::uint8_t> p;
    PutU16(p, static_cast<std::uint32_t>(constants.size()));
    for (const std::string& c : constants) {
        p.insert(p.end(), c.begin(), c.end());
        p.push_back(0);
    }
    return Raw(0x88, p);
}

Actions& Actions::PushRecord(std::uint8_t type, std::span<const std::uint8_t> value) {
    std::vector<std::uint8_t> p;
    p.push_back(type);
    p.insert(p.end(), value.begin(), value.end());
    return Raw(0x96, p);
}

Actions& Actions::PushString(std::string_view text) {
    std::vector<std::uint8_t> v(text.begin(), text.end());
    v.push_back(0);
    return PushRecord(0, v);
}

Actions& Actions::PushInt(std::int32_t value) {
    std::vector<std::uint8_t> v;
    PutU32(v, static_cast<std::uint32_t>(value));
    return PushRecord(7, v);
}

Actions& Actions::PushFloat(float value) {
    std::vector<std::uint8_t> v;
    PutU32(v, std::bit_cast<std::uint32_t>(value));
    return PushRecord(1, v);
}

Actions& Actions::PushDouble(double value) {
    // The high 32 bits come first, each half little-endian.
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    std::vector<std::uint8_t> v;
    PutU32(v, static_cast<std::uint32_t>(bits >> 32));
    PutU32(v, static_cast<std::uint32_t>(bits));
    return PushRecord(6, v);
}

Actions& Actions::PushBool(bool value) {
    const std::uint8_t v[1] = {static_cast<std::uint8_t>(value ? 1 : 0)};
    return PushRecord(5, v);
}

Actions& Actions::PushNull() {
    return PushRecord(2, {});
}
Actions& Actions::PushUndefined() {
    return PushRecord(3, {});
}

Actions& Actions::PushRegister(std::uint8_t reg) {
    const std::uint8_t v[1] = {reg};
    return PushRecord(4, v);
}

Actions& Actions::PushConstant(std::uint16_t index) {
    if (index < 256) {
        const std::uint8_t v[1] = {static_cast<std::uint8_t>(index)};
        return PushRecord(8, v);
    }
    const std::uint8_t v[2] = {static_cast<std::uint8_t>(index),
                               static_cast<std::uint8_t>(index >> 8)};
    return PushRecord(9, v);
}

MovieBuilder& MovieBuilder::Version(std::uint8_t version) {
    version_ = version;
    return *this;
}

MovieBuilder& MovieBuilder::StageTwips(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin,
                                       std::int32_t yMax) {
    stage_[0] = xMin;
    stage_[1] = xMax;
    stage_[2] = yMin;
    stage_[3] = yMax;
    return *this;
}

MovieBuilder& MovieBuilder::FrameRate88(std::uint16_t rate) {
    rate88_ = rate;
    return *this;
}

MovieBuilder& MovieBuilder::FrameRate(double fps) {
    const double fixed = std::round(fps * 256);
    return FrameRate88(static_cast<std::uint16_t>(fixed < 0 ? 0 : (fixed > 65535 ? 65535 : fixed)));
}

MovieBuilder& MovieBuilder::DeclaredFrames(std::uint16_t count) {
    declared_ = true;
    declaredFrames_ = count;
    return *this;
}

MovieBuilder& MovieBuilder::Tag(std::uint16_t code, std::span<const std::uint8_t> payload,
                                bool forceLong) {
    if (payload.size() < 0x3F && !forceLong) {
        PutU16(tags_,
               static_cast<std::uint32_t>(code) << 6 | static_cast<std::uint32_t>(payload.size()));
    } else {
        PutU16(tags_, static_cast<std::uint32_t>(code) << 6 | 0x3F);
        PutU32(tags_, static_cast<std::uint32_t>(payload.size()));
    }
    tags_.insert(tags_.end(), payload.begin(), payload.end());
    return *this;
}

MovieBuilder& MovieBuilder::BackgroundColor(Rgb color) {
    const std::uint8_t p[3] = {color.r, color.g, color.b};
    return Tag(9, p);
}

MovieBuilder& MovieBuilder::FrameLabel(std::string_view name) {
    std::vector<std::uint8_t> p(name.begin(), name.end());
    p.push_back(0);
    return Tag(43, p);
}

MovieBuilder& MovieBuilder::DoAction(const Actions& actions) {
    std::vector<std::uint8_t> p = actions.Bytes();
    p.push_back(0);  // ActionEndAction
    return Tag(12, p);
}

MovieBuilder& MovieBuilder::ShowFrame() {
    ++showFrames_;
    return Tag(1, {});
}

MovieBuilder& MovieBuilder::DeviceFont(std::uint16_t id, std::string_view name, bool bold,
                                       bool italic) {
    std::vector<std::uint8_t> p;
    PutU16(p, id);
    // Flags: no layout, narrow offsets and codes; italic, bold.
    p.push_back(static_cast<std::uint8_t>((italic ? 0x02 : 0) | (bold ? 0x01 : 0)));
    p.push_back(0);  // language
    const std::size_t length = std::min<std::size_t>(name.size(), 255);
    p.push_back(static_cast<std::uint8_t>(length));
    p.insert(p.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length));
    PutU16(p, 0);  // no glyphs
    PutU16(p, 0);  // the code table's offset, past no offsets
    return Tag(48, p);
}

MovieBuilder& MovieBuilder::DefineEditText(const EditTextSpec& f) {
    std::vector<std::uint8_t> p;
    PutU16(p, f.id);
    PutRect(p, f.bounds);
    // HasText, WordWrap, Multiline, ReadOnly, HasTextColor, HasFont; HTML, UseOutlines.
    p.push_back(static_cast<std::uint8_t>(0x80 | (f.wordWrap ? 0x40 : 0) |
                                          (f.multiline ? 0x20 : 0) | 0x08 | 0x04 |
                                          (f.fontId != 0 ? 0x01 : 0)));
    p.push_back(static_cast<std::uint8_t>((f.html ? 0x02 : 0) | (f.useOutlines ? 0x01 : 0)));
    if (f.fontId != 0) {
        PutU16(p, f.fontId);
        PutU16(p, f.height);
    }
    p.insert(p.end(), {f.color.r, f.color.g, f.color.b, f.color.a});
    p.push_back(0);  // no variable name
    p.insert(p.end(), f.text.begin(), f.text.end());
    p.push_back(0);
    return Tag(37, p);
}

MovieBuilder& MovieBuilder::Rectangle(std::uint16_t id, std::int32_t widthTwips,
                                      std::int32_t heightTwips, Rgb fill) {
    std::vector<std::uint8_t> p;
    PutU16(p, id);
    const std::int32_t bounds[4] = {0, widthTwips, 0, heightTwips};
    PutRect(p, bounds);
    // One solid fill style, no line styles.
    p.push_back(1);
    p.push_back(0x00);
    p.push_back(fill.r);
    p.push_back(fill.g);
    p.push_back(fill.b);
    p.push_back(0);
    {
        BitFields bits(p);
        bits.Put(4, 1);  // NumFillBits
        bits.Put(4, 0);  // NumLineBits
        // Style change: move to (0,0), fill style 1 on the right-hand side.
        bits.Put(1, 0);
        bits.Put(5, 0b00101);  // no new styles, no line style, fill1, no fill0, move
        bits.Put(5, 1);        // move bits
        bits.PutSigned(1, 0);
        bits.PutSigned(1, 0);
        bits.Put(1, 1);  // FillStyle1 = 1
        // Four straight edges: right, down, left, up.
        const unsigned n = std::max(SignedBits(widthTwips), SignedBits(heightTwips));
        const unsigned nb = n < 2 ? 2 : n;
        const std::int32_t edges[4][2] = {
            {widthTwips, 0}, {0, heightTwips}, {-widthTwips, 0}, {0, -heightTwips}};
        for (const auto& e : edges) {
            bits.Put(1, 1);  // edge
            bits.Put(1, 1);  // straight
            bits.Put(4, nb - 2);
            bits.Put(1, 0);  // not a general line
            const bool vertical = e[0] == 0;
            bits.Put(1, vertical ? 1 : 0);
            bits.PutSigned(nb, vertical ? e[1] : e[0]);
        }
        bits.Put(6, 0);  // end of shape
    }
    return Tag(2, p);
}

MovieBuilder& MovieBuilder::PlaceObject(std::uint16_t id, std::uint16_t depth, std::int32_t xTwips,
                                        std::int32_t yTwips) {
    std::vector<std::uint8_t> p;
    p.push_back(0x06);  // has matrix, has character
    PutU16(p, depth);
    PutU16(p, id);
    {
        BitFields bits(p);
        bits.Put(1, 0);  // no scale
        bits.Put(1, 0);  // no rotate
        const unsigned n = std::max(SignedBits(xTwips), SignedBits(yTwips));
        bits.Put(5, n);
        bits.PutSigned(n, xTwips);
        bits.PutSigned(n, yTwips);
    }
    return Tag(26, p);
}

std::vector<std::uint8_t> MovieBuilder::Build(Compression compression) const {
    std::vector<std::uint8_t> body;
    PutRect(body, stage_);
    PutU16(body, rate88_);
    PutU16(body, declared_ ? declaredFrames_ : static_cast<std::uint32_t>(showFrames_));
    body.insert(body.end(), tags_.begin(), tags_.end());
    PutU16(body, 0);  // End

    std::vector<std::uint8_t> out = {
        static_cast<std::uint8_t>("FCZ"[static_cast<int>(compression)]), 'W', 'S', version_};
    PutU32(out, static_cast<std::uint32_t>(8 + body.size()));
    switch (compression) {
        case Compression::None:
            out.insert(out.end(), body.begin(), body.end());
            break;
        case Compression::Zlib: {
            uLongf size = compressBound(static_cast<uLong>(body.size()));
            std::vector<std::uint8_t> packed(size);
            if (compress2(packed.data(), &size, body.data(), static_cast<uLong>(body.size()), 9) !=
                Z_OK) {
                throw std::runtime_error("zlib compression failed");
            }
            out.insert(out.end(), packed.begin(),
                       packed.begin() + static_cast<std::ptrdiff_t>(size));
            break;
        }
        case Compression::Lzma: {
            std::uint8_t props[5];
            const std::vector<std::uint8_t> packed = LzmaCompress(body, props);
            PutU32(out, static_cast<std::uint32_t>(packed.size()));
            out.insert(out.end(), props, props + 5);
            out.insert(out.end(), packed.begin(), packed.end());
            break;
        }
    }
    return out;
}

Actions& Actions::SetTarget(std::string_view path) {
    std::vector<std::uint8_t> p(path.begin(), path.end());
    p.push_back(0);
    return Raw(0x8B, p);
}

namespace {

void PutMatrix(std::vector<std::uint8_t>& out, const Matrix& m) {
    auto fixed = [](double v) { return static_cast<std::int32_t>(std::lround(v * 65536)); };
    BitFields bits(out);
    const bool scale = m.a != 1 || m.d != 1;
    bits.Put(1, scale ? 1 : 0);
    if (scale) {
        const unsigned n = std::max(SignedBits(fixed(m.a)), SignedBits(fixed(m.d)));
        bits.Put(5, n);
        bits.PutSigned(n, fixed(m.a));
        bits.PutSigned(n, fixed(m.d));
    }
    const bool rotate = m.b != 0 || m.c != 0;
    bits.Put(1, rotate ? 1 : 0);
    if (rotate) {
        const unsigned n = std::max(SignedBits(fixed(m.b)), SignedBits(fixed(m.c)));
        bits.Put(5, n);
        bits.PutSigned(n, fixed(m.b));
        bits.PutSigned(n, fixed(m.c));
    }
    const unsigned n = std::max(SignedBits(m.tx), SignedBits(m.ty));
    bits.Put(5, n);
    bits.PutSigned(n, m.tx);
    bits.PutSigned(n, m.ty);
}

void PutColorTransform(std::vector<std::uint8_t>& out, const ColorTransform& cx, bool alpha) {
    const int channels = alpha ? 4 : 3;
    unsigned n = 1;
    for (int i = 0; i < channels; ++i) {
        if (cx.hasMul) n = std::max(n, SignedBits(cx.mul[i]));
        if (cx.hasAdd) n = std::max(n, SignedBits(cx.add[i]));
    }
    BitFields bits(out);
    bits.Put(1, cx.hasAdd ? 1 : 0);
    bits.Put(1, cx.hasMul ? 1 : 0);
    bits.Put(4, n);
    for (int i = 0; cx.hasMul && i < channels; ++i) bits.PutSigned(n, cx.mul[i]);
    for (int i = 0; cx.hasAdd && i < channels; ++i) bits.PutSigned(n, cx.add[i]);
}

void PutString(std::vector<std::uint8_t>& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

void PutRgba(std::vector<std::uint8_t>& out, const Rgba& c) {
    out.insert(out.end(), {c.r, c.g, c.b, c.a});
}

void PutFixed(std::vector<std::uint8_t>& out, double v) {
    PutU32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v * 65536))));
}

void PutFixed8(std::vector<std::uint8_t>& out, double v) {
    PutU16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 256))));
}

void PutFloat(std::vector<std::uint8_t>& out, float v) {
    PutU32(out, std::bit_cast<std::uint32_t>(v));
}

// The flags byte that ends the shadow, glow and bevel filters.
std::uint8_t ShadowFlags(const FilterSpec& f, bool bevelStyle) {
    std::uint8_t flags = static_cast<std::uint8_t>((f.inner ? 0x80 : 0) | (f.knockout ? 0x40 : 0) |
                                                   (f.compositeSource ? 0x20 : 0));
    if (bevelStyle)
        return static_cast<std::uint8_t>(flags | (f.onTop ? 0x10 : 0) | (f.passes & 0x0F));
    return static_cast<std::uint8_t>(flags | (f.passes & 0x1F));
}

void PutPlace(std::vector<std::uint8_t>& p, const Place& place, bool third) {
    std::uint8_t flags = 0;
    if (place.move) flags |= 0x01;
    if (place.characterId) flags |= 0x02;
    if (place.matrix) flags |= 0x04;
    if (place.colorTransform) flags |= 0x08;
    if (place.ratio) flags |= 0x10;
    if (place.name) flags |= 0x20;
    if (place.clipDepth) flags |= 0x40;
    if (place.clipActions) flags |= 0x80;
    p.push_back(flags);
    if (third) {
        std::uint8_t flags3 = 0;
        if (place.filters) flags3 |= 0x01;
        if (place.blendMode) flags3 |= 0x02;
        if (place.cacheAsBitmap) flags3 |= 0x04;
        if (place.className) flags3 |= 0x08;
        if (place.hasImage) flags3 |= 0x10;
        if (place.visible) flags3 |= 0x20;
        if (place.background) flags3 |= 0x40;
        p.push_back(flags3);
    }
    PutU16(p, place.depth);
    if (third && place.className) PutString(p, *place.className);
    if (place.characterId) PutU16(p, *place.characterId);
    if (place.matrix) PutMatrix(p, *place.matrix);
    if (place.colorTransform) PutColorTransform(p, *place.colorTransform, true);
    if (place.ratio) PutU16(p, *place.ratio);
    if (place.name) PutString(p, *place.name);
    if (place.clipDepth) PutU16(p, *place.clipDepth);
    if (third) {
        if (place.filters) p.insert(p.end(), place.filters->begin(), place.filters->end());
        if (place.blendMode) p.push_back(*place.blendMode);
        if (place.cacheAsBitmap) p.push_back(*place.cacheAsBitmap);
        if (place.visible) p.push_back(*place.visible);
        if (place.background) PutRgba(p, *place.background);
    }
    if (place.clipActions) p.insert(p.end(), place.clipActions->begin(), place.clipActions->end());
}

}  // namespace

std::vector<std::uint8_t> FilterListBytes(const std::vector<FilterSpec>& filters) {
    std::vector<std::uint8_t> out;
    out.push_back(static_cast<std::uint8_t>(filters.size()));
    for (const FilterSpec& f : filters) {
        out.push_back(f.kind);
        switch (f.kind) {
            case 0:  // drop shadow
                PutRgba(out, f.color);
                PutFixed(out, f.blurX);
                PutFixed(out, f.blurY);
                PutFixed(out, f.angle);
                PutFixed(out, f.distance);
                PutFixed8(out, f.strength);
                out.push_back(ShadowFlags(f, false));
                break;
            case 1:  // blur
                PutFixed(out, f.blurX);
                PutFixed(out, f.blurY);
                out.push_back(static_cast<std::uint8_t>(f.passes << 3));
                break;
            case 2:  // glow
                PutRgba(out, f.color);
                PutFixed(out, f.blurX);
                PutFixed(out, f.blurY);
                PutFixed8(out, f.strength);
                out.push_back(ShadowFlags(f, false));
                break;
            case 3:  // bevel: the highlight first, as movies store it
                PutRgba(out, f.highlight);
                PutRgba(out, f.color);
                PutFixed(out, f.blurX);
                PutFixed(out, f.blurY);
                PutFixed(out, f.angle);
                PutFixed(out, f.distance);
                PutFixed8(out, f.strength);
                out.push_back(ShadowFlags(f, true));
                break;
            case 4:  // gradient glow
            case 7:  // gradient bevel
                out.push_back(static_cast<std::uint8_t>(f.stops.size()));
                for (const auto& stop : f.stops) PutRgba(out, stop.first);
                for (const auto& stop : f.stops) out.push_back(stop.second);
                PutFixed(out, f.blurX);
                PutFixed(out, f.blurY);
                PutFixed(out, f.angle);
                PutFixed(out, f.distance);
                PutFixed8(out, f.strength);
                out.push_back(ShadowFlags(f, true));
                break;
            case 5:  // convolution
                out.push_back(f.matrixX);
                out.push_back(f.matrixY);
                PutFloat(out, f.divisor);
                PutFloat(out, f.bias);
                for (float v : f.matrix) PutFloat(out, v);
                PutRgba(out, f.defaultColor);
                out.push_back(
                    static_cast<std::uint8_t>((f.clamp ? 2 : 0) | (f.preserveAlpha ? 1 : 0)));
                break;
            case 6:  // colour matrix
                for (float v : f.matrix) PutFloat(out, v);
                break;
            default:  // unknown kinds are written as the id alone
                break;
        }
    }
    return out;
}

std::vector<std::uint8_t> ClipActionBytes(std::uint8_t version,
                                          const std::vector<ClipHandler>& handlers) {
    const bool wide = version >= 6;
    auto putEvents = [wide](std::vector<std::uint8_t>& out, std::uint32_t events) {
        if (wide) {
            PutU32(out, events);
        } else {
            PutU16(out, events & 0xFFFF);
        }
    };
    std::vector<std::uint8_t> out;
    PutU16(out, 0);
    std::uint32_t all = 0;
    for (const ClipHandler& h : handlers) all |= h.events;
    putEvents(out, all);
    for (const ClipHandler& h : handlers) {
        putEvents(out, h.events);
        const bool key = wide && (h.events & 0x00020000u) != 0;
        std::vector<std::uint8_t> actions = h.actions.Bytes();
        actions.push_back(0);
        PutU32(out, static_cast<std::uint32_t>(actions.size() + (key ? 1 : 0)));
        if (key) out.push_back(h.keyCode);
        out.insert(out.end(), actions.begin(), actions.end());
    }
    putEvents(out, 0);
    return out;
}

MovieBuilder& MovieBuilder::DefineSprite(std::uint16_t id, const MovieBuilder& timeline,
                                         bool endTag) {
    std::vector<std::uint8_t> p;
    PutU16(p, id);
    PutU16(p, timeline.declared_ ? timeline.declaredFrames_
                                 : static_cast<std::uint32_t>(timeline.showFrames_));
    p.insert(p.end(), timeline.tags_.begin(), timeline.tags_.end());
    if (endTag) PutU16(p, 0);
    return Tag(39, p);
}

MovieBuilder& MovieBuilder::PlaceObject1(std::uint16_t id, std::uint16_t depth,
                                         const Matrix& matrix,
                                         const std::optional<ColorTransform>& colorTransform) {
    std::vector<std::uint8_t> p;
    PutU16(p, id);
    PutU16(p, depth);
    PutMatrix(p, matrix);
    if (colorTransform) PutColorTransform(p, *colorTransform, false);
    return Tag(4, p);
}

MovieBuilder& MovieBuilder::PlaceObject2(const Place& place) {
    std::vector<std::uint8_t> p;
    PutPlace(p, place, false);
    return Tag(26, p);
}

MovieBuilder& MovieBuilder::PlaceObject3(const Place& place) {
    std::vector<std::uint8_t> p;
    PutPlace(p, place, true);
    return Tag(70, p);
}

MovieBuilder& MovieBuilder::RemoveObject(std::uint16_t id, std::uint16_t depth) {
    const std::uint8_t p[4] = {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8),
                               static_cast<std::uint8_t>(depth),
                               static_cast<std::uint8_t>(depth >> 8)};
    return Tag(5, p);
}

MovieBuilder& MovieBuilder::RemoveObject2(std::uint16_t depth) {
    const std::uint8_t p[2] = {static_cast<std::uint8_t>(depth),
                               static_cast<std::uint8_t>(depth >> 8)};
    return Tag(28, p);
}

MovieBuilder& MovieBuilder::DoInitAction(std::uint16_t spriteId, const Actions& actions) {
    std::vector<std::uint8_t> p;
    PutU16(p, spriteId);
    p.insert(p.end(), actions.Bytes().begin(), actions.Bytes().end());
    p.push_back(0);
    return Tag(59, p);
}

namespace {

void PutButtonParts(std::vector<std::uint8_t>& p, const std::vector<ButtonPart>& parts,
                    bool version2) {
    for (const ButtonPart& part : parts) {
        p.push_back(part.states);
        PutU16(p, part.characterId);
        PutU16(p, part.depth);
        PutMatrix(p, part.matrix);
        if (version2) PutColorTransform(p, ColorTransform{}, true);
    }
    p.push_back(0);
}

}  // namespace

MovieBuilder& MovieBuilder::DefineButton(std::uint16_t id, const std::vector<ButtonPart>& parts,
                                         const Actions& actions) {
    std::vector<std::uint8_t> p;
    PutU16(p, id);
    PutButtonParts(p, parts, false);
    p.insert(p.end(), actions.Bytes().begin(), actions.Bytes().end());
    p.push_back(0);
    return Tag(7, p);
}

MovieBuilder& MovieBuilder::DefineButton2(std::uint16_t id, const std::vector<ButtonPart>& parts,
                                          const std::vector<ButtonConditionAction>& actions,
                                          bool trackAsMenu) {
    std::vector<std::uint8_t> p;
    PutU16(p, id);
    p.push_back(trackAsMenu ? 1 : 0);
    const std::size_t offsetAt = p.size();
    PutU16(p, 0);
    PutButtonParts(p, parts, true);
    if (!actions.empty()) {
        const std::size_t first = p.size() - offsetAt;
        p[offsetAt] = static_cast<std::uint8_t>(first);
        p[offsetAt + 1] = static_cast<std::uint8_t>(first >> 8);
    }
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const std::vector<std::uint8_t>& code = actions[i].actions.Bytes();
        const std::size_t size = i + 1 == actions.size() ? 0 : 4 + code.size() + 1;
        PutU16(p, static_cast<std::uint16_t>(size));
        PutU16(p, actions[i].conditions);
        p.insert(p.end(), code.begin(), code.end());
        p.push_back(0);
    }
    return Tag(34, p);
}

bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!f) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return false;
    return std::fflush(f.get()) == 0;
}

}  // namespace swfwriter
