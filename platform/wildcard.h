// The one wildcard matcher of both backends, so that a pattern selects the
// same files on Windows and on POSIX.
#pragma once

#include <string_view>

namespace qelvo::platform {

// False when the pattern holds a character that a Windows file name cannot
// hold (other than the wildcards * and ?): such a pattern matches nothing.
bool pattern_is_valid(std::string_view pattern);

// Matches a GBK file name against a wildcard pattern: "*" matches any run of
// characters, "?" any one character (two bytes when the first is 0x81 to
// 0xFE, else one: 0x80 and 0xFF are characters of one byte in code page
// 936), and a pattern ending in ".*" also matches a name without that dot,
// so "*.*" matches every name. Letters match without regard to case as the
// Windows directory search matches them: ASCII, and the Greek, Cyrillic,
// full-width Latin and Roman numeral letters of GBK (compared by the capital
// of their Unicode form). Both texts are read character by character: the
// trail byte of a double-byte character is never taken for a letter (so it
// is not case-folded) and a match never starts inside a character. The work
// grows with pattern length times name length at most, whatever the stars;
// names of ASCII alone never leave the byte comparisons.
bool wildcard_match(std::string_view pattern, std::string_view name);

}  // namespace qelvo::platform
