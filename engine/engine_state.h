// The engine state shared by the three jobs: the current run, the thread
// starter and the count of live job threads. Only one run is current; a new
// run replaces it, and the old run's threads keep their own run until they
// end.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "engine/run.h"
#include "platform/thread_start.h"

namespace qelvo {

// Starts a thread on an entry routine at once; false when it could not be
// started. The default starts a detached thread of the platform's own.
using ThreadStarter = std::function<bool(std::function<void()>)>;

class EngineState {
  public:
    explicit EngineState(ThreadStarter starter = platform::start_detached_thread);

    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

    // What every click of a start button does first: the current run's list
    // is emptied and its found counter zeroed. Running workers end at their
    // next claim.
    void reset_for_click();
    // The switch to the find panel: the list is emptied and the claim
    // counter zeroed.
    void empty_list_for_panel_switch();

    // Makes a new run of a job (named by its start button) the current one.
    // also_locked runs under the lock that orders runs, where the click
    // writes the job's running caption, so that no worker of an earlier run
    // can decide on that button between the two.
    std::shared_ptr<Run> begin_run(RunFlags flags, std::string_view job = {},
                                   const std::function<void()>& also_locked = {});
    std::shared_ptr<Run> current_run() const;
    bool is_current(const Run& run) const { return current_id_.load() == run.id(); }

    // Under the lock that orders runs: runs write when the run is still the
    // current one, and tells whether it did.
    bool if_current(const Run& run, const std::function<void()>& write);
    // Under the same lock: the first call for a run whose list is exhausted
    // runs write_idle, unless its job has begun a newer run since. The
    // job's button goes back to idle even when another job's run is current.
    void end_run(Run& run, std::string_view job, const std::function<void()>& write_idle);

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

    // Orders runs: guards current_, last_id_ and latest_of_job_. Recursive,
    // because what is written under it tells the model's listener, and a
    // listener may click a start button on the same thread.
    mutable std::recursive_mutex current_mutex_;
    std::shared_ptr<Run> current_;
    std::uint64_t last_id_ = 0;
    std::map<std::string, std::uint64_t, std::less<>> latest_of_job_;
    std::atomic<std::uint64_t> current_id_{0};
};

}  // namespace qelvo
