#include "base/ansi_text.h"

namespace base {
namespace {

inline char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::size_t CharLength(std::string_view text, std::size_t pos) {
    if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos]))) return 2;
    return 1;
}

std::size_t FindChar(std::string_view text, char ch, std::size_t from) {
    for (std::size_t i = from; i < text.size(); i += CharLength(text, i)) {
        if (text[i] == ch && CharLength(text, i) == 1) return i;
    }
    return std::string_view::npos;
}

std::size_t FindLastChar(std::string_view text, char ch) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (text[i] == ch && CharLength(text, i) == 1) found = i;
    }
    return found;
}

std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty()) return std::string_view::npos;
    for (std::size_t i = from; i < text.size(); i += CharLength(text, i)) {
        if (text.compare(i, needle.size(), needle) == 0) {
            // The match must also end on a character boundary of text.
            std::size_t end = i;
            while (end < i + needle.size()) end += CharLength(text, end);
            if (end == i + needle.size()) return i;
        }
    }
    return std::string_view::npos;
}

std::string_view TrimEnd(std::string_view text, std::string_view chars) {
    std::size_t end = 0;  // the end of the last character that is to stay
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = CharLength(text, i);
        if (len > 1 || chars.find(text[i]) == std::string_view::npos) end = i + len;
        i += len;
    }
    return text.substr(0, end);
}

std::string_view TrimChar(std::string_view text, char ch) {
    // A lead byte never equals a single-byte character, so the start is cut byte by byte.
    std::size_t begin = 0;
    while (begin < text.size() && text[begin] == ch) ++begin;
    return TrimEnd(text.substr(begin), std::string_view(&ch, 1));
}

std::string ToLowerAnsi(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t len = CharLength(out, i);
        if (len == 1) out[i] = FoldAscii(out[i]);
        i += len;
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    // Folding never touches a byte of 0x80 or above, so both texts split into characters at
    // the same places whenever their folded bytes agree; a byte-wise walk that folds only
    // single-byte characters is therefore a character-wise comparison.
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t len = CharLength(a, i);
        if (len == 1) {
            if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
        } else if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
            return false;
        }
        i += len;
    }
    return true;
}

int CompareAnsi(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t la = CharLength(a, i), lb = CharLength(b, j);
        const unsigned ca =
            la == 2 ? static_cast<unsigned char>(a[i]) * 256u + static_cast<unsigned char>(a[i + 1])
                    : static_cast<unsigned char>(a[i]);
        const unsigned cb =
            lb == 2 ? static_cast<unsigned char>(b[j]) * 256u + static_cast<unsigned char>(b[j + 1])
                    : static_cast<unsigned char>(b[j]);
        if (ca != cb) return ca < cb ? -1 : 1;
        i += la;
        j += lb;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    std::size_t i = 0;
    while (i < prefix.size()) i += CharLength(text, i);
    if (i != prefix.size()) return false;  // the prefix would split a character of text
    return EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace base
