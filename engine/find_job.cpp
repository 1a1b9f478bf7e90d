#include "engine/find_job.h"

#include "engine/gbk_literal.h"
#include "engine/search_panel.h"

namespace qelvo {
namespace {

const SearchPanel& find_panel() {
    static const SearchPanel panel{.path_box = "组合框_文件路径2",
                                   .find_box = "组合框_查找内容2",
                                   .replacement_box = "",
                                   .pattern_box = "组合框_文件格式2",
                                   .case_box = "选择框_区分大小写2",
                                   .subfolders_box = "选择框_包含子文件夹2",
                                   .backup_box = "",
                                   .encoding_box = "组合框_编码格式2",
                                   .thread_count_box = "编辑框_线程数2",
                                   .cache_box = "选择框_缓存查找文件",
                                   .cache_status_label = "透明标签20",
                                   .start_button = "按钮_开始查找",
                                   .clears_cache_status_on_click = true,
                                   .histories = {{"组合框_文件路径2", "文件路径"},
                                                 {"组合框_查找内容2", "查找内容"},
                                                 {"组合框_文件格式2", "文件格式"}},
                                   .idle_caption = gbk("开始查找"),
                                   .running_caption = gbk("暂停查找"),
                                   .progress_caption = gbk("查找进度:"),
                                   .count_prefix = gbk("成功找到数量为:")};
    return panel;
}

}  // namespace

void on_find_button_click(Engine& engine) {
    // A hit is only listed and counted.
    click_search_button(engine, find_panel(), [](Engine&, const Run&, FoundFile&) { return true; });
}

}  // namespace qelvo
