#include "engine/byte_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "engine/gbk_search.h"
#include "tests/byte_literal.h"

namespace qelvo::testing {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// ---------------------------------------------------------------------------------------------
// The reference: every position compared byte by byte, and GBK characters walked from the
// first byte of the searched range.

char folded(char byte, bool ignore_case) {
    return ignore_case && byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

bool occurs_at(std::string_view text, std::size_t at, std::string_view sought, bool ignore_case) {
    if (at + sought.size() > text.size()) return false;
    for (std::size_t i = 0; i < sought.size(); ++i) {
        if (folded(text[at + i], ignore_case) != folded(sought[i], ignore_case)) return false;
    }
    return true;
}

std::size_t first_occurrence(std::string_view text, std::size_t from, std::string_view sought,
                             bool ignore_case) {
    for (std::size_t at = from; at + sought.size() <= text.size(); ++at) {
        if (occurs_at(text, at, sought, ignore_case)) return at;
    }
    return kNone;
}

std::size_t character_width(char first_byte) {
    return static_cast<unsigned char>(first_byte) >= 0x80 ? 2 : 1;
}

std::size_t first_at_character_start(std::string_view text, std::size_t from,
                                     std::string_view sought, bool ignore_case) {
    for (std::size_t at = from; at + sought.size() <= text.size();
         at += character_width(text[at])) {
        if (occurs_at(text, at, sought, ignore_case)) return at;
    }
    return kNone;
}

// ---------------------------------------------------------------------------------------------

// A text alone in a heap block of its own size, so that AddressSanitizer reports any read past
// its last byte.
class ExactBlock {
  public:
    explicit ExactBlock(std::string_view text)
        : bytes_(std::make_unique<char[]>(text.size())), size_(text.size()) {
        if (size_ != 0) std::memcpy(bytes_.get(), text.data(), size_);
    }

    const char* at(std::size_t offset) const { return bytes_.get() + offset; }
    std::size_t offset_of(const char* found) const {
        return found == nullptr ? kNone : static_cast<std::size_t>(found - bytes_.get());
    }

  private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_;
};

bool is_letter(char byte) { return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z'); }

// Texts of few distinct bytes, in which a needle and near misses of it are common: letters of
// both cases, the bytes next to the letters (which must not fold), GBK first and second bytes,
// and the needle's own bytes.
class RandomBytes {
  public:
    explicit RandomBytes(std::uint32_t seed) : engine_(seed) {}

    std::size_t below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(engine_);
    }
    bool one_in(std::size_t n) { return below(n) == 0; }

    std::string needle(std::size_t length) {
        std::string result(length, '\0');
        for (char& byte : result) byte = byte_like("");
        return result;
    }

    std::string text(std::string_view needle, std::size_t length) {
        std::string result;
        while (result.size() < length) {
            if (one_in(6)) {
                result += variant_of(needle);
            } else {
                result += byte_like(needle);
            }
        }
        // Cut where it falls, often through a copy of the needle.
        result.resize(length);
        return result;
    }

    // The needle with the case of some letters changed, and sometimes one byte changed.
    std::string variant_of(std::string_view needle) {
        std::string result(needle);
        for (char& byte : result) {
            if (is_letter(byte) && one_in(2)) byte = static_cast<char>(byte ^ 0x20);
        }
        if (!result.empty() && one_in(3)) result[below(result.size())] = byte_like(needle);
        return result;
    }

  private:
    char byte_like(std::string_view needle) {
        static constexpr char kLetters[] = {'a', 'A', 'b', 'B', 'z', 'Z'};
        // '@' '[' '`' '{' border the letters; 0xC1 and 0xE1 are 'A' and 'a' with the top bit.
        static constexpr char kNearLetters[] = {'@', '[', '`', '{', '\xC1', '\xE1'};
        switch (below(6)) {
            case 0:
                return kLetters[below(sizeof kLetters)];
            case 1:
                return kNearLetters[below(sizeof kNearLetters)];
            case 2:
                return static_cast<char>(0x80 + below(0x80));
            case 3:
                return static_cast<char>(0x40 + below(0x3F));
            default:
                return needle.empty() ? kLetters[below(sizeof kLetters)]
                                      : needle[below(needle.size())];
        }
    }

    std::mt19937 engine_;
};

// A searched range inside a text: bytes before it and after it must not count.
struct Range {
    std::string text;
    std::size_t from;
    std::size_t end;
};

// Up to a few vectors of candidate starts and a scalar tail, from any alignment. Half the
// ranges end at the end of the block, where AddressSanitizer watches; of the others, half have
// a copy of the needle running over their end.
Range random_range(RandomBytes& random, std::string_view pieces, std::string_view needle) {
    Range range;
    range.text = random.text(pieces, random.below(140));
    const std::size_t size = range.text.size();
    range.from = random.below(std::min<std::size_t>(size, 32) + 1);
    range.end = random.one_in(2) ? size : range.from + random.below(size - range.from + 1);
    if (range.end < size && needle.size() > 1 && random.one_in(2)) {
        const std::size_t past_end = 1 + random.below(needle.size() - 1);
        if (range.end + past_end >= range.from + needle.size() && range.end + past_end <= size) {
            range.text.replace(range.end + past_end - needle.size(), needle.size(), needle);
        }
    }
    return range;
}

std::string describe(const Range& range, std::string_view needle, bool ignore_case,
                     std::size_t from) {
    return "needle " + byte_literal(needle) + (ignore_case ? " ignoring case" : "") + "\ntext " +
           byte_literal(range.text) + "\nsearched from " + std::to_string(from) + " to " +
           std::to_string(range.end);
}

// Each case runs with every vector scan up to the widest the processor has.
class ByteSearchScan : public ::testing::TestWithParam<ByteSearch::Vectors> {
  protected:
    void SetUp() override { ByteSearch::limit_vectors(GetParam()); }
    void TearDown() override { ByteSearch::limit_vectors(ByteSearch::Vectors::avx512); }
};

INSTANTIATE_TEST_SUITE_P(VectorWidths, ByteSearchScan,
                         ::testing::Values(ByteSearch::Vectors::avx512, ByteSearch::Vectors::avx2,
                                           ByteSearch::Vectors::sse2),
                         [](const ::testing::TestParamInfo<ByteSearch::Vectors>& info) {
                             switch (info.param) {
                                 case ByteSearch::Vectors::avx512:
                                     return "Avx512";
                                 case ByteSearch::Vectors::avx2:
                                     return "Avx2";
                                 default:
                                     return "Sse2";
                             }
                         });

TEST_P(ByteSearchScan, FindsWhatComparingEveryPositionFinds) {
    RandomBytes random(20240611);
    for (int round = 0; round < 20000 && !HasFailure(); ++round) {
        const std::string needle = random.needle(1 + random.below(20));
        const bool ignore_case = random.one_in(2);
        const ByteSearch search(needle, ignore_case);
        const Range range = random_range(random, needle, needle);
        const ExactBlock block(range.text);
        const std::string_view searched = std::string_view(range.text).substr(0, range.end);
        // Every occurrence in turn, each search starting one byte after the last find.
        for (std::size_t from = range.from; from <= range.end;) {
            const std::size_t expected = first_occurrence(searched, from, needle, ignore_case);
            const std::size_t found =
                block.offset_of(search.find(block.at(from), block.at(range.end)));
            ASSERT_EQ(found, expected) << describe(range, needle, ignore_case, from);
            if (found == kNone) break;
            from = found + 1;
        }
    }
}

TEST_P(ByteSearchScan, FindsTheFirstOfTwoTextsOfTheSameLength) {
    RandomBytes random(20240616);
    for (int round = 0; round < 10000 && !HasFailure(); ++round) {
        // Often the same bytes in some places, so that the compared bytes of a candidate may
        // come from either text.
        const std::string needle = random.needle(1 + random.below(20));
        const std::string alternative = random.variant_of(needle);
        const ByteSearch search(needle, alternative);
        const Range range =
            random_range(random, needle + alternative, random.one_in(2) ? needle : alternative);
        const ExactBlock block(range.text);
        const std::string_view searched = std::string_view(range.text).substr(0, range.end);
        for (std::size_t from = range.from; from <= range.end;) {
            const std::size_t expected =
                std::min(first_occurrence(searched, from, needle, false),
                         first_occurrence(searched, from, alternative, false));
            const std::size_t found =
                block.offset_of(search.find(block.at(from), block.at(range.end)));
            ASSERT_EQ(found, expected)
                << describe(range, needle, false, from) << "\nor " << byte_literal(alternative);
            if (found == kNone) break;
            from = found + 1;
        }
    }
}

TEST_P(ByteSearchScan, FindsALoneOccurrenceAtEveryOffset) {
    // Every offset within and after two vectors of candidate starts, for every needle length,
    // among bytes that never match.
    RandomBytes random(7);
    for (std::size_t length = 1; length <= 20; ++length) {
        const std::string needle = random.needle(length);
        for (const bool ignore_case : {false, true}) {
            const ByteSearch search(needle, ignore_case);
            std::string placed = needle;
            if (ignore_case) {
                for (char& byte : placed) {
                    if (is_letter(byte)) byte = static_cast<char>(byte ^ 0x20);
                }
            }
            for (std::size_t size = length; size <= length + 72; ++size) {
                for (std::size_t at = 0; at + length <= size; ++at) {
                    std::string text(size, '.');
                    text.replace(at, length, placed);
                    const ExactBlock block(text);
                    ASSERT_EQ(block.offset_of(search.find(block.at(0), block.at(size))), at)
                        << "needle " << byte_literal(needle) << " in " << byte_literal(text);
                }
            }
        }
    }
}

TEST_P(ByteSearchScan, FindsAtGbkCharacterStartsWhatWalkingTheCharactersFinds) {
    RandomBytes random(20240612);
    for (int round = 0; round < 20000 && !HasFailure(); ++round) {
        const std::string needle = random.needle(1 + random.below(20));
        const bool ignore_case = random.one_in(2);
        const ByteSearch search(needle, ignore_case);
        const Range range = random_range(random, needle, needle);
        const ExactBlock block(range.text);
        const std::string_view searched = std::string_view(range.text).substr(0, range.end);
        // Every occurrence in turn, each search starting at the character after the last find.
        for (std::size_t from = range.from; from <= range.end;) {
            const std::size_t expected =
                first_at_character_start(searched, from, needle, ignore_case);
            const std::size_t found = block.offset_of(
                find_at_gbk_character_start(search, block.at(from), block.at(range.end)));
            ASSERT_EQ(found, expected) << describe(range, needle, ignore_case, from);
            if (found == kNone) break;
            from = found + character_width(range.text[found]);
        }
    }
}

// The reference for the one-pass scan: the text ends at its first zero byte, and of the
// accepted occurrences of the sought text and the occurrences of the other text before it, the
// one that begins first wins, the sought text on a tie.
FirstFound::Kind expected_first(std::string_view text, std::size_t from, std::string_view sought,
                                bool ignore_case, std::string_view other, bool gbk_starts,
                                std::size_t& at) {
    const std::size_t zero = text.find('\0', from);
    const std::string_view ended = text.substr(0, zero == kNone ? text.size() : zero);
    const std::size_t found = gbk_starts
                                  ? first_at_character_start(ended, from, sought, ignore_case)
                                  : first_occurrence(ended, from, sought, ignore_case);
    const std::size_t other_found =
        other.empty() ? kNone : first_occurrence(ended, from, other, false);
    at = std::min(found, other_found);
    if (at == kNone) {
        at = zero;
        return zero == kNone ? FirstFound::Kind::nothing : FirstFound::Kind::zero_byte;
    }
    return found <= other_found ? FirstFound::Kind::sought : FirstFound::Kind::other;
}

TEST_P(ByteSearchScan, FindFirstMeetsZeroBytesMatchesAndTheOtherTextInTheirOrder) {
    RandomBytes random(20261209);
    for (int round = 0; round < 30000 && !HasFailure(); ++round) {
        std::string needle = random.needle(1 + random.below(12));
        std::string other = random.one_in(3) ? std::string() : random.needle(1 + random.below(6));
        for (std::string* text : {&needle, &other}) {
            std::replace(text->begin(), text->end(), '\0', 'z');
        }
        const bool ignore_case = random.one_in(2);
        // Matches at character starts only, as a GBK piece is searched, or anywhere.
        const bool gbk_starts = random.one_in(2);
        const ByteSearch search(needle, ignore_case);
        const ByteSearch other_search(other, other);
        Range range = random_range(random, needle + other, random.one_in(2) ? needle : other);
        if (random.one_in(3) && range.end > range.from) {
            range.text[range.from + random.below(range.end - range.from)] = '\0';
        }
        // The range must begin at a character start for the look-back to be right.
        range.from = 0;
        const ExactBlock block(range.text);
        const std::string_view searched = std::string_view(range.text).substr(0, range.end);
        std::size_t expected_at = kNone;
        const FirstFound::Kind expected =
            expected_first(searched, 0, needle, ignore_case, other, gbk_starts, expected_at);
        GbkCharacterStarts starts(block.at(0));
        const FirstFound found = search.find_first(
            other.empty() ? nullptr : &other_search, block.at(0), block.at(range.end),
            [&](const char* at) { return !gbk_starts || starts.begins_character(at); });
        const std::string context = describe(range, needle, ignore_case, 0) + "\nother " +
                                    byte_literal(other) + (gbk_starts ? " at GBK starts" : "");
        ASSERT_EQ(found.kind, expected) << context;
        if (expected != FirstFound::Kind::nothing) {
            ASSERT_EQ(block.offset_of(found.at), expected_at) << context;
        }
    }
}

// The scan notes zero bytes only by the smallest byte of the vectors it passes, so a zero
// counts wherever it lies against the vectors: before a candidate, after one, in the same
// vector, or with no candidate at all, and of two zeros the first.
TEST_P(ByteSearchScan, FindFirstGivesTheFirstZeroWhereverItLiesAgainstTheVectors) {
    const std::string needle = "\xE8\x93\x9D";
    const std::string other = "\xE2\x82\xAC";
    const ByteSearch search(needle, false);
    const ByteSearch other_search(other, other);
    constexpr std::size_t kLength = 300;
    constexpr std::size_t kNowhere = kLength;
    for (std::size_t zero = 0; zero <= kLength && !HasFailure(); zero += 3) {
        for (std::size_t match = 0; match <= kNowhere && !HasFailure(); match += 11) {
            for (const bool with_other : {false, true}) {
                std::string text(kLength, 'a');
                if (match + needle.size() <= kLength) text.replace(match, needle.size(), needle);
                if (with_other && match >= 40) text.replace(match - 40, other.size(), other);
                if (zero < kLength) text[zero] = '\0';
                if (zero + 70 < kLength) text[zero + 70] = '\0';
                const ExactBlock block(text);
                std::size_t expected_at = kNone;
                const FirstFound::Kind expected =
                    expected_first(text, 0, needle, false, other, false, expected_at);
                const FirstFound found =
                    search.find_first(&other_search, block.at(0), block.at(text.size()),
                                      [](const char*) { return true; });
                const std::string context = "zero at " + std::to_string(zero) + ", match at " +
                                            std::to_string(match) + (with_other ? ", other" : "");
                ASSERT_EQ(found.kind, expected) << context;
                if (expected != FirstFound::Kind::nothing) {
                    ASSERT_EQ(block.offset_of(found.at), expected_at) << context;
                }
            }
        }
    }
}

}  // namespace
}  // namespace qelvo::testing
