// GBK text primitives. A text is a GBK (code page 936) byte string held in a
// std::string; positions count bytes from 1 and a search that finds nothing
// gives -1. Scanning follows the GBK double-byte rule: a byte of 0x80 or more
// starts a two-byte character, and matches begin only at character starts.
// Ignoring case folds only the ASCII letters A-Z. Every function is pure and
// may run on many threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qelvo::text {

using Position = std::ptrdiff_t;
inline constexpr Position kNotFound = -1;
// A count of every occurrence, for replace_text.
inline constexpr std::ptrdiff_t kEveryOccurrence = -1;

// Position of the first match at or after start, or kNotFound. Character starts are counted
// from start itself, and a start of 1 or less scans the whole text. An empty sought text gives 1
// (not start) when anything is left to scan.
Position find_text(std::string_view text, std::string_view sought, Position start = 1,
                   bool ignore_case = false);

// Position of the last match in the whole text, or kNotFound; matches may overlap. Like
// find_text, an empty sought text gives 1 for a non-empty text.
Position find_last(std::string_view text, std::string_view sought, bool ignore_case = false);

// Replaces up to count occurrences from start on; any negative count, kEveryOccurrence
// included, replaces them all and a count of 0 changes nothing. Matches never overlap and the
// replacement is not scanned again. Bytes before start are copied unchanged.
std::string replace_text(std::string_view text, std::string_view sought,
                         std::string_view replacement = {}, Position start = 1,
                         std::ptrdiff_t count = kEveryOccurrence, bool case_sensitive = true);

// Pieces between case-sensitive matches of the delimiter. Empty pieces are kept except one after
// a final delimiter; an empty text gives no pieces and an empty delimiter the whole text.
std::vector<std::string> split_text(std::string_view text, std::string_view delimiter);
// Everything after the last (case-sensitive) match of the delimiter, or empty when there is none.
std::string text_after_last(std::string_view text, std::string_view delimiter);
// The last or first n bytes; a cut may split a two-byte character.
std::string right_part(std::string_view text, std::ptrdiff_t n);
std::string left_part(std::string_view text, std::ptrdiff_t n);
// Removes blank characters, the space and the full-width space 0xA1 0xA1, from both ends.
std::string trim(std::string_view text);

// The bytes up to, not including, the first zero byte.
std::string bytes_to_text(std::string_view bytes);
std::string text_to_bytes(std::string_view text);

// The leading, optionally signed decimal number after full-width forms are narrowed to ASCII
// and leading white space is skipped; 0 when there is none. Out-of-range values are clamped.
std::int32_t integer_value(std::string_view text);
// The number in decimal with a leading minus sign when negative.
std::string decimal_text(std::int32_t value);

}  // namespace qelvo::text
