#include "engine/engine_state.h"

#include <utility>

#include "platform/platform.h"

namespace qelvo {

EngineState::EngineState(ThreadStarter starter) : starter_(std::move(starter)) {}

void EngineState::reset_for_click() {
    if (std::shared_ptr<Run> run = current_run()) {
        run->empty_list();
        run->reset_found_counter();
    }
}

void EngineState::empty_list_for_panel_switch() {
    if (std::shared_ptr<Run> run = current_run()) {
        run->empty_list();
        run->reset_claim_counter();
    }
}

std::shared_ptr<Run> EngineState::begin_run(RunFlags flags, std::string_view job,
                                            const std::function<void()>& also_locked) {
    // A directory renamed or replaced since an earlier run is opened anew,
    // even while a thread of that run still holds it.
    platform::renew_directory_lookups();
    std::lock_guard lock(current_mutex_);
    current_ = std::make_shared<Run>(++last_id_, flags);
    current_id_.store(current_->id());
    if (!job.empty()) latest_of_job_.insert_or_assign(std::string(job), current_->id());
    if (also_locked) also_locked();
    return current_;
}

bool EngineState::if_current(const Run& run, const std::function<void()>& write) {
    std::lock_guard lock(current_mutex_);
    if (!is_current(run)) return false;
    write();
    return true;
}

void EngineState::end_run(Run& run, std::string_view job, const std::function<void()>& write_idle) {
    std::lock_guard lock(current_mutex_);
    if (!run.mark_ended()) return;
    const auto latest = latest_of_job_.find(job);
    if (latest == latest_of_job_.end() || latest->second == run.id()) write_idle();
}

std::shared_ptr<Run> EngineState::current_run() const {
    std::lock_guard lock(current_mutex_);
    return current_;
}

void EngineState::stop_driver() {
    if (std::shared_ptr<Run> run = current_run()) run->request_driver_stop();
}

bool EngineState::start_thread(std::function<void()> entry) {
    std::shared_ptr<ThreadCount> count = threads_;
    {
        std::lock_guard lock(count->mutex);
        ++count->live;
    }
    auto counted = [count, entry = std::move(entry)] {
        entry();
        std::lock_guard lock(count->mutex);
        if (--count->live == 0) count->all_ended.notify_all();
    };
    if (starter_(std::move(counted))) return true;
    std::lock_guard lock(count->mutex);
    if (--count->live == 0) count->all_ended.notify_all();
    return false;
}

void EngineState::wait_until_no_threads() {
    std::unique_lock lock(threads_->mutex);
    threads_->all_ended.wait(lock, [&] { return threads_->live == 0; });
}

bool EngineState::wait_until_no_threads_for(std::chrono::milliseconds limit) {
    std::unique_lock lock(threads_->mutex);
    return threads_->all_ended.wait_for(lock, limit, [&] { return threads_->live == 0; });
}

}  // namespace qelvo
