#include "engine/gbk_forms.h"

#include <bitset>
#include <cstdint>
#include <memory>

#include "platform/codepage.h"

namespace qelvo {
namespace {

using GbkForms = std::bitset<0x10000>;

GbkForms find_gbk_forms() {
    GbkForms forms;
    for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) continue;
        const std::u16string one(1, static_cast<char16_t>(unit));
        forms[unit] = codepage::gbk_to_utf16(codepage::utf16_to_gbk(one)) == one;
    }
    return forms;
}

std::vector<std::string> find_single_high_byte_characters() {
    std::vector<std::string> found;
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string gbk(1, static_cast<char>(byte));
        const std::u16string utf16 = codepage::gbk_to_utf16(gbk);
        if (utf16.size() == 1 && has_exact_gbk_form(utf16.front()) &&
            codepage::utf16_to_gbk(utf16) == gbk) {
            found.push_back(codepage::utf16_to_utf8(utf16));
        }
    }
    return found;
}

}  // namespace

bool has_exact_gbk_form(char32_t code_point) {
    static const std::unique_ptr<const GbkForms> forms =
        std::make_unique<GbkForms>(find_gbk_forms());
    return code_point < 0x10000 && (*forms)[code_point];
}

const std::vector<std::string>& single_high_byte_characters() {
    static const std::vector<std::string> characters = find_single_high_byte_characters();
    return characters;
}

}  // namespace qelvo
