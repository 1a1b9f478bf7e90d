#include "engine/gbk_forms.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/codepage.h"

namespace qelvo {
namespace {

// The UTF-8 bytes of a character of UTF-16's first plane: three at most.
struct Utf8Form {
    std::uint8_t length = 0;
    std::array<char, 3> bytes{};
};

// The exact GBK form of every unit of UTF-16's first plane, and the other
// way: the UTF-8 form of the unit whose exact form each packed character is,
// empty for the packed characters that are no exact form.
struct ExactForms {
    std::array<std::uint16_t, 0x10000> of_unit{};
    std::array<Utf8Form, 0x10000> utf8_of{};
};

bool is_surrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

bool is_lead(char byte) { return codepage::is_lead_byte(static_cast<unsigned char>(byte)); }

// One GBK character of one or two bytes, packed as exact_gbk_form gives it.
std::uint16_t packed(std::string_view character) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(character[at]); };
    return static_cast<std::uint16_t>(character.size() == 2 ? byte(0) << 8 | byte(1) : byte(0));
}

// The GBK character at the start of text: a lead byte with the byte after
// it, whatever that is, or a byte of its own.
std::string_view character_at(std::string_view text) {
    return text.substr(0, is_lead(text[0]) && text.size() > 1 ? 2 : 1);
}

// The unit's GBK form when it is one character that comes back as the unit.
std::uint16_t exact_form_of(char16_t unit) {
    const std::u16string one(1, unit);
    const std::string gbk = codepage::utf16_to_gbk(one);
    const bool one_character = !gbk.empty() && character_at(gbk).size() == gbk.size();
    if (!one_character || codepage::gbk_to_utf16(gbk) != one) return 0;
    return packed(gbk);
}

void find_forms_one_by_one(ExactForms& forms) {
    for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
        if (!is_surrogate(unit)) forms.of_unit[unit] = exact_form_of(static_cast<char16_t>(unit));
    }
}

// Every unit converted in one go and back: each comes out of GBK as one
// whole character, so the characters and the units come back one for one,
// in step, unless some unit turned into more or fewer, which the counts
// show; then they are taken one by one.
void find_forms(ExactForms& forms) {
    std::u16string units;
    units.reserve(0x10000);
    for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
        if (!is_surrogate(unit)) units.push_back(static_cast<char16_t>(unit));
    }
    const std::string gbk = codepage::utf16_to_gbk(units);
    const std::u16string back = codepage::gbk_to_utf16(gbk);
    std::size_t at = 0;
    std::size_t taken = 0;
    if (back.size() == units.size()) {
        for (; taken < units.size() && at < gbk.size(); ++taken) {
            const std::string_view character = character_at(std::string_view(gbk).substr(at));
            if (back[taken] == units[taken]) forms.of_unit[units[taken]] = packed(character);
            at += character.size();
        }
    }
    if (taken == units.size() && at == gbk.size()) return;
    forms.of_unit.fill(0);
    find_forms_one_by_one(forms);
}

// The UTF-8 forms of the units that have an exact form, from one conversion
// of all of them: each unit becomes one character, a first byte and the
// continuation bytes after it.
void find_utf8_forms(ExactForms& forms) {
    std::u16string units;
    for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
        if (forms.of_unit[unit] != 0) units.push_back(static_cast<char16_t>(unit));
    }
    const std::string utf8 = codepage::utf16_to_utf8(units);
    const auto is_continuation = [&](std::size_t at) {
        return (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80;
    };
    std::size_t at = 0;
    for (const char16_t unit : units) {
        if (at == utf8.size()) break;
        std::size_t end = at + 1;
        while (end < utf8.size() && is_continuation(end)) ++end;
        Utf8Form& form = forms.utf8_of[forms.of_unit[unit]];
        form.length = static_cast<std::uint8_t>(std::min(end - at, form.bytes.size()));
        std::copy_n(utf8.data() + at, form.length, form.bytes.begin());
        at = end;
    }
}

std::unique_ptr<const ExactForms> make_exact_forms() {
    auto forms = std::make_unique<ExactForms>();
    find_forms(*forms);
    find_utf8_forms(*forms);
    return forms;
}

const ExactForms& exact_forms() {
    static const std::unique_ptr<const ExactForms> forms = make_exact_forms();
    return *forms;
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

std::uint16_t exact_gbk_form(char32_t code_point) {
    return code_point < 0x10000 ? exact_forms().of_unit[code_point] : 0;
}

std::size_t append_gbk_as_utf8(std::string& utf8, std::string_view gbk, bool text_goes_on) {
    const ExactForms& forms = exact_forms();
    std::size_t at = 0;
    while (at < gbk.size()) {
        if (static_cast<unsigned char>(gbk[at]) < 0x80) {
            utf8.push_back(gbk[at++]);
            continue;
        }
        if (text_goes_on && at + 1 == gbk.size() && is_lead(gbk[at])) break;
        const std::string_view character = character_at(gbk.substr(at));
        // The exact forms convert to their units; any other character, a
        // pair that is none among them, converts as the code page has it.
        const Utf8Form& form = forms.utf8_of[packed(character)];
        if (form.length != 0) {
            utf8.append(form.bytes.data(), form.length);
        } else {
            utf8 += codepage::gbk_to_utf8(character);
        }
        at += character.size();
    }
    return at;
}

const std::vector<std::string>& single_high_byte_characters() {
    static const std::vector<std::string> characters = find_single_high_byte_characters();
    return characters;
}

}  // namespace qelvo
