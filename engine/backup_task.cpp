#include "engine/backup_task.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/enumeration.h"
#include "engine/gbk_literal.h"
#include "engine/text.h"
#include "engine/workers.h"
#include "platform/platform.h"

namespace qelvo {
namespace {

struct Texts {
    std::string idle = gbk("执行");
    std::string running = gbk("暂停");
    std::string progress = gbk("执行进度:");
    std::string taken = gbk("成功执行数量为:");
    std::string empty_path = gbk("文件目录不能为空");
    std::string bad_path = gbk("文件路径错误");
    std::string no_task = gbk("请选择一个操作任务");
};

const Texts& texts() {
    static const Texts instance;
    return instance;
}

constexpr std::string_view kStartButton = "按钮_执行";
constexpr std::string_view kPathBox = "组合框_文件路径3";
constexpr std::string_view kBackupPattern = "*.bak";
constexpr std::string_view kBackupSuffix = ".bak";

// The checks on the directory text, or nothing when both pass. The task
// check comes later, after the result list is emptied.
std::optional<std::string> failed_path_check(const ControlModel& controls) {
    const std::string path = controls.text(kPathBox);
    if (path.empty()) return texts().empty_path;
    if (text::find_text(path, ":\\") == text::kNotFound) return texts().bad_path;
    return std::nullopt;
}

bool any_task_chosen(const ControlModel& controls) {
    return controls.checked("选择框_还原备份文件") || controls.checked("选择框_删除备份文件");
}

// The file a backup was made from: every ".bak" of the whole path removed,
// so a backup in a directory named "a.bak" restores into "a".
std::string restored_path(const std::string& backup) {
    return text::replace_text(backup, kBackupSuffix, "");
}

// Restores and deletes as the run asks. A backup is the only copy of the
// original's old contents, so it is not deleted when restoring it failed.
// A backup whose path holds no exact ".bak" (such as "x.BAK") has nothing to
// be restored onto, and is deleted when deleting is asked for.
// True when every action asked for succeeded; each failure is reported. A
// backup without an original to restore onto cannot be restored, but it is
// no copy of anything either, so deleting it still goes ahead.
bool take_up_backup(Engine& engine, const RunFlags& flags, const std::string& backup) {
    const std::string original = restored_path(backup);
    const bool has_original = original != backup;
    bool restored = true;
    bool keep = false;
    if (flags.restore && !has_original) {
        report_failure(engine.failures, backup, "not restored", "no \".bak\" in its path");
        restored = false;
    } else if (flags.restore && !platform::copy_file(backup, original)) {
        report_failure(engine.failures, backup, "not restored", platform::last_failure_reason());
        restored = false;
        keep = true;
    }
    if (!flags.delete_backups || keep) return restored;
    if (platform::delete_file(backup)) return restored;
    report_failure(engine.failures, backup, "not deleted", platform::last_failure_reason());
    return false;
}

// The count label counts the backups whose every action succeeded.
void count_success(Engine& engine, Run& run) {
    std::lock_guard lock(run.result_lock());
    const std::int32_t successes = run.next_success_number();
    engine.state.if_current(run, [&] {
        engine.controls.set_caption("透明标签2", texts().taken + text::decimal_text(successes));
    });
}

void backup_worker(Engine& engine, const std::shared_ptr<Run>& run) {
    const JobButton button{kStartButton, texts().idle};
    while (std::optional<ClaimedFile> claimed = claim_next_file(
               engine, *run, button, [](std::int32_t) {}, [] {})) {
        if (take_up_backup(engine, run->flags(), claimed->path)) count_success(engine, *run);
    }
}

void backup_driver(Engine& engine, const std::shared_ptr<Run>& run) {
    enumerate(engine, *run, engine.controls.text(kPathBox), std::string(kBackupPattern),
              run->flags().include_subfolders);
    start_workers(engine, run, texts().progress, "编辑框_线程3",
                  [engine, run]() mutable { backup_worker(engine, run); });
}

RunFlags read_run_flags(const ControlModel& controls) {
    return {.include_subfolders = controls.checked("选择框_包含子文件夹3"),
            .restore = controls.checked("选择框_还原备份文件"),
            .delete_backups = controls.checked("选择框_删除备份文件")};
}

}  // namespace

void on_execute_button_click(Engine& engine) {
    ControlModel& controls = engine.controls;
    // The found label keeps the last run's count: only the walk writes it.
    engine.state.reset_for_click();
    if (std::optional<std::string> message = failed_path_check(controls)) {
        engine.messages.show(*message);
        return;
    }
    controls.delete_all_rows("超级列表框1");
    if (!any_task_chosen(controls)) {
        engine.messages.show(texts().no_task);
        return;
    }
    if (controls.caption(kStartButton) != texts().idle) {
        controls.set_caption(kStartButton, texts().idle);
        engine.state.stop_driver();
        return;
    }
    save_histories(engine.history, {{"组合框_文件路径3", "文件路径"}});
    std::shared_ptr<Run> run = engine.state.begin_run(read_run_flags(controls), kStartButton, [&] {
        controls.set_caption(kStartButton, texts().running);
    });
    engine.state.start_thread([engine, run]() mutable { backup_driver(engine, run); });
}

}  // namespace qelvo
