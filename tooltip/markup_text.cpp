#include "tooltip/markup_text.h"

#include <algorithm>
#include <array>

#include "base/ansi_text.h"

namespace tooltip {

namespace {

constexpr std::array<Entity, 13> kEntities = {{
    {"&amp;", "&"},
    {"&bull;", "\x95"},
    {"&copy;", "\xA9"},
    {"&euro;", "\x88"},
    {"&gt;", ">"},
    {"&iquest;", "\xBF"},
    {"&lt;", "<<"},
    {"&nbsp;", " "},
    {"&para;", "\xB6"},
    {"&pound;", "\xA3"},
    {"&quot;", "\""},
    {"&reg;", "\xAE"},
    {"&trade;", "\x99"},
}};

struct TagEntry {
    std::string_view name;
    TagInfo info;
};

constexpr TagEntry kTags[] = {
    {"b", {tag::kBold, "bold"}},
    {"i", {tag::kItalic, "italic"}},
    {"em", {tag::kItalic, "italic"}},
    {"u", {tag::kUnderline, "underline"}},
    {"s", {tag::kStrikeout, "strikeout"}},
    {"strike", {tag::kStrikeout, "strikeout"}},
    {"font", {tag::kFont, "font"}},
    {"hr", {tag::kRule, ""}},
    {"br", {tag::kBreak, ""}},
    {"t", {tag::kTab, ""}},
    {"left", {tag::kLeft, "left"}},
    {"center", {tag::kCenter, "center"}},
    {"right", {tag::kRight, "right"}},
    {"justify", {tag::kJustify, "justify"}},
    {"baseline", {tag::kBaseline, "baseline"}},
    {"top", {tag::kTop, "top"}},
    {"vcenter", {tag::kVCenter, "vcenter"}},
    {"middle", {tag::kVCenter, "vcenter"}},
    {"bottom", {tag::kBottom, "bottom"}},
    {"bmp", {tag::kBitmap, ""}},
    {"icon", {tag::kIcon, ""}},
    {"ilst", {tag::kImageList, ""}},
    {"string", {tag::kString, ""}},
    {"body", {tag::kSheetRule, "body"}},
    {"h1", {tag::kSheetRule, "h1"}},
    {"h2", {tag::kSheetRule, "h2"}},
    {"h3", {tag::kSheetRule, "h3"}},
    {"h4", {tag::kSheetRule, "h4"}},
    {"h5", {tag::kSheetRule, "h5"}},
    {"h6", {tag::kSheetRule, "h6"}},
    {"code", {tag::kSheetRule, "code"}},
    {"pre", {tag::kSheetRule, "pre"}},
    {"big", {tag::kSheetRule, "big"}},
    {"small", {tag::kSheetRule, "small"}},
    {"sub", {tag::kSheetRule, "sub"}},
    {"sup", {tag::kSheetRule, "sup"}},
    {"span", {tag::kSpan, "span"}},
    {"a", {tag::kLink, "link"}},
};

// Replaces every occurrence of an entity, scanning on after each replacement. "&" is never the
// trail byte of a double-byte character, so a byte-wise search finds exactly the entities a
// reader sees; a character-wise one would miss an entity right after a replacement that is a
// lead byte of code page 936 ("&bull;&copy;": 0x95 would pair with the "&").
void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::size_t pos = text.find(from);
    while (pos != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos = text.find(from, pos + to.size());
    }
}

inline bool IsBlank(char c) {
    return c == ' ';
}

// Position of the first blank or "=" at or after from, stepping over whole characters.
std::size_t NameEnd(std::string_view text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); i += base::CharLength(text, i)) {
        if (base::CharLength(text, i) == 1 && (IsBlank(text[i]) || text[i] == '=')) return i;
    }
    return text.size();
}

}  // namespace

std::span<const Entity> Entities() {
    return kEntities;
}

std::string ReplaceEntities(std::string_view text) {
    std::string out(text);
    for (const Entity& e : kEntities) ReplaceAll(out, e.name, e.replacement);
    return out;
}

std::string PrepareText(std::string_view text, bool newLineMode) {
    const std::string replaced = ReplaceEntities(text);
    std::string out;
    out.reserve(replaced.size() + replaced.size() / 8);
    for (std::size_t i = 0; i < replaced.size();) {
        const std::size_t len = base::CharLength(replaced, i);
        const char c = replaced[i];
        if (len == 1 && c == '\r') {
            // dropped
        } else if (len == 1 && c == '\n') {
            if (newLineMode) out += "<br>";
        } else if (len == 1 && c == '\t') {
            if (newLineMode) out += "<t>";
        } else {
            out.append(replaced, i, len);
        }
        i += len;
    }
    // A lead byte with nothing after it is no character; left in place it would pair with the
    // "<" of the closing body tag and show the tag as text.
    if (!out.empty() && base::CharLength(out, out.size() - 1) == 1 &&
        base::IsLeadByte(static_cast<unsigned char>(out.back()))) {
        std::size_t i = 0;
        while (i < out.size() - 1) i += base::CharLength(out, i);
        if (i == out.size() - 1) out.pop_back();
    }
    return out;
}

std::string WrapInBody(std::string_view prepared) {
    std::string out;
    out.reserve(prepared.size() + 13);
    out += "<body>";
    out += prepared;
    out += "</body>";
    return out;
}

std::vector<Attribute> ParseAttributes(std::string_view text) {
    std::vector<Attribute> out;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && IsBlank(text[i])) ++i;
    };
    while (true) {
        skipBlanks();
        if (i >= text.size()) break;
        std::size_t end = NameEnd(text, i);
        if (end == i) {  // a stray "=": nothing names it
            ++i;
            continue;
        }
        Attribute a;
        a.name.assign(text.substr(i, end - i));
        i = end;
        skipBlanks();
        if (i < text.size() && text[i] == '=') {
            ++i;
            skipBlanks();
            if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
                const std::size_t close = base::FindChar(text, text[i], i + 1);
                const std::size_t stop = close == std::string_view::npos ? text.size() : close;
                a.value.emplace(text.substr(i + 1, stop - i - 1));
                i = close == std::string_view::npos ? text.size() : close + 1;
            } else {
                std::size_t stop = base::FindChar(text, ' ', i);
                if (stop == std::string_view::npos) stop = text.size();
                a.value.emplace(text.substr(i, stop - i));
                i = stop;
            }
        }
        out.push_back(std::move(a));
    }
    return out;
}

std::optional<std::string_view> FindAttribute(const std::vector<Attribute>& attributes,
                                              std::string_view name) {
    for (const Attribute& a : attributes) {
        if (a.name == name) {
            if (a.value) return std::string_view(*a.value);
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool HasAttribute(const std::vector<Attribute>& attributes, std::string_view name) {
    return std::any_of(attributes.begin(), attributes.end(),
                       [&](const Attribute& a) { return a.name == name; });
}

std::vector<Token> ScanMarkup(std::string_view text) {
    std::vector<Token> tokens;
    std::string run;
    auto flushRun = [&] {
        if (run.empty()) return;
        Token t;
        t.text = std::move(run);
        tokens.push_back(std::move(t));
        run.clear();
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = base::FindChar(text, '<', pos);
        if (open == std::string_view::npos) {
            run.append(text.substr(pos));
            break;
        }
        run.append(text.substr(pos, open - pos));
        if (open + 1 < text.size() && text[open + 1] == '<') {
            run += '<';
            pos = open + 2;
            continue;
        }
        const std::size_t close = base::FindChar(text, '>', open + 1);
        if (close == std::string_view::npos) {
            pos = open + 1;  // the lone "<" is dropped, what follows is text
            continue;
        }
        std::string_view inside = text.substr(open + 1, close - open - 1);
        pos = close + 1;
        Token t;
        t.kind = Token::Kind::Tag;
        if (!inside.empty() && inside[0] == '/') {
            t.closing = true;
            inside.remove_prefix(1);
        }
        const std::size_t nameEnd = NameEnd(inside, 0);
        t.text = base::ToLowerAnsi(inside.substr(0, nameEnd));
        t.rest.assign(inside.substr(nameEnd));
        if (t.text.empty()) continue;  // "<>" and "</>" name nothing
        if (!t.closing) t.attributes = ParseAttributes(t.rest);
        flushRun();
        tokens.push_back(std::move(t));
    }
    flushRun();
    return tokens;
}

std::optional<TagInfo> LookupTag(std::string_view lowerName) {
    for (const TagEntry& e : kTags) {
        if (e.name == lowerName) return e.info;
    }
    return std::nullopt;
}

int CountOf(std::string_view rest, int fallback) {
    std::size_t i = 0;
    while (i < rest.size() && IsBlank(rest[i])) ++i;
    int n = 0;
    bool any = false;
    while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && n < 10000) {
        n = n * 10 + (rest[i] - '0');
        any = true;
        ++i;
    }
    if (!any) n = fallback;
    return std::max(n, 1);
}

std::string EscapeMarkup(std::string_view plain) {
    std::string out;
    out.reserve(plain.size());
    for (std::size_t i = 0; i < plain.size();) {
        const std::size_t n = base::CharLength(plain, i);
        if (n == 1 && plain[i] == '<') {
            out += "<<";
        } else if (n == 1 && plain[i] == '&') {
            out += "&<>";
        } else {
            out.append(plain.substr(i, n));
        }
        i += n;
    }
    return out;
}

std::string HtmOpenCommand(std::string_view command, std::string_view target) {
    std::size_t cut = base::FindText(command, "\"%1\"", 0);
    if (cut == std::string_view::npos) cut = base::FindText(command, "%1", 0);
    std::string out(command.substr(0, cut == std::string_view::npos ? command.size() : cut));
    out += ' ';
    out += target;
    return out;
}

}  // namespace tooltip
