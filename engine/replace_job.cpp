#include "engine/replace_job.h"

#include <utility>

#include "engine/gbk_literal.h"
#include "engine/search_panel.h"
#include "platform/platform.h"

namespace qelvo {
namespace {

const SearchPanel& replace_panel() {
    static const SearchPanel panel{.path_box = "组合框_文件路径",
                                   .find_box = "组合框_查找内容",
                                   .replacement_box = "组合框_替换内容",
                                   .pattern_box = "组合框_文件格式",
                                   .case_box = "选择框_区分大小写",
                                   .subfolders_box = "选择框_包含子文件夹",
                                   .backup_box = "选择框_替换备份",
                                   .encoding_box = "组合框_编码格式",
                                   .thread_count_box = "编辑框_线程",
                                   .cache_box = "选择框_替换缓存",
                                   .cache_status_label = "透明标签21",
                                   .start_button = "按钮_开始替换",
                                   .clears_cache_status_on_click = false,
                                   .histories = {{"组合框_文件路径", "文件路径"},
                                                 {"组合框_查找内容", "查找内容"},
                                                 {"组合框_替换内容", "查找内容"},
                                                 {"组合框_文件格式", "文件格式"}},
                                   .idle_caption = gbk("开始替换"),
                                   .running_caption = gbk("停止替换"),
                                   .progress_caption = gbk("替换进度:"),
                                   .count_prefix = gbk("成功替换数量为:")};
    return panel;
}

// Backs the file up when asked, then replaces every occurrence and writes
// the file back atomically in the encoding it was read in, with any bytes
// from its first zero byte on carried over.
bool replace_in_file(Engine& engine, const Run& run, FoundFile& file) {
    // Without the backup the user asked for, a file is left as it is.
    if (run.flags().backup && !platform::copy_file(file.path, file.path + ".bak")) {
        report_failure(engine.failures, file.path, "not written",
                       "no backup: " + platform::last_failure_reason());
        return false;
    }
    if (file.search.replace(file.path)) return true;
    report_failure(engine.failures, file.path, "not written", platform::last_failure_reason());
    return false;
}

}  // namespace

void on_replace_button_click(Engine& engine) {
    click_search_button(engine, replace_panel(), replace_in_file);
}

}  // namespace qelvo
