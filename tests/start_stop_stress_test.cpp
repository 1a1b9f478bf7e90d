// Start and stop clicks at random moments, alternating the three jobs over
// one tree, as an impatient user would click: it is meant to be run under
// ThreadSanitizer too. No file may end half-written, and once every thread
// has ended each job's button shows its idle caption.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "engine/backup_task.h"
#include "engine/find_job.h"
#include "engine/panel_switch.h"
#include "engine/replace_job.h"
#include "tests/job_fixture.h"

namespace qelvo::testing {
namespace {

constexpr int kDirectories = 10;
constexpr int kFilesPerDirectory = 500;
const std::string kOld = "some old text\r\n";
const std::string kNew = "some new text\r\n";

std::string file_name(int directory, int file) {
    return "d" + std::to_string(directory) + "\\f" + std::to_string(file) + ".txt";
}

class StartStopStress : public JobTest {
  protected:
    void SetUp() override {
        for (int d = 0; d < kDirectories; ++d) {
            tree.make_directory("d" + std::to_string(d));
            for (int f = 0; f < kFilesPerDirectory; ++f) tree.write(file_name(d, f), kOld);
        }
        controls.set_text("组合框_文件路径", tree.root());
        set("组合框_查找内容", "old");
        set("组合框_替换内容", "new");
        controls.set_checked("选择框_包含子文件夹", true);
        controls.set_checked("选择框_替换备份", true);
        controls.set_text("组合框_文件路径2", tree.root());
        set("组合框_查找内容2", "old");
        controls.set_checked("选择框_包含子文件夹2", true);
        controls.set_text("组合框_文件路径3", tree.root());
        controls.set_checked("选择框_包含子文件夹3", true);
        controls.set_checked("选择框_还原备份文件", true);
    }

    // Brings a job's panel up and clicks its start button, which starts a
    // run or stops the running one.
    void click(int job) {
        switch (job % 3) {
            case 0:
                show_replace_panel(engine);
                on_replace_button_click(engine);
                break;
            case 1:
                show_find_panel(engine);
                on_find_button_click(engine);
                break;
            default:
                show_restore_panel(engine);
                on_execute_button_click(engine);
                break;
        }
    }
};

TEST_F(StartStopStress, ClicksAtRandomMomentsLeaveFilesWholeAndButtonsIdle) {
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> pause_us(0, 3000);
    std::uniform_int_distribution<int> job(0, 2);
    for (int i = 0; i < 2000; ++i) {
        // Each job is clicked twice in a row about as often as once: a start
        // and its stop, or a start that replaces another job's run.
        click(job(random));
        std::this_thread::sleep_for(std::chrono::microseconds(pause_us(random)));
    }
    // A last click on each running job stops it; then every run ends.
    for (int j = 0; j < 3; ++j) {
        const bool running = j == 0   ? shown("按钮_开始替换") == "停止替换"
                             : j == 1 ? shown("按钮_开始查找") == "暂停查找"
                                      : shown("按钮_执行") == "暂停";
        if (running) click(j);
    }
    wait();
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
    EXPECT_EQ(shown("按钮_开始查找"), "开始查找");
    EXPECT_EQ(shown("按钮_执行"), "执行");
    for (int d = 0; d < kDirectories; ++d) {
        for (int f = 0; f < kFilesPerDirectory; ++f) {
            const std::string contents = tree.read(file_name(d, f));
            ASSERT_TRUE(contents == kOld || contents == kNew) << file_name(d, f);
            // A stopped run finishes the file in hand while a newer one may
            // already back that file up, so a backup holds either text, but
            // whole.
            if (tree.exists(file_name(d, f) + ".bak")) {
                const std::string backup = tree.read(file_name(d, f) + ".bak");
                ASSERT_TRUE(backup == kOld || backup == kNew) << file_name(d, f);
            }
        }
    }
}

}  // namespace
}  // namespace qelvo::testing
