// A slow model of the GBK text rules, written from the rules alone, that the fuzz targets hold
// the engine's fast searches against: a byte of 0x80 or more begins a two-byte character (a
// last byte alone stays a character of one byte), a match begins only where a character
// begins, counting from where the scan starts, and ignoring case folds the ASCII letters A-Z
// and a-z wherever they are, second bytes of characters included. Every function walks the
// text one character at a time and compares byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qelvo::fuzz::reference {

inline constexpr std::size_t kNone = std::string_view::npos;

inline bool is_lead_byte(char byte) { return static_cast<unsigned char>(byte) >= 0x80; }

// How far the walk moves from a character start.
inline std::size_t step(char byte) { return is_lead_byte(byte) ? 2 : 1; }

inline char folded(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

inline bool same_byte(char a, char b, bool ignore_case) {
    return ignore_case ? folded(a) == folded(b) : a == b;
}

inline bool occurs_at(std::string_view text, std::size_t at, std::string_view sought,
                      bool ignore_case) {
    if (at > text.size() || text.size() - at < sought.size()) return false;
    for (std::size_t i = 0; i < sought.size(); ++i) {
        if (!same_byte(text[at + i], sought[i], ignore_case)) return false;
    }
    return true;
}

// Every offset where the bytes occur, whether or not a character begins there.
inline std::vector<std::size_t> byte_occurrences(std::string_view text, std::string_view sought,
                                                 bool ignore_case) {
    std::vector<std::size_t> found;
    for (std::size_t at = 0; at + sought.size() <= text.size(); ++at) {
        if (occurs_at(text, at, sought, ignore_case)) found.push_back(at);
    }
    return found;
}

// The character starts of the text when from begins a character, from itself and the end of
// the text included when the walk lands on them.
inline std::vector<std::size_t> character_starts(std::string_view text, std::size_t from = 0) {
    std::vector<std::size_t> starts;
    for (std::size_t at = from; at <= text.size(); at += at < text.size() ? step(text[at]) : 1) {
        starts.push_back(at);
    }
    return starts;
}

// The first match of a non-empty sought text at a character start, the walk beginning at from.
inline std::size_t find_from(std::string_view text, std::string_view sought, std::size_t from,
                             bool ignore_case) {
    for (std::size_t at = from; at < text.size(); at += step(text[at])) {
        if (occurs_at(text, at, sought, ignore_case)) return at;
    }
    return kNone;
}

// The scan of text::find_text and text::replace_text begins at start - 1, at the end at most.
inline std::size_t scan_offset(std::string_view text, std::ptrdiff_t start) {
    if (start <= 1) return 0;
    const auto offset = static_cast<std::size_t>(start - 1);
    return offset < text.size() ? offset : text.size();
}

inline std::ptrdiff_t find_text(std::string_view text, std::string_view sought,
                                std::ptrdiff_t start, bool ignore_case) {
    const std::size_t offset = scan_offset(text, start);
    if (offset == text.size()) return -1;
    if (sought.empty()) return 1;
    const std::size_t at = find_from(text, sought, offset, ignore_case);
    return at == kNone ? -1 : static_cast<std::ptrdiff_t>(at) + 1;
}

inline std::ptrdiff_t find_last(std::string_view text, std::string_view sought, bool ignore_case) {
    if (text.empty()) return -1;
    if (sought.empty()) return 1;
    std::ptrdiff_t last = -1;
    for (std::size_t at = 0; at < text.size(); at += step(text[at])) {
        if (occurs_at(text, at, sought, ignore_case)) last = static_cast<std::ptrdiff_t>(at) + 1;
    }
    return last;
}

inline std::string replace_text(std::string_view text, std::string_view sought,
                                std::string_view replacement, std::ptrdiff_t start,
                                std::ptrdiff_t count, bool case_sensitive) {
    const std::size_t offset = scan_offset(text, start);
    if (sought.empty() || offset == text.size() || count == 0) return std::string(text);
    std::string result(text.substr(0, offset));
    std::size_t done = offset;
    for (std::ptrdiff_t replaced = 0; count < 0 || replaced < count; ++replaced) {
        // After a replacement the walk begins again right behind it.
        const std::size_t at = find_from(text, sought, done, !case_sensitive);
        if (at == kNone) break;
        result.append(text.substr(done, at - done)).append(replacement);
        done = at + sought.size();
    }
    return result.append(text.substr(done));
}

inline std::vector<std::string> split_text(std::string_view text, std::string_view delimiter) {
    if (text.empty()) return {};
    if (delimiter.empty()) return {std::string(text)};
    std::vector<std::string> pieces;
    std::size_t piece = 0;
    for (std::size_t at = find_from(text, delimiter, 0, false); at != kNone;
         at = find_from(text, delimiter, piece, false)) {
        pieces.emplace_back(text.substr(piece, at - piece));
        piece = at + delimiter.size();
    }
    if (piece < text.size()) pieces.emplace_back(text.substr(piece));
    return pieces;
}

// Whether the text ends in a first byte that has no second byte.
inline bool ends_in_lone_lead_byte(std::string_view text) {
    const std::vector<std::size_t> starts = character_starts(text);
    return starts.back() != text.size();
}

}  // namespace qelvo::fuzz::reference
