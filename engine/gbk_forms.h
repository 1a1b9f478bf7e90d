// Which characters GBK (code page 936) holds exactly: those that convert to
// GBK and back to themselves. Best-fit mappings and the substitute character
// do not count, since they would change a file written back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qelvo {

// The exact GBK form of a code point, packed in one number: a character of
// one byte gives that byte, one of two bytes its lead byte times 256 plus its
// trail byte, and a code point without an exact form 0. Lead bytes are 0x81
// or more, so the two kinds never meet.
std::uint16_t exact_gbk_form(char32_t code_point);
inline bool has_exact_gbk_form(char32_t code_point) { return exact_gbk_form(code_point) != 0; }

// Appends the bytes of a form that exact_gbk_form gave, which is not 0.
inline void append_gbk_form(std::string& gbk, std::uint16_t form) {
    if (form > 0xFF) gbk.push_back(static_cast<char>(form >> 8));
    gbk.push_back(static_cast<char>(form & 0xFF));
}

// Appends the UTF-8 form of GBK text, as codepage::gbk_to_utf8 gives it, and
// gives how many of its bytes it took: all of them, but for a lead byte at
// the very end when the text goes on, since the character it begins is not
// known yet.
std::size_t append_gbk_as_utf8(std::string& utf8, std::string_view gbk, bool text_goes_on);

// The UTF-8 forms of the characters whose exact GBK form is one byte of 0x80
// or more. GBK text is scanned as if such a byte began a two-byte character,
// so in a UTF-8 file converted to GBK one of them shifts where the
// characters after it are taken to begin.
const std::vector<std::string>& single_high_byte_characters();

}  // namespace qelvo
