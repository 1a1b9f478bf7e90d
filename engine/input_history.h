// The input histories of the combo boxes, saved when a run starts. The
// window keeps them in its settings file; a front end without one saves
// nothing.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

namespace qelvo {

class InputHistory {
  public:
    virtual ~InputHistory() = default;
    // Adds the combo box's text to its items when it is not one yet and
    // keeps the items under the section (a UTF-8 name).
    virtual void save(std::string_view combo_box, std::string_view section) = 0;
};

// Combo boxes and their sections, in the order they are saved.
using HistoryBoxes = std::vector<std::pair<std::string_view, std::string_view>>;

inline void save_histories(InputHistory* history, const HistoryBoxes& boxes) {
    if (!history) return;
    for (const auto& [box, section] : boxes) history->save(box, section);
}

}  // namespace qelvo
