#include "engine/text.h"

#include "engine/gbk_search.h"

#include <charconv>
#include <limits>

namespace qelvo::text {
namespace {

constexpr std::size_t kNoMatch = std::string_view::npos;

bool is_lead_byte(char byte) { return static_cast<unsigned char>(byte) >= 0x80; }

std::size_t character_width(char first_byte) { return is_lead_byte(first_byte) ? 2 : 1; }

// First occurrence of the non-empty sought text in the haystack that begins at a character start
// at or after char_start, itself a character start.
std::size_t find_at_character_start(std::string_view haystack, const ByteSearch& sought,
                                    std::size_t char_start) {
    const char* found = find_at_gbk_character_start(sought, haystack.data() + char_start,
                                                    haystack.data() + haystack.size());
    return found == nullptr ? kNoMatch : static_cast<std::size_t>(found - haystack.data());
}

// Zero-based offset of the first scanned byte, or the text's length when nothing is left.
std::size_t scan_offset(std::string_view text, Position start) {
    if (start <= 1) {
        return 0;
    }
    const auto offset = static_cast<std::size_t>(start - 1);
    return offset < text.size() ? offset : text.size();
}

bool count_reached(std::ptrdiff_t replaced, std::ptrdiff_t count) {
    return count >= 0 && replaced >= count;
}

Position to_position(std::size_t offset) { return static_cast<Position>(offset) + 1; }

bool is_blank_at(std::string_view text, std::size_t offset) {
    if (text[offset] == ' ') {
        return true;
    }
    return offset + 1 < text.size() && text[offset] == '\xA1' && text[offset + 1] == '\xA1';
}

// Number of bytes taken by the leading blanks; blanks are whole characters at character starts.
std::size_t leading_blank_bytes(std::string_view text) {
    std::size_t offset = 0;
    while (offset < text.size() && is_blank_at(text, offset)) {
        offset += character_width(text[offset]);
    }
    return offset;
}

// End offset of the last character that is not a blank. The scan runs forward because only a
// forward scan knows where characters begin: a 0xA1 0xA1 pair at the end may straddle two
// characters, and a space may be the second byte of a two-byte character. A lone first byte at
// the end is not blank and is kept.
std::size_t end_of_last_non_blank(std::string_view text) {
    std::size_t end = 0;
    std::size_t offset = 0;
    while (offset < text.size()) {
        const std::size_t next = offset + character_width(text[offset]);
        if (!is_blank_at(text, offset)) {
            end = next < text.size() ? next : text.size();
        }
        offset = next;
    }
    return end;
}

// ASCII counterpart of a two-byte full-width form, or 0 when the character has none.
char ascii_counterpart(unsigned char first, unsigned char second) {
    if (first == 0xA3 && second >= 0xA1 && second <= 0xFE) {
        return static_cast<char>(second - 0xA1 + 0x21);
    }
    if (first != 0xA1) {
        return 0;
    }
    switch (second) {
        case 0xA1:
            return ' ';
        case 0xAB:
            return '~';
        case 0xEE:
        case 0xEF:
            return '*';
        default:
            return 0;
    }
}

std::string replace_full_width_forms(std::string_view text) {
    std::string narrowed;
    narrowed.reserve(text.size());
    std::size_t offset = 0;
    while (offset < text.size()) {
        if (!is_lead_byte(text[offset]) || offset + 1 == text.size()) {
            narrowed.push_back(text[offset]);
            ++offset;
            continue;
        }
        const char counterpart = ascii_counterpart(static_cast<unsigned char>(text[offset]),
                                                   static_cast<unsigned char>(text[offset + 1]));
        if (counterpart != 0) {
            narrowed.push_back(counterpart);
        } else {
            narrowed.append(text.substr(offset, 2));
        }
        offset += 2;
    }
    return narrowed;
}

bool is_number_blank(char byte) {
    return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n' || byte == '\v' ||
           byte == '\f';
}

bool is_digit(char byte) { return byte >= '0' && byte <= '9'; }

// Reads an optionally signed run of decimal digits at the start of `text`. Values outside the
// 32-bit range are clamped to its nearest end rather than wrapped, so a huge count typed by the
// user never turns negative.
std::int32_t parse_leading_integer(std::string_view text) {
    std::size_t offset = 0;
    bool negative = false;
    if (offset < text.size() && (text[offset] == '+' || text[offset] == '-')) {
        negative = text[offset] == '-';
        ++offset;
    }
    constexpr std::int64_t kMagnitudeLimit =
        static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t magnitude = 0;
    for (; offset < text.size() && is_digit(text[offset]); ++offset) {
        if (magnitude < kMagnitudeLimit) {
            magnitude = magnitude * 10 + (text[offset] - '0');
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

Position find_text(std::string_view text, std::string_view sought, Position start,
                   bool ignore_case) {
    const std::size_t offset = scan_offset(text, start);
    const std::string_view scanned = text.substr(offset);
    if (scanned.empty()) {
        return kNotFound;
    }
    if (sought.empty()) {
        return 1;
    }
    const std::size_t match = find_at_character_start(scanned, ByteSearch(sought, ignore_case), 0);
    return match == kNoMatch ? kNotFound : to_position(offset + match);
}

Position find_last(std::string_view text, std::string_view sought, bool ignore_case) {
    if (text.empty()) {
        return kNotFound;
    }
    if (sought.empty()) {
        return 1;
    }
    const ByteSearch needle(sought, ignore_case);
    // Every character start is a candidate, so matches may overlap: after a match the scan
    // resumes at the next character start, not after the match.
    std::size_t last = kNoMatch;
    std::size_t char_start = 0;
    for (;;) {
        const std::size_t match = find_at_character_start(text, needle, char_start);
        if (match == kNoMatch) {
            break;
        }
        last = match;
        char_start = match + character_width(text[match]);
    }
    return last == kNoMatch ? kNotFound : to_position(last);
}

std::string replace_text(std::string_view text, std::string_view sought,
                         std::string_view replacement, Position start, std::ptrdiff_t count,
                         bool case_sensitive) {
    const std::size_t offset = scan_offset(text, start);
    if (text.empty() || sought.empty() || offset == text.size() || count == 0) {
        return std::string(text);
    }
    const std::string_view scanned = text.substr(offset);
    const ByteSearch needle(sought, !case_sensitive);

    std::string result(text.substr(0, offset));
    result.reserve(text.size());
    // After a replacement the scan restarts right behind the match, which becomes a character
    // start even if the match ended inside a two-byte character.
    std::size_t copied_up_to = 0;
    for (std::ptrdiff_t replaced = 0; !count_reached(replaced, count); ++replaced) {
        const std::size_t match = find_at_character_start(scanned, needle, copied_up_to);
        if (match == kNoMatch) {
            break;
        }
        result.append(scanned.substr(copied_up_to, match - copied_up_to));
        result.append(replacement);
        copied_up_to = match + sought.size();
    }
    result.append(scanned.substr(copied_up_to));
    return result;
}

std::vector<std::string> split_text(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    if (text.empty()) {
        return pieces;
    }
    if (delimiter.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    const ByteSearch needle(delimiter, false);
    std::size_t piece_start = 0;
    for (;;) {
        const std::size_t match = find_at_character_start(text, needle, piece_start);
        if (match == kNoMatch) {
            break;
        }
        pieces.emplace_back(text.substr(piece_start, match - piece_start));
        piece_start = match + delimiter.size();
    }
    // An empty piece after a final delimiter is dropped; empty pieces before it are kept.
    if (piece_start < text.size()) {
        pieces.emplace_back(text.substr(piece_start));
    }
    return pieces;
}

std::string text_after_last(std::string_view text, std::string_view delimiter) {
    const Position found = find_last(text, delimiter);
    if (found == kNotFound) {
        return {};
    }
    const auto after_match = static_cast<std::ptrdiff_t>(text.size()) -
                             static_cast<std::ptrdiff_t>(delimiter.size()) - found + 1;
    return right_part(text, after_match);
}

std::string right_part(std::string_view text, std::ptrdiff_t n) {
    if (n <= 0) {
        return {};
    }
    const auto length = static_cast<std::size_t>(n);
    return length >= text.size() ? std::string(text)
                                 : std::string(text.substr(text.size() - length));
}

std::string left_part(std::string_view text, std::ptrdiff_t n) {
    if (n <= 0) {
        return {};
    }
    return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string trim(std::string_view text) {
    const std::string_view rest = text.substr(leading_blank_bytes(text));
    return std::string(rest.substr(0, end_of_last_non_blank(rest)));
}

std::string bytes_to_text(std::string_view bytes) {
    return std::string(bytes.substr(0, bytes.find('\0')));
}

std::string text_to_bytes(std::string_view text) { return std::string(text); }

std::int32_t integer_value(std::string_view text) {
    const std::string narrowed = replace_full_width_forms(text);
    std::size_t offset = 0;
    while (offset < narrowed.size() && is_number_blank(narrowed[offset])) {
        ++offset;
    }
    return parse_leading_integer(std::string_view(narrowed).substr(offset));
}

std::string decimal_text(std::int32_t value) {
    char digits[16];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    static_cast<void>(error);  // Sixteen bytes always hold an int32.
    return std::string(digits, end);
}

}  // namespace qelvo::text
