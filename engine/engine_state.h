// The engine state shared by the three jobs: the current run, the thread
// starter and the count of live job threads. Only one run is current; a new
// run replaces it, and the old run's threads keep their own run until they
// end.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/run.h"

namespace qelvo {

// Starts a thread on an entry routine at once; false when it could not be
// started. The default starts a detached std::thread.
using ThreadStarter = std::function<bool(std::function<void()>)>;

bool start_detached_thread(std::function<void()> entry);

class EngineState {
  public:
    explicit EngineState(ThreadStarter starter = start_detached_thread);

    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

    // What every click of a start button does first: the current run's list
    // is emptied and its found counter zeroed. Running workers end at their
    // next claim.
    void reset_for_click();
    // The switch to the find panel: the list is emptied and the claim
    // counter zeroed.
    void empty_list_for_panel_switch();

    std::shared_ptr<Run> begin_run(RunFlags flags);
    std::shared_ptr<Run> current_run() const;
    bool is_current(const Run& run) const { return current_id_.load() == run.id(); }

    // Asks the current run's driver to add no further path and start no
    // further worker.
    void stop_driver();

    // Starts a job thread and counts it until its entry routine returns. A
    // failed start leaves no trace: that thread is simply missing.
    bool start_thread(std::function<void()> entry);

    // Waits until every job thread started so far has ended.
    void wait_until_no_threads();
    // The same with a time limit; true when no thread is left.
    bool wait_until_no_threads_for(std::chrono::milliseconds limit);

  private:
    // Shared with the threads themselves, so that a thread's last touch of
    // the count never outlives it.
    struct ThreadCount {
        std::mutex mutex;
        std::condition_variable all_ended;
        int live = 0;
    };

    ThreadStarter starter_;
    std::shared_ptr<ThreadCount> threads_ = std::make_shared<ThreadCount>();

    mutable std::mutex current_mutex_;  // guards current_ only, held for a copy
    std::shared_ptr<Run> current_;
    std::uint64_t last_id_ = 0;  // guarded by current_mutex_
    std::atomic<std::uint64_t> current_id_{0};
};

}  // namespace qelvo
