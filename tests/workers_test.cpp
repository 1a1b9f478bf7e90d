#include "engine/workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/run.h"
#include "tests/job_fixture.h"

namespace qelvo::testing {
namespace {

std::shared_ptr<qelvo::Run> run_with_paths(EngineState& state, int count,
                                           std::string_view job = "按钮_开始替换") {
    std::shared_ptr<qelvo::Run> run = state.begin_run({}, job);
    for (int i = 0; i < count; ++i) run->append_path("C:\\f" + std::to_string(i));
    return run;
}

// Claims every file of the run from several threads at once, counting how
// often each claim number and path came out.
std::vector<int> claim_concurrently(qelvo::Run& run, int threads, int paths) {
    std::vector<std::atomic<int>> taken(static_cast<std::size_t>(paths));
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&] {
            while (auto claimed = run.claim([](std::int32_t) {}, [] {})) {
                EXPECT_EQ(claimed->path, "C:\\f" + std::to_string(claimed->number - 1));
                taken[static_cast<std::size_t>(claimed->number - 1)].fetch_add(1);
            }
        });
    }
    for (std::thread& thread : pool) thread.join();
    std::vector<int> counts;
    for (auto& count : taken) counts.push_back(count.load());
    return counts;
}

// ---------------------------------------------------------------------------------------------
// Looking ahead while the list is collected

TEST(RunLookAhead, TakesPathsInListOrderAsTheyComeAndEndsWithCollecting) {
    EngineState state;
    std::shared_ptr<qelvo::Run> run = state.begin_run({});
    std::vector<std::string> taken;
    std::thread look_ahead([&] {
        while (std::optional<LookAheadPath> next = run->take_for_look_ahead()) {
            EXPECT_EQ(next->index, taken.size());
            taken.push_back(next->path);
        }
    });
    for (int i = 0; i < 200; ++i) run->append_path("C:\\f" + std::to_string(i));
    // What is not taken when collecting ends is left to the workers.
    run->end_collecting();
    look_ahead.join();
    ASSERT_LE(taken.size(), 200u);
    for (std::size_t i = 0; i < taken.size(); ++i) EXPECT_EQ(taken[i], "C:\\f" + std::to_string(i));
    EXPECT_FALSE(run->take_for_look_ahead());
}

TEST(RunLookAhead, StopOrEmptyingWakesAWaitingLookAheadOnceCollectingEnds) {
    for (const bool empty : {false, true}) {
        EngineState state;
        std::shared_ptr<qelvo::Run> run = state.begin_run({});
        std::thread look_ahead([&] { EXPECT_FALSE(run->take_for_look_ahead()); });
        if (empty) {
            state.reset_for_click();
        } else {
            run->request_driver_stop();
        }
        run->end_collecting();
        look_ahead.join();
    }
}

TEST(RunLookAhead, ClaimTellsWhichFilesWereMarkedPassable) {
    EngineState state;
    std::shared_ptr<qelvo::Run> run = run_with_paths(state, 3);
    run->mark_passable(1);
    run->mark_passable(7);  // past the list: ignored
    std::vector<bool> passable;
    while (auto claimed = run->claim([](std::int32_t) {}, [] {}))
        passable.push_back(claimed->passable);
    EXPECT_EQ(passable, (std::vector<bool>{false, true, false}));
}

TEST(RunClaims, EveryFileIsClaimedExactlyOnce) {
    EngineState state;
    std::shared_ptr<qelvo::Run> run = run_with_paths(state, 2000);
    EXPECT_EQ(claim_concurrently(*run, 8, 2000), std::vector<int>(2000, 1));
}

TEST(RunClaims, EmptiedListIsExhaustedForEveryClaimer) {
    EngineState state;
    std::shared_ptr<qelvo::Run> run = run_with_paths(state, 3);
    ASSERT_TRUE(run->claim([](std::int32_t) {}, [] {}));
    state.reset_for_click();
    EXPECT_FALSE(run->claim([](std::int32_t) {}, [] {}));
    EXPECT_EQ(run->path_count(), 0u);
}

TEST(RunClaims, ClaimCounterResetAfterEmptyingNeverHandsOutAFileAgain) {
    EngineState state;
    std::shared_ptr<qelvo::Run> run = run_with_paths(state, 3);
    ASSERT_TRUE(run->claim([](std::int32_t) {}, [] {}));
    state.empty_list_for_panel_switch();
    std::int32_t seen = 0;
    EXPECT_FALSE(run->claim([&](std::int32_t number) { seen = number; }, [] {}));
    EXPECT_EQ(seen, 1);  // the counter started again from 0
}

TEST(RunClaims, EmptyingDuringCollectingIsFinal) {
    EngineState state;
    std::shared_ptr<qelvo::Run> run = run_with_paths(state, 2);
    state.reset_for_click();
    run->append_path("C:\\late");
    EXPECT_TRUE(run->collecting_should_end());
    EXPECT_EQ(run->path_count(), 0u);
}

TEST(RunClaims, EmptyingRacesSafelyWithAppendsAndClaims) {
    EngineState state;
    std::shared_ptr<qelvo::Run> run = state.begin_run({});
    std::thread driver([&] {
        for (int i = 0; i < 5000; ++i) run->append_path("C:\\f" + std::to_string(i));
    });
    std::thread worker([&] {
        while (run->claim([](std::int32_t) {}, [] {})) {
        }
    });
    state.reset_for_click();
    driver.join();
    worker.join();
    EXPECT_FALSE(run->claim([](std::int32_t) {}, [] {}));
}

TEST(RunClaims, NewRunHasItsOwnListAndCounters) {
    EngineState state;
    std::shared_ptr<qelvo::Run> old_run = run_with_paths(state, 3);
    state.reset_for_click();
    std::shared_ptr<qelvo::Run> new_run = run_with_paths(state, 3);
    EXPECT_FALSE(state.is_current(*old_run));
    EXPECT_TRUE(state.is_current(*new_run));
    EXPECT_FALSE(old_run->claim([](std::int32_t) {}, [] {}));
    auto claimed = new_run->claim([](std::int32_t) {}, [] {});
    ASSERT_TRUE(claimed);
    EXPECT_EQ(claimed->number, 1);
}

class ClaimNextFile : public JobTest {
  protected:
    JobButton button{"按钮_开始替换", gbk("开始替换")};
    std::optional<ClaimedFile> claim(qelvo::Run& run) {
        return claim_next_file(
            engine, run, button, [](std::int32_t) {}, [] {});
    }
};

TEST_F(ClaimNextFile, ExhaustionReturnsTheButtonToIdleAndStopsTheDriver) {
    std::shared_ptr<qelvo::Run> run = run_with_paths(state, 1);
    set("按钮_开始替换", "停止替换");
    ASSERT_TRUE(claim(*run));
    EXPECT_EQ(controls.progress_position("进度条1"), 1);
    EXPECT_FALSE(claim(*run));
    EXPECT_EQ(controls.progress_position("进度条1"), 2);
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
    EXPECT_TRUE(run->driver_stop_requested());
}

TEST_F(ClaimNextFile, WorkerOfAReplacedRunLeavesTheControlsAlone) {
    std::shared_ptr<qelvo::Run> old_run = run_with_paths(state, 1);
    state.reset_for_click();
    run_with_paths(state, 1);
    set("按钮_开始替换", "停止替换");
    controls.set_progress_position("进度条1", 7);
    EXPECT_FALSE(claim(*old_run));
    EXPECT_EQ(shown("按钮_开始替换"), "停止替换");
    EXPECT_EQ(controls.progress_position("进度条1"), 7);
}

TEST_F(ClaimNextFile, ReplaceButtonGoesIdleWhenTheFindJobStartedMeanwhile) {
    std::shared_ptr<qelvo::Run> replace_run = run_with_paths(state, 1);
    set("按钮_开始替换", "停止替换");
    ASSERT_TRUE(claim(*replace_run));
    // The user switches panels and starts a find run while the file is in hand.
    state.reset_for_click();
    run_with_paths(state, 1, "按钮_开始查找");
    set("按钮_开始查找", "暂停查找");
    controls.set_progress_position("进度条1", 7);
    EXPECT_FALSE(claim(*replace_run));
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
    EXPECT_EQ(shown("按钮_开始查找"), "暂停查找");
    // The lower area belongs to the find run.
    EXPECT_EQ(controls.progress_position("进度条1"), 7);
}

TEST_F(ClaimNextFile, OnlyTheFirstWorkerToFindTheListExhaustedWritesTheCaption) {
    std::shared_ptr<qelvo::Run> run = run_with_paths(state, 0);
    EXPECT_FALSE(claim(*run));
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
    set("按钮_开始替换", "something else");
    EXPECT_FALSE(claim(*run));
    EXPECT_EQ(shown("按钮_开始替换"), "something else");
}

TEST_F(ClaimNextFile, IdleCaptionNeverLandsAfterANewerRunOfTheJobBegan) {
    // The last worker of each run races with the click that starts the next
    // one; whichever comes first, the button ends on the newer run's caption.
    for (int round = 0; round < 200; ++round) {
        std::shared_ptr<qelvo::Run> old_run = run_with_paths(state, 0);
        std::thread worker([&] { claim(*old_run); });
        state.reset_for_click();
        state.begin_run({}, "按钮_开始替换", [&] { set("按钮_开始替换", "停止替换"); });
        worker.join();
        ASSERT_EQ(shown("按钮_开始替换"), "停止替换") << "round " << round;
    }
}

TEST_F(ClaimNextFile, StartWorkersHonoursTheThreadCountAndAStop) {
    std::shared_ptr<qelvo::Run> run = run_with_paths(state, 4);
    std::atomic<int> started{0};
    set("编辑框_线程", "3");
    start_workers(engine, run, gbk("替换进度:"), "编辑框_线程", [&] { started.fetch_add(1); });
    wait();
    EXPECT_EQ(started.load(), 3);
    EXPECT_EQ(controls.progress_maximum("进度条1"), 4);
    EXPECT_EQ(controls.progress_position("进度条1"), 0);
    EXPECT_EQ(shown("透明标签18"), "替换进度:");

    run->request_driver_stop();
    start_workers(engine, run, gbk("替换进度:"), "编辑框_线程", [&] { started.fetch_add(1); });
    wait();
    EXPECT_EQ(started.load(), 3);
}

TEST(EngineThreads, FailedStartIsNotCountedAndDoesNotEndTheProcess) {
    EngineState state([](std::function<void()>) { return false; });
    EXPECT_FALSE(state.start_thread([] {}));
    EXPECT_TRUE(state.wait_until_no_threads_for(std::chrono::milliseconds(0)));
}

}  // namespace
}  // namespace qelvo::testing
