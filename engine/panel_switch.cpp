#include "engine/panel_switch.h"

#include "engine/gbk_literal.h"

namespace qelvo {
namespace {

struct Texts {
    std::string replace_progress = gbk("替换进度:");
    // The digit stands before the colon here, unlike the window's first
    // caption "替换数量:0".
    std::string replace_count = gbk("替换数量0:");
    std::string find_progress = gbk("查找进度:");
    std::string find_count = gbk("查找数量:0");
    std::string restore_progress = gbk("执行进度:");
    std::string restore_count = gbk("执行数量:0");
};

const Texts& texts() {
    static const Texts instance;
    return instance;
}

void set_lower_captions(ControlModel& controls, const std::string& progress,
                        const std::string& count) {
    controls.set_caption("透明标签18", progress);
    controls.set_caption("透明标签2", count);
}

}  // namespace

void show_replace_panel(Engine& engine) {
    set_lower_captions(engine.controls, texts().replace_progress, texts().replace_count);
    engine.controls.set_visible("分组框5", false);
    engine.controls.set_visible("分组框6", false);
    engine.controls.set_visible("分组框3", true);
}

void show_find_panel(Engine& engine) {
    set_lower_captions(engine.controls, texts().find_progress, texts().find_count);
    engine.controls.set_visible("分组框5", true);
    engine.controls.set_visible("分组框6", false);
    engine.controls.set_visible("分组框3", false);
    engine.state.empty_list_for_panel_switch();
}

void show_restore_panel(Engine& engine) {
    set_lower_captions(engine.controls, texts().restore_progress, texts().restore_count);
    engine.controls.set_visible("分组框6", true);
    engine.controls.set_visible("分组框3", false);
    engine.controls.set_visible("分组框5", false);
}

}  // namespace qelvo
