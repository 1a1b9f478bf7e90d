#include "cli/commands.h"
#include "engine/backup_task.h"
#include "engine/panel_switch.h"

namespace qelvo::cli {

// Every flag option sets its box to exactly whether it was given, so neither
// task box is checked unless asked for, and "restore PATH" alone fails the
// task check.
CommandSpec restore_command() {
    return {.name = "restore",
            .positional = {{"PATH", "组合框_文件路径3", ArgumentKind::path}},
            .options = {{"restore", "选择框_还原备份文件", false},
                        {"delete", "选择框_删除备份文件", false},
                        {"subfolders", "选择框_包含子文件夹3", false},
                        {"threads", "编辑框_线程3", true}},
            .start_button = "按钮_执行",
            .idle_caption = "执行",
            .thread_count_box = "编辑框_线程3",
            .click = on_execute_button_click,
            .show_panel = show_restore_panel};
}

}  // namespace qelvo::cli
