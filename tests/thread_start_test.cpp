// Detached job threads: every started thread runs its routine once and
// releases it, also when the thread that started it ends at once, as a run's
// driver does after starting its workers.
#include "platform/thread_start.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace qelvo::platform {
namespace {

// Counts routines that have run and wakes a waiter once a number is reached.
class RanCount {
  public:
    void add(int routines = 1) {
        std::lock_guard lock(mutex_);
        ran_ += routines;
        changed_.notify_all();
    }
    // The count once it reaches expected, or what it is after the limit.
    int wait_for(int expected, std::chrono::seconds limit) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, limit, [&] { return ran_ >= expected; });
        return ran_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int ran_ = 0;
};

TEST(ThreadStart, RoutineRunsOnceAndIsReleasedWhenItEnds) {
    auto ran = std::make_shared<RanCount>();
    ASSERT_TRUE(start_detached_thread([ran] { ran->add(); }));
    ASSERT_EQ(ran->wait_for(1, std::chrono::seconds(30)), 1);
    // The routine, and with it its captures, is destroyed after it returns.
    const std::weak_ptr<RanCount> watched = ran;
    ran.reset();
    for (int i = 0; i < 3000 && !watched.expired(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(watched.expired());
}

TEST(ThreadStart, ThreadsStartedByThreadsThatEndAtOnceAllRun) {
    constexpr int kDrivers = 300;
    constexpr int kWorkersEach = 10;
    constexpr int kThreadsEach = kWorkersEach + 1;
    // A start that fails counts as run for every routine it would have
    // started, so that the waits below end, and the failure is reported on
    // its own.
    auto ran = std::make_shared<RanCount>();
    auto failed_starts = std::make_shared<std::atomic<int>>(0);
    auto start_counted = [ran, failed_starts](std::function<void()> routine, int routines) {
        if (start_detached_thread(std::move(routine))) return;
        ++*failed_starts;
        ran->add(routines);
    };
    for (int d = 0; d < kDrivers; ++d) {
        start_counted(
            [ran, start_counted] {
                for (int w = 0; w < kWorkersEach; ++w) start_counted([ran] { ran->add(); }, 1);
                ran->add();
            },
            kThreadsEach);
        // A few drivers at a time, as runs come one click after another.
        if (d % 5 == 4) ran->wait_for((d + 1) * kThreadsEach, std::chrono::seconds(30));
    }
    EXPECT_EQ(ran->wait_for(kDrivers * kThreadsEach, std::chrono::seconds(60)),
              kDrivers * kThreadsEach);
    EXPECT_EQ(failed_starts->load(), 0);
}

}  // namespace
}  // namespace qelvo::platform
