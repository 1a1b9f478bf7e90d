#include "engine/search_plan.h"

#include <algorithm>

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

void plan_utf8(SearchPlan& plan) {
    const std::optional<std::string> find = exact_utf8_form(plan.inputs.find);
    const std::optional<std::string> replacement = exact_utf8_form(plan.inputs.replacement);
    if (!find || !replacement || !is_searchable_in_utf8(plan.inputs.find, *find, plan.ignore_case))
        return;
    plan.method = SearchMethod::utf8_bytes;
    plan.presence.emplace(*find, plan.ignore_case);
    plan.exact.emplace(*find, false);
    plan.replacement = *replacement;
    // Searched two at a time where they are as long as each other.
    const std::vector<std::string>& shifting = single_high_byte_characters();
    for (std::size_t i = 0; i < shifting.size(); ++i) {
        if (i + 1 < shifting.size() && shifting[i].size() == shifting[i + 1].size()) {
            plan.shifting_characters.emplace_back(shifting[i], shifting[i + 1]);
            ++i;
        } else {
            plan.shifting_characters.emplace_back(shifting[i], false);
        }
    }
}

}  // namespace

std::size_t SearchPlan::longest_span() const {
    std::size_t longest = presence ? presence->size() : 0;
    for (const ByteSearch& shifting : shifting_characters) {
        longest = std::max(longest, shifting.size());
    }
    return longest;
}

SearchPlan make_search_plan(const SearchInputs& inputs, bool ignore_case) {
    SearchPlan plan;
    plan.inputs = inputs;
    plan.ignore_case = ignore_case;
    // An empty find text (the box emptied during a run) matches any text
    // that is not empty, which only the whole-file path decides.
    if (inputs.find.empty()) return plan;
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
