// Code page conversions, done the way Windows' MultiByteToWideChar and
// WideCharToMultiByte do them with code pages 936 (GBK) and 65001 (UTF-8).
// Both backends give the same bytes.
#pragma once

#include <string>
#include <string_view>

namespace qelvo::codepage {

// In code page 936 the bytes 0x81 to 0xFE lead a two-byte character; 0x80
// (the euro sign) and 0xFF are characters of one byte, as ASCII is. The
// trail byte can be anything from 0x40 up, so it may look like an ASCII
// letter, a backslash or an equals sign.
constexpr bool is_lead_byte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// GBK (code page 936) to UTF-16 and back. A character with no GBK form
// becomes the code page's substitute character.
std::u16string gbk_to_utf16(std::string_view gbk);
std::string utf16_to_gbk(std::u16string_view utf16);

// UTF-8 to UTF-16 and back. Invalid UTF-8 becomes U+FFFD as Windows does it.
std::u16string utf8_to_utf16(std::string_view utf8);
std::string utf16_to_utf8(std::u16string_view utf16);

// Convenience compositions through UTF-16.
std::string gbk_to_utf8(std::string_view gbk);
std::string utf8_to_gbk(std::string_view utf8);

// True when every character of the UTF-8 text has a GBK form, so that the
// text survives UTF-8 -> GBK -> UTF-8 unchanged.
bool utf8_round_trips_through_gbk(std::string_view utf8);

}  // namespace qelvo::codepage
