// The tooltip mark-up as text: preparing a text (entities, line ends, the body wrapper),
// scanning it into text runs and tags, reading a tag's attributes, and the tag table. Texts
// are ANSI bytes of the system code page: every search for "<", ">", blanks and quotes steps
// over whole characters, so a trail byte of a double-byte character never ends a tag.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tooltip {

struct Entity {
    std::string_view name;         // "&amp;"
    std::string_view replacement;  // "&"
};

// The entity table, in ascending byte order of the names (the order they are replaced in).
std::span<const Entity> Entities();

// Every entity replaced over the whole text, one entity after another in table order, so a
// replacement can form a later entity ("&amp;lt;" becomes "&lt;", then "<<").
std::string ReplaceEntities(std::string_view text);

// Entities replaced, carriage returns removed, and line feeds and tabs turned into "<br>" and
// "<t>" in new-line mode or removed otherwise. The body wrapper is not added.
std::string PrepareText(std::string_view text, bool newLineMode);

// The prepared text inside "<body>" ... "</body>".
std::string WrapInBody(std::string_view prepared);

struct Attribute {
    std::string name;                  // as written (compared exactly)
    std::optional<std::string> value;  // none for an attribute without "="
};

// Reads name=value pairs separated by blanks. Blanks may surround "="; a value that starts
// with a quote runs to the same quote (or the end), any other value to the next blank.
std::vector<Attribute> ParseAttributes(std::string_view text);

// The value of the first attribute of that name; empty when it is missing or has no value.
std::optional<std::string_view> FindAttribute(const std::vector<Attribute>& attributes,
                                              std::string_view name);
bool HasAttribute(const std::vector<Attribute>& attributes, std::string_view name);

struct Token {
    enum class Kind { Text, Tag };
    Kind kind = Kind::Text;
    std::string text;  // a text run ("<<" already one "<"), or the tag's lower-case name
    bool closing = false;
    std::string rest;  // a tag's text after its name
    std::vector<Attribute> attributes;
};

// The prepared text as text runs and tags of any name (the caller decides which it knows).
// "<<" is a literal "<"; a "<" without a ">" after it is dropped; neighbouring text is one run.
std::vector<Token> ScanMarkup(std::string_view text);

// Tag codes; tags with the same code are synonyms.
namespace tag {
constexpr int kBold = 1;
constexpr int kItalic = 2;
constexpr int kUnderline = 3;
constexpr int kStrikeout = 4;
constexpr int kFont = 5;
constexpr int kRule = 6;
constexpr int kBreak = 7;
constexpr int kTab = 8;
constexpr int kLeft = 9;
constexpr int kCenter = 10;
constexpr int kRight = 11;
constexpr int kJustify = 12;
constexpr int kBaseline = 13;
constexpr int kTop = 14;
constexpr int kVCenter = 15;
constexpr int kBottom = 16;
constexpr int kBitmap = 17;
constexpr int kIcon = 18;
constexpr int kImageList = 19;
constexpr int kString = 20;
constexpr int kSheetRule = 21;
constexpr int kSpan = 22;
constexpr int kLink = 23;
}  // namespace tag

struct TagInfo {
    int code = 0;
    std::string_view styleName;  // the label of the style stack entry; empty for objects
};

// The tag table, by lower-case name; empty for an unknown name.
std::optional<TagInfo> LookupTag(std::string_view lowerName);

// The leading decimal number of a tag's rest (" 2" of "<br 2>"), or fallback when there is
// none; at least 1.
int CountOf(std::string_view rest, int fallback);

// A plain text (a file name, say) as mark-up that shows exactly that text: "<" is doubled, and
// an "&" is followed by an empty tag, which no entity can begin with and the layout ignores.
// Line feeds and tabs are kept (they still break lines and tab in new-line mode).
std::string EscapeMarkup(std::string_view plain);

// The command line that opens a link target with the program registered for ".htm" pages:
// the open command cut where "%1" in double quotes first occurs, else where "%1" first occurs,
// else kept whole, then a blank and the target.
std::string HtmOpenCommand(std::string_view openCommand, std::string_view target);

}  // namespace tooltip
