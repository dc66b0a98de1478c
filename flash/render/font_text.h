// Embedded fonts and static text. DefineFont, DefineFont2 and DefineFont3 give glyph shapes
// in an EM square of 1024 units (20480 for DefineFont3, which stores twentieths); DefineText
// and DefineText2 place glyphs of those fonts in records of font, colour, offsets and height.
// Glyphs are drawn by the shape rasteriser like any other shape: each glyph's shape is parsed
// once, then placed by the text's matrix, its record's position and its height.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "flash/render/shape.h"

namespace flash::render {

inline constexpr std::uint16_t kDefineFont = 10;
inline constexpr std::uint16_t kDefineFont2 = 48;
inline constexpr std::uint16_t kDefineFont3 = 75;
inline constexpr std::uint16_t kDefineText = 11;
inline constexpr std::uint16_t kDefineText2 = 33;

// Glyphs a font may hold: the format's 16-bit count.
inline constexpr std::size_t kMaxGlyphs = 65535;

struct Font {
    std::uint16_t id = 0;
    // Glyph units per EM square.
    double emSquare = 1024;
    // One shape per glyph (a glyph whose records are unreadable has no edges), filled with
    // style 1, a solid black.
    std::vector<Shape> glyphs;
    // DefineFont2 and DefineFont3: the name, the style flags, each glyph's character code and,
    // with a layout, the metrics in glyph units.
    std::string name;
    bool bold = false;
    bool italic = false;
    std::vector<std::uint16_t> codes;
    bool hasLayout = false;
    double ascent = 0;
    double descent = 0;
    double leading = 0;
    std::vector<double> advances;
    // Pairs of character codes whose distance the font adjusts, in glyph units, sorted by
    // (left, right).
    struct KerningPair {
        std::uint16_t left = 0, right = 0;
        std::int16_t adjustment = 0;
    };
    std::vector<KerningPair> kerning;

    // The glyph of a character code; -1 when the font has none.
    int GlyphOf(std::uint32_t code) const;
    // The adjustment between two characters in glyph units; 0 when the font has none.
    double Kerning(std::uint32_t left, std::uint32_t right) const;
};

// Reads a DefineFont, DefineFont2 or DefineFont3 body; empty for any other tag or a body too
// short for its header. Glyphs whose offsets lie outside the body are left empty.
std::optional<Font> ParseFont(std::uint16_t tagCode, std::span<const std::uint8_t> body);

struct GlyphEntry {
    std::uint32_t index = 0;
    std::int32_t advance = 0;  // twips
};

struct TextRecord {
    std::uint16_t fontId = 0;
    // A font the text was laid out in that no id names (a device font); null: the id's.
    const Font* font = nullptr;
    Rgba color;
    std::int32_t x = 0;  // twips, in the text's own space: where the first glyph stands
    std::int32_t y = 0;
    std::uint16_t height = 0;  // twips
    std::vector<GlyphEntry> glyphs;
};

// Limits against hostile input.
inline constexpr std::size_t kMaxTextRecords = 1 << 16;
inline constexpr std::size_t kMaxTextGlyphs = 1 << 20;

struct StaticText {
    std::uint16_t id = 0;
    Rect bounds;
    Matrix matrix;
    // Each record with the font, colour, height and position in force, offsets carried over
    // from the records before it as the format says.
    std::vector<TextRecord> records;
    // Filled rectangles drawn with the glyphs: the underlines of text fields.
    struct Underline {
        Rect box;
        Rgba color;
    };
    std::vector<Underline> underlines;
    // The text reaches past `bounds` and is shown cut at them (text fields).
    bool clipped = false;
};

// Reads a DefineText or DefineText2 body; empty for any other tag or a body too short for its
// header. Records after a cut are dropped.
std::optional<StaticText> ParseText(std::uint16_t tagCode, std::span<const std::uint8_t> body);

}  // namespace flash::render
