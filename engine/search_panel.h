// What the replace and find panels share: the same handler, driver and
// worker structure over their own controls and texts. Each job supplies its
// panel and what it does with a file that holds the find text.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "engine/file_search.h"
#include "engine/input_history.h"

namespace qelvo {

struct SearchPanel {
    std::string_view path_box;
    std::string_view find_box;
    std::string_view replacement_box;  // empty for a panel without one
    std::string_view pattern_box;
    std::string_view case_box;
    std::string_view subfolders_box;
    std::string_view backup_box;  // empty for a panel without one
    std::string_view encoding_box;
    std::string_view thread_count_box;
    std::string_view cache_box;
    std::string_view cache_status_label;
    std::string_view start_button;
    bool clears_cache_status_on_click;
    HistoryBoxes histories;  // saved when a run starts
    // GBK texts.
    std::string idle_caption;
    std::string running_caption;
    std::string progress_caption;
    std::string count_prefix;
};

// A file that holds the find text, as the search left it.
struct FoundFile {
    const std::string& path;
    FileSearch& search;
};

// What a job does with a file that holds the find text; false when it
// failed, so that the file is listed but not counted.
using HitAction = std::function<bool(Engine&, const Run&, FoundFile&)>;

// The start/stop handler of a search panel, run on the user-interface
// thread.
void click_search_button(Engine engine, const SearchPanel& panel, const HitAction& on_hit);

}  // namespace qelvo
