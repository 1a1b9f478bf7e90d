#include "cli/commands.h"
#include "engine/replace_job.h"

namespace qelvo::cli {

CommandSpec replace_command() {
    return {.name = "replace",
            .positional = {{"PATH", "组合框_文件路径", ArgumentKind::path},
                           {"FIND", "组合框_查找内容", ArgumentKind::text},
                           {"REPLACEMENT", "组合框_替换内容", ArgumentKind::text}},
            .options = {{"pattern", "组合框_文件格式", true},
                        {"subfolders", "选择框_包含子文件夹", false},
                        {"case-sensitive", "选择框_区分大小写", false},
                        {"backup", "选择框_替换备份", false},
                        {"encoding", "组合框_编码格式", true},
                        {"threads", "编辑框_线程", true},
                        {"cache", "选择框_替换缓存", false}},
            .start_button = "按钮_开始替换",
            .idle_caption = "开始替换",
            .thread_count_box = "编辑框_线程",
            .click = on_replace_button_click,
            .cache_option = "cache",
            .cache_status_label = "透明标签21"};
}

}  // namespace qelvo::cli
