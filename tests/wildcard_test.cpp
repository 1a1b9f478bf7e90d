#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/codepage.h"

namespace qelvo::platform {
namespace {

std::string gbk(std::string_view utf8) { return codepage::utf8_to_gbk(utf8); }

// GBK for 中 and 文; the second byte of both is at least 0x80.
const std::string kZhong = "\xD6\xD0";
const std::string kWen = "\xCE\xC4";

TEST(WildcardMatch, StarDotStarMatchesEveryName) {
    EXPECT_TRUE(wildcard_match("*.*", "readme"));
    EXPECT_TRUE(wildcard_match("*.*", "a.b.c"));
    EXPECT_TRUE(wildcard_match("*.*", ".hidden"));
    EXPECT_TRUE(wildcard_match("*.*", kZhong + kWen));
    EXPECT_TRUE(wildcard_match("*", "readme"));
}

TEST(WildcardMatch, LettersMatchWithoutRegardToCase) {
    EXPECT_TRUE(wildcard_match("*.txt", "A.TXT"));
    EXPECT_TRUE(wildcard_match("*.TXT", "notes.txt"));
    EXPECT_TRUE(wildcard_match("ReadMe", "README"));
    EXPECT_FALSE(wildcard_match("*.txt", "a.txt.bak"));
    EXPECT_FALSE(wildcard_match("*.txt", "a.tx"));
}

TEST(WildcardMatch, OtherBytesMatchExactly) {
    EXPECT_TRUE(wildcard_match(kZhong + "*", kZhong + kWen + ".txt"));
    EXPECT_FALSE(wildcard_match("\xD6\xD1*", kZhong + kWen + ".txt"));
    EXPECT_FALSE(wildcard_match("a_b", "a-b"));
}

TEST(WildcardMatch, QuestionMarkIsOneWholeCharacter) {
    EXPECT_TRUE(wildcard_match("?", "a"));
    EXPECT_TRUE(wildcard_match("?", kZhong));
    EXPECT_TRUE(wildcard_match("?.txt", kZhong + ".txt"));
    EXPECT_FALSE(wildcard_match("??.txt", kZhong + ".txt"));
    EXPECT_TRUE(wildcard_match("??", kZhong + "a"));
    EXPECT_TRUE(wildcard_match("??", "a" + kWen));
    EXPECT_FALSE(wildcard_match("?", "ab"));
    EXPECT_FALSE(wildcard_match("?", ""));
}

TEST(WildcardMatch, TrailingDotStarAlsoMatchesNameWithoutDot) {
    EXPECT_TRUE(wildcard_match("a.*", "a"));
    EXPECT_TRUE(wildcard_match("a.*", "a."));
    EXPECT_TRUE(wildcard_match("a.*", "a.b"));
    EXPECT_TRUE(wildcard_match("a.**", "a"));
    EXPECT_TRUE(wildcard_match("A*.*", "abc"));
    EXPECT_FALSE(wildcard_match("a.*", "ab"));
    EXPECT_FALSE(wildcard_match("a.*", "b"));
    // Only a dot followed by nothing but stars earns the extra match.
    EXPECT_FALSE(wildcard_match("a.?", "a"));
    EXPECT_FALSE(wildcard_match("a.*b", "a"));
}

TEST(WildcardMatch, StarsBacktrack) {
    EXPECT_TRUE(wildcard_match("*a*b", "ab"));
    EXPECT_TRUE(wildcard_match("*a*b", "xaybzb"));
    EXPECT_FALSE(wildcard_match("*a*b", "ba"));
    EXPECT_FALSE(wildcard_match("*a*b", "xaybzbc"));
    EXPECT_TRUE(wildcard_match("*ab", "aab"));
    EXPECT_TRUE(wildcard_match("a*b*c", "abbbc"));
    EXPECT_TRUE(wildcard_match("a*b*c", "aXbYbZc"));
    EXPECT_FALSE(wildcard_match("a*b*c", "acb"));
    EXPECT_TRUE(wildcard_match("*?*", kZhong));
    EXPECT_TRUE(wildcard_match("**", ""));
    EXPECT_TRUE(wildcard_match("*" + kWen + ".txt", kZhong + kWen + kWen + ".txt"));
}

TEST(WildcardMatch, ManyStarsStayFast) {
    const std::string name(20000, 'a');
    EXPECT_FALSE(wildcard_match("*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
    EXPECT_TRUE(wildcard_match("*a*a*a*a*a*a*a*a*a*a*a*a*a", name));
}

// A double-byte character whose trail byte is an ASCII letter is one
// character, not a lead byte and a letter: case folding applies to letters
// that stand alone, and no match may start inside a character.
TEST(WildcardMatch, TrailBytesAreNotLetters) {
    const std::string upper_trail = "\x81\x41";
    const std::string lower_trail = "\x81\x61";
    EXPECT_TRUE(wildcard_match(upper_trail, upper_trail));
    EXPECT_FALSE(wildcard_match(lower_trail, upper_trail));
    EXPECT_FALSE(wildcard_match("*A", upper_trail));
    EXPECT_FALSE(wildcard_match("?A", upper_trail));
    EXPECT_FALSE(wildcard_match("*a.txt", lower_trail + ".txt"));
    EXPECT_TRUE(wildcard_match("?.txt", lower_trail + ".txt"));
    // Nor in the rows that hold letters: A6 41 and A6 61 share the Greek
    // letters' lead byte but are no letters.
    EXPECT_FALSE(wildcard_match("\xA6\x41", "\xA6\x61"));
    // A lead byte before a byte that cannot trail is no GBK character; such
    // pairs match by their bytes, though both convert to the same '?'.
    EXPECT_FALSE(wildcard_match("\x81\x30", "\x81\x31"));
    EXPECT_TRUE(wildcard_match("\x81\x30", "\x81\x30"));
}

// 0x80 (the euro sign) and 0xFF are whole characters in code page 936: the
// byte after them is a character of its own, letter or dot.
TEST(WildcardMatch, EuroSignAndFFAreCharactersOfOneByte) {
    for (const std::string one_byte : {"\x80", "\xFF"}) {
        SCOPED_TRACE(static_cast<unsigned>(static_cast<unsigned char>(one_byte[0])));
        EXPECT_TRUE(wildcard_match("*.txt", "x" + one_byte + ".txt"));
        EXPECT_TRUE(wildcard_match("?.txt", one_byte + ".txt"));
        EXPECT_FALSE(wildcard_match("??.txt", one_byte + ".txt"));
        EXPECT_TRUE(wildcard_match("??", one_byte + "a"));
        EXPECT_TRUE(wildcard_match(one_byte + "a", one_byte + "A"));
        EXPECT_TRUE(wildcard_match("*a", "x" + one_byte + "A"));
        EXPECT_TRUE(wildcard_match(one_byte + ".*", one_byte));
        EXPECT_FALSE(wildcard_match("\x80", "\xFF"));
    }
    EXPECT_TRUE(wildcard_match(gbk("*.txt"), gbk("x€.txt")));
}

struct CasePair {
    const char* small;  // UTF-8
    const char* capital;
};

// Each family of GBK letters that has both cases.
constexpr CasePair kCasePairs[] = {
    {"ａｚ", "ＡＺ"}, {"αβγσω", "ΑΒΓΣΩ"}, {"абвяю", "АБВЯЮ"},
    {"ё", "Ё"},       {"ⅰⅴⅹ", "ⅠⅤⅩ"},     {"ｔｘｔ", "ＴＸＴ"},
};

TEST(WildcardCaseFolding, EveryGbkLetterWithACaseMatchesItsOtherCase) {
    for (const auto& [small, capital] : kCasePairs) {
        SCOPED_TRACE(small);
        EXPECT_TRUE(wildcard_match(gbk(small), gbk(capital)));
        EXPECT_TRUE(wildcard_match(gbk(capital), gbk(small)));
        EXPECT_TRUE(wildcard_match(gbk(std::string("*") + small), gbk(std::string("x") + capital)));
    }
    EXPECT_TRUE(wildcard_match(gbk("*.ｔｘｔ"), gbk("q.ＴＸＴ")));
    EXPECT_TRUE(wildcard_match(gbk("Ｑ?.ｔ*"), gbk("ｑ中.ＴＸＴ")));
}

TEST(WildcardCaseFolding, OnlyTheTwoCasesOfOneLetterMatch) {
    // Full-width and ASCII letters are different letters.
    EXPECT_FALSE(wildcard_match(gbk("*.ｔｘｔ"), "q.txt"));
    EXPECT_FALSE(wildcard_match("*.txt", gbk("q.ＴＸＴ")));
    EXPECT_FALSE(wildcard_match(gbk("α"), gbk("Β")));
    EXPECT_FALSE(wildcard_match(gbk("е"), gbk("Ё")));
    EXPECT_FALSE(wildcard_match(gbk("ⅰ"), gbk("Ⅱ")));
    // Accents are not folded away, and the pinyin letters GBK holds in small
    // form only match just themselves.
    EXPECT_TRUE(wildcard_match(gbk("ü.txt"), gbk("ü.TXT")));
    EXPECT_FALSE(wildcard_match(gbk("à"), gbk("á")));
    EXPECT_FALSE(wildcard_match(gbk("ā"), "a"));
    // Chinese characters have no case.
    EXPECT_FALSE(wildcard_match(kZhong, kWen));
}

TEST(WildcardCaseFolding, ManyStarsOverFoldedLettersStayFast) {
    std::string name;
    for (int i = 0; i < 1000; ++i) name += gbk("α");
    std::string pattern;
    for (int i = 0; i < 12; ++i) pattern += gbk("*Α");
    EXPECT_TRUE(wildcard_match(pattern, name));
    EXPECT_FALSE(wildcard_match(pattern + gbk("*Β"), name));
}

TEST(PatternIsValid, AcceptsWildcardsAndOrdinaryCharacters) {
    EXPECT_TRUE(pattern_is_valid("*.*"));
    EXPECT_TRUE(pattern_is_valid("a?b*.txt"));
    EXPECT_TRUE(pattern_is_valid(kZhong + kWen + ".txt"));
    EXPECT_TRUE(pattern_is_valid(""));
    // Trail bytes equal to a backslash or a bar belong to their character.
    EXPECT_TRUE(pattern_is_valid("\x81\x5C.txt"));
    EXPECT_TRUE(pattern_is_valid("\x81\x7C.txt"));
}

// After 0x80 or 0xFF a backslash or a bar is a character of its own.
TEST(PatternIsValid, SeesTheByteAfterASingleByteCharacter) {
    EXPECT_FALSE(pattern_is_valid("\x80\\.txt"));
    EXPECT_FALSE(pattern_is_valid("\xFF|.txt"));
}

TEST(PatternIsValid, RefusesCharactersNoFileNameCanHold) {
    for (const char* bad : {"a/b", "a\\b", "c:*", "\"*\"", "<*", "*>", "a|b", "\x01", "a\x1F"}) {
        EXPECT_FALSE(pattern_is_valid(bad)) << bad;
    }
    EXPECT_FALSE(pattern_is_valid(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace qelvo::platform
