// One run of a job: its file list, counters, locks and stop request. Every
// run has its own, so a worker of a stopped run can never claim a file of a
// later run, and a run's locks live as long as any of its threads holds the
// run.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/function_ref.h"
#include "engine/path_list.h"

namespace qelvo {

struct RunFlags {
    bool ignore_case = false;
    bool backup = false;
    bool include_subfolders = false;
    bool restore = false;
    bool delete_backups = false;
};

struct ClaimedFile {
    std::int32_t number;  // the claim counter's value for this file, from 1
    std::string path;
    bool passable = false;  // a look-ahead found nothing to do with it
};

// A path taken by a look-ahead, with its place in the list.
struct LookAheadPath {
    std::size_t index;
    std::string path;
};

class Run {
  public:
    Run(std::uint64_t id, RunFlags flags) : id_(id), flags_(flags) {}

    std::uint64_t id() const { return id_; }
    const RunFlags& flags() const { return flags_; }

    // Collecting phase: only the driver appends.
    void append_path(std::string_view path);
    std::int32_t count_found() { return found_.fetch_add(1) + 1; }
    std::int32_t found() const { return found_.load(); }
    std::size_t path_count() const;
    std::vector<std::string> paths() const;

    // Emptying the list is final for the run: from then on every claim finds
    // it exhausted and the driver collects no further path. It takes no
    // lock, so the user-interface thread never waits on a worker.
    void empty_list() { emptied_.store(true); }
    bool emptied() const { return emptied_.load(); }
    void reset_found_counter() { found_.store(0); }
    void reset_claim_counter() { claims_.store(0); }

    void request_driver_stop() { driver_stop_.store(true); }
    // True for the first caller only: the one that ends the run.
    bool mark_ended() { return !ended_.exchange(true); }
    bool driver_stop_requested() const { return driver_stop_.load(); }
    // The driver stops collecting when told to stop or when its list is
    // emptied.
    bool collecting_should_end() const { return driver_stop_requested() || emptied(); }

    // Looking ahead: while the driver still collects, threads that change
    // nothing the user sees take the paths in list order and mark those the
    // workers may pass over, so that the cores are busy during the walk.
    // take_for_look_ahead waits for the next path and gives nothing once
    // collecting has ended; the driver ends it, however its walk ended.
    std::optional<LookAheadPath> take_for_look_ahead();
    void mark_passable(std::size_t index);
    void end_collecting();

    // Takes the next file under the index lock. while_locked runs under the
    // lock with the new claim number, before the exhaustion test; on a
    // successful claim read_inputs runs under the lock too. Returns nothing
    // when the list is exhausted.
    std::optional<ClaimedFile> claim(FunctionRef<void(std::int32_t)> while_locked,
                                     FunctionRef<void()> read_inputs);

    // The result lock serialises the recording of hits.
    std::mutex& result_lock() { return result_lock_; }
    // The caller holds the result lock.
    std::int32_t next_hit_number() { return ++hits_; }
    // The caller holds the result lock: the count of files whose work
    // succeeded, which the count labels show.
    std::int32_t next_success_number() { return ++successes_; }

  private:
    bool looking_ahead_ended() const;
    bool look_ahead_may_go_on() const;

    const std::uint64_t id_;
    const RunFlags flags_;

    mutable std::mutex index_lock_;
    PathList paths_;              // guarded by index_lock_
    std::vector<bool> passable_;  // guarded by index_lock_, one per path
    // Written under index_lock_; read without it too, by a look-ahead that
    // waits for the next path before it takes the lock.
    std::atomic<std::size_t> listed_{0};
    std::atomic<std::size_t> looked_ahead_{0};
    std::atomic<bool> collecting_ended_{false};
    std::condition_variable collected_;  // a path was added, or collecting ended
    std::atomic<std::int32_t> claims_{0};
    std::atomic<std::int32_t> found_{0};
    std::atomic<bool> emptied_{false};
    std::atomic<bool> driver_stop_{false};
    std::atomic<bool> ended_{false};

    std::mutex result_lock_;
    std::int32_t hits_ = 0;       // guarded by result_lock_
    std::int32_t successes_ = 0;  // guarded by result_lock_
};

}  // namespace qelvo
