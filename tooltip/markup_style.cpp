#include "tooltip/markup_style.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>

#include "base/ansi_text.h"

namespace tooltip {

namespace {

constexpr Colour Hex(std::uint32_t rrggbb) {
    return Rgb(static_cast<int>(rrggbb >> 16), static_cast<int>((rrggbb >> 8) & 0xFF),
               static_cast<int>(rrggbb & 0xFF));
}

constexpr std::array<NamedColour, 140> kNamedColours = {{
    {"aliceblue", Hex(0xF0F8FF)},
    {"antiquewhite", Hex(0xFAEBD7)},
    {"aqua", Hex(0x00FFFF)},
    {"aquamarine", Hex(0x7FFFD4)},
    {"azure", Hex(0xF0FFFF)},
    {"beige", Hex(0xF5F5DC)},
    {"bisque", Hex(0xFFE4C4)},
    {"black", Hex(0x000000)},
    {"blanchedalmond", Hex(0xFFEBCD)},
    {"blue", Hex(0x0000FF)},
    {"blueviolet", Hex(0x8A2BE2)},
    {"brown", Hex(0xA52A2A)},
    {"burlywood", Hex(0xDEB887)},
    {"cadetblue", Hex(0x5F9EA0)},
    {"chartreuse", Hex(0x7FFF00)},
    {"chocolate", Hex(0xD2691E)},
    {"coral", Hex(0xFF7F50)},
    {"cornflowerblue", Hex(0x6495ED)},
    {"cornsilk", Hex(0xFFF8DC)},
    {"crimson", Hex(0xDC143C)},
    {"cyan", Hex(0x00FFFF)},
    {"darkblue", Hex(0x00008B)},
    {"darkcyan", Hex(0x008B8B)},
    {"darkgoldenrod", Hex(0xB8860B)},
    {"darkgray", Hex(0xA9A9A9)},
    {"darkgreen", Hex(0x006400)},
    {"darkkhaki", Hex(0xBDB76B)},
    {"darkmagenta", Hex(0x8B008B)},
    {"darkolivegreen", Hex(0x556B2F)},
    {"darkorange", Hex(0xFF8C00)},
    {"darkorchid", Hex(0x9932CC)},
    {"darkred", Hex(0x8B0000)},
    {"darksalmon", Hex(0xE9967A)},
    {"darkseagreen", Hex(0x8FBC8B)},
    {"darkslateblue", Hex(0x483D8B)},
    {"darkslategray", Hex(0x2F4F4F)},
    {"darkturquoise", Hex(0x00CED1)},
    {"darkviolet", Hex(0x9400D3)},
    {"deeppink", Hex(0xFF1493)},
    {"deepskyblue", Hex(0x00BFFF)},
    {"dimgray", Hex(0x696969)},
    {"dodgerblue", Hex(0x1E90FF)},
    {"firebrick", Hex(0xB22222)},
    {"floralwhite", Hex(0xFFFAF0)},
    {"forestgreen", Hex(0x228B22)},
    {"fuchsia", Hex(0xFF00FF)},
    {"gainsboro", Hex(0xDCDCDC)},
    {"ghostwhite", Hex(0xF8F8FF)},
    {"gold", Hex(0xFFD700)},
    {"goldenrod", Hex(0xDAA520)},
    {"gray", Hex(0x808080)},
    {"green", Hex(0x008000)},
    {"greenyellow", Hex(0xADFF2F)},
    {"honeydew", Hex(0xF0FFF0)},
    {"hotpink", Hex(0xFF69B4)},
    {"indianred", Hex(0xCD5C5C)},
    {"indigo", Hex(0x4B0082)},
    {"ivory", Hex(0xFFFFF0)},
    {"khaki", Hex(0xF0E68C)},
    {"lavender", Hex(0xE6E6FA)},
    {"lavenderblush", Hex(0xFFF0F5)},
    {"lawngreen", Hex(0x7CFC00)},
    {"lemonchiffon", Hex(0xFFFACD)},
    {"lightblue", Hex(0xADD8E6)},
    {"lightcoral", Hex(0xF08080)},
    {"lightcyan", Hex(0xE0FFFF)},
    {"lightgoldenrodyellow", Hex(0xFAFAD2)},
    {"lightgreen", Hex(0x90EE90)},
    {"lightgrey", Hex(0xD3D3D3)},
    {"lightpink", Hex(0xFFB6C1)},
    {"lightsalmon", Hex(0xFFA07A)},
    {"lightseagreen", Hex(0x20B2AA)},
    {"lightskyblue", Hex(0x87CEFA)},
    {"lightslategray", Hex(0x778899)},
    {"lightsteelblue", Hex(0xB0C4DE)},
    {"lightyellow", Hex(0xFFFFE0)},
    {"lime", Hex(0x00FF00)},
    {"limegreen", Hex(0x32CD32)},
    {"linen", Hex(0xFAF0E6)},
    {"magenta", Hex(0xFF00FF)},
    {"maroon", Hex(0x800000)},
    {"mediumaquamarine", Hex(0x66CDAA)},
    {"mediumblue", Hex(0x0000CD)},
    {"mediumorchid", Hex(0xBA55D3)},
    {"mediumpurple", Hex(0x9370DB)},
    {"mediumseagreen", Hex(0x3CB371)},
    {"mediumslateblue", Hex(0x7B68EE)},
    {"mediumspringgreen", Hex(0x00FA9A)},
    {"mediumturquoise", Hex(0x48D1CC)},
    {"mediumvioletred", Hex(0xC71585)},
    {"midnightblue", Hex(0x191970)},
    {"mintcream", Hex(0xF5FFFA)},
    {"mistyrose", Hex(0xFFE4E1)},
    {"moccasin", Hex(0xFFE4B5)},
    {"navajowhite", Hex(0xFFDEAD)},
    {"navy", Hex(0x000080)},
    {"oldlace", Hex(0xFDF5E6)},
    {"olive", Hex(0x808000)},
    {"olivedrab", Hex(0x6B8E23)},
    {"orange", Hex(0xFFA500)},
    {"orangered", Hex(0xFF4500)},
    {"orchid", Hex(0xDA70D6)},
    {"palegoldenrod", Hex(0xEEE8AA)},
    {"palegreen", Hex(0x98FB98)},
    {"paleturquoise", Hex(0xAFEEEE)},
    {"palevioletred", Hex(0xDB7093)},
    {"papayawhip", Hex(0xFFEFD5)},
    {"peachpuff", Hex(0xFFDAB9)},
    {"peru", Hex(0xCD853F)},
    {"pink", Hex(0xFFC0CB)},
    {"plum", Hex(0xDDA0DD)},
    {"powderblue", Hex(0xB0E0E6)},
    {"purple", Hex(0x800080)},
    {"red", Hex(0xFF0000)},
    {"rosybrown", Hex(0xBC8F8F)},
    {"royalblue", Hex(0x4169E1)},
    {"saddlebrown", Hex(0x8B4513)},
    {"salmon", Hex(0xFA8072)},
    {"sandybrown", Hex(0xF4A460)},
    {"seagreen", Hex(0x2E8B57)},
    {"seashell", Hex(0xFFF5EE)},
    {"sienna", Hex(0xA0522D)},
    {"silver", Hex(0xC0C0C0)},
    {"skyblue", Hex(0x87CEEB)},
    {"slateblue", Hex(0x6A5ACD)},
    {"slategray", Hex(0x708090)},
    {"snow", Hex(0xFFFAFA)},
    {"springgreen", Hex(0x00FF7F)},
    {"steelblue", Hex(0x4682B4)},
    {"tan", Hex(0xD2B48C)},
    {"teal", Hex(0x008080)},
    {"thistle", Hex(0xD8BFD8)},
    {"tomato", Hex(0xFF6347)},
    {"turquoise", Hex(0x40E0D0)},
    {"violet", Hex(0xEE82EE)},
    {"wheat", Hex(0xF5DEB3)},
    {"white", Hex(0xFFFFFF)},
    {"whitesmoke", Hex(0xF5F5F5)},
    {"yellow", Hex(0xFFFF00)},
    {"yellowgreen", Hex(0x9ACD32)},
}};

constexpr std::array<SystemColourName, 27> kSystemColourNames = {{
    {"activeborder", syscolour::kActiveBorder},
    {"activecaption", syscolour::kActiveCaption},
    {"appworkspace", syscolour::kAppWorkspace},
    {"background", syscolour::kBackground},
    {"buttonface", syscolour::kBtnFace},
    {"buttonhighlight", syscolour::kBtnHighlight},
    {"buttonshadow", syscolour::kBtnShadow},
    {"buttontext", syscolour::kBtnText},
    {"captiontext", syscolour::kCaptionText},
    {"graytext", syscolour::kGrayText},
    {"highlight", syscolour::kHighlight},
    {"highlighttext", syscolour::kHighlightText},
    {"inactiveborder", syscolour::kInactiveBorder},
    {"inactivecaption", syscolour::kInactiveCaption},
    {"inactivecaptiontext", syscolour::kInactiveCaptionText},
    {"infobackground", syscolour::kInfoBk},
    {"infotext", syscolour::kInfoText},
    {"menu", syscolour::kMenu},
    {"menutext", syscolour::kMenuText},
    {"scrollbar", syscolour::kScrollBar},
    {"threeddarkshadow", syscolour::k3dDkShadow},
    {"threedface", syscolour::kBtnFace},
    {"threedhighlight", syscolour::kBtnHighlight},
    {"threedlightshadow", syscolour::k3dLight},
    {"threedshadow", syscolour::kBtnShadow},
    {"window", syscolour::kWindow},
    {"windowtext", syscolour::kWindowText},
}};

constexpr std::string_view kDefaultSheet =
    "body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
    "p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
    "h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
    "pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
    "code {color:#990000; font-family:Arial}\r\n"
    "a:link {text-decoration:none; color:blue}\r\n"
    "a:hover {text-decoration:underline; color:blue}\r\n"
    "sub {font-size:65%; vertical-align:bottom}\r\n"
    "sup {font-size:65%; vertical-align:top}\r\n"
    "big {font-size:125%}\r\n"
    "small {font-size:75%}\r\n"
    ".cpp-comment {color:green; font-style:italic}\r\n";

constexpr int kClassicSizes[] = {8, 10, 12, 14, 18, 24, 36};

inline bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    // Blanks and controls are never trail bytes, but a lead byte right before one would pair
    // with it: trim the end by whole characters.
    return base::TrimEnd(s, " \t\r\n");
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int ClampLength(long long v) {
    return static_cast<int>(std::clamp<long long>(v, 0, kMaxLength));
}

bool IsKeyword(std::string_view value, std::string_view keyword) {
    return value == keyword;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

}  // namespace

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const long long p = static_cast<long long>(a) * b;
    const bool negative = (p < 0) != (c < 0);
    const long long ap = p < 0 ? -p : p;
    const long long ac = c < 0 ? -static_cast<long long>(c) : c;
    const long long q = (ap + ac / 2) / ac;
    if (q > INT_MAX) return -1;
    return negative ? static_cast<int>(-q) : static_cast<int>(q);
}

int LeadingNumber(std::string_view text) {
    long long n = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        for (std::size_t i = 2; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
            n = std::min<long long>(n * 16 + HexDigit(text[i]), INT_MAX);
        }
        return static_cast<int>(n);
    }
    for (std::size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        n = std::min<long long>(n * 10 + (text[i] - '0'), INT_MAX);
    }
    return static_cast<int>(n);
}

std::uint64_t LeadingHandle(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::uint64_t base = hex ? 16 : 10;
    std::uint64_t n = 0;
    for (std::size_t i = hex ? 2 : 0; i < text.size(); ++i) {
        const int digit =
            hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) break;
        if (n > (UINT64_MAX - static_cast<std::uint64_t>(digit)) / base) return 0;
        n = n * base + static_cast<std::uint64_t>(digit);
    }
    return n;
}

int ParseLength(std::string_view value, int current, int fontHeight, int xHeight, int dpi,
                bool fontSize) {
    value = Trim(value);
    if (value.empty()) return current;
    if (value.front() == '+' || value.front() == '-') value.remove_prefix(1);
    if (value.empty()) return current;
    const long long n = LeadingNumber(value);
    if (value.back() == '%') return ClampLength(MulDiv(current, static_cast<int>(n), 100));
    if (fontSize && n >= 1 && n <= 7 && value.find_first_not_of("0123456789") == value.npos) {
        return kClassicSizes[n - 1];
    }
    if (value.size() >= 2) {
        const std::string_view unit = value.substr(value.size() - 2);
        if (unit == "px") return ClampLength(n);
        if (unit == "ex") return ClampLength(n * xHeight);
        if (unit == "em") return ClampLength(n * fontHeight);
        if (unit == "in") return ClampLength(n * dpi);
        if (unit == "cm") return ClampLength(static_cast<long long>(n * dpi * 0.39370078740157477));
        if (unit == "mm") return ClampLength(static_cast<long long>(n * dpi * 0.03937007874015748));
        if (unit == "pt") return ClampLength(MulDiv(static_cast<int>(n), dpi, 72));
        if (unit == "pc") return ClampLength(MulDiv(static_cast<int>(n), dpi, 6));
    }
    return ClampLength(n);
}

std::span<const NamedColour> NamedColours() {
    return kNamedColours;
}

std::span<const SystemColourName> SystemColourNames() {
    return kSystemColourNames;
}

ColourTable::ColourTable(const SystemColours& systemColours) {
    // The named colours are a sorted constant table; only the system colours are read here.
    system_.reserve(kSystemColourNames.size());
    for (const SystemColourName& s : kSystemColourNames) {
        const Colour c = systemColours ? systemColours(s.index) : 0;
        system_.push_back(c);
        byIndex_.emplace(s.index, c);
    }
}

std::optional<Colour> ColourTable::Find(std::string_view name) const {
    const auto named =
        std::lower_bound(kNamedColours.begin(), kNamedColours.end(), name,
                         [](const NamedColour& c, std::string_view n) { return c.name < n; });
    if (named != kNamedColours.end() && named->name == name) return named->colour;
    for (std::size_t i = 0; i < kSystemColourNames.size(); ++i) {
        if (kSystemColourNames[i].name == name) return system_[i];
    }
    return std::nullopt;
}

Colour ColourTable::System(int index) const {
    const auto it = byIndex_.find(index);
    return it == byIndex_.end() ? 0 : it->second;
}

std::optional<Colour> ParseColour(std::string_view value, const ColourTable& table) {
    value = Trim(value);
    if (value.empty()) return std::nullopt;
    if (value.front() == '#') {
        if (value.size() != 7) return std::nullopt;
        int digits[6];
        for (int i = 0; i < 6; ++i) {
            digits[i] = HexDigit(value[i + 1]);
            if (digits[i] < 0) return std::nullopt;
        }
        return Rgb(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3],
                   digits[4] * 16 + digits[5]);
    }
    if (value.front() >= '0' && value.front() <= '9') {
        return static_cast<Colour>(LeadingNumber(value)) & 0xFFFFFFu;
    }
    return table.Find(value);
}

std::string_view StyleSheet::DefaultText() {
    return kDefaultSheet;
}

StyleSheet::StyleSheet() {
    SetText(kDefaultSheet);
}

void StyleSheet::SetText(std::string_view text) {
    rules_.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = base::FindChar(text, '{', pos);
        if (open == std::string_view::npos) break;
        std::size_t close = base::FindChar(text, '}', open + 1);
        const std::size_t end = close == std::string_view::npos ? text.size() : close;
        const std::string_view declarations = text.substr(open + 1, end - open - 1);
        // "h1, h2 {...}" gives both selectors the declarations.
        std::string_view selectors = text.substr(pos, open - pos);
        while (!selectors.empty()) {
            std::size_t comma = base::FindChar(selectors, ',', 0);
            const std::string_view one = Trim(
                selectors.substr(0, comma == std::string_view::npos ? selectors.size() : comma));
            if (!one.empty()) {
                std::string& rule = rules_[base::ToLowerAnsi(one)];
                if (!rule.empty()) rule += ';';
                rule += declarations;
            }
            if (comma == std::string_view::npos) break;
            selectors.remove_prefix(comma + 1);
        }
        pos = close == std::string_view::npos ? text.size() : close + 1;
    }
}

std::optional<std::string_view> StyleSheet::Find(std::string_view selector) const {
    const auto it = rules_.find(selector);
    if (it == rules_.end()) return std::nullopt;
    return std::string_view(it->second);
}

std::optional<Colour> StyleRules::ColourOf(std::string_view value) const {
    if (!colours) return std::nullopt;
    std::optional<Colour> c = ParseColour(value, *colours);
    if (c && !enabled) return disabledColour;
    return c;
}

int StyleRules::Length(std::string_view value, int current, const TextStyle& style,
                       bool fontSize) const {
    // The font metrics are asked for only when the unit needs them.
    const std::string_view v = Trim(value);
    const bool ex = v.size() >= 2 && v.substr(v.size() - 2) == "ex";
    const int xHeight = ex && environment ? environment->XHeight(style) : 0;
    const int dpi = environment ? environment->Dpi() : 96;
    return ParseLength(v, current, style.fontHeight, xHeight, dpi, fontSize);
}

void SetBorderWidth(TextStyle& style, int width) {
    style.borderWidth = std::clamp(width, 0, kMaxLength);
    if (style.borderWidth == 0) {
        style.borderStyle = linestyle::kNone;
    } else if (style.borderStyle == linestyle::kNone) {
        style.borderStyle = linestyle::kSolid;
    }
}

void SetBorderStyle(TextStyle& style, int lineStyle) {
    style.borderStyle = lineStyle;
    if (lineStyle != linestyle::kNone && style.borderWidth == 0) style.borderWidth = 1;
}

std::optional<int> BorderStyleFromName(std::string_view name) {
    if (name.empty() || name == "none") return linestyle::kNone;
    if (name == "solid") return linestyle::kSolid;
    if (name == "dashed") return linestyle::kDashed;
    if (name == "dotted") return linestyle::kDotted;
    if (name == "double") return linestyle::kDouble;
    return std::nullopt;
}

void ApplyProperty(TextStyle& style, std::string_view property, std::string_view value,
                   const StyleRules& rules) {
    value = Trim(value);
    if (property == "font-size") {
        style.fontHeight = rules.Length(value, style.fontHeight, style, true);
    } else if (property == "font-family") {
        const std::string_view face = Trim(Unquote(value));
        if (!face.empty()) style.face.assign(face);
    } else if (property == "font-style") {
        if (value.empty() || IsKeyword(value, "normal")) style.italic = false;
        if (IsKeyword(value, "italic") || IsKeyword(value, "oblique")) style.italic = true;
    } else if (property == "font-weight") {
        if (value.empty() || IsKeyword(value, "normal")) {
            style.weight = 400;
        } else if (IsKeyword(value, "bold")) {
            style.weight = 700;
        } else if (IsKeyword(value, "bolder")) {
            style.weight = 900;
        } else if (IsKeyword(value, "lighter")) {
            style.weight = 100;
        } else if (value.front() >= '0' && value.front() <= '9') {
            style.weight = std::min(LeadingNumber(value), 1000);
        }
    } else if (property == "text-align") {
        if (value.empty() || IsKeyword(value, "left")) style.hAlign = HAlign::Left;
        if (IsKeyword(value, "center")) style.hAlign = HAlign::Center;
        if (IsKeyword(value, "right")) style.hAlign = HAlign::Right;
    } else if (property == "text-transform") {
        if (value.empty() || IsKeyword(value, "none")) style.transform = TextTransform::None;
        if (IsKeyword(value, "uppercase")) style.transform = TextTransform::Upper;
        if (IsKeyword(value, "lowercase")) style.transform = TextTransform::Lower;
        if (IsKeyword(value, "capitalize")) style.transform = TextTransform::Capitalize;
    } else if (property == "color") {
        if (const auto c = rules.ColourOf(value)) style.textColour = *c;
    } else if (property == "background-color") {
        if (IsKeyword(value, "transparent")) {
            style.opaqueBackground = false;
        } else if (const auto c = rules.ColourOf(value)) {
            style.opaqueBackground = true;
            style.backgroundColour = *c;
        }
    } else if (property == "text-decoration") {
        if (value.empty()) {
            style.underline = style.strikeout = style.overline = false;
        }
        std::size_t i = 0;
        while (i < value.size()) {
            while (i < value.size() && (value[i] == ' ' || value[i] == ',')) ++i;
            std::size_t j = i;
            while (j < value.size() && value[j] != ' ' && value[j] != ',') ++j;
            const std::string_view word = value.substr(i, j - i);
            if (word == "none") style.underline = style.strikeout = style.overline = false;
            if (word == "underline") style.underline = true;
            if (word == "line-through") style.strikeout = true;
            if (word == "overline") style.overline = true;
            i = j;
        }
    } else if (property == "vertical-align") {
        if (value.empty() || IsKeyword(value, "baseline")) style.vAlign = VAlign::Baseline;
        if (IsKeyword(value, "middle") || IsKeyword(value, "vcenter")) {
            style.vAlign = VAlign::Center;
        }
        if (IsKeyword(value, "top")) style.vAlign = VAlign::Top;
        if (IsKeyword(value, "bottom")) style.vAlign = VAlign::Bottom;
    } else if (property == "border-color") {
        if (const auto c = rules.ColourOf(value)) style.borderLight = style.borderDark = *c;
    } else if (property == "border-width" || property == "size") {
        if (IsKeyword(value, "thin")) {
            SetBorderWidth(style, MulDiv(style.borderWidth, 75, 100));
        } else if (IsKeyword(value, "medium")) {
            // unchanged
        } else if (IsKeyword(value, "thick")) {
            SetBorderWidth(style, MulDiv(style.borderWidth, 125, 100));
        } else if (!value.empty()) {
            SetBorderWidth(style, rules.Length(value, style.borderWidth, style));
        }
    } else if (property == "border-style") {
        if (const auto s = BorderStyleFromName(value)) SetBorderStyle(style, *s);
    } else if (property == "margin") {
        style.margin = rules.Length(value, style.margin, style);
    } else if (property == "padding") {
        style.padding = rules.Length(value, style.padding, style);
    }
}

void ApplyDeclarations(TextStyle& style, std::string_view declarations, const StyleRules& rules) {
    const std::string lower = base::ToLowerAnsi(declarations);
    std::string_view rest = lower;
    while (!rest.empty()) {
        const std::size_t semi = base::FindChar(rest, ';', 0);
        std::string_view one = rest.substr(0, semi == std::string_view::npos ? rest.size() : semi);
        rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
        one = Trim(one);
        std::size_t nameEnd = 0;
        while (nameEnd < one.size() && one[nameEnd] != ':' && !IsSpace(one[nameEnd])) {
            nameEnd += base::CharLength(one, nameEnd);
        }
        const std::string_view name = one.substr(0, nameEnd);
        std::string_view after = one.substr(nameEnd);
        while (!after.empty() && IsSpace(after.front())) after.remove_prefix(1);
        if (name.empty() || after.empty() || after.front() != ':') continue;
        ApplyProperty(style, name, after.substr(1), rules);
    }
}

void ApplyFontAttributes(TextStyle& style, const std::vector<Attribute>& attributes,
                         const StyleRules& rules) {
    for (const Attribute& a : attributes) {
        if (!a.value) continue;
        const std::string_view v = *a.value;
        if (a.name == "face") {
            if (!Trim(v).empty()) style.face.assign(Trim(v));
        } else if (a.name == "size") {
            style.fontHeight = rules.Length(v, style.fontHeight, style, true);
        } else if (a.name == "color") {
            if (const auto c = rules.ColourOf(v)) style.textColour = *c;
        } else if (a.name == "style") {
            bool set = true;
            for (char c : v) {
                switch (c) {
                    case '-':
                        set = false;
                        continue;
                    case '+':
                        set = true;
                        continue;
                    case 'b':
                        style.weight = set ? 700 : 400;
                        break;
                    case 'i':
                        style.italic = set;
                        break;
                    case 'u':
                        style.underline = set;
                        break;
                    case 's':
                        style.strikeout = set;
                        break;
                    case 'o':
                        style.overline = set;
                        break;
                    default:
                        break;
                }
                set = true;
            }
        } else if (a.name == "weight") {
            ApplyProperty(style, "font-weight", base::ToLowerAnsi(v), rules);
        } else if (a.name == "bkgnd") {
            if (Trim(v) == "transparent") {
                style.opaqueBackground = false;
            } else if (const auto c = rules.ColourOf(v)) {
                style.opaqueBackground = true;
                style.backgroundColour = *c;
            }
        }
    }
}

std::string TransformText(std::string_view text, TextTransform transform) {
    std::string out(text);
    if (transform == TextTransform::None) return out;
    bool startOfWord = true;
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t len = base::CharLength(out, i);
        if (len == 1) {
            char& c = out[i];
            const bool lowerTarget = transform != TextTransform::Upper;
            if (lowerTarget && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (transform == TextTransform::Upper && c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
            if (transform == TextTransform::Capitalize && startOfWord && c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
            startOfWord = c == ' ';
        } else {
            startOfWord = false;
        }
        i += len;
    }
    return out;
}

}  // namespace tooltip
