// ANSI text in the system code page. In the programs' home setting that is the double-byte
// code page 936: a character is one byte, or a lead byte followed by a trail byte, and a trail
// byte may be any of 0x40-0xFE, including '\\', '[' and the capital letters. Every search and
// every case-insensitive comparison here therefore steps over whole characters; lengths and
// positions count bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

// True when the byte starts a two-byte character. In the programs this is the system's own
// test for the active code page; the native build follows code page 936 (0x81-0xFE).
bool IsLeadByte(unsigned char byte);

// Length in bytes of the character that starts at pos: 2 for a lead byte that has a
// following byte, else 1. A lead byte at the very end stands alone (never reads past the end).
std::size_t CharLength(std::string_view text, std::size_t pos);

// Position of the first single-byte character equal to ch at or after from (from must be a
// character boundary); npos when there is none. Never matches the trail byte of a character.
std::size_t FindChar(std::string_view text, char ch, std::size_t from = 0);

// Position of the last single-byte character equal to ch; npos when there is none.
std::size_t FindLastChar(std::string_view text, char ch);

// Position of the first occurrence of needle at or after from that starts on a character
// boundary of text (from must be one); npos when there is none or needle is empty.
std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from = 0);

// The text without any of the given single-byte characters at its end, or at both ends. Only
// whole characters are removed: the trail byte of a double-byte character is never cut off.
std::string_view TrimEnd(std::string_view text, std::string_view chars);
std::string_view TrimChar(std::string_view text, char ch);

// ASCII letters folded to lower case; every byte of a double-byte character kept as it is.
std::string ToLowerAnsi(std::string_view text);

// Equality ignoring the case of ASCII letters, character by character.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Three-way comparison character by character, a double-byte character counting as the
// number lead * 256 + trail (code-page order, letter case significant): < 0, 0 or > 0.
int CompareAnsi(std::string_view a, std::string_view b);

// True when text begins with prefix, ignoring the case of ASCII letters. The prefix must end
// on a character boundary of text: a prefix that ends on a lead byte does not match.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace base
