#include "engine/replace_job.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/enumeration.h"
#include "engine/file_text.h"
#include "engine/gbk_literal.h"
#include "engine/job_inputs.h"
#include "engine/text.h"
#include "engine/workers.h"
#include "platform/platform.h"

namespace qelvo {
namespace {

struct Texts {
    std::string idle = gbk("开始替换");
    std::string running = gbk("停止替换");
    std::string found_none = gbk("找到文件:0");
    std::string progress = gbk("替换进度:");
    std::string replaced = gbk("成功替换数量为:");
    std::string empty_path = gbk("文件目录不能为空");
    std::string empty_find = gbk("查找内容不能为空");
    std::string empty_replacement = gbk("替换内容不能为空");
    std::string empty_pattern = gbk("文件格式不能为空");
    std::string bad_path = gbk("文件路径错误");
    std::string bad_pattern = gbk("文件格式错误");
};

const Texts& texts() {
    static const Texts instance;
    return instance;
}

constexpr std::string_view kStartButton = "按钮_开始替换";

// The first failing input check's message, or nothing when all pass.
std::optional<std::string> failed_check(const ControlModel& controls) {
    const std::string path = controls.text("组合框_文件路径");
    const std::string pattern = controls.text("组合框_文件格式");
    if (path.empty()) return texts().empty_path;
    if (controls.text("组合框_查找内容").empty()) return texts().empty_find;
    if (controls.text("组合框_替换内容").empty()) return texts().empty_replacement;
    if (pattern.empty()) return texts().empty_pattern;
    if (text::find_text(path, ":\\") == text::kNotFound) return texts().bad_path;
    if (text::find_text(pattern, ".") == text::kNotFound) return texts().bad_pattern;
    return std::nullopt;
}

struct ReplaceInputs {
    std::string find;
    std::string replacement;
};

ReplaceInputs read_inputs(const ControlModel& controls) {
    return {expand_line_breaks(controls.text("组合框_查找内容")),
            expand_line_breaks(controls.text("组合框_替换内容"))};
}

void record_hit(Engine& engine, Run& run, const std::string& path) {
    std::lock_guard lock(run.result_lock());
    const std::int32_t hit = run.next_hit_number();
    // A run that a newer one replaced still finishes its file, but the lower
    // area belongs to the newer run now.
    if (!engine.state.is_current(run)) return;
    const std::string number = text::decimal_text(hit);
    engine.controls.set_caption("透明标签2", texts().replaced + number);
    engine.controls.insert_row("超级列表框1", static_cast<std::size_t>(hit - 1), {number, path});
}

void replace_in_file(Engine& engine, Run& run, const std::string& path,
                     const ReplaceInputs& inputs) {
    const std::string bytes = platform::read_file(path).value_or(std::string());
    const FileText file = split_at_first_zero(bytes);
    if (text::find_text(file.text, inputs.find, 1, run.flags().ignore_case) == text::kNotFound) {
        return;
    }
    record_hit(engine, run, path);
    // Without its backup the user asked for, a file is left as it is.
    if (run.flags().backup && !platform::copy_file(path, path + ".bak")) return;
    std::string rewritten = text::replace_text(file.text, inputs.find, inputs.replacement);
    rewritten.append(file.tail);
    platform::write_file_atomic(path, rewritten);
}

void replace_worker(Engine& engine, const std::shared_ptr<Run>& run) {
    const JobButton button{kStartButton, texts().idle};
    ReplaceInputs inputs;
    while (std::optional<ClaimedFile> claimed = claim_next_file(
               engine, *run, button, [](std::int32_t) {},
               [&] { inputs = read_inputs(engine.controls); })) {
        if (has_text_extension(claimed->path)) replace_in_file(engine, *run, claimed->path, inputs);
    }
}

void replace_driver(Engine& engine, const std::shared_ptr<Run>& run) {
    enumerate(engine, *run, engine.controls.text("组合框_文件路径"),
              engine.controls.text("组合框_文件格式"), run->flags().include_subfolders);
    start_workers(engine, run, texts().progress, "编辑框_线程",
                  [engine, run]() mutable { replace_worker(engine, run); });
}

RunFlags read_run_flags(const ControlModel& controls) {
    return {.ignore_case = !controls.checked("选择框_区分大小写"),
            .backup = controls.checked("选择框_替换备份"),
            .include_subfolders = controls.checked("选择框_包含子文件夹")};
}

}  // namespace

void on_replace_button_click(Engine& engine) {
    ControlModel& controls = engine.controls;
    engine.state.reset_for_click();
    controls.set_caption("透明标签19", texts().found_none);
    if (std::optional<std::string> message = failed_check(controls)) {
        engine.messages.show(*message);
        return;
    }
    controls.delete_all_rows("超级列表框1");
    if (controls.caption(kStartButton) != texts().idle) {
        controls.set_caption(kStartButton, texts().idle);
        engine.state.stop_driver();
        return;
    }
    controls.set_caption(kStartButton, texts().running);
    std::shared_ptr<Run> run = engine.state.begin_run(read_run_flags(controls));
    engine.state.start_thread([engine, run]() mutable { replace_driver(engine, run); });
}

}  // namespace qelvo
