#include "engine/workers.h"

#include "engine/text.h"

namespace qelvo {

std::optional<ClaimedFile> claim_next_file(Engine& engine, Run& run, const JobButton& button,
                                           FunctionRef<void(std::int32_t)> also_locked,
                                           FunctionRef<void()> read_inputs) {
    const bool current = engine.state.is_current(run);
    std::optional<ClaimedFile> claimed = run.claim(
        [&](std::int32_t number) {
            if (!current) return;
            engine.controls.set_progress_position("进度条1", number);
            also_locked(number);
        },
        read_inputs);
    if (claimed) return claimed;
    engine.state.end_run(run, button.name,
                         [&] { engine.controls.set_caption(button.name, button.idle_caption); });
    run.request_driver_stop();
    return std::nullopt;
}

void start_workers(Engine& engine, const std::shared_ptr<Run>& run,
                   const std::string& progress_caption, std::string_view thread_count_box,
                   const std::function<void()>& worker) {
    if (run->driver_stop_requested()) return;
    engine.controls.set_caption("透明标签18", progress_caption);
    engine.controls.set_progress_position("进度条1", 0);
    engine.controls.set_progress_maximum("进度条1", static_cast<std::int32_t>(run->path_count()));
    const std::int32_t workers = text::integer_value(engine.controls.text(thread_count_box));
    for (std::int32_t i = 0; i < workers && !run->driver_stop_requested(); ++i) {
        engine.state.start_thread(worker);
    }
}

}  // namespace qelvo
