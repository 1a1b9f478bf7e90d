#include "cli/commands.h"
#include "engine/find_job.h"
#include "engine/panel_switch.h"

namespace qelvo::cli {

CommandSpec find_command() {
    return {.name = "find",
            .positional = {{"PATH", "组合框_文件路径2", ArgumentKind::path},
                           {"FIND", "组合框_查找内容2", ArgumentKind::text}},
            .options = {{"pattern", "组合框_文件格式2", true},
                        {"subfolders", "选择框_包含子文件夹2", false},
                        {"case-sensitive", "选择框_区分大小写2", false},
                        {"encoding", "组合框_编码格式2", true},
                        {"threads", "编辑框_线程数2", true},
                        {"cache", "选择框_缓存查找文件", false}},
            .start_button = "按钮_开始查找",
            .idle_caption = "开始查找",
            .thread_count_box = "编辑框_线程数2",
            .click = on_find_button_click,
            .show_panel = show_find_panel,
            .cache_option = "cache",
            .cache_status_label = "透明标签20",
            // The window starts with the find panel's pattern box empty.
            .defaults = {{"组合框_文件格式2", "*.*"}}};
}

}  // namespace qelvo::cli
