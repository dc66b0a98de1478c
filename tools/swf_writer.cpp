#include "tools/swf_writer.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace swfwriter {

namespace {

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

// Writes bit fields most significant bit first, padding the last byte with zeros.
class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    ~BitWriter() { Flush(); }

    void Bits(unsigned count, std::uint32_t value) {
        for (unsigned i = count; i-- > 0;) {
            acc_ = static_cast<std::uint8_t>(acc_ << 1 | (value >> i & 1));
            if (++used_ == 8) {
                out_.push_back(acc_);
                acc_ = 0;
                used_ = 0;
            }
        }
    }
    void Signed(unsigned count, std::int32_t value) {
        Bits(count, static_cast<std::uint32_t>(value));
    }
    void Flush() {
        if (used_ > 0) out_.push_back(static_cast<std::uint8_t>(acc_ << (8 - used_)));
        acc_ = 0;
        used_ = 0;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint8_t acc_ = 0;
    unsigned used_ = 0;
};

// Bits a signed field needs to hold v (two's complement, at least 1).
unsigned SignedBits(std::int32_t v) {
    const std::uint32_t magnitude =
        v < 0 ? ~static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
    return static_cast<unsigned>(std::bit_width(magnitude)) + 1;
}

void PutRect(std::vector<std::uint8_t>& out, const std::int32_t (&r)[4]) {
    unsigned nbits = 1;
    for (std::int32_t v : r) nbits = std::max(nbits, SignedBits(v));
    BitWriter bits(out);
    bits.Bits(5, nbits);
    for (std::int32_t v : r) bits.Signed(nbits, v);
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
        BitWriter bits(p);
        bits.Bits(4, 1);  // NumFillBits
        bits.Bits(4, 0);  // NumLineBits
        // Style change: move to (0,0), fill style 1 on the right-hand side.
        bits.Bits(1, 0);
        bits.Bits(5, 0b00101);  // no new styles, no line style, fill1, no fill0, move
        bits.Bits(5, 1);        // move bits
        bits.Signed(1, 0);
        bits.Signed(1, 0);
        bits.Bits(1, 1);  // FillStyle1 = 1
        // Four straight edges: right, down, left, up.
        const unsigned n = std::max(SignedBits(widthTwips), SignedBits(heightTwips));
        const unsigned nb = n < 2 ? 2 : n;
        const std::int32_t edges[4][2] = {
            {widthTwips, 0}, {0, heightTwips}, {-widthTwips, 0}, {0, -heightTwips}};
        for (const auto& e : edges) {
            bits.Bits(1, 1);  // edge
            bits.Bits(1, 1);  // straight
            bits.Bits(4, nb - 2);
            bits.Bits(1, 0);  // not a general line
            const bool vertical = e[0] == 0;
            bits.Bits(1, vertical ? 1 : 0);
            bits.Signed(nb, vertical ? e[1] : e[0]);
        }
        bits.Bits(6, 0);  // end of shape
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
        BitWriter bits(p);
        bits.Bits(1, 0);  // no scale
        bits.Bits(1, 0);  // no rotate
        const unsigned n = std::max(SignedBits(xTwips), SignedBits(yTwips));
        bits.Bits(5, n);
        bits.Signed(n, xTwips);
        bits.Signed(n, yTwips);
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

bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!f) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return false;
    return std::fflush(f.get()) == 0;
}

}  // namespace swfwriter
