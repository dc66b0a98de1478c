#include "flash/render/font_text.h"

#include <algorithm>

#include "flash/render/swf_bits.h"

namespace flash::render {

namespace {

std::uint32_t Le(std::span<const std::uint8_t> d, std::size_t at, bool wide) {
    if (at + (wide ? 4 : 2) > d.size()) return 0xFFFFFFFF;
    std::uint32_t v = d[at] | d[at + 1] << 8;
    if (wide) v |= std::uint32_t{d[at + 2]} << 16 | std::uint32_t{d[at + 3]} << 24;
    return v;
}

// A glyph's SHAPE (its index widths and records) read as a DefineShape whose one fill style is
// solid black: the same reader as every other shape.
Shape GlyphShape(std::span<const std::uint8_t> records) {
    std::vector<std::uint8_t> body{0, 0,           // id
                                   0,              // empty bounds
                                   1, 0, 0, 0, 0,  // one solid black fill
                                   0};             // no line styles
    body.insert(body.end(), records.begin(), records.end());
    std::optional<Shape> s = ParseShape(kDefineShape, body, 10);
    return s ? std::move(*s) : Shape{};
}

// After the advances: a bounds rectangle per glyph, then the kerning pairs. A table cut short
// keeps the pairs read whole.
void ReadKerning(std::span<const std::uint8_t> rest, std::size_t glyphs, bool wideCodes,
                 Font& font) {
    SwfBits in(rest);
    for (std::size_t i = 0; i < glyphs && !in.Failed(); ++i) in.ReadRect();
    const std::size_t count = in.U16();
    const std::size_t size = wideCodes ? 6 : 4;
    if (in.Failed()) return;
    const std::size_t at = in.Position();
    for (std::size_t i = 0; i < count && at + (i + 1) * size <= rest.size(); ++i) {
        const std::size_t p = at + i * size;
        Font::KerningPair k;
        k.left = static_cast<std::uint16_t>(wideCodes ? Le(rest, p, false) : rest[p]);
        k.right = static_cast<std::uint16_t>(wideCodes ? Le(rest, p + 2, false) : rest[p + 1]);
        k.adjustment = static_cast<std::int16_t>(Le(rest, p + size - 2, false));
        font.kerning.push_back(k);
    }
    std::sort(font.kerning.begin(), font.kerning.end(), [](const auto& a, const auto& b) {
        return a.left != b.left ? a.left < b.left : a.right < b.right;
    });
}

}  // namespace

std::optional<Font> ParseFont(std::uint16_t tagCode, std::span<const std::uint8_t> body) {
    if (tagCode != kDefineFont && tagCode != kDefineFont2 && tagCode != kDefineFont3)
        return std::nullopt;
    if (body.size() < 4) return std::nullopt;
    Font font;
    font.id = static_cast<std::uint16_t>(body[0] | body[1] << 8);
    std::span<const std::uint8_t> table;  // the offset table and the shapes after it
    std::size_t count = 0;
    bool wide = false;
    std::size_t shapesEnd = 0;
    if (tagCode == kDefineFont) {
        table = body.subspan(2);
        count = std::min<std::size_t>(Le(table, 0, false) / 2, table.size() / 2);
        shapesEnd = table.size();
    } else {
        font.emSquare = tagCode == kDefineFont3 ? 20480 : 1024;
        if (body.size() < 5) return std::nullopt;
        const std::uint8_t flags = body[2];
        wide = flags & 0x08;
        const std::size_t nameEnd = 5 + std::size_t{body[4]};
        if (nameEnd + 2 > body.size()) return std::nullopt;
        count = body[nameEnd] | body[nameEnd + 1] << 8;
        table = body.subspan(nameEnd + 2);
        // The code table follows the shapes; its offset closes the last glyph.
        const std::uint32_t codes = Le(table, count * (wide ? 4 : 2), wide);
        shapesEnd = std::min<std::size_t>(codes, table.size());
    }
    if (tagCode != kDefineFont) {
        const std::uint8_t flags = body[2];
        font.bold = flags & 0x01;
        font.italic = flags & 0x02;
        font.name.assign(reinterpret_cast<const char*>(body.data()) + 5, body[4]);
        while (!font.name.empty() && font.name.back() == '\0') font.name.pop_back();
        // After the shapes: the code table, then the layout.
        const bool wideCodes = flags & 0x04;
        std::size_t at = shapesEnd;
        const std::size_t n = std::min(count, kMaxGlyphs);
        if (at < table.size()) {
            for (std::size_t i = 0; i < n; ++i, at += wideCodes ? 2 : 1) {
                const std::uint32_t code = wideCodes           ? Le(table, at, false)
                                           : at < table.size() ? table[at]
                                                               : 0xFFFFFFFF;
                if (code == 0xFFFFFFFF) break;
                font.codes.push_back(static_cast<std::uint16_t>(code));
            }
            if ((flags & 0x80) && font.codes.size() == n && at + 6 + 2 * n <= table.size()) {
                font.hasLayout = true;
                font.ascent = Le(table, at, false);
                font.descent = Le(table, at + 2, false);
                font.leading = static_cast<std::int16_t>(Le(table, at + 4, false));
                for (std::size_t i = 0; i < n; ++i)
                    font.advances.push_back(
                        static_cast<std::int16_t>(Le(table, at + 6 + 2 * i, false)));
                ReadKerning(table.subspan(at + 6 + 2 * n), n, wideCodes, font);
            }
        }
    }
    font.glyphs.resize(std::min(count, kMaxGlyphs));
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
        const std::uint32_t start = Le(table, i * (wide ? 4 : 2), wide);
        std::uint32_t end = i + 1 < count ? Le(table, (i + 1) * (wide ? 4 : 2), wide)
                                          : static_cast<std::uint32_t>(shapesEnd);
        if (end == 0xFFFFFFFF) end = static_cast<std::uint32_t>(shapesEnd);
        if (start >= table.size() || start >= end) continue;
        end = std::min<std::uint32_t>(end, static_cast<std::uint32_t>(table.size()));
        font.glyphs[i] = GlyphShape(table.subspan(start, end - start));
    }
    return font;
}

int Font::GlyphOf(std::uint32_t code) const {
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == code) return static_cast<int>(i);
    }
    return -1;
}

double Font::Kerning(std::uint32_t left, std::uint32_t right) const {
    const auto it = std::lower_bound(
        kerning.begin(), kerning.end(), std::pair{left, right}, [](const KerningPair& k, auto v) {
            return k.left != v.first ? k.left < v.first : k.right < v.second;
        });
    return it != kerning.end() && it->left == left && it->right == right ? it->adjustment : 0;
}

std::optional<StaticText> ParseText(std::uint16_t tagCode, std::span<const std::uint8_t> body) {
    if (tagCode != kDefineText && tagCode != kDefineText2) return std::nullopt;
    SwfBits in(body);
    StaticText text;
    text.id = in.U16();
    text.bounds = in.ReadRect();
    text.matrix = in.ReadMatrix();
    const unsigned glyphBits = in.U8(), advanceBits = in.U8();
    if (in.Failed() || glyphBits > 32 || advanceBits > 32) return std::nullopt;
    TextRecord current;
    std::size_t glyphs = 0;
    while (text.records.size() < kMaxTextRecords) {
        const std::uint8_t flags = in.U8();
        if (in.Failed() || flags == 0) break;
        TextRecord r = current;
        r.glyphs.clear();
        if (flags & 0x08) r.fontId = in.U16();
        if (flags & 0x04) {
            r.color.r = in.U8();
            r.color.g = in.U8();
            r.color.b = in.U8();
            r.color.a = tagCode == kDefineText2 ? in.U8() : 255;
        }
        if (flags & 0x01) r.x = static_cast<std::int16_t>(in.U16());
        if (flags & 0x02) r.y = static_cast<std::int16_t>(in.U16());
        if (flags & 0x08) r.height = in.U16();
        const std::uint8_t count = in.U8();
        std::int32_t x = r.x;
        for (unsigned i = 0; i < count && glyphs < kMaxTextGlyphs; ++i, ++glyphs) {
            GlyphEntry g;
            g.index = in.Bits(glyphBits);
            g.advance = in.SignedBits(advanceBits);
            r.glyphs.push_back(g);
            x += g.advance;
        }
        if (in.Failed()) break;
        in.Align();
        current = r;
        // The next record without an x offset goes on where this one ended.
        current.x = x;
        text.records.push_back(std::move(r));
    }
    return text;
}

}  // namespace flash::render
