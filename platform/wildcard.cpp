#include "platform/wildcard.h"

#include <cstddef>
#include <optional>
#include <string>

#include "platform/codepage.h"

namespace qelvo::platform {
namespace {

// A trail byte may look like a backslash or a bar, so every scan below steps
// over whole characters. A lead byte at the very end of the text stands
// alone.
using codepage::is_lead_byte;

std::size_t character_width(std::string_view text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    return is_lead_byte(byte) && at + 1 < text.size() ? 2 : 1;
}

bool is_ascii_letter(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

unsigned char fold_ascii_letter(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

bool single_bytes_match(unsigned char a, unsigned char b) {
    if (is_ascii_letter(a) && is_ascii_letter(b)) {
        return fold_ascii_letter(a) == fold_ascii_letter(b);
    }
    return a == b;
}

// Small letters of the blocks that GBK draws from, and how far each lies
// from its capital. In the blocks where small and capital letters alternate,
// `parity` says which units are the small ones; elsewhere every unit of the
// range is. GBK holds the pinyin letters (à, é, ü, ǎ, ...) in small form only,
// so folding them changes no match today; they fold all the same, because
// the rule is Windows' rule and not a fact of GBK's repertoire. Left alone:
// ɑ and ɡ, whose capitals came to Unicode long after the file systems' case
// tables, and the circled letters, which GBK does not hold.
enum class Parity { any, odd, even };

struct SmallLetters {
    char16_t first;
    char16_t last;
    int to_capital;
    Parity parity;
};

constexpr SmallLetters kSmallLetters[] = {
    {0x00E0, 0x00F6, -0x20, Parity::any},            // Latin-1, before the division sign
    {0x00F8, 0x00FE, -0x20, Parity::any},            // Latin-1, after it
    {0x00FF, 0x00FF, 0x0178 - 0x00FF, Parity::any},  // ÿ, whose capital is in Latin Extended-A
    {0x0100, 0x012F, -1, Parity::odd},               // Latin Extended-A, in pairs
    {0x0132, 0x0137, -1, Parity::odd},
    {0x0139, 0x0148, -1, Parity::even},
    {0x014A, 0x0177, -1, Parity::odd},
    {0x0179, 0x017E, -1, Parity::even},
    {0x01CD, 0x01DC, -1, Parity::even},              // the pinyin letters with caron and diaeresis
    {0x01F8, 0x01F9, -1, Parity::odd},               // ǹ
    {0x03B1, 0x03C1, -0x20, Parity::any},            // Greek
    {0x03C2, 0x03C2, 0x03A3 - 0x03C2, Parity::any},  // final sigma
    {0x03C3, 0x03C9, -0x20, Parity::any},
    {0x0430, 0x044F, -0x20, Parity::any},  // Cyrillic
    {0x0450, 0x045F, -0x50, Parity::any},  // ѐ to џ, ё among them
    {0x1E00, 0x1E95, -1, Parity::odd},     // Latin Extended Additional, holding ḿ
    {0x2170, 0x217F, -0x10, Parity::any},  // small Roman numerals
    {0xFF41, 0xFF5A, -0x20, Parity::any},  // full-width Latin
};

bool has_parity(char16_t unit, Parity parity) {
    return parity == Parity::any || (unit % 2 == 1) == (parity == Parity::odd);
}

char16_t capital_of(char16_t unit) {
    for (const SmallLetters& range : kSmallLetters) {
        if (unit >= range.first && unit <= range.last && has_parity(unit, range.parity)) {
            return static_cast<char16_t>(unit + range.to_capital);
        }
    }
    return unit;
}

// The UTF-16 unit of one two-byte character, or nothing for a pair that is
// no character of GBK (a lead byte before a byte that cannot trail): those
// match by their bytes alone.
std::optional<char16_t> unit_of(std::string_view character) {
    const std::u16string units = codepage::gbk_to_utf16(character);
    if (units.size() != 1) return std::nullopt;
    return units[0];
}

// Two different two-byte characters match when they are the two cases of
// one letter. Each letter that GBK holds in both cases has both in the same
// row (Roman numerals in A2, full-width Latin in A3, Greek in A6, Cyrillic
// in A7), so characters of different lead bytes never need converting:
// that keeps the conversion off nearly every mismatch of Chinese names.
bool double_bytes_match(std::string_view a, std::string_view b) {
    if (a == b) return true;
    if (a[0] != b[0]) return false;
    const std::optional<char16_t> unit_a = unit_of(a);
    const std::optional<char16_t> unit_b = unit_of(b);
    // Equal units from different bytes are substitutes for unmapped pairs,
    // not one letter.
    return unit_a && unit_b && *unit_a != *unit_b && capital_of(*unit_a) == capital_of(*unit_b);
}

// Compares the characters starting at p in the pattern and at n in the name,
// without regard to case, as the Windows directory search compares names.
// A trail byte is part of its character, never a letter of its own.
bool characters_match(std::string_view pattern, std::size_t p, std::string_view name,
                      std::size_t n) {
    const std::size_t width = character_width(pattern, p);
    if (width != character_width(name, n)) {
        return false;
    }
    if (width == 1) {
        return single_bytes_match(static_cast<unsigned char>(pattern[p]),
                                  static_cast<unsigned char>(name[n]));
    }
    return double_bytes_match(pattern.substr(p, 2), name.substr(n, 2));
}

// Greedy matching with a single remembered star: on a mismatch the most
// recent star takes one more character of the name and matching resumes
// after it. Earlier stars never need revisiting, because the later star can
// absorb whatever they would have, so the cost is at most pattern x name
// character steps, with no exponential blow-up however many stars there are.
bool match_characters(std::string_view pattern, std::string_view name) {
    constexpr std::size_t kNoStar = std::string_view::npos;
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t resume_pattern = kNoStar;
    std::size_t resume_name = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            resume_pattern = ++p;
            resume_name = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || characters_match(pattern, p, name, n))) {
            p += pattern[p] == '?' ? 1 : character_width(pattern, p);
            n += character_width(name, n);
        } else if (resume_pattern != kNoStar) {
            resume_name += character_width(name, resume_name);
            n = resume_name;
            p = resume_pattern;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

// Where a pattern's trailing ".*" (a dot followed only by stars) begins, or
// npos when it has none. Scans by character so that a trail byte cannot pass
// for the dot.
std::size_t trailing_dot_star(std::string_view pattern) {
    std::size_t dot = std::string_view::npos;
    bool only_stars_since_dot = false;
    for (std::size_t at = 0; at < pattern.size(); at += character_width(pattern, at)) {
        const char c = pattern[at];
        if (c == '.' && character_width(pattern, at) == 1) {
            dot = at;
            only_stars_since_dot = true;
        } else if (c != '*') {
            only_stars_since_dot = false;
        }
    }
    const bool has_star_after_dot = dot != std::string_view::npos && dot + 1 < pattern.size();
    return only_stars_since_dot && has_star_after_dot ? dot : std::string_view::npos;
}

bool is_forbidden_in_file_names(unsigned char byte) {
    switch (byte) {
        case '/':
        case '\\':
        case ':':
        case '"':
        case '<':
        case '>':
        case '|':
            return true;
        default:
            // The zero byte is refused too: no name can hold it, and the wide
            // file functions would see the pattern end there.
            return byte < 0x20;
    }
}

}  // namespace

bool pattern_is_valid(std::string_view pattern) {
    for (std::size_t at = 0; at < pattern.size(); at += character_width(pattern, at)) {
        if (character_width(pattern, at) == 1 &&
            is_forbidden_in_file_names(static_cast<unsigned char>(pattern[at]))) {
            return false;
        }
    }
    return true;
}

bool wildcard_match(std::string_view pattern, std::string_view name) {
    // The patterns of every file, which a walk tries on each of its entries.
    if (pattern == "*.*" || pattern == "*") {
        return true;
    }
    if (match_characters(pattern, name)) {
        return true;
    }
    // "name.*" also selects "name" itself, which has no dot at all: this is
    // how "*.*" comes to mean every file.
    const std::size_t dot = trailing_dot_star(pattern);
    return dot != std::string_view::npos && match_characters(pattern.substr(0, dot), name);
}

}  // namespace qelvo::platform
