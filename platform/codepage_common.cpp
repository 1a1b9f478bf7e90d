// The conversions that go through UTF-16, shared by both backends.
#include "platform/codepage.h"

#include <algorithm>

namespace qelvo::codepage {
namespace {

// ASCII is the same bytes in GBK and in UTF-8, and most names and paths are
// nothing else: those skip the trip through UTF-16.
bool is_ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

}  // namespace

std::string gbk_to_utf8(std::string_view gbk) {
    if (is_ascii(gbk)) return std::string(gbk);
    return utf16_to_utf8(gbk_to_utf16(gbk));
}

std::string utf8_to_gbk(std::string_view utf8) {
    if (is_ascii(utf8)) return std::string(utf8);
    return utf16_to_gbk(utf8_to_utf16(utf8));
}

// Checked by doing the round trip rather than by looking characters up: that
// catches everything that would change on the way, invalid UTF-8 (which
// comes back as U+FFFD), units with no GBK form (which come back as '?') and
// best-fit mappings (which come back as a different character) alike.
bool utf8_round_trips_through_gbk(std::string_view utf8) {
    return gbk_to_utf8(utf8_to_gbk(utf8)) == utf8;
}

}  // namespace qelvo::codepage
