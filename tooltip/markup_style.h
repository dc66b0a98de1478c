// The tooltip mark-up's styles: the text style that tags and declarations change, lengths,
// colours (numbers, the named and the system colours), the style sheet and the properties it
// may set. No <windows.h>: the system colours and the font metrics a length needs come in
// through the callers.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tooltip/colour.h"
#include "tooltip/markup_text.h"
#include "tooltip/pixel_effects.h"

namespace tooltip {

enum class HAlign { Left = 0, Center = 1, Right = 2, Justify = 3 };
enum class VAlign { Baseline, Top, Center, Bottom };
enum class TextTransform { None, Upper, Lower, Capitalize };

// Lengths are kept within this many pixels, so sums of many of them stay far from overflow.
constexpr int kMaxLength = 16384;

struct TextStyle {
    int fontHeight = 13;  // pixels
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool overline = false;
    std::string face;
    Colour textColour = 0;
    bool opaqueBackground = false;
    Colour backgroundColour = Rgb(255, 255, 255);
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Baseline;
    TextTransform transform = TextTransform::None;
    int borderStyle = linestyle::kNone;  // none, solid, dashed, dotted or double
    int borderWidth = 0;
    Colour borderLight = Rgb(255, 255, 255);
    Colour borderDark = Rgb(128, 128, 128);
    int margin = 0;
    int padding = 0;
    bool link = false;

    // The fields that choose the font.
    bool SameFont(const TextStyle& o) const {
        return fontHeight == o.fontHeight && weight == o.weight && italic == o.italic &&
               underline == o.underline && strikeout == o.strikeout && face == o.face;
    }
};

// What style changes need from outside: the display's dots per inch, the height of the
// letter "x" in a style's font, and the system colours.
class StyleEnvironment {
public:
    virtual ~StyleEnvironment() = default;
    virtual int Dpi() = 0;
    virtual int XHeight(const TextStyle& style) = 0;
};

// Windows' MulDiv: a x b / c rounded half away from zero; -1 when c is 0 or the result does
// not fit.
int MulDiv(int a, int b, int c);

// The number at the start of text: decimal, or hexadecimal after "0x"; 0 when there is none.
// Values are limited to 0 ... 0x7FFFFFFF.
int LeadingNumber(std::string_view text);
// The same for a handle given as a number: the whole unsigned 64-bit value (GDI handles above
// 0x7FFFFFFF are common), with overlong numbers giving 0, no handle, rather than another one.
std::uint64_t LeadingHandle(std::string_view text);

// A length against the current value (see the language's length units); the result is
// limited to 0 ... kMaxLength. fontSize applies the classic sizes 1 to 7 to bare numbers.
int ParseLength(std::string_view value, int current, int fontHeight, int xHeight, int dpi,
                bool fontSize = false);

struct NamedColour {
    std::string_view name;
    Colour colour;
};
// The 140 named colours (Netscape's list: the grey variants spelt "gray" except
// "lightgrey"), with "darkseagreen" as #8FBC8B.
std::span<const NamedColour> NamedColours();
struct SystemColourName {
    std::string_view name;
    int index;  // COLOR_ value
};
std::span<const SystemColourName> SystemColourNames();

// Colour names to colours: the named colours and the system colours, the latter read once,
// when the table is built.
class ColourTable {
public:
    using SystemColours = std::function<Colour(int index)>;
    explicit ColourTable(const SystemColours& systemColours);
    std::optional<Colour> Find(std::string_view name) const;
    Colour System(int index) const;

private:
    std::vector<Colour> system_;  // by the index of SystemColourNames()
    std::map<int, Colour> byIndex_;
};

// "#rrggbb", a number (a Windows colour value) or a name looked up exactly; empty for
// anything else ("#f90" included).
std::optional<Colour> ParseColour(std::string_view value, const ColourTable& table);

// The style sheet: selectors (lower case) to declaration texts.
class StyleSheet {
public:
    // The default sheet, exactly as shipped (lines ended by CR LF).
    static std::string_view DefaultText();

    StyleSheet();  // the default sheet
    // Replaces the rules with those of text. A second rule for a selector extends the first
    // (its declarations apply after the first one's).
    void SetText(std::string_view text);
    // The declarations of a selector; empty when it has no rule.
    std::optional<std::string_view> Find(std::string_view selector) const;

private:
    std::map<std::string, std::string, std::less<>> rules_;
};

// Everything a change of style needs.
struct StyleRules {
    const ColourTable* colours = nullptr;
    StyleEnvironment* environment = nullptr;
    bool enabled = true;
    Colour disabledColour = 0;

    // A colour given in mark-up, or the disabled colour for any valid one when not enabled.
    std::optional<Colour> ColourOf(std::string_view value) const;
    int Length(std::string_view value, int current, const TextStyle& style,
               bool fontSize = false) const;
};

// Applies a declaration text ("color:red; font-size:10pt") to the style; the text is read in
// lower case. Unknown properties and keywords change nothing.
void ApplyDeclarations(TextStyle& style, std::string_view declarations, const StyleRules& rules);
void ApplyProperty(TextStyle& style, std::string_view property, std::string_view value,
                   const StyleRules& rules);

// The attributes of a "font" tag.
void ApplyFontAttributes(TextStyle& style, const std::vector<Attribute>& attributes,
                         const StyleRules& rules);

// The border settings' rule: width 0 means no border; any border other than none is at least
// 1 pixel wide.
void SetBorderWidth(TextStyle& style, int width);
void SetBorderStyle(TextStyle& style, int lineStyle);
// "none", "solid", "dashed", "dotted", "double" (empty means none); empty for another word.
std::optional<int> BorderStyleFromName(std::string_view name);

// The run as the style's text transform shows it (ASCII letters only; the bytes of double-
// byte characters are kept).
std::string TransformText(std::string_view text, TextTransform transform);

}  // namespace tooltip
