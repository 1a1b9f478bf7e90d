#include "engine/search_plan.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "engine/gbk_forms.h"
#include "platform/codepage.h"

namespace qelvo {
namespace {

bool is_letter(char byte) { return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z'); }

// The UTF-8 form of GBK text, or nothing when it does not come back unchanged.
std::optional<std::string> exact_utf8_form(const std::string& gbk) {
    std::string utf8 = codepage::gbk_to_utf8(gbk);
    if (codepage::utf8_to_gbk(utf8) != gbk) return std::nullopt;
    return utf8;
}

bool has_letter_second_byte(const std::string& gbk) {
    for (std::size_t i = 0; i < gbk.size(); ++i) {
        if (static_cast<unsigned char>(gbk[i]) < 0x80) continue;
        if (i + 1 < gbk.size() && is_letter(gbk[i + 1])) return true;
        ++i;
    }
    return false;
}

bool is_searchable_in_utf8(const std::string& find_gbk, const std::string& find_utf8,
                           bool ignore_case) {
    for (const char16_t unit : codepage::utf8_to_utf16(find_utf8)) {
        if (!has_exact_gbk_form(unit)) return false;
    }
    for (const std::string& shifting : single_high_byte_characters()) {
        if (find_utf8.find(shifting) != std::string::npos) return false;
    }
    return !ignore_case || !has_letter_second_byte(find_gbk);
}

// Code page 936 has two characters of one byte from 0x80 up, 0x80 and 0xFF,
// both of three bytes in UTF-8; a system's table may lack the second.
std::optional<ByteSearch> shifting_characters_search() {
    const std::vector<std::string>& shifting = single_high_byte_characters();
    if (shifting.empty()) return std::nullopt;
    if (shifting.size() > 2 || shifting.front().size() != shifting.back().size()) {
        throw std::logic_error("unexpected one-byte characters in the code page table");
    }
    return ByteSearch(shifting.front(), shifting.back());
}

void plan_utf8(SearchPlan& plan) {
    plan.method = SearchMethod::utf8_converted;
    plan.converted_presence.emplace(plan.inputs.find, plan.ignore_case);
    plan.converted_exact.emplace(plan.inputs.find, false);
    const std::optional<std::string> find = exact_utf8_form(plan.inputs.find);
    const std::optional<std::string> replacement = exact_utf8_form(plan.inputs.replacement);
    if (!find || !replacement || !is_searchable_in_utf8(plan.inputs.find, *find, plan.ignore_case))
        return;
    plan.method = SearchMethod::utf8_bytes;
    plan.presence.emplace(*find, plan.ignore_case);
    plan.exact.emplace(*find, false);
    plan.replacement = *replacement;
    plan.shifting = shifting_characters_search();
}

}  // namespace

std::size_t SearchPlan::longest_span() const {
    const std::size_t longest = presence ? presence->size() : 0;
    return shifting ? std::max(longest, shifting->size()) : longest;
}

SearchPlan make_search_plan(const SearchInputs& inputs, bool ignore_case) {
    SearchPlan plan;
    plan.inputs = inputs;
    plan.ignore_case = ignore_case;
    // An empty find text (the box emptied during a run) matches any text
    // that is not empty, which only the whole-file path decides.
    // The byte searches stop at a zero byte, so a find text holding one
    // (which no box gives) is left to the whole-file path too.
    if (inputs.find.empty() || inputs.find.find('\0') != std::string::npos) return plan;
    if (inputs.utf8) {
        plan_utf8(plan);
        return plan;
    }
    plan.method = SearchMethod::gbk_bytes;
    plan.presence.emplace(inputs.find, ignore_case);
    plan.exact.emplace(inputs.find, false);
    plan.replacement = inputs.replacement;
    return plan;
}

}  // namespace qelvo
