// The wildcard matcher of platform/wildcard.h against a plain recursive matcher written from
// the rules its header gives.
//
// Two-byte characters that are two cases of one letter match too; they all lie in the rows
// whose first byte is 0xA2, 0xA3, 0xA6, 0xA7 or 0xA8 (Roman numerals, full-width Latin,
// Greek, Cyrillic, pinyin), so inputs holding such a row are only run for crashes here and
// the case tables are checked by the unit tests.
//
// Input: the pattern, then the rest as the file name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/wildcard.h"
#include "tests/fuzz/fuzz_support.h"

namespace qelvo::fuzz {
namespace {

// The bytes 0x81 to 0xFE begin a two-byte character; 0x80 and 0xFF are characters of one
// byte, and a last byte alone stays one byte.
bool begins_two_byte_character(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x81 && value <= 0xFE;
}

char folded(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// Characters of one byte match without regard to the case of ASCII letters; characters of two
// bytes match exactly, so a second byte is never taken for a letter.
bool same_character(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    return a.size() == 2 ? a == b : folded(a[0]) == folded(b[0]);
}

std::vector<std::string_view> characters(std::string_view text) {
    std::vector<std::string_view> pieces;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t width =
            begins_two_byte_character(text[at]) && at + 1 < text.size() ? 2 : 1;
        pieces.push_back(text.substr(at, width));
        at += width;
    }
    return pieces;
}

// The recursion of the rules themselves: a star takes nothing or one more character, a
// question mark one character, anything else the same character. Each pair of places is
// worked out once, so many stars do not make it take forever.
class Matcher {
  public:
    Matcher(std::vector<std::string_view> pattern, std::vector<std::string_view> name)
        : pattern_(std::move(pattern)),
          name_(std::move(name)),
          known_((pattern_.size() + 1) * (name_.size() + 1), kUnknown) {}

    bool matches(std::size_t p = 0, std::size_t n = 0) {
        signed char& known = known_[p * (name_.size() + 1) + n];
        if (known == kUnknown) known = work_out(p, n) ? 1 : 0;
        return known == 1;
    }

  private:
    static constexpr signed char kUnknown = -1;

    bool work_out(std::size_t p, std::size_t n) {
        if (p == pattern_.size()) return n == name_.size();
        if (pattern_[p] == "*") return matches(p + 1, n) || (n < name_.size() && matches(p, n + 1));
        if (n == name_.size()) return false;
        if (pattern_[p] == "?" || same_character(pattern_[p], name_[n]))
            return matches(p + 1, n + 1);
        return false;
    }

    std::vector<std::string_view> pattern_;
    std::vector<std::string_view> name_;
    std::vector<signed char> known_;
};

bool expected_match(std::string_view pattern, std::string_view name) {
    std::vector<std::string_view> pieces = characters(pattern);
    if (Matcher(pieces, characters(name)).matches()) return true;
    // A pattern ending in a dot and one or more stars also matches what matches the part
    // before that dot.
    std::size_t stars = 0;
    while (stars < pieces.size() && pieces[pieces.size() - 1 - stars] == "*") ++stars;
    if (stars == 0 || stars == pieces.size() || pieces[pieces.size() - 1 - stars] != ".") {
        return false;
    }
    pieces.resize(pieces.size() - 1 - stars);
    return Matcher(pieces, characters(name)).matches();
}

bool expected_valid(std::string_view pattern) {
    constexpr std::string_view kForbidden = "/\\:\"<>|";
    for (const std::string_view piece : characters(pattern)) {
        if (piece.size() != 1) continue;
        if (static_cast<unsigned char>(piece[0]) < 0x20 ||
            kForbidden.find(piece[0]) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

bool holds_a_row_of_cased_letters(std::string_view text) {
    for (const std::string_view piece : characters(text)) {
        if (piece.size() != 2) continue;
        const auto row = static_cast<unsigned char>(piece[0]);
        if (row == 0xA2 || row == 0xA3 || row == 0xA6 || row == 0xA7 || row == 0xA8) return true;
    }
    return false;
}

}  // namespace
}  // namespace qelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qelvo::fuzz;
    FuzzInput input(data, size);
    const ExactBytes pattern(input.take_text());
    const ExactBytes name(input.take_rest());

    Checks checks("fuzz_wildcard");
    checks.note("pattern", pattern.view());
    checks.note("name", name.view());

    const bool matched = qelvo::platform::wildcard_match(pattern.view(), name.view());
    const bool valid = qelvo::platform::pattern_is_valid(pattern.view());
    checks.equal(valid, expected_valid(pattern.view()), "pattern_is_valid");
    if (holds_a_row_of_cased_letters(pattern.view()) || holds_a_row_of_cased_letters(name.view())) {
        return 0;
    }
    checks.equal(matched, expected_match(pattern.view(), name.view()), "wildcard_match");
    return 0;
}
