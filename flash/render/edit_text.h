// Text fields (DefineEditText) shown with their initial text in embedded fonts: the field's
// box, font, colour, alignment, margins, indent and leading; word wrap and multiline; the
// password mask; border and background; and, for HTML fields, the mark-up Flash text fields
// accept: <p align>, <font color face size>, <b>, <i>, <u>, <br> and the character entities.
//
// The layout is the one Flash Player uses for its fields: a gutter of 2 pixels inside the
// box, the first baseline one ascent below it, each line as high as its tallest run's
// ascent, descent and the leading. The result is a StaticText, drawn like any other text.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "flash/render/device_font.h"
#include "flash/render/font_text.h"

namespace flash::render {

inline constexpr std::uint16_t kDefineEditText = 37;

enum class TextAlign : std::uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct EditText {
    std::uint16_t id = 0;
    Rect bounds;
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool html = false;
    bool border = false;
    bool useOutlines = false;  // embedded glyphs; off: the system's fonts
    bool autoSize = false;
    std::uint16_t fontId = 0;    // 0: none
    std::uint16_t height = 240;  // twips
    Rgba color{0, 0, 0, 255};
    TextAlign align = TextAlign::Left;
    std::uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
    std::int16_t leading = 0;
    std::string variable;
    std::string text;  // the initial text as stored
};

// Reads a DefineEditText body; empty when too short for its header. Strings cut short end
// where the body ends.
std::optional<EditText> ParseEditText(std::span<const std::uint8_t> body);

// Finds an embedded font by id, or by name and style (id 0 then).
using FontFinder =
    std::function<const Font*(std::uint16_t id, const std::string& name, bool bold, bool italic)>;

// The face a field without a font is shown in.
inline constexpr const char* kDefaultDeviceFace = "_serif";

// Whether the field shows its text in the system's fonts: it does not use its embedded
// outlines, or its font has none.
bool UsesDeviceFonts(const EditText& field, const FontFinder& fonts);

// Lays the field's text out into glyph records in the field's own space. `utf8` tells how the
// text is stored (SWF 6 and later); before that each byte is a character. Characters the
// font lacks are skipped. A field that uses device fonts takes them from `device`; without
// one it shows what its embedded font holds. An auto-sized field's result has the bounds it
// grew or shrank to; text reaching past a fixed box is marked to be clipped to it.
StaticText LayoutEditText(const EditText& field, const FontFinder& fonts, bool utf8,
                          DeviceFonts* device = nullptr);

}  // namespace flash::render
