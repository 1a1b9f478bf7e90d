#include "engine/utf8_runs.h"

#include <optional>

#include "engine/gbk_forms.h"

namespace qelvo {
namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

struct Decoded {
    char32_t code_point;
    std::size_t length;
};

// One well-formed UTF-8 character at the start of the bytes: no overlong
// forms, no surrogates, nothing above U+10FFFF.
std::optional<Decoded> decode_one(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80) return Decoded{lead, 1};
    std::size_t length = 0;
    char32_t code_point = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code_point = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code_point = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code_point = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (bytes.size() < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (!is_continuation(byte)) return std::nullopt;
        code_point = (code_point << 6) | (byte & 0x3F);
    }
    if (code_point < minimum || code_point > 0x10FFFF) return std::nullopt;
    if (code_point >= 0xD800 && code_point <= 0xDFFF) return std::nullopt;
    return Decoded{code_point, length};
}

}  // namespace

Utf8Step utf8_step(std::string_view bytes) {
    const std::optional<Decoded> decoded = decode_one(bytes);
    if (!decoded) return {1, true, 0};
    const std::uint16_t form = exact_gbk_form(decoded->code_point);
    return {decoded->length, form == 0, form};
}

}  // namespace qelvo
