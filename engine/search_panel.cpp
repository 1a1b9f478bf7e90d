#include "engine/search_panel.h"

#include <thread>
#include <utility>

#include "engine/directory_cache.h"
#include "engine/enumeration.h"
#include "engine/gbk_literal.h"
#include "engine/job_inputs.h"
#include "engine/text.h"
#include "engine/workers.h"
#include "platform/platform.h"

namespace qelvo {
namespace {

struct Texts {
    std::string found_none = gbk("找到文件:0");
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

// The first failing input check's message, or nothing when all pass.
std::optional<std::string> failed_check(const ControlModel& controls, const SearchPanel& panel) {
    const std::string path = controls.text(panel.path_box);
    const std::string pattern = controls.text(panel.pattern_box);
    if (path.empty()) return texts().empty_path;
    if (controls.text(panel.find_box).empty()) return texts().empty_find;
    if (!panel.replacement_box.empty() && controls.text(panel.replacement_box).empty()) {
        return texts().empty_replacement;
    }
    if (pattern.empty()) return texts().empty_pattern;
    if (text::find_text(path, ":\\") == text::kNotFound) return texts().bad_path;
    if (text::find_text(pattern, ".") == text::kNotFound) return texts().bad_pattern;
    return std::nullopt;
}

RunFlags read_run_flags(const ControlModel& controls, const SearchPanel& panel) {
    return {.ignore_case = !controls.checked(panel.case_box),
            .backup = !panel.backup_box.empty() && controls.checked(panel.backup_box),
            .include_subfolders = controls.checked(panel.subfolders_box)};
}

SearchInputs read_inputs(const ControlModel& controls, const SearchPanel& panel) {
    SearchInputs inputs{.find = expand_line_breaks(controls.text(panel.find_box)),
                        .replacement = {},
                        .utf8 = controls.text(panel.encoding_box) == "UTF8"};
    if (!panel.replacement_box.empty()) {
        inputs.replacement = expand_line_breaks(controls.text(panel.replacement_box));
    }
    return inputs;
}

// A run that a newer one replaced still finishes its file, but the lower area
// belongs to the newer run now; deciding and writing under the lock that
// orders runs keeps a newer run's cleared list clear.
void record_hit(Engine& engine, Run& run, const std::string& path) {
    std::lock_guard lock(run.result_lock());
    const std::int32_t hit = run.next_hit_number();
    engine.state.if_current(run, [&] {
        engine.controls.insert_row("超级列表框1", static_cast<std::size_t>(hit - 1),
                                   {text::decimal_text(hit), path});
    });
}

// The count label counts the files whose work succeeded.
void count_success(Engine& engine, Run& run, const SearchPanel& panel) {
    std::lock_guard lock(run.result_lock());
    const std::int32_t successes = run.next_success_number();
    engine.state.if_current(run, [&] {
        engine.controls.set_caption("透明标签2",
                                    panel.count_prefix + text::decimal_text(successes));
    });
}

void search_file(Engine& engine, Run& run, const SearchPanel& panel, const std::string& path,
                 FileSearch& search, const HitAction& on_hit) {
    if (search.contains(path)) {
        record_hit(engine, run, path);
        FoundFile found{path, search};
        if (on_hit(engine, run, found)) count_success(engine, run, panel);
    }
    search.release();
}

void search_worker(Engine engine, const std::shared_ptr<Run>& run, const SearchPanel& panel,
                   const HitAction& on_hit, const SearchInputs& looked_for) {
    const JobButton button{panel.start_button, panel.idle_caption};
    SearchInputs inputs;
    std::optional<std::uint64_t> inputs_version;
    // The texts are read with every claim; reading them again when no text
    // has changed since would give the same inputs.
    auto read_claim_inputs = [&] {
        const std::uint64_t version = engine.controls.text_version();
        if (version == inputs_version) return;
        inputs = read_inputs(engine.controls, panel);
        inputs_version = version;
    };
    FileSearch search;
    while (std::optional<ClaimedFile> claimed = claim_next_file(
               engine, *run, button, [](std::int32_t) {}, read_claim_inputs)) {
        // A look-ahead for the same texts found that the file lacks them.
        if (claimed->passable && inputs == looked_for) continue;
        if (has_text_extension(claimed->path)) {
            search.prepare(inputs, run->flags().ignore_case);
            search_file(engine, *run, panel, claimed->path, search, on_hit);
        }
    }
}

// Tests the files the walk lists while it goes on, only to tell the workers
// which files lack the find text: it records no hit and writes nothing, so
// a run stopped during its walk has still touched nothing.
void look_ahead(const std::shared_ptr<Run>& run, const SearchInputs& looked_for) {
    FileSearch search;
    search.prepare(looked_for, run->flags().ignore_case);
    while (std::optional<LookAheadPath> next = run->take_for_look_ahead()) {
        if (has_text_extension(next->path) && !search.contains(next->path)) {
            run->mark_passable(next->index);
        }
        search.release();
    }
}

// One look-ahead for each core the walk leaves free, and at least one.
void start_look_ahead(Engine& engine, const std::shared_ptr<Run>& run,
                      const std::shared_ptr<const SearchInputs>& looked_for) {
    const unsigned cores = std::thread::hardware_concurrency();
    const unsigned threads = cores > 1 ? cores - 1 : 1;
    for (unsigned i = 0; i < threads; ++i) {
        engine.state.start_thread([run, looked_for] { look_ahead(run, *looked_for); });
    }
}

// Loads the cache file the path box names, or walks the directory it names.
void collect_files(Engine& engine, Run& run, const SearchPanel& panel) {
    const std::string path = engine.controls.text(panel.path_box);
    if (!names_cache_file(path)) {
        enumerate(engine, run, path, engine.controls.text(panel.pattern_box),
                  run.flags().include_subfolders);
        return;
    }
    engine.controls.set_checked(panel.cache_box, false);
    load_cache_file(run, path);
}

void search_driver(Engine engine, const std::shared_ptr<Run>& run, const SearchPanel& panel,
                   const HitAction& on_hit) {
    const auto looked_for =
        std::make_shared<const SearchInputs>(read_inputs(engine.controls, panel));
    start_look_ahead(engine, run, looked_for);
    collect_files(engine, *run, panel);
    run->end_collecting();
    if (run->driver_stop_requested()) return;
    // A list emptied by a click is not the directory's list: it must not
    // replace a good cache file.
    if (engine.controls.checked(panel.cache_box) && !run->emptied()) {
        start_cache_writer(engine, {panel.path_box, panel.cache_status_label}, run->paths());
    }
    start_workers(engine, run, panel.progress_caption, panel.thread_count_box,
                  [engine, run, &panel, on_hit, looked_for] {
                      search_worker(engine, run, panel, on_hit, *looked_for);
                  });
}

}  // namespace

void click_search_button(Engine engine, const SearchPanel& panel, const HitAction& on_hit) {
    ControlModel& controls = engine.controls;
    engine.state.reset_for_click();
    controls.set_caption("透明标签19", texts().found_none);
    if (panel.clears_cache_status_on_click) controls.set_caption(panel.cache_status_label, "");
    if (std::optional<std::string> message = failed_check(controls, panel)) {
        engine.messages.show(*message);
        return;
    }
    controls.delete_all_rows("超级列表框1");
    if (controls.caption(panel.start_button) != panel.idle_caption) {
        controls.set_caption(panel.start_button, panel.idle_caption);
        engine.state.stop_driver();
        return;
    }
    save_histories(engine.history, panel.histories);
    std::shared_ptr<Run> run = engine.state.begin_run(
        read_run_flags(controls, panel), panel.start_button,
        [&] { controls.set_caption(panel.start_button, panel.running_caption); });
    engine.state.start_thread(
        [engine, run, &panel, on_hit] { search_driver(engine, run, panel, on_hit); });
}

}  // namespace qelvo
