// The GBK text primitives of engine/text.h against the slow model of gbk_reference.h and
// against the rules their header gives.
//
// Input: a byte of choices (bit 0 ignores case), a byte for the start position, a byte for the
// count of replacements and the lengths given to left_part and right_part, the sought text,
// the replacement, and the rest as the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "engine/text.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/gbk_reference.h"

namespace qelvo::fuzz {
namespace {

namespace ref = reference;
using text::Position;

struct Inputs {
    bool ignore_case;
    Position start;        // -2 to 253: before the text, in it, and past its end
    std::ptrdiff_t count;  // -128 to 127: negative replaces every occurrence
    std::string sought;
    std::string replacement;
    std::string text;
};

void check_searches(const Checks& checks, const Inputs& in, std::string_view text) {
    checks.equal(text::find_text(text, in.sought, in.start, in.ignore_case),
                 ref::find_text(text, in.sought, in.start, in.ignore_case), "find_text");
    checks.equal(text::find_last(text, in.sought, in.ignore_case),
                 ref::find_last(text, in.sought, in.ignore_case), "find_last");
    const bool case_sensitive = !in.ignore_case;
    checks.equal(
        text::replace_text(text, in.sought, in.replacement, in.start, in.count, case_sensitive),
        ref::replace_text(text, in.sought, in.replacement, in.start, in.count, case_sensitive),
        "replace_text");
    checks.equal(text::replace_text(text, in.sought, in.replacement),
                 ref::replace_text(text, in.sought, in.replacement, 1, -1, true),
                 "replace_text with its defaults");
    checks.equal(text::split_text(text, in.sought), ref::split_text(text, in.sought), "split_text");
}

void check_text_after_last(const Checks& checks, const Inputs& in, std::string_view text) {
    const std::ptrdiff_t last = ref::find_last(text, in.sought, false);
    const std::string expected =
        last < 0 ? std::string() : std::string(text.substr(last - 1 + in.sought.size()));
    checks.equal(text::text_after_last(text, in.sought), expected, "text_after_last");
}

void check_parts(const Checks& checks, std::string_view text, std::ptrdiff_t n) {
    const std::size_t length = n <= 0 ? 0 : std::min(static_cast<std::size_t>(n), text.size());
    checks.equal(text::left_part(text, n), std::string(text.substr(0, length)), "left_part");
    checks.equal(text::right_part(text, n), std::string(text.substr(text.size() - length)),
                 "right_part");
    checks.equal(text::bytes_to_text(text), std::string(text.substr(0, text.find('\0'))),
                 "bytes_to_text");
    checks.equal(text::text_to_bytes(text), std::string(text), "text_to_bytes");
}

// The characters of the text one by one, a lone last first byte as a character of its own.
std::vector<std::string_view> characters(std::string_view text) {
    std::vector<std::string_view> pieces;
    for (std::size_t at = 0; at < text.size(); at += ref::step(text[at])) {
        pieces.push_back(text.substr(at, ref::step(text[at])));
    }
    return pieces;
}

bool is_blank(std::string_view character) { return character == " " || character == "\xA1\xA1"; }

void check_trim(const Checks& checks, std::string_view text) {
    const std::vector<std::string_view> pieces = characters(text);
    std::size_t first = 0;
    std::size_t last = pieces.size();
    while (first < last && is_blank(pieces[first])) ++first;
    while (last > first && is_blank(pieces[last - 1])) --last;
    std::string expected;
    for (std::size_t i = first; i < last; ++i) expected += pieces[i];
    checks.equal(text::trim(text), expected, "trim");
}

// The value of an ASCII character or of its full-width form, or -1 for any other character.
int digit_value(std::string_view character) {
    if (character.size() == 1 && character[0] >= '0' && character[0] <= '9') {
        return character[0] - '0';
    }
    if (character.size() == 2 && character[0] == '\xA3' &&
        static_cast<unsigned char>(character[1]) >= 0xB0 &&
        static_cast<unsigned char>(character[1]) <= 0xB9) {
        return static_cast<unsigned char>(character[1]) - 0xB0;
    }
    return -1;
}

bool is_number_blank(std::string_view character) {
    return character == " " || character == "\t" || character == "\r" || character == "\n" ||
           character == "\v" || character == "\f" || character == "\xA1\xA1";
}

std::int32_t expected_integer(std::string_view text) {
    const std::vector<std::string_view> pieces = characters(text);
    std::size_t at = 0;
    while (at < pieces.size() && is_number_blank(pieces[at])) ++at;
    bool negative = false;
    if (at < pieces.size() && (pieces[at] == "+" || pieces[at] == "\xA3\xAB" || pieces[at] == "-" ||
                               pieces[at] == "\xA3\xAD")) {
        negative = pieces[at] == "-" || pieces[at] == "\xA3\xAD";
        ++at;
    }
    // Past 2^40 the value is clamped whatever follows, so the magnitude stops growing there.
    constexpr std::int64_t kCeiling = std::int64_t{1} << 40;
    std::int64_t magnitude = 0;
    for (; at < pieces.size() && digit_value(pieces[at]) >= 0; ++at) {
        magnitude = std::min(kCeiling, magnitude * 10 + digit_value(pieces[at]));
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void check_numbers(const Checks& checks, std::string_view text, std::int32_t value) {
    checks.equal(text::integer_value(text), expected_integer(text), "integer_value");
    checks.equal(text::decimal_text(value), std::to_string(value), "decimal_text");
    checks.equal(text::integer_value(text::decimal_text(value)), value,
                 "integer_value of decimal_text");
}

// Four bytes of the text as a number, so that the ends of the range come up.
std::int32_t number_from(std::string_view text) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4 && i < text.size(); ++i) {
        bits = bits << 8 | static_cast<unsigned char>(text[i]);
    }
    return static_cast<std::int32_t>(bits);
}

}  // namespace
}  // namespace qelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qelvo::fuzz;
    FuzzInput input(data, size);
    Inputs in;
    in.ignore_case = (input.take_byte() & 1) != 0;
    in.start = static_cast<qelvo::text::Position>(input.take_byte()) - 2;
    in.count = static_cast<std::int8_t>(input.take_byte());
    in.sought = input.take_text();
    in.replacement = input.take_text();
    in.text = input.take_rest();

    Checks checks("fuzz_text");
    checks.note("text", in.text);
    checks.note("sought", in.sought);
    checks.note("replacement", in.replacement);
    checks.note("ignore_case", in.ignore_case);
    checks.note("start", in.start);
    checks.note("count", in.count);

    const ExactBytes text(in.text);
    check_searches(checks, in, text.view());
    check_text_after_last(checks, in, text.view());
    check_parts(checks, text.view(), in.count);
    check_parts(checks, text.view(), in.start * 16);
    check_trim(checks, text.view());
    check_numbers(checks, text.view(), number_from(in.sought));
    return 0;
}
