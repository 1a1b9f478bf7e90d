#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <string>

namespace qelvo::platform {
namespace {

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

TEST(PatternIsValid, RefusesCharactersNoFileNameCanHold) {
    for (const char* bad : {"a/b", "a\\b", "c:*", "\"*\"", "<*", "*>", "a|b", "\x01", "a\x1F"}) {
        EXPECT_FALSE(pattern_is_valid(bad)) << bad;
    }
    EXPECT_FALSE(pattern_is_valid(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace qelvo::platform
