#include "engine/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace qelvo::text {
namespace {

using Pieces = std::vector<std::string>;

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

// ---------------------------------------------------------------------------------------------
// find_text

TEST(TextFindText, ByteThatOccursOnlyAsSecondByteIsNotFound) {
    EXPECT_EQ(find_text("\xC4\xBA\xCA\xC7", "\xBA"), kNotFound);
}

TEST(TextFindText, IgnoreCaseFoldsAsciiLetters) {
    EXPECT_EQ(find_text("ABC", "abc", 1, true), 1);
    EXPECT_EQ(find_text("ABC", "abc", 1, false), kNotFound);
    EXPECT_EQ(find_text("xxAbC", "aBc", 1, true), 3);
}

TEST(TextFindText, IgnoreCaseFoldsNothingButLetters) {
    EXPECT_EQ(find_text("@[", "`{", 1, true), kNotFound);
}

TEST(TextFindText, IgnoreCaseAlsoFoldsSecondBytes) {
    EXPECT_EQ(find_text("\x81\x41", "\x81\x61", 1, true), 1);
    EXPECT_EQ(find_text("\x81\x41", "\x81\x61", 1, false), kNotFound);
}

TEST(TextFindText, AsciiSecondByteIsNotACharacterStart) {
    EXPECT_EQ(find_text("\x81\x41", "A"), kNotFound);
    EXPECT_EQ(find_text("\x81\x41", "a", 1, true), kNotFound);
    EXPECT_EQ(find_text("\x81\x41\x41", "A"), 3);
}

TEST(TextFindText, EmptySoughtGivesOneWhenAnythingIsScanned) {
    EXPECT_EQ(find_text("abcd", "", 3), 1);
    EXPECT_EQ(find_text("abcd", "", 4), 1);
    EXPECT_EQ(find_text("abcd", "", 5), kNotFound);
    EXPECT_EQ(find_text("", ""), kNotFound);
}

TEST(TextFindText, StartAtOrBelowOneScansTheWholeText) {
    EXPECT_EQ(find_text("xab", "ab", 0), 2);
    EXPECT_EQ(find_text("xab", "ab", -7), 2);
}

TEST(TextFindText, StartBeyondTheEndFindsNothing) {
    EXPECT_EQ(find_text("abc", "c", 3), 3);
    EXPECT_EQ(find_text("abc", "c", 4), kNotFound);
    EXPECT_EQ(find_text("abc", "c", 100), kNotFound);
}

TEST(TextFindText, CharacterStartsAreCountedFromStart) {
    // From byte 1 the characters are C4 BA | C4 (a lone first byte); from byte 2 the scan treats
    // BA as a first byte, so BA C4 becomes a character that matches.
    EXPECT_EQ(find_text("\xC4\xBA\xC4", "\xBA\xC4", 1), kNotFound);
    EXPECT_EQ(find_text("\xC4\xBA\xC4", "\xBA\xC4", 2), 2);
}

TEST(TextFindText, MatchMayEndInsideACharacter) { EXPECT_EQ(find_text("a\xC4\xBA", "a\xC4"), 1); }

TEST(TextFindText, LoneFirstByteAtTheEndIsStillCompared) {
    EXPECT_EQ(find_text("ab\xC4", "\xC4"), 3);
    EXPECT_EQ(find_text("ab\xC4", "\xC4\xBA"), kNotFound);
}

TEST(TextFindText, SoughtLongerThanTheRestIsNotFound) {
    EXPECT_EQ(find_text("abc", "bcd"), kNotFound);
    EXPECT_EQ(find_text("abcabc", "abc", 5), kNotFound);
}

// ---------------------------------------------------------------------------------------------
// find_last

TEST(TextFindLast, OverlappingMatchesAllCount) { EXPECT_EQ(find_last("aaa", "aa"), 2); }

TEST(TextFindLast, SkipsMatchesOnSecondBytes) {
    EXPECT_EQ(find_last("ab\xC4\x61", "a"), 1);
    EXPECT_EQ(find_last("\xC4\xBA\xCA\xC7", "\xBA"), kNotFound);
}

TEST(TextFindLast, IgnoreCase) {
    EXPECT_EQ(find_last("abcABC", "abc", true), 4);
    EXPECT_EQ(find_last("abcABC", "abc", false), 1);
}

TEST(TextFindLast, EmptyInputs) {
    EXPECT_EQ(find_last("", "a"), kNotFound);
    EXPECT_EQ(find_last("", ""), kNotFound);
    EXPECT_EQ(find_last("abc", ""), 1);
    EXPECT_EQ(find_last("abc", "x"), kNotFound);
}

// ---------------------------------------------------------------------------------------------
// replace_text

TEST(TextReplaceText, MatchesDoNotOverlap) { EXPECT_EQ(replace_text("aaa", "aa", "b"), "ba"); }

TEST(TextReplaceText, ReplacementIsNotScannedAgain) {
    EXPECT_EQ(replace_text("aaa", "a", "aa"), "aaaaaa");
}

TEST(TextReplaceText, CountLimitsReplacements) {
    EXPECT_EQ(replace_text("a-a-a", "a", "b", 1, 1), "b-a-a");
    EXPECT_EQ(replace_text("a-a-a", "a", "b", 1, 2), "b-b-a");
    EXPECT_EQ(replace_text("a-a-a", "a", "b", 1, 0), "a-a-a");
    EXPECT_EQ(replace_text("a-a-a", "a", "b", 1, kEveryOccurrence), "b-b-b");
    EXPECT_EQ(replace_text("a-a-a", "a", "b", 1, -5), "b-b-b");
}

TEST(TextReplaceText, BytesBeforeStartAreKept) {
    EXPECT_EQ(replace_text("aaaa", "a", "b", 3), "aabb");
    EXPECT_EQ(replace_text("aaaa", "a", "b", 0), "bbbb");
    EXPECT_EQ(replace_text("aaaa", "a", "b", 5), "aaaa");
}

TEST(TextReplaceText, NothingToDoReturnsTheTextUnchanged) {
    EXPECT_EQ(replace_text("", "a", "b"), "");
    EXPECT_EQ(replace_text("abc", "", "b"), "abc");
    EXPECT_EQ(replace_text("abc", "x", "b"), "abc");
}

TEST(TextReplaceText, DefaultReplacementDeletes) { EXPECT_EQ(replace_text("a,b,c", ","), "abc"); }

TEST(TextReplaceText, OnlyMatchesAtCharacterStarts) {
    EXPECT_EQ(replace_text("\xC4\xBA\xCA\xC7", "\xBA", "x"), "\xC4\xBA\xCA\xC7");
    EXPECT_EQ(replace_text("\x81\x41\x41", "A", "b"), "\x81\x41\x62");
}

TEST(TextReplaceText, CaseInsensitiveReplacement) {
    EXPECT_EQ(replace_text("Abc aBC", "abc", "x", 1, kEveryOccurrence, false), "x x");
    EXPECT_EQ(replace_text("Abc aBC", "abc", "x", 1, kEveryOccurrence, true), "Abc aBC");
}

TEST(TextReplaceText, ScanResumesRightAfterAMatchEvenInsideACharacter) {
    // Read from the beginning, C4 C4 is one character; but once the first C4 is replaced the
    // second one starts the rest of the scan and matches too.
    EXPECT_EQ(find_last("\xC4\xC4\xBA", "\xC4"), 1);
    EXPECT_EQ(replace_text("\xC4\xC4\xBA", "\xC4", "-"), "--\xBA");
}

// ---------------------------------------------------------------------------------------------
// split_text

TEST(TextSplitText, LineBreaksKeepInnerEmptyPieceAndDropTheFinalOne) {
    EXPECT_EQ(split_text("a\r\n\r\nb\r\n", "\r\n"), (Pieces{"a", "", "b"}));
}

TEST(TextSplitText, LeadingAndRepeatedDelimiters) {
    EXPECT_EQ(split_text(",a", ","), (Pieces{"", "a"}));
    EXPECT_EQ(split_text(",,", ","), (Pieces{"", ""}));
    EXPECT_EQ(split_text("a,", ","), (Pieces{"a"}));
}

TEST(TextSplitText, EmptyTextOrDelimiter) {
    EXPECT_EQ(split_text("", ","), Pieces{});
    EXPECT_EQ(split_text("a,b", ""), Pieces{"a,b"});
    EXPECT_EQ(split_text("ab", ","), Pieces{"ab"});
}

TEST(TextSplitText, DelimiterOnSecondByteDoesNotSplit) {
    EXPECT_EQ(split_text("\x81,x,y", ","), (Pieces{"\x81,x", "y"}));
}

TEST(TextSplitText, IsCaseSensitive) { EXPECT_EQ(split_text("aXbxc", "x"), (Pieces{"aXb", "c"})); }

// ---------------------------------------------------------------------------------------------
// text_after_last, right_part, left_part

TEST(TextAfterLast, TakesEverythingAfterTheLastMatch) {
    EXPECT_EQ(text_after_last("a.b.txt", "."), "txt");
    EXPECT_EQ(text_after_last("a--b--c", "--"), "c");
    EXPECT_EQ(text_after_last("a.", "."), "");
}

TEST(TextAfterLast, NoMatchGivesEmptyText) {
    EXPECT_EQ(text_after_last("readme", "."), "");
    EXPECT_EQ(text_after_last("", "."), "");
}

TEST(TextAfterLast, IgnoresDelimiterOnSecondByte) {
    EXPECT_EQ(text_after_last("x.\x81.", "."), "\x81.");
}

TEST(TextRightPart, CutsBytesFromTheEnd) {
    EXPECT_EQ(right_part("abc", 2), "bc");
    EXPECT_EQ(right_part("abc", 3), "abc");
    EXPECT_EQ(right_part("abc", 9), "abc");
    EXPECT_EQ(right_part("abc", 0), "");
    EXPECT_EQ(right_part("abc", -1), "");
    EXPECT_EQ(right_part("\xC4\xBA", 1), "\xBA");
}

TEST(TextLeftPart, CutsBytesFromTheStart) {
    EXPECT_EQ(left_part("abc", 2), "ab");
    EXPECT_EQ(left_part("abc", 9), "abc");
    EXPECT_EQ(left_part("abc", 0), "");
    EXPECT_EQ(left_part("abc", -1), "");
    EXPECT_EQ(left_part("\xC4\xBA", 1), "\xC4");
}

// ---------------------------------------------------------------------------------------------
// trim

TEST(TextTrim, RemovesSpacesAndFullWidthSpaces) {
    EXPECT_EQ(trim("\xA1\xA1\xA1\xA1x "), "x");
    EXPECT_EQ(trim(" \xA1\xA1 a b \xA1\xA1 "), "a b");
    EXPECT_EQ(trim(" \xA1\xA1 "), "");
    EXPECT_EQ(trim(""), "");
}

TEST(TextTrim, KeepsOtherWhiteSpace) { EXPECT_EQ(trim("\tx\r\n"), "\tx\r\n"); }

TEST(TextTrim, FullWidthSpaceMustBeAWholeCharacter) {
    // B0 A1 is one character, so the trailing A1 A1 bytes are not a full-width space.
    EXPECT_EQ(trim("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
    EXPECT_EQ(trim("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
    EXPECT_EQ(trim("x\xA1"), "x\xA1");
    EXPECT_EQ(trim("\x81 "), "\x81 ");
}

// ---------------------------------------------------------------------------------------------
// bytes_to_text, text_to_bytes

TEST(TextBytesToText, StopsAtTheFirstZeroByte) {
    using namespace std::string_view_literals;
    EXPECT_EQ(bytes_to_text("ab\0cd"sv), "ab");
    EXPECT_EQ(bytes_to_text("\0ab"sv), "");
    EXPECT_EQ(bytes_to_text("\xC4\xBA"), "\xC4\xBA");
}

TEST(TextTextToBytes, KeepsEveryByteWithoutTerminator) {
    const std::string bytes = text_to_bytes("a\xC4\xBA");
    EXPECT_EQ(bytes, "a\xC4\xBA");
    EXPECT_EQ(bytes.size(), 3u);
}

// ---------------------------------------------------------------------------------------------
// integer_value, decimal_text

TEST(TextIntegerValue, ReadsTheLeadingNumber) {
    EXPECT_EQ(integer_value("12abc"), 12);
    EXPECT_EQ(integer_value("abc"), 0);
    EXPECT_EQ(integer_value(""), 0);
    EXPECT_EQ(integer_value("1 2"), 1);
}

TEST(TextIntegerValue, SignsAndLeadingWhiteSpace) {
    EXPECT_EQ(integer_value("  -42"), -42);
    EXPECT_EQ(integer_value("+7"), 7);
    EXPECT_EQ(integer_value("\t\r\n\v\f 3"), 3);
    EXPECT_EQ(integer_value("- 5"), 0);
    EXPECT_EQ(integer_value("-"), 0);
}

TEST(TextIntegerValue, NarrowsFullWidthFormsFirst) {
    EXPECT_EQ(integer_value("\xA3\xB1\xA3\xB0"), 10);  // full-width 10
    EXPECT_EQ(integer_value("\xA3\xAD\xA3\xB5"), -5);  // full-width minus and 5
    EXPECT_EQ(integer_value("\xA1\xA1\xA3\xB7x"), 7);  // full-width space and 7
    EXPECT_EQ(integer_value("3\xA3\xB4"), 34);         // mixed widths
    EXPECT_EQ(integer_value("\xA1\xAB\x35"), 0);       // becomes "~5"
}

TEST(TextIntegerValue, ClampsToTheInt32Range) {
    EXPECT_EQ(integer_value("2147483647"), kInt32Max);
    EXPECT_EQ(integer_value("2147483648"), kInt32Max);
    EXPECT_EQ(integer_value("99999999999999999999999"), kInt32Max);
    EXPECT_EQ(integer_value("-2147483648"), kInt32Min);
    EXPECT_EQ(integer_value("-2147483649"), kInt32Min);
    EXPECT_EQ(integer_value("-99999999999999999999999"), kInt32Min);
}

TEST(TextDecimalText, WritesPlainDecimal) {
    EXPECT_EQ(decimal_text(0), "0");
    EXPECT_EQ(decimal_text(42), "42");
    EXPECT_EQ(decimal_text(-7), "-7");
    EXPECT_EQ(decimal_text(kInt32Max), "2147483647");
    EXPECT_EQ(decimal_text(kInt32Min), "-2147483648");
}

// ---------------------------------------------------------------------------------------------
// Differential test against references that compare at every character start, exactly as the
// scanning rule reads, without any substring search.

namespace reference {

bool is_lead_byte(char byte) { return static_cast<unsigned char>(byte) >= 0x80; }

char fold(char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + ('a' - 'A')) : byte;
}

bool matches_at(const std::string& text, std::size_t at, const std::string& sought,
                bool fold_case) {
    for (std::size_t i = 0; i < sought.size(); ++i) {
        const char a = fold_case ? fold(text[at + i]) : text[at + i];
        const char b = fold_case ? fold(sought[i]) : sought[i];
        if (a != b) {
            return false;
        }
    }
    return true;
}

// Steps to the next character start; false when a first byte meets the end of the text.
bool step(const std::string& text, std::size_t& at) {
    if (is_lead_byte(text[at])) {
        if (at + 1 == text.size()) {
            return false;
        }
        at += 2;
    } else {
        at += 1;
    }
    return true;
}

Position find_text(const std::string& text, const std::string& sought, Position start,
                   bool ignore_case) {
    std::size_t at = start <= 1 ? 0 : static_cast<std::size_t>(start - 1);
    if (at >= text.size()) {
        return kNotFound;
    }
    if (sought.empty()) {
        return 1;
    }
    while (text.size() - at >= sought.size()) {
        if (matches_at(text, at, sought, ignore_case)) {
            return static_cast<Position>(at) + 1;
        }
        if (!step(text, at)) {
            break;
        }
    }
    return kNotFound;
}

Position find_last(const std::string& text, const std::string& sought, bool ignore_case) {
    if (text.empty()) {
        return kNotFound;
    }
    if (sought.empty()) {
        return 1;
    }
    Position last = kNotFound;
    std::size_t at = 0;
    while (text.size() - at >= sought.size()) {
        if (matches_at(text, at, sought, ignore_case)) {
            last = static_cast<Position>(at) + 1;
        }
        if (!step(text, at)) {
            break;
        }
    }
    return last;
}

std::string replace_text(const std::string& text, const std::string& sought,
                         const std::string& replacement, Position start, std::ptrdiff_t count,
                         bool case_sensitive) {
    std::size_t at = start <= 1 ? 0 : static_cast<std::size_t>(start - 1);
    if (text.empty() || sought.empty() || at >= text.size() || count == 0) {
        return text;
    }
    std::string result = text.substr(0, at);
    std::ptrdiff_t replaced = 0;
    while (text.size() - at >= sought.size()) {
        if (matches_at(text, at, sought, !case_sensitive)) {
            result += replacement;
            at += sought.size();
            ++replaced;
            if (count >= 0 && replaced == count) {
                break;
            }
            continue;
        }
        const std::size_t width = is_lead_byte(text[at]) ? 2 : 1;
        result += text.substr(at, width);
        at += width;
        if (at > text.size()) {
            at = text.size();
        }
    }
    return result + text.substr(at);
}

Pieces split_text(const std::string& text, const std::string& delimiter) {
    if (text.empty()) {
        return {};
    }
    if (delimiter.empty()) {
        return {text};
    }
    Pieces pieces;
    std::size_t piece_start = 0;
    std::size_t at = 0;
    while (text.size() - at >= delimiter.size()) {
        if (matches_at(text, at, delimiter, false)) {
            pieces.push_back(text.substr(piece_start, at - piece_start));
            at += delimiter.size();
            piece_start = at;
            continue;
        }
        if (!step(text, at)) {
            break;
        }
    }
    if (piece_start < text.size()) {
        pieces.push_back(text.substr(piece_start));
    }
    return pieces;
}

}  // namespace reference

// Few distinct bytes so that matches are frequent: letters of both cases, ASCII bytes that are
// valid second bytes, and first bytes across the double-byte range.
class RandomGbk {
  public:
    explicit RandomGbk(std::uint32_t seed) : engine_(seed) {}

    std::string text() {
        std::string result(below(25), '\0');
        for (char& byte : result) {
            byte = pick_byte();
        }
        if (below(6) == 0) {
            result.push_back('\xC4');  // A lone first byte at the end.
        }
        return result;
    }

    // Usually cut out of the text, with letters' case sometimes flipped, so that it matches.
    std::string sought(const std::string& text) {
        std::string result;
        if (!text.empty() && below(3) != 0) {
            const std::size_t from = below(text.size());
            result = text.substr(from, below(5));
        } else {
            result.resize(below(5));
            for (char& byte : result) {
                byte = pick_byte();
            }
        }
        for (char& byte : result) {
            if (below(4) == 0 && ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z'))) {
                byte = static_cast<char>(byte ^ 0x20);
            }
        }
        return result;
    }

    Position start(const std::string& text) {
        return static_cast<Position>(below(text.size() + 7)) - 3;
    }

    std::ptrdiff_t count() { return static_cast<std::ptrdiff_t>(below(5)) - 1; }

    bool coin() { return below(2) == 0; }

  private:
    std::size_t below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(engine_);
    }

    char pick_byte() {
        static constexpr char kBytes[] = {'a', 'b',    'A',    'B',    'A',    '@',    '~',
                                          ',', '\x80', '\x81', '\xA1', '\xBA', '\xC4', '\xFE'};
        return kBytes[below(sizeof kBytes)];
    }

    std::mt19937 engine_;
};

TEST(TextDifferential, AgreesWithCharacterByCharacterReference) {
    RandomGbk random(20240607);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = random.text();
        const std::string sought = random.sought(text);
        const std::string replacement = random.sought(text);
        const Position start = random.start(text);
        const std::ptrdiff_t count = random.count();
        const bool ignore_case = random.coin();
        SCOPED_TRACE(testing::Message() << "round " << round << " start " << start << " count "
                                        << count << " ignore_case " << ignore_case);

        ASSERT_EQ(find_text(text, sought, start, ignore_case),
                  reference::find_text(text, sought, start, ignore_case));
        ASSERT_EQ(find_last(text, sought, ignore_case),
                  reference::find_last(text, sought, ignore_case));
        ASSERT_EQ(replace_text(text, sought, replacement, start, count, !ignore_case),
                  reference::replace_text(text, sought, replacement, start, count, !ignore_case));
        ASSERT_EQ(split_text(text, sought), reference::split_text(text, sought));
    }
}

// ---------------------------------------------------------------------------------------------
// Large inputs: every candidate the substring search proposes lies inside a character, which
// would make a scan that restarts from the beginning for each candidate quadratic.

TEST(TextLargeInput, MisalignedCandidatesStayLinear) {
    std::string text(std::size_t{1} << 20, '\xC4');
    for (std::size_t i = 1; i < text.size(); i += 2) {
        text[i] = '\xBA';
    }
    const std::string misaligned = "\xBA\xC4";
    EXPECT_EQ(find_text(text, misaligned), kNotFound);
    EXPECT_EQ(find_text(text, misaligned, 1, true), kNotFound);
    EXPECT_EQ(find_last(text, misaligned), kNotFound);
    EXPECT_EQ(replace_text(text, misaligned, "x"), text);
    EXPECT_EQ(split_text(text, misaligned), Pieces{text});
    EXPECT_EQ(find_text(text + "\xBA\xC4", misaligned), static_cast<Position>(text.size()) + 1);
}

}  // namespace
}  // namespace qelvo::text
