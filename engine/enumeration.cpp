#include "engine/enumeration.h"

#include <utility>
#include <vector>

#include "engine/gbk_literal.h"
#include "engine/text.h"
#include "platform/codepage.h"
#include "platform/platform.h"
#include "platform/wildcard.h"

namespace qelvo {
namespace {

struct Texts {
    std::string searching = gbk("正在搜索:");
    std::string found = gbk("找到文件:");
};

const Texts& texts() {
    static const Texts instance;
    return instance;
}

// True when the text's last character is a backslash. A 0x5C byte that is
// the second half of a two-byte character does not count.
bool ends_in_backslash(std::string_view directory) {
    std::size_t i = 0;
    bool last_is_backslash = false;
    while (i < directory.size()) {
        const auto byte = static_cast<unsigned char>(directory[i]);
        last_is_backslash = byte == '\\';
        i += codepage::is_lead_byte(byte) ? 2 : 1;
    }
    return last_is_backslash;
}

// The busy indicator: 3 more per directory, wrapping at 100.
void advance_busy_bar(ControlModel& controls) {
    controls.set_progress_maximum("进度条1", 100);
    std::int32_t position = controls.progress_position("进度条1") + 3;
    if (position >= 100) position = 0;
    controls.set_progress_position("进度条1", position);
}

// Reads the directory once: the files whose names match the pattern go into
// the run's list in the order the directory gives them, and the names of its
// subdirectories are returned when they are wanted. A stop is honoured
// between any two entries.
std::vector<std::string> list_directory(Run& run, const std::string& directory,
                                        const std::string& pattern, bool want_subdirectories) {
    const bool files_wanted = platform::pattern_is_valid(pattern);
    std::vector<std::string> subdirectories;
    std::string path = directory;  // the directory, then each file's name after it
    platform::list_directory(directory, [&](const std::string& name, platform::EntryKind kind) {
        if (run.collecting_should_end()) return false;
        if (kind == platform::EntryKind::directories) {
            if (want_subdirectories && platform::wildcard_match("*.*", name)) {
                subdirectories.push_back(name);
            }
        } else if (files_wanted && platform::wildcard_match(pattern, name)) {
            path.resize(directory.size());
            path += name;
            run.append_path(path);
            run.count_found();
        }
        return true;
    });
    return subdirectories;
}

}  // namespace

void enumerate(Engine& engine, Run& run, std::string directory, std::string pattern,
               bool include_subfolders) {
    if (pattern.empty()) pattern = "*.*";
    // Depth first and pre-order, kept on an explicit stack so that a deep
    // tree cannot exhaust the thread's stack.
    std::vector<std::string> pending{std::move(directory)};
    while (!pending.empty() && !run.collecting_should_end()) {
        std::string current = std::move(pending.back());
        pending.pop_back();
        engine.controls.set_caption("透明标签18", texts().searching);
        advance_busy_bar(engine.controls);
        if (!ends_in_backslash(current)) current += '\\';
        std::vector<std::string> subdirectories =
            list_directory(run, current, pattern, include_subfolders);
        engine.controls.set_caption("透明标签19", texts().found + text::decimal_text(run.found()));
        for (auto name = subdirectories.rbegin(); name != subdirectories.rend(); ++name) {
            pending.push_back(current + *name);
        }
    }
}

}  // namespace qelvo
