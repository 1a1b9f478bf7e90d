#include "engine/gbk_forms.h"

#include <bitset>
#include <cstdint>
#include <memory>

#include "platform/codepage.h"

namespace qelvo {
namespace {

using GbkForms = std::bitset<0x10000>;

bool is_surrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

GbkForms find_gbk_forms_one_by_one() {
    GbkForms forms;
    for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
        if (is_surrogate(unit)) continue;
        const std::u16string one(1, static_cast<char16_t>(unit));
        forms[unit] = codepage::gbk_to_utf16(codepage::utf16_to_gbk(one)) == one;
    }
    return forms;
}

// Every unit converted in one go and back: each comes out of GBK as whole
// characters, so the units come back one for one, in step, unless some unit
// turned into more or fewer, which the count shows; then they are taken one
// by one.
GbkForms find_gbk_forms() {
    std::u16string units;
    units.reserve(0x10000);
    for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
        if (!is_surrogate(unit)) units.push_back(static_cast<char16_t>(unit));
    }
    const std::u16string back = codepage::gbk_to_utf16(codepage::utf16_to_gbk(units));
    if (back.size() != units.size()) return find_gbk_forms_one_by_one();
    GbkForms forms;
    for (std::size_t i = 0; i < units.size(); ++i) forms[units[i]] = back[i] == units[i];
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
