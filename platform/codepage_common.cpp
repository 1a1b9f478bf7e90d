// The conversions that go through UTF-16, shared by both backends.
#include "platform/codepage.h"

namespace qelvo::codepage {

std::string gbk_to_utf8(std::string_view gbk) { return utf16_to_utf8(gbk_to_utf16(gbk)); }

std::string utf8_to_gbk(std::string_view utf8) { return utf16_to_gbk(utf8_to_utf16(utf8)); }

// Checked by doing the round trip rather than by looking characters up: that
// catches everything that would change on the way, invalid UTF-8 (which
// comes back as U+FFFD), units with no GBK form (which come back as '?') and
// best-fit mappings (which come back as a different character) alike.
bool utf8_round_trips_through_gbk(std::string_view utf8) {
    return gbk_to_utf8(utf8_to_gbk(utf8)) == utf8;
}

}  // namespace qelvo::codepage
