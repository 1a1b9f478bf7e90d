// Conversion vectors for code pages 936 and 65001. The same file is built
// against both backends, so every expected value here is what Windows gives
// (taken from Wine 8, our reference), and the POSIX tables must agree.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace qelvo::codepage {
namespace {

// The s suffix keeps embedded zero bytes in the literals.
using namespace std::string_literals;

std::string all_ascii() {
    std::string text;
    for (int byte = 0; byte < 0x80; ++byte) text += static_cast<char>(byte);
    return text;
}

// `prefix` characters of filler, then `count` times the pattern.
template <typename String>
String repeated(size_t prefix, const String& pattern, size_t count) {
    String text(prefix, 'x');
    text.reserve(prefix + pattern.size() * count);
    for (size_t i = 0; i < count; ++i) text += pattern;
    return text;
}

// Larger than the pieces the Windows backend converts in one call (4 MiB),
// so that a cut between pieces is exercised there.
constexpr size_t kLargeSize = (4096 + 64) * 1024;

template <typename String>
size_t large_count(const String& pattern) {
    return kLargeSize / pattern.size() + 1;
}

// ---------------------------------------------------------------- empty input

TEST(CodepageEmpty, EveryConversionOfNothingIsNothing) {
    EXPECT_EQ(gbk_to_utf16(""), u"");
    EXPECT_EQ(utf16_to_gbk(u""), "");
    EXPECT_EQ(utf8_to_utf16(""), u"");
    EXPECT_EQ(utf16_to_utf8(u""), "");
    EXPECT_EQ(gbk_to_utf8(""), "");
    EXPECT_EQ(utf8_to_gbk(""), "");
    EXPECT_TRUE(utf8_round_trips_through_gbk(""));
}

// ----------------------------------------------------------------------- GBK

TEST(CodepageGbk, AsciiIsUnchangedIncludingZeroBytes) {
    const std::string ascii = all_ascii();
    const std::u16string wide(ascii.begin(), ascii.end());
    EXPECT_EQ(gbk_to_utf16(ascii), wide);
    EXPECT_EQ(utf16_to_gbk(wide), ascii);
}

TEST(CodepageGbk, ChineseText) {
    EXPECT_EQ(gbk_to_utf16("\xD6\xD0\xCE\xC4"), u"\u4E2D\u6587");
    EXPECT_EQ(utf16_to_gbk(u"\u4E2D\u6587"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(gbk_to_utf16("a\xD6\xD0z"), u"a\u4E2Dz");
}

TEST(CodepageGbk, Byte80IsTheEuroSign) {
    EXPECT_EQ(gbk_to_utf16("\x80"), u"\u20AC");
    EXPECT_EQ(utf16_to_gbk(u"\u20AC"), "\x80");
}

TEST(CodepageGbk, ByteFFIsAPrivateUseCharacter) {
    EXPECT_EQ(gbk_to_utf16("\xFF"), u"\uF8F5");
    EXPECT_EQ(utf16_to_gbk(u"\uF8F5"), "\xFF");
}

TEST(CodepageGbk, UserDefinedAreasAreThePrivateUseArea) {
    EXPECT_EQ(gbk_to_utf16("\xAA\xA1"), u"\uE000");
    EXPECT_EQ(gbk_to_utf16("\xA1\x40"), u"\uE4C6");
    EXPECT_EQ(gbk_to_utf16("\xFE\xFE"), u"\uE4C5");
    EXPECT_EQ(gbk_to_utf16("\xA2\xE3"), u"\uE76C");
    EXPECT_EQ(utf16_to_gbk(u"\uE000\uE4C6\uE4C5"), "\xAA\xA1\xA1\x40\xFE\xFE");
}

TEST(CodepageGbk, CharacterWithoutGbkFormBecomesQuestionMark) {
    EXPECT_EQ(utf16_to_gbk(u"\uFEFF"), "?");  // byte order mark
    EXPECT_EQ(utf16_to_gbk(u"\u30FB"), "?");  // katakana middle dot
    EXPECT_EQ(utf16_to_gbk(u"\u00A0"), "?");  // no-break space
    EXPECT_EQ(utf16_to_gbk(u"\u2022"), "?");  // bullet
    EXPECT_EQ(utf16_to_gbk(u"\uFFFD"), "?");
    EXPECT_EQ(utf16_to_gbk(u"a\uFEFFb"), "a?b");
}

TEST(CodepageGbk, SurrogatesBecomeOneQuestionMarkPerUnit) {
    EXPECT_EQ(utf16_to_gbk(u"\U0001F600"), "??");  // emoji
    EXPECT_EQ(utf16_to_gbk(u"\U00020000"), "??");  // CJK extension B
    EXPECT_EQ(utf16_to_gbk(u"\xD83DZ"), "?Z");
    EXPECT_EQ(utf16_to_gbk(u"\xDE00\xD83D"), "??");
}

TEST(CodepageGbk, BestFitReplacesSomeCharactersWithLookAlikes) {
    EXPECT_EQ(utf16_to_gbk(u"\u00E2"), "a");                       // a with circumflex
    EXPECT_EQ(utf16_to_gbk(u"\u00B2"), "2");                       // superscript two
    EXPECT_EQ(utf16_to_gbk(u"\u00C0"), "\xA8\xA4");                // A grave as a grave
    EXPECT_EQ(utf16_to_gbk(u"\u00A5"), "\xA3\xA4");                // yen as fullwidth yen
    EXPECT_EQ(utf16_to_gbk(u"\u3280"), "\xD2\xBB");                // circled one as "one"
    EXPECT_EQ(utf16_to_gbk(u"\uF900"), "\xD8\x4D");                // compatibility ideograph
    EXPECT_EQ(gbk_to_utf16("\xA8\xA4\xA3\xA4"), u"\u00E0\uFFE5");  // not back
}

TEST(CodepageGbk, LoneLeadByteAtEndBecomesQuestionMark) {
    EXPECT_EQ(gbk_to_utf16("\x81"), u"?");
    EXPECT_EQ(gbk_to_utf16("A\xD6"), u"A?");
    EXPECT_EQ(gbk_to_utf16("\xD6\xD0\xCE"), u"\u4E2D?");
}

TEST(CodepageGbk, LeadByteTakesAnInvalidTrailByteWithIt) {
    EXPECT_EQ(gbk_to_utf16("\x81 Z"), u"?Z");
    EXPECT_EQ(gbk_to_utf16("\x81\x30Z"), u"?Z");
    EXPECT_EQ(gbk_to_utf16("\x81\x7FZ"), u"?Z");
    EXPECT_EQ(gbk_to_utf16("\xD6\xFFZ"), u"?Z");
    EXPECT_EQ(gbk_to_utf16("\xD6\x0A"), u"?");
}

TEST(CodepageGbk, LeadByteBeforeZeroByteLeavesTheZeroByte) {
    EXPECT_EQ(gbk_to_utf16("\x81\0A"s), u"?\0A"s);
    EXPECT_EQ(gbk_to_utf16("\xD6\0"s), u"?\0"s);
}

TEST(CodepageGbk, EmbeddedZeroBytesAreCarriedThrough) {
    EXPECT_EQ(gbk_to_utf16("\xD6\xD0\0\xCE\xC4\0"s), u"\u4E2D\0\u6587\0"s);
    EXPECT_EQ(utf16_to_gbk(u"\u4E2D\0\u6587\0"s), "\xD6\xD0\0\xCE\xC4\0"s);
}

TEST(CodepageGbk, EveryValidPairRoundTrips) {
    int pairs = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string unit = gbk_to_utf16(bytes);
            ASSERT_EQ(unit.size(), 1u) << lead << " " << trail;
            ASSERT_NE(unit, u"?") << lead << " " << trail;
            ASSERT_EQ(utf16_to_gbk(unit), bytes) << lead << " " << trail;
            ++pairs;
        }
    }
    EXPECT_EQ(pairs, 23940);
}

TEST(CodepageGbk, NumberOfUnitsWithAGbkForm) {
    int units = 0;
    for (char32_t value = 0; value < 0x10000; ++value) {
        const std::u16string unit(1, static_cast<char16_t>(value));
        if (gbk_to_utf16(utf16_to_gbk(unit)) == unit) ++units;
    }
    EXPECT_EQ(units, 24070);  // the pairs, ASCII, the euro sign and U+F8F5
}

// --------------------------------------------------------------------- UTF-8

TEST(CodepageUtf8, AsciiIsUnchangedIncludingZeroBytes) {
    const std::string ascii = all_ascii();
    const std::u16string wide(ascii.begin(), ascii.end());
    EXPECT_EQ(utf8_to_utf16(ascii), wide);
    EXPECT_EQ(utf16_to_utf8(wide), ascii);
}

TEST(CodepageUtf8, ValidText) {
    EXPECT_EQ(utf8_to_utf16("\xE4\xB8\xAD\xE6\x96\x87"), u"\u4E2D\u6587");
    EXPECT_EQ(utf16_to_utf8(u"\u4E2D\u6587"), "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(utf8_to_utf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(utf16_to_utf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(utf8_to_utf16("\xEF\xBB\xBFz"), u"\uFEFFz");  // a BOM is a character
    EXPECT_EQ(utf8_to_utf16("\xC2\x80\xE0\xA0\x80\xEF\xBF\xBF"), u"\u0080\u0800\uFFFF");
    EXPECT_EQ(utf8_to_utf16("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"), u"\U00010000\U0010FFFF");
    EXPECT_EQ(utf16_to_utf8(u"\u0080\u0800\uFFFF\U0010FFFF"),
              "\xC2\x80\xE0\xA0\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF");
}

TEST(CodepageUtf8, EmbeddedZeroBytesAreCarriedThrough) {
    EXPECT_EQ(utf8_to_utf16("\xE4\xB8\xAD\0b\0"s), u"\u4E2D\0b\0"s);
    EXPECT_EQ(utf16_to_utf8(u"\u4E2D\0b\0"s), "\xE4\xB8\xAD\0b\0"s);
}

TEST(CodepageUtf8, BytesThatCannotStartACharacter) {
    EXPECT_EQ(utf8_to_utf16("\xFF"), u"\uFFFD");
    EXPECT_EQ(utf8_to_utf16("a\xFEz"), u"a\uFFFDz");
    EXPECT_EQ(utf8_to_utf16("\x80\xBF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xF8\x88\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xF5\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
}

// An overlong form, a surrogate or a value past U+10FFFF is noticed at the
// first continuation byte, which then shares the lead byte's U+FFFD; every
// later continuation byte gets its own.
TEST(CodepageUtf8, OverlongForms) {
    EXPECT_EQ(utf8_to_utf16("\xC0\x80"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xC1\xBF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xE0\x80\x80"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xE0\x9F\xBF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xF0\x80\x80\xAF"), u"\uFFFD\uFFFD\uFFFD");
}

TEST(CodepageUtf8, EncodedSurrogates) {
    EXPECT_EQ(utf8_to_utf16("\xED\xA0\x80"), u"\uFFFD\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xED\xA0\xBD\xED\xB8\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xED\x9F\xBF"), u"\uD7FF");
}

TEST(CodepageUtf8, ValuesPastTheLastCodePoint) {
    EXPECT_EQ(utf8_to_utf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD");
}

TEST(CodepageUtf8, SequenceCutShortInsideTheText) {
    EXPECT_EQ(utf8_to_utf16("\xE4\xB8Z"), u"\uFFFDZ");
    EXPECT_EQ(utf8_to_utf16("\xF0\x9F\x98Z"), u"\uFFFDZ");
    EXPECT_EQ(utf8_to_utf16("\xE4XY"), u"\uFFFDXY");
    EXPECT_EQ(utf8_to_utf16("\xE4\xB8\xE6\x96\x87"), u"\uFFFD\u6587");
}

// At the end of the input, a lead byte that announces more bytes than are
// left becomes one U+FFFD together with all the bytes after it, even ones
// that could not continue it.
TEST(CodepageUtf8, SequenceCutShortByTheEndOfTheInput) {
    EXPECT_EQ(utf8_to_utf16("A\xE4\xB8"), u"A\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xF0\x9F\x98"), u"\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xC2"), u"\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xE4Z"), u"\uFFFD");
    EXPECT_EQ(utf8_to_utf16("\xF0XY"), u"\uFFFD");
}

TEST(CodepageUtf8, LoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(utf16_to_utf8(u"\xD83DZ"), "\xEF\xBF\xBDZ");
    EXPECT_EQ(utf16_to_utf8(u"a\xD83D"), "a\xEF\xBF\xBD");
    EXPECT_EQ(utf16_to_utf8(u"\xDE00z"), "\xEF\xBF\xBDz");
    EXPECT_EQ(utf16_to_utf8(u"\xDE00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(utf16_to_utf8(u"\xD83D\xD83D\xDE00"), "\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

// --------------------------------------------------------------- compositions

TEST(CodepageCompositions, GbkToUtf8) {
    EXPECT_EQ(gbk_to_utf8("\xD6\xD0\xCE\xC4"), "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(gbk_to_utf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(gbk_to_utf8("a\xD6"), "a?");
    EXPECT_EQ(gbk_to_utf8("\xD6\xD0\0"s), "\xE4\xB8\xAD\0"s);
}

TEST(CodepageCompositions, Utf8ToGbk) {
    EXPECT_EQ(utf8_to_gbk("\xE4\xB8\xAD\xE6\x96\x87"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(utf8_to_gbk("\xE2\x82\xAC"), "\x80");
    EXPECT_EQ(utf8_to_gbk("\xF0\x9F\x98\x80"), "??");
    EXPECT_EQ(utf8_to_gbk("\xC0\x80"), "??");
    EXPECT_EQ(utf8_to_gbk("\xC3\xA2"), "a");
    EXPECT_EQ(utf8_to_gbk("\xE4\xB8\xAD\0"s), "\xD6\xD0\0"s);
}

TEST(CodepageCompositions, TextThatRoundTripsThroughGbk) {
    EXPECT_TRUE(utf8_round_trips_through_gbk(all_ascii()));
    EXPECT_TRUE(utf8_round_trips_through_gbk("\xE4\xB8\xAD\xE6\x96\x87"));
    EXPECT_TRUE(utf8_round_trips_through_gbk("\xE2\x82\xAC"));  // euro sign
    EXPECT_TRUE(utf8_round_trips_through_gbk("\xEE\x80\x80"));  // U+E000
    EXPECT_TRUE(utf8_round_trips_through_gbk("\xC2\xB7"));      // middle dot
    EXPECT_TRUE(utf8_round_trips_through_gbk("a\0\xE4\xB8\xAD?"s));
}

TEST(CodepageCompositions, TextThatDoesNotRoundTripThroughGbk) {
    EXPECT_FALSE(utf8_round_trips_through_gbk("a\xF0\x9F\x98\x80"));  // emoji
    EXPECT_FALSE(utf8_round_trips_through_gbk("\xF0\xA0\x80\x80"));   // CJK extension B
    EXPECT_FALSE(utf8_round_trips_through_gbk("\xEF\xBB\xBFz"));      // BOM
    EXPECT_FALSE(utf8_round_trips_through_gbk("\xC2\xA0"));           // no-break space
    EXPECT_FALSE(utf8_round_trips_through_gbk("\xC3\xA2"));           // best fit to 'a'
    EXPECT_FALSE(utf8_round_trips_through_gbk("\xEF\xBF\xBD"));       // U+FFFD itself
    EXPECT_FALSE(utf8_round_trips_through_gbk("\xC0\x80"));           // invalid UTF-8
    EXPECT_FALSE(utf8_round_trips_through_gbk("\xE4\xB8\xAD\xE4"));   // cut short
}

// ------------------------------------------------------------------ large text

// Each pattern converts the same wherever it stands (it ends in ASCII), so a
// long run of it converts to the run of its conversion. The prefixes shift
// the pattern so that the Windows backend's first cut falls on awkward
// places: inside a lead/trail pair after an odd or even run of lead bytes,
// between a lead byte and a zero byte, inside a UTF-8 sequence, after a
// sequence that only the next byte shows to be broken, between the halves of
// a surrogate pair and after a lone high surrogate.
const std::string kGbkPattern = "A\xD6\xD0\xCE\xC4\x80\x81 \x81\0\xA1\x40\xFF\xD6\xD0z"s;
const std::u16string kGbkPatternUtf16 = u"A\u4E2D\u6587\u20AC??\0\uE4C6\uF8F5\u4E2Dz"s;
const std::string kGbkPatternAgain = "A\xD6\xD0\xCE\xC4\x80??\0\xA1\x40\xFF\xD6\xD0z"s;

TEST(CodepageLarge, GbkAcrossPieces) {
    const size_t count = large_count(kGbkPattern);
    for (size_t prefix : {2, 7, 12, 13}) {
        const std::string gbk = repeated(prefix, kGbkPattern, count);
        const std::u16string utf16 = repeated(prefix, kGbkPatternUtf16, count);
        ASSERT_TRUE(gbk_to_utf16(gbk) == utf16) << prefix;
        ASSERT_TRUE(utf16_to_gbk(utf16) == repeated(prefix, kGbkPatternAgain, count)) << prefix;
    }
}

const std::string kUtf8Pattern =
    "a\xE4\xB8\xAD\xF0\x9F\x98\x80\xE4\xB8Z\xF0\x80\x80z\xED\xA0\x80\xFF\xC0\x80\0\xE2\x82\xACz"s;
const std::u16string kUtf8PatternUtf16 =
    u"a\u4E2D\U0001F600\uFFFDZ\uFFFD\uFFFDz\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\0\u20ACz"s;

TEST(CodepageLarge, Utf8AcrossPieces) {
    const size_t count = large_count(kUtf8Pattern);
    for (size_t prefix : {1, 3, 19, 22}) {
        const std::string utf8 = repeated(prefix, kUtf8Pattern, count);
        ASSERT_TRUE(utf8_to_utf16(utf8) == repeated(prefix, kUtf8PatternUtf16, count)) << prefix;
    }
}

const std::u16string kUtf16Pattern = u"a\u4E2D\U0001F600\xD83DZ\xDE00\u20AC\0\u00E2z"s;
const std::string kUtf16PatternUtf8 =
    "a\xE4\xB8\xAD\xF0\x9F\x98\x80\xEF\xBF\xBDZ\xEF\xBF\xBD\xE2\x82\xAC\0\xC3\xA2z"s;
const std::string kUtf16PatternGbk = "a\xD6\xD0???Z?\x80\0az"s;

TEST(CodepageLarge, Utf16AcrossPieces) {
    const size_t count = large_count(kUtf16Pattern);
    for (size_t prefix : {1, 8, 10}) {
        const std::u16string utf16 = repeated(prefix, kUtf16Pattern, count);
        ASSERT_TRUE(utf16_to_utf8(utf16) == repeated(prefix, kUtf16PatternUtf8, count)) << prefix;
        ASSERT_TRUE(utf16_to_gbk(utf16) == repeated(prefix, kUtf16PatternGbk, count)) << prefix;
    }
}

TEST(CodepageLarge, ChineseTextRoundTrips) {
    const std::string utf8_line = "\xE4\xB8\xAD\xE6\x96\x87\xE2\x82\xAC\n";
    const std::string gbk_line = "\xD6\xD0\xCE\xC4\x80\n";
    const std::string utf8 = repeated(0, utf8_line, large_count(utf8_line));
    const std::string gbk = repeated(0, gbk_line, large_count(utf8_line));
    EXPECT_TRUE(utf8_to_gbk(utf8) == gbk);
    EXPECT_TRUE(gbk_to_utf8(gbk) == utf8);
    EXPECT_TRUE(utf8_round_trips_through_gbk(utf8));
    EXPECT_FALSE(utf8_round_trips_through_gbk(utf8 + "\xF0\x9F\x98\x80"));
}

}  // namespace
}  // namespace qelvo::codepage
