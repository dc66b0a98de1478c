// Multi-byte text helpers with real GBK characters whose trail byte is '\\', '[' or a capital
// letter: 誠 = D5 5C, 腫 = C4 5B, 語 = D5 5A, 誂 = D5 41. The same tests run natively (the code
// page 936 rule) and under Wine with the system's lead-byte test in code page 936.
#include <gtest/gtest.h>

#include <string>

#include "base/ansi_text.h"

namespace {

constexpr char kCheng[] = "\xD5\x5C";  // 誠, trail byte '\'
constexpr char kZhong[] = "\xC4\x5B";  // 腫, trail byte '['
constexpr char kYu[] = "\xD5\x5A";     // 語, trail byte 'Z'
constexpr char kTiao[] = "\xD5\x41";   // 誂, trail byte 'A'

std::string S(std::initializer_list<const char*> parts) {
    std::string out;
    for (const char* p : parts) out += p;
    return out;
}

TEST(AnsiText, LeadBytesOfCodePage936) {
    EXPECT_FALSE(base::IsLeadByte(0x00));
    EXPECT_FALSE(base::IsLeadByte('\\'));
    EXPECT_FALSE(base::IsLeadByte(0x7F));
    EXPECT_FALSE(base::IsLeadByte(0x80));
    EXPECT_TRUE(base::IsLeadByte(0x81));
    EXPECT_TRUE(base::IsLeadByte(0xD5));
    EXPECT_TRUE(base::IsLeadByte(0xFE));
    EXPECT_FALSE(base::IsLeadByte(0xFF));
}

struct FindCase {
    std::string text;
    char ch;
    std::size_t first;
    std::size_t last;
};

class AnsiFind : public testing::TestWithParam<FindCase> {};

TEST_P(AnsiFind, StepsOverWholeCharacters) {
    const FindCase& c = GetParam();
    EXPECT_EQ(base::FindChar(c.text, c.ch), c.first);
    EXPECT_EQ(base::FindLastChar(c.text, c.ch), c.last);
}

constexpr std::size_t npos = std::string::npos;

INSTANTIATE_TEST_SUITE_P(Gbk, AnsiFind,
                         testing::Values(
                             // C:\誠\x.swf: the backslash inside 誠 is no separator.
                             FindCase{S({"C:\\", kCheng, "\\x.swf"}), '\\', 2, 5},
                             // A name made only of 誠 has no separator at all.
                             FindCase{S({kCheng, kCheng}), '\\', npos, npos},
                             // intro[腫].swf: the '[' inside 腫 is not the bracket.
                             FindCase{S({"intro", kZhong, "[0].swf"}), '[', 7, 7},
                             FindCase{S({kZhong}), '[', npos, npos},
                             // A trail 'Z' is no letter Z.
                             FindCase{S({kYu, "Z"}), 'Z', 2, 2},
                             // A lead byte at the very end stands alone and is never read past.
                             FindCase{S({"a\\b", "\xD5"}), '\\', 1, 1},
                             FindCase{std::string("\xD5"), '\\', npos, npos},
                             FindCase{std::string(), '\\', npos, npos},
                             FindCase{std::string("a.b.c"), '.', 1, 3}));

TEST(AnsiText, FindFromAContinuesAfterTheGivenCharacter) {
    const std::string path = S({"C:\\", kCheng, "\\", kCheng, "\\f"});
    const std::size_t first = base::FindChar(path, '\\');
    ASSERT_EQ(first, 2u);
    const std::size_t second = base::FindChar(path, '\\', first + 1);
    EXPECT_EQ(second, 5u);
    EXPECT_EQ(base::FindChar(path, '\\', second + 1), 8u);
}

TEST(AnsiText, LowerCaseFoldsAsciiLettersOnly) {
    EXPECT_EQ(base::ToLowerAnsi("C:\\Movies\\CLIP.SWF"), "c:\\movies\\clip.swf");
    // Trail bytes 'Z' and 'A' stay capitals; the letters around them fold.
    EXPECT_EQ(base::ToLowerAnsi(S({"AB", kYu, kTiao, "CD"})), S({"ab", kYu, kTiao, "cd"}));
    // Bytes that are no letters are left alone, a dangling lead byte included.
    EXPECT_EQ(base::ToLowerAnsi("[]@\\\xD5"), "[]@\\\xD5");
}

struct EqualCase {
    std::string a;
    std::string b;
    bool equal;
};

class AnsiEqual : public testing::TestWithParam<EqualCase> {};

TEST_P(AnsiEqual, IgnoresCaseOfWholeCharactersOnly) {
    const EqualCase& c = GetParam();
    EXPECT_EQ(base::EqualsNoCase(c.a, c.b), c.equal) << c.a << " vs " << c.b;
    EXPECT_EQ(base::EqualsNoCase(c.b, c.a), c.equal);
}

INSTANTIATE_TEST_SUITE_P(
    Gbk, AnsiEqual,
    testing::Values(EqualCase{"C:\\Movies\\Clip.SWF", "c:\\movies\\clip.swf", true},
                    EqualCase{S({"C:\\", kYu}), S({"c:\\", kYu}), true},
                    // 語 (D5 5A) and the different character D5 7A must not compare equal.
                    EqualCase{S({kYu}), "\xD5\x7A", false},
                    EqualCase{S({kTiao}), "\xD5\x61", false}, EqualCase{"abc", "abcd", false},
                    EqualCase{"", "", true}, EqualCase{"a[b", "A[B", true},
                    EqualCase{"a[b", "A{B", false}));

TEST(AnsiText, PrefixMustEndOnACharacterBoundary) {
    const std::string site = S({"games", kYu, ".cn"});
    EXPECT_TRUE(base::StartsWithNoCase(site, "GAMES"));
    EXPECT_TRUE(base::StartsWithNoCase(site, S({"Games", kYu})));
    // "games" plus the lead byte of 語 splits a character.
    EXPECT_FALSE(base::StartsWithNoCase(site, "games\xD5"));
    EXPECT_FALSE(base::StartsWithNoCase(site, S({"games", "\xD5\x7A"})));
    EXPECT_TRUE(base::StartsWithNoCase(site, ""));
    EXPECT_FALSE(base::StartsWithNoCase("ga", "games"));
}

}  // namespace

namespace {

TEST(AnsiText, FindTextMatchesOnCharacterBoundariesOnly) {
    // "\x5A\\Firefox" occurs inside 語 (D5 5A) followed by "\Firefox", starting on its trail.
    const std::string path = S({"C:\\", kYu, "\\Firefox"});
    EXPECT_EQ(base::FindText(path, "\\Firefox"), 5u);
    EXPECT_EQ(base::FindText(path, "Z\\Firefox"), std::string::npos);
    // A needle that would end inside a character does not match either.
    EXPECT_EQ(base::FindText(S({"a", kYu}), "a\xD5"), std::string::npos);
    EXPECT_EQ(base::FindText("abcabc", "bc", 2), 4u);
    EXPECT_EQ(base::FindText("abc", ""), std::string::npos);
}

TEST(AnsiText, TrimsWholeCharactersOnly) {
    // 誠 (D5 5C) ends in a byte equal to '\': trimming must keep it whole.
    EXPECT_EQ(base::TrimChar(S({"\\\\C:\\", kCheng, "\\\\"}), '\\'), S({"C:\\", kCheng}));
    EXPECT_EQ(base::TrimChar(S({"C:\\", kCheng}), '\\'), S({"C:\\", kCheng}));
    EXPECT_EQ(base::TrimEnd(S({"D:\\", kCheng, "/\\/"}), "\\/"), S({"D:\\", kCheng}));
    EXPECT_EQ(base::TrimChar("\\\\\\", '\\'), "");
    EXPECT_EQ(base::TrimChar("", '\\'), "");
}

TEST(AnsiText, ComparesInCodePageOrder) {
    EXPECT_LT(base::CompareAnsi("Abc", "abc"), 0);  // case matters
    EXPECT_LT(base::CompareAnsi("ab", "abc"), 0);
    EXPECT_EQ(base::CompareAnsi(kYu, kYu), 0);
    // A single-byte character sorts before any double-byte one, 0xFF included.
    EXPECT_LT(base::CompareAnsi("\xFF", "\x81\x40"), 0);
    EXPECT_LT(base::CompareAnsi("z", kTiao), 0);
    EXPECT_LT(base::CompareAnsi(kTiao, kYu), 0);  // D5 41 before D5 5A
}

}  // namespace
