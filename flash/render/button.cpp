#include "flash/render/button.h"

#include <algorithm>

#include "flash/render/swf_bits.h"

namespace flash::render {

namespace {

ColorTransform ReadColorTransformWithAlpha(SwfBits& in) {
    in.Align();
    ColorTransform cx;
    const bool hasAdd = in.Flag(), hasMul = in.Flag();
    const unsigned n = in.Bits(4);
    if (hasMul) {
        cx.rMul = in.SignedBits(n);
        cx.gMul = in.SignedBits(n);
        cx.bMul = in.SignedBits(n);
        cx.aMul = in.SignedBits(n);
    }
    if (hasAdd) {
        cx.rAdd = in.SignedBits(n);
        cx.gAdd = in.SignedBits(n);
        cx.bAdd = in.SignedBits(n);
        cx.aAdd = in.SignedBits(n);
    }
    in.Align();
    return cx;
}

// Reads past a FILTERLIST; false when it is cut short or holds a filter of unknown size.
bool SkipFilters(SwfBits& in) {
    const std::uint8_t count = in.U8();
    for (unsigned i = 0; i < count && !in.Failed(); ++i) {
        const std::uint8_t id = in.U8();
        std::size_t size = 0;
        switch (id) {
            case 0:  // drop shadow
                size = 23;
                break;
            case 1:  // blur
                size = 9;
                break;
            case 2:  // glow
                size = 15;
                break;
            case 3:  // bevel
                size = 27;
                break;
            case 4:    // gradient glow
            case 7: {  // gradient bevel
                const std::uint8_t stops = in.U8();
                size = stops * 5u + 19;
                break;
            }
            case 5: {  // convolution
                const std::uint8_t x = in.U8(), y = in.U8();
                size = 8 + 4u * x * y + 5;
                break;
            }
            case 6:  // colour matrix
                size = 80;
                break;
            default:
                return false;
        }
        for (std::size_t k = 0; k < size; ++k) in.U8();
    }
    return !in.Failed();
}

}  // namespace

std::optional<Button> ParseButton(std::uint16_t tagCode, std::span<const std::uint8_t> body) {
    if (tagCode != kDefineButton && tagCode != kDefineButton2) return std::nullopt;
    const bool version2 = tagCode == kDefineButton2;
    SwfBits in(body);
    Button b;
    b.id = in.U16();
    if (in.Failed()) return std::nullopt;
    if (version2) {
        b.trackAsMenu = in.U8() & 1;
        const std::uint16_t offset = in.U16();
        // The offset counts from its own field; 0 means no actions.
        b.actionsOffset = offset == 0 ? 0 : static_cast<std::uint32_t>(in.Position() - 2 + offset);
    }
    while (b.records.size() < kMaxButtonRecords) {
        const std::uint8_t flags = in.U8();
        if (in.Failed() || flags == 0) break;
        ButtonRecord r;
        r.states = flags & 0x0F;
        r.characterId = in.U16();
        r.depth = in.U16();
        r.matrix = in.ReadMatrix();
        if (version2) {
            r.colorTransform = ReadColorTransformWithAlpha(in);
            if ((flags & 0x10) && !SkipFilters(in)) break;
            if (flags & 0x20) r.blendMode = BlendModeFromByte(in.U8());
        }
        if (in.Failed()) break;
        b.records.push_back(r);
    }
    if (!version2) b.actionsOffset = static_cast<std::uint32_t>(in.Position());
    std::stable_sort(
        b.records.begin(), b.records.end(),
        [](const ButtonRecord& x, const ButtonRecord& y) { return x.depth < y.depth; });
    return b;
}

}  // namespace flash::render
