// The threading scheme the three jobs share: a driver fills the run's file
// list, then starts the workers, and each worker claims files one at a time
// until it finds the list exhausted.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "engine/function_ref.h"

namespace qelvo {

// The controls that say whether a job runs.
struct JobButton {
    std::string_view name;     // the start button
    std::string idle_caption;  // GBK
};

// A worker's claim. The progress bar shows the claim number while the run is
// current. When the list is exhausted, the first worker to find it so
// returns the job's button to its idle caption, unless the job has begun a
// newer run since (another job's run may be current: its own button still
// goes back), the driver is told to stop, and nothing is returned.
std::optional<ClaimedFile> claim_next_file(Engine& engine, Run& run, const JobButton& button,
                                           FunctionRef<void(std::int32_t)> also_locked,
                                           FunctionRef<void()> read_inputs);

// The end of every driver: the progress caption, the progress bar reset to
// the number of files, then as many workers as the thread count box says,
// unless the driver was told to stop. A worker that cannot be started is
// missing; the others still claim every file.
void start_workers(Engine& engine, const std::shared_ptr<Run>& run,
                   const std::string& progress_caption, std::string_view thread_count_box,
                   const std::function<void()>& worker);

}  // namespace qelvo
