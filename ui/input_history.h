// The combo boxes' input histories in the settings file. Each of the
// sections "文件路径", "查找内容" and "文件格式" holds a list of item texts
// under the keys "1", "2", ...; several combo boxes share a section, so the
// one saved last decides what the others load at the next start.
#pragma once

#include <cstddef>
#include <string_view>

#include "engine/control_model.h"
#include "engine/input_history.h"
#include "ui/settings_file.h"

namespace qelvo::ui {

// Keys above this are never read.
inline constexpr std::size_t kHistoryKeyLimit = 100000;

// Appends the values of keys "1", "2", ... of the section (a UTF-8 name) to
// the combo box's items, after those it has, up to the first empty or
// missing value. Duplicates are kept.
void load_history(ControlModel& controls, std::string_view combo_box, std::string_view section,
                  const SettingsFile& settings);

// When the combo box's text equals none of its items byte for byte, adds it
// as the last item and writes every item, in order, to keys "1" to "n" of the
// section; keys above n are left as they are. An item holding a line break
// (CR or LF) is written up to its first one, so every key gets its line; the
// item itself stays whole in the combo box. When the text is an item
// already, nothing is written. Write failures are ignored: the new item stays.
void save_history(ControlModel& controls, std::string_view combo_box, std::string_view section,
                  SettingsFile& settings);

// What the main window loads when it is created, in its order.
void load_all_histories(ControlModel& controls, const SettingsFile& settings);

// The input history the window gives to the jobs: each save goes to the
// settings file.
class SettingsHistory : public InputHistory {
  public:
    SettingsHistory(ControlModel& controls, SettingsFile settings);
    void save(std::string_view combo_box, std::string_view section) override;
    const SettingsFile& settings() const { return settings_; }

  private:
    ControlModel& controls_;
    SettingsFile settings_;
};

}  // namespace qelvo::ui
