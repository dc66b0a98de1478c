#include "flash/render/edit_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/ansi_text.h"

namespace flash::render {

namespace {

constexpr double kGutter = 40;  // 2 pixels inside the box, in twips
constexpr std::size_t kMaxFieldChars = 1 << 16;

struct Reader {
    std::span<const std::uint8_t> d;
    std::size_t pos = 0;
    bool failed = false;
    std::uint8_t U8() { return pos < d.size() ? d[pos++] : (failed = true, 0); }
    std::uint16_t U16() {
        const std::uint16_t lo = U8();
        return static_cast<std::uint16_t>(lo | U8() << 8);
    }
    std::string String() {
        std::string s;
        while (pos < d.size() && d[pos] != 0) s.push_back(static_cast<char>(d[pos++]));
        if (pos < d.size()) ++pos;
        return s;
    }
};

// Characters of the stored text: UTF-8 from SWF 6 on, bytes before.
std::u32string Decode(const std::string& s, bool utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size() && out.size() < kMaxFieldChars;) {
        const auto b = static_cast<std::uint8_t>(s[i]);
        if (!utf8 || b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t c = b & (0x3F >> extra);
        std::size_t j = i + 1;
        for (int k = 0; k < extra && j < s.size() && (s[j] & 0xC0) == 0x80; ++k, ++j)
            c = c << 6 | (s[j] & 0x3F);
        out.push_back(extra == 0 ? 0xFFFD : c);
        i = j;
    }
    return out;
}

struct Format {
    const Font* font = nullptr;
    std::string face;
    double height = 240;
    Rgba color;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool kerning = false;
    double letterSpacing = 0;  // twips after each character

    // Formats that draw alike share one run.
    bool SameRun(const Format& o) const {
        return font == o.font && height == o.height && color == o.color &&
               underline == o.underline && kerning == o.kerning && letterSpacing == o.letterSpacing;
    }
};

struct Run {
    std::u32string text;
    Format format;
};

struct Paragraph {
    TextAlign align = TextAlign::Left;
    std::vector<Run> runs;
};

class Builder {
public:
    std::vector<Paragraph> paragraphs{Paragraph{}};

    void Add(char32_t c, const Format& f) {
        std::vector<Run>& runs = paragraphs.back().runs;
        if (runs.empty() || !runs.back().format.SameRun(f)) {
            runs.push_back(Run{{}, f});
        }
        runs.back().text.push_back(c);
    }
    void Break(TextAlign align) {
        paragraphs.push_back(Paragraph{});
        paragraphs.back().align = align;
    }
};

std::string Attribute(const std::string& tag, const char* name) {
    std::string lower = tag;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    const std::string key = std::string(name) + "=";
    std::size_t at = lower.find(key);
    while (at != std::string::npos && at > 0 &&
           !std::isspace(static_cast<unsigned char>(lower[at - 1])))
        at = lower.find(key, at + 1);
    if (at == std::string::npos) return {};
    std::size_t v = at + key.size();
    if (v >= tag.size()) return {};
    const char quote = tag[v];
    if (quote == '"' || quote == '\'') {
        const std::size_t end = tag.find(quote, v + 1);
        return tag.substr(v + 1, end == std::string::npos ? std::string::npos : end - v - 1);
    }
    std::size_t end = v;
    while (end < tag.size() && !std::isspace(static_cast<unsigned char>(tag[end]))) ++end;
    return tag.substr(v, end - v);
}

TextAlign AlignOf(const std::string& v, TextAlign fallback) {
    if (base::EqualsNoCase(v, "left")) return TextAlign::Left;
    if (base::EqualsNoCase(v, "right")) return TextAlign::Right;
    if (base::EqualsNoCase(v, "center")) return TextAlign::Center;
    if (base::EqualsNoCase(v, "justify")) return TextAlign::Justify;
    return fallback;
}

char32_t Entity(const std::u32string& name) {
    if (name == U"lt") return '<';
    if (name == U"gt") return '>';
    if (name == U"amp") return '&';
    if (name == U"quot") return '"';
    if (name == U"apos") return '\'';
    if (name == U"nbsp") return 0xA0;
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        std::string digits(name.begin() + (hex ? 2 : 1), name.end());
        char* end = nullptr;
        const unsigned long v = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (!digits.empty() && end != nullptr && *end == 0 && v > 0 && v < 0x110000)
            return static_cast<char32_t>(v);
    }
    return 0;
}

// The field's text as paragraphs of formatted runs.
std::vector<Paragraph> Paragraphs(const EditText& field, const FontFinder& fonts, bool utf8,
                                  DeviceFonts* device) {
    Builder b;
    Format base;
    const Font* own = fonts(field.fontId, {}, false, false);
    if (own != nullptr) {
        base.face = own->name;
        base.bold = own->bold;
        base.italic = own->italic;
    }
    // Mark-up says the style of every run itself: a run outside <b> and <i> is upright and
    // regular whatever the field's own font is.
    if (field.html) base.bold = base.italic = false;
    if (device != nullptr) {
        if (base.face.empty()) base.face = kDefaultDeviceFace;
        base.font = device->Face(base.face, base.bold, base.italic);
    } else {
        base.font = own;
    }
    base.height = field.height;
    base.color = field.color;
    // The field's own font serves every run that names it; others are found by name.
    auto refont = [&](Format& f) {
        if (device != nullptr) return void(f.font = device->Face(f.face, f.bold, f.italic));
        for (const Font* known : {f.font, base.font}) {
            if (known != nullptr && base::EqualsNoCase(known->name, f.face) &&
                known->bold == f.bold && known->italic == f.italic)
                return void(f.font = known);
        }
        if (const Font* found = fonts(0, f.face, f.bold, f.italic)) f.font = found;
    };
    // In mark-up the field's font gives the face; the style is the mark-up's own.
    if (field.html) refont(base);
    b.paragraphs.back().align = field.align;
    const std::u32string text = Decode(field.text, utf8);
    const bool breaks = field.multiline;
    if (!field.html) {
        for (char32_t c : text) {
            if (c == '\r' || c == '\n') {
                if (breaks) b.Break(field.align);
                continue;
            }
            b.Add(field.password ? U'*' : c, base);
        }
        return b.paragraphs;
    }
    std::vector<Format> stack{base};
    TextAlign align = field.align;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c == '<') {
            const std::size_t end = text.find('>', i);
            if (end == std::u32string::npos) break;
            std::string tag;
            for (std::size_t k = i + 1; k < end; ++k)
                tag.push_back(text[k] < 0x80 ? static_cast<char>(text[k]) : '?');
            i = end;
            const bool closing = !tag.empty() && tag[0] == '/';
            std::string name =
                tag.substr(closing ? 1 : 0, tag.find_first_of(" \t\r\n/", 1) - (closing ? 1 : 0));
            for (char& ch : name)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (name == "br") {
                if (breaks) b.Break(align);
            } else if (name == "p") {
                if (closing) {
                    if (breaks) b.Break(field.align);
                    align = field.align;
                } else {
                    align = AlignOf(Attribute(tag, "align"), align);
                    b.paragraphs.back().align = align;
                }
            } else if (name == "font" || name == "b" || name == "i" || name == "u") {
                if (closing) {
                    if (stack.size() > 1) stack.pop_back();
                    continue;
                }
                if (stack.size() >= 64) continue;
                Format f = stack.back();
                if (name == "b") f.bold = true;
                if (name == "i") f.italic = true;
                if (name == "u") f.underline = true;
                if (name == "font") {
                    const std::string spacing = Attribute(tag, "letterspacing");
                    if (!spacing.empty())
                        f.letterSpacing =
                            std::clamp(std::atof(spacing.c_str()), -100.0, 1000.0) * 20;
                    const std::string kerning = Attribute(tag, "kerning");
                    if (!kerning.empty()) f.kerning = std::atoi(kerning.c_str()) != 0;
                    const std::string color = Attribute(tag, "color");
                    if (color.size() == 7 && color[0] == '#') {
                        const unsigned long v = std::strtoul(color.c_str() + 1, nullptr, 16);
                        f.color = {static_cast<std::uint8_t>(v >> 16),
                                   static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v),
                                   f.color.a};
                    }
                    const std::string size = Attribute(tag, "size");
                    if (!size.empty()) {
                        const double v = std::atof(size.c_str()) * 20;
                        const double h = size[0] == '+' || size[0] == '-' ? f.height + v : v;
                        f.height = std::clamp(h, 0.0, 127 * 20.0);
                    }
                    const std::string face = Attribute(tag, "face");
                    if (!face.empty()) f.face = face;
                }
                refont(f);
                stack.push_back(f);
            }
            continue;
        }
        if (c == '&') {
            const std::size_t end = text.find(';', i);
            if (end != std::u32string::npos && end - i <= 10) {
                if (const char32_t e = Entity(text.substr(i + 1, end - i - 1))) {
                    b.Add(field.password ? U'*' : e, stack.back());
                    i = end;
                    continue;
                }
            }
        }
        if (c == '\r' || c == '\n') continue;
        b.Add(field.password ? U'*' : c, stack.back());
    }
    return b.paragraphs;
}

double Scale(const Format& f) {
    return f.font != nullptr && f.font->emSquare > 0 ? f.height / f.font->emSquare : 0;
}

// A glyph's advance in twips; 0 for a character the font lacks (glyph -1).
double Advance(const Format& f, int glyph) {
    if (f.font == nullptr || glyph < 0) return 0;
    const Font& font = *f.font;
    if (font.hasLayout && static_cast<std::size_t>(glyph) < font.advances.size())
        return font.advances[glyph] * Scale(f);
    const Rect& e = font.glyphs[glyph].extent;
    return (e.xMax - std::min(e.xMin, 0)) * Scale(f);
}

// Flash Player draws a field's glyphs in white and tints them with the text's colour as a
// colour transform: each channel becomes an 8.8 multiplier (c * 256 / 255, cut down) of white.
// 0 and 255 stay as they are; every channel between comes out one lower.
Rgba Ink(Rgba c) {
    auto tint = [](std::uint8_t v) {
        return static_cast<std::uint8_t>(255 * (v * 256 / 255) >> 8);
    };
    return {tint(c.r), tint(c.g), tint(c.b), c.a};
}

struct Placed {
    const Run* run;
    std::size_t index;  // into run->text
    int glyph;
    double advance;
};

}  // namespace

std::optional<EditText> ParseEditText(std::span<const std::uint8_t> body) {
    Reader in{body};
    EditText f;
    f.id = in.U16();
    if (body.size() < 3) return std::nullopt;
    // The bounds: a RECT of bit fields.
    {
        const std::size_t start = in.pos;
        const unsigned n = body[start] >> 3;
        const std::size_t bits = 5 + 4 * n;
        const std::size_t bytes = (bits + 7) / 8;
        if (start + bytes > body.size()) return std::nullopt;
        std::size_t bit = start * 8 + 5;
        auto field = [&]() {
            std::uint32_t v = 0;
            for (unsigned k = 0; k < n; ++k, ++bit)
                v = v << 1 | (body[bit / 8] >> (7 - bit % 8) & 1);
            if (n > 0 && n < 32 && (v >> (n - 1) & 1)) v |= ~0u << n;
            return static_cast<std::int32_t>(v);
        };
        f.bounds.xMin = field();
        f.bounds.xMax = field();
        f.bounds.yMin = field();
        f.bounds.yMax = field();
        in.pos = start + bytes;
    }
    const std::uint8_t a = in.U8(), b = in.U8();
    if (in.failed) return std::nullopt;
    f.wordWrap = a & 0x40;
    f.multiline = a & 0x20;
    f.password = a & 0x10;
    f.autoSize = b & 0x40;
    f.border = b & 0x08;
    f.html = b & 0x02;
    f.useOutlines = b & 0x01;
    if (a & 0x01) f.fontId = in.U16();
    if (b & 0x80) in.String();  // font class: fonts by class name are not embedded ones
    if (a & 0x01) f.height = in.U16();
    if (a & 0x04) {
        f.color.r = in.U8();
        f.color.g = in.U8();
        f.color.b = in.U8();
        f.color.a = in.U8();
    }
    if (a & 0x02) in.U16();  // the longest text the user may type
    if (b & 0x20) {
        const std::uint8_t align = in.U8();
        f.align = align <= 3 ? static_cast<TextAlign>(align) : TextAlign::Left;
        f.leftMargin = in.U16();
        f.rightMargin = in.U16();
        f.indent = in.U16();
        f.leading = static_cast<std::int16_t>(in.U16());
    }
    if (in.failed) return f;
    f.variable = in.String();
    if (a & 0x80) f.text = in.String();
    return f;
}

bool UsesDeviceFonts(const EditText& field, const FontFinder& fonts) {
    if (!field.useOutlines) return true;
    const Font* own = fonts(field.fontId, {}, false, false);
    return own == nullptr || own->glyphs.empty();
}

StaticText LayoutEditText(const EditText& field, const FontFinder& fonts, bool utf8,
                          DeviceFonts* device) {
    StaticText out;
    out.id = field.id;
    out.bounds = field.bounds;
    if (device != nullptr && !UsesDeviceFonts(field, fonts)) device = nullptr;
    const std::vector<Paragraph> paragraphs = Paragraphs(field, fonts, utf8, device);
    // Lines wrap, and are aligned, between the gutters on both sides.
    const double left = field.bounds.xMin + kGutter + field.leftMargin;
    const double width = std::max(
        0.0, field.bounds.WidthTwips() - 2 * kGutter - field.leftMargin - field.rightMargin);
    double top = field.bounds.yMin + kGutter;
    // A single-line field never wraps.
    const bool wraps = field.wordWrap && field.multiline;
    // An auto-sized field that does not wrap grows to its longest line.
    const bool growsWide = field.autoSize && !wraps;
    double widest = 0;
    std::vector<Placed> line;
    const std::size_t firstRecord = out.records.size();
    for (const Paragraph& p : paragraphs) {
        // The paragraph's characters with their glyphs and advances.
        std::vector<Placed> chars;
        for (const Run& r : p.runs) {
            const Format& f = r.format;
            for (std::size_t i = 0; i < r.text.size(); ++i) {
                const int g = f.font == nullptr   ? -1
                              : device != nullptr ? device->Glyph(*f.font, r.text[i])
                                                  : f.font->GlyphOf(r.text[i]);
                double advance = Advance(f, g);
                if (f.kerning && g >= 0 && i + 1 < r.text.size())
                    advance += f.font->Kerning(r.text[i], r.text[i + 1]) * Scale(f);
                // Positions are whole twips, each advance cut down to one.
                advance = std::floor(advance);
                if (g >= 0) advance += f.letterSpacing;
                chars.push_back({&r, i, g, advance});
            }
        }
        std::size_t next = 0;
        bool firstLine = true;
        do {
            // One line: as many whole words as fit (at least one character).
            const double indent = firstLine ? field.indent : 0;
            double used = 0;
            std::size_t end = next, lastBreak = next;
            while (end < chars.size()) {
                const double w = chars[end].advance;
                // A space may hang past the edge: it ends the line's last word.
                const bool space = chars[end].run->text[chars[end].index] == ' ';
                if (wraps && end > next && !space && used + w > width - indent) break;
                used += w;
                if (space) lastBreak = end + 1;
                ++end;
            }
            if (end < chars.size() && lastBreak > next) end = lastBreak;
            line.assign(chars.begin() + static_cast<std::ptrdiff_t>(next),
                        chars.begin() + static_cast<std::ptrdiff_t>(end));
            // Trailing spaces take no room in the alignment.
            double lineWidth = 0;
            for (const Placed& c : line) lineWidth += c.advance;
            for (std::size_t k = line.size(); k-- > 0 && line[k].run->text[line[k].index] == ' ';)
                lineWidth -= line[k].advance;
            widest = std::max(widest, lineWidth + indent);
            double ascent = 0, descent = 0;
            for (const Placed& c : line) {
                const Font* font = c.run->format.font;
                if (font == nullptr) continue;
                ascent = std::max(ascent, font->ascent * Scale(c.run->format));
                descent = std::max(descent, font->descent * Scale(c.run->format));
            }
            if (line.empty()) {
                // An empty line is as high as the field's own font makes it.
                const Font* font = device != nullptr && !p.runs.empty()
                                       ? p.runs.front().format.font
                                       : fonts(field.fontId, {}, false, false);
                if (font != nullptr) {
                    const double s = font->emSquare > 0 ? field.height / font->emSquare : 0;
                    ascent = font->ascent * s;
                    descent = font->descent * s;
                }
            }
            double x = left + indent;
            const double room = growsWide ? 0 : width - indent - lineWidth;
            if (p.align == TextAlign::Right) x += std::max(room, 0.0);
            if (p.align == TextAlign::Center) x += std::max(room, 0.0) / 2;
            // Positions are whole twips, cut down: a centred line's half twip too.
            x = std::floor(x);
            const double baseline = std::floor(top + ascent);
            const Run* current = nullptr;
            double underlineFrom = 0;
            auto endUnderline = [&](double to) {
                if (current == nullptr || !current->format.underline || to <= underlineFrom) return;
                // One pixel thick, a pixel under the baseline, as wide as the run's glyphs.
                const auto y = static_cast<std::int32_t>(std::lround(baseline + 20));
                out.underlines.push_back(
                    {Rect{static_cast<std::int32_t>(std::lround(underlineFrom)),
                          static_cast<std::int32_t>(std::lround(to)), y, y + 20},
                     Ink(current->format.color)});
            };
            for (const Placed& c : line) {
                if (c.run != current) {
                    endUnderline(x);
                    current = c.run;
                    underlineFrom = x;
                    TextRecord r;
                    r.fontId = c.run->format.font != nullptr ? c.run->format.font->id : 0;
                    r.font = c.run->format.font;
                    r.color = Ink(c.run->format.color);
                    r.height = static_cast<std::uint16_t>(c.run->format.height);
                    r.x = static_cast<std::int32_t>(std::lround(x));
                    r.y = static_cast<std::int32_t>(std::lround(baseline));
                    out.records.push_back(std::move(r));
                }
                if (c.glyph >= 0) {
                    const double after = x + c.advance;
                    out.records.back().glyphs.push_back(
                        {static_cast<std::uint32_t>(c.glyph),
                         static_cast<std::int32_t>(std::lround(after) - std::lround(x))});
                }
                x += c.advance;
            }
            endUnderline(x);
            top += ascent + descent + field.leading;
            next = end;
            firstLine = false;
        } while (next < chars.size() && field.multiline);
        if (!field.multiline) break;
    }
    // The text's height without the leading after its last line.
    const double bottom = top - field.leading + kGutter;
    if (field.autoSize) {
        // The box keeps its top; it grows or shrinks to the text's height, and without
        // wrapping to its width too, from the side its alignment holds still.
        Rect& b = out.bounds;
        b.yMax = static_cast<std::int32_t>(std::lround(bottom));
        if (growsWide) {
            const double wide = widest + 2 * kGutter + field.leftMargin + field.rightMargin;
            const double grow = wide - field.bounds.WidthTwips();
            const double shift = field.align == TextAlign::Right    ? grow
                                 : field.align == TextAlign::Center ? grow / 2
                                                                    : 0;
            b.xMin = static_cast<std::int32_t>(std::lround(field.bounds.xMin - shift));
            b.xMax = static_cast<std::int32_t>(std::lround(field.bounds.xMax + grow - shift));
            for (std::size_t k = firstRecord; k < out.records.size(); ++k)
                out.records[k].x -= static_cast<std::int32_t>(std::lround(shift));
            for (StaticText::Underline& u : out.underlines) {
                u.box.xMin -= static_cast<std::int32_t>(std::lround(shift));
                u.box.xMax -= static_cast<std::int32_t>(std::lround(shift));
            }
        }
    } else {
        // Text past the box's bottom or its right side is cut at the box.
        out.clipped = bottom > field.bounds.yMax + 1 ||
                      widest > width + kGutter + field.leftMargin + field.rightMargin + 1;
    }
    return out;
}

}  // namespace flash::render
