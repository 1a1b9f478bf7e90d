#include "ui/input_history.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "engine/gbk_literal.h"
#include "engine/text.h"

namespace qelvo::ui {
namespace {

struct HistoryBox {
    std::string_view combo_box;
    std::string_view section;
};

// The order in which the window fills its combo boxes at start.
constexpr std::array<HistoryBox, 8> kLoadOrder{{
    {"组合框_文件路径", "文件路径"},
    {"组合框_查找内容", "查找内容"},
    {"组合框_替换内容", "查找内容"},
    {"组合框_文件格式", "文件格式"},
    {"组合框_文件路径2", "文件路径"},
    {"组合框_查找内容2", "查找内容"},
    {"组合框_文件格式2", "文件格式"},
    {"组合框_文件路径3", "文件路径"},
}};

// The document is parsed once for all keys; reading it gives what reading
// the file key by key would.
void load_history_from(ControlModel& controls, std::string_view combo_box, std::string_view section,
                       const IniDocument& document) {
    const std::string section_name = gbk(section);
    std::vector<std::string> items = controls.items(combo_box);
    const std::size_t items_before = items.size();
    for (std::size_t key = 1; key <= kHistoryKeyLimit; ++key) {
        std::string value =
            document.read(section_name, text::decimal_text(static_cast<std::int32_t>(key)));
        if (value.empty()) break;
        items.push_back(std::move(value));
    }
    // One change for the whole list, so that a window mirrors it once.
    if (items.size() != items_before) controls.set_items(combo_box, std::move(items));
}

// What an item is stored as: the text up to its first line break. The file
// holds one line per key, and the Windows profile functions that the
// original program saves with write the break raw, so reading its file back
// gives this start alone; the rest of the text is lost either way, but the
// key is never left out, which would end the list at the next start. A zero
// byte ends the text too: those functions take it as a zero-ended string.
std::string_view stored_form(std::string_view item) {
    return item.substr(0, item.find_first_of(std::string_view("\r\n\0", 3)));
}

}  // namespace

void load_history(ControlModel& controls, std::string_view combo_box, std::string_view section,
                  const SettingsFile& settings) {
    load_history_from(controls, combo_box, section, settings.load());
}

void save_history(ControlModel& controls, std::string_view combo_box, std::string_view section,
                  SettingsFile& settings) {
    std::string current = controls.text(combo_box);
    std::vector<std::string> items = controls.items(combo_box);
    if (std::find(items.begin(), items.end(), current) != items.end()) return;
    controls.add_item(combo_box, current);
    items.push_back(std::move(current));

    std::vector<std::string> keys;
    keys.reserve(items.size());
    for (std::size_t key = 1; key <= items.size(); ++key) {
        keys.push_back(text::decimal_text(static_cast<std::int32_t>(key)));
    }
    std::vector<SettingsValue> values;
    values.reserve(items.size());
    for (std::size_t index = 0; index < items.size(); ++index) {
        values.push_back({keys[index], stored_form(items[index])});
    }
    // A failed write is not reported: the new item stays in the combo box.
    settings.write_many(gbk(section), values);
}

void load_all_histories(ControlModel& controls, const SettingsFile& settings) {
    const IniDocument document = settings.load();
    for (const HistoryBox& box : kLoadOrder) {
        load_history_from(controls, box.combo_box, box.section, document);
    }
}

SettingsHistory::SettingsHistory(ControlModel& controls, SettingsFile settings)
    : controls_(controls), settings_(std::move(settings)) {}

void SettingsHistory::save(std::string_view combo_box, std::string_view section) {
    save_history(controls_, combo_box, section, settings_);
}

}  // namespace qelvo::ui
