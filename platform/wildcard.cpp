#include "platform/wildcard.h"

#include <cstddef>

namespace qelvo::platform {
namespace {

// A byte of 0x80 or more starts a two-byte GBK character; the trail byte can
// be anything from 0x40 up, so it may look like an ASCII letter, a backslash
// or a bar. Every scan below therefore steps over whole characters. A lead
// byte at the very end of the text stands alone.
std::size_t character_width(std::string_view text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    return byte >= 0x80 && at + 1 < text.size() ? 2 : 1;
}

bool is_ascii_letter(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

unsigned char fold_ascii_letter(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Compares the characters starting at p in the pattern and at n in the name.
// Only single-byte characters fold case: the trail byte of a double-byte
// character is part of that character, never a letter of its own.
bool characters_match(std::string_view pattern, std::size_t p, std::string_view name,
                      std::size_t n) {
    const std::size_t width = character_width(pattern, p);
    if (width != character_width(name, n)) {
        return false;
    }
    if (width == 2) {
        return pattern[p] == name[n] && pattern[p + 1] == name[n + 1];
    }
    const auto a = static_cast<unsigned char>(pattern[p]);
    const auto b = static_cast<unsigned char>(name[n]);
    if (is_ascii_letter(a) && is_ascii_letter(b)) {
        return fold_ascii_letter(a) == fold_ascii_letter(b);
    }
    return a == b;
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
    if (match_characters(pattern, name)) {
        return true;
    }
    // "name.*" also selects "name" itself, which has no dot at all: this is
    // how "*.*" comes to mean every file.
    const std::size_t dot = trailing_dot_star(pattern);
    return dot != std::string_view::npos && match_characters(pattern.substr(0, dot), name);
}

}  // namespace qelvo::platform
