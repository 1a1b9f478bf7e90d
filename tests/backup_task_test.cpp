#include "engine/backup_task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

#include "platform/platform.h"
#include "tests/job_fixture.h"

namespace qelvo::testing {
namespace {

class BackupTask : public JobTest {
  protected:
    // Fills the panel as a user would, with the tree as the directory.
    void fill(bool restore, bool delete_backups) {
        controls.set_text("组合框_文件路径3", tree.root());
        controls.set_checked("选择框_还原备份文件", restore);
        controls.set_checked("选择框_删除备份文件", delete_backups);
    }
    void click() { on_execute_button_click(engine); }
    void run(bool restore, bool delete_backups) {
        fill(restore, delete_backups);
        click();
        wait();
    }
    bool running() const { return shown("按钮_执行") == "暂停"; }
};

TEST_F(BackupTask, ChecksRunInOrderWithTheirMessages) {
    set("透明标签19", "找到文件:7");
    controls.insert_row("超级列表框1", 0, {"1", "old"});

    set("组合框_文件路径3", "");
    click();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().back(), "文件目录不能为空");
    EXPECT_EQ(controls.row_count("超级列表框1"), 1u);

    set("组合框_文件路径3", "\\\\server\\share");
    click();
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown().back(), "文件路径错误");
    EXPECT_EQ(controls.row_count("超级列表框1"), 1u);

    // The result list is emptied before the task check.
    controls.set_text("组合框_文件路径3", tree.root());
    controls.set_checked("选择框_还原备份文件", false);
    controls.set_checked("选择框_删除备份文件", false);
    click();
    ASSERT_EQ(messages.shown().size(), 3u);
    EXPECT_EQ(messages.shown().back(), "请选择一个操作任务");
    EXPECT_EQ(controls.row_count("超级列表框1"), 0u);

    EXPECT_EQ(shown("按钮_执行"), "执行");
    EXPECT_EQ(shown("透明标签19"), "找到文件:7");
}

TEST_F(BackupTask, WindowStartsWithRestoringChosen) {
    tree.write("a.txt.bak", "old");
    controls.set_text("组合框_文件路径3", tree.root());
    click();
    wait();
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(tree.read("a.txt"), "old");
    EXPECT_TRUE(tree.exists("a.txt.bak"));
}

TEST_F(BackupTask, ColonBackslashAnywherePassesThePathCheck) {
    set("组合框_文件路径3", "missing C:\\nowhere");
    click();
    wait();
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(shown("按钮_执行"), "执行");
    EXPECT_EQ(shown("透明标签19"), "找到文件:0");
}

TEST_F(BackupTask, EveryBakOfThePathIsRemoved) {
    tree.make_directory("a");
    tree.make_directory("a.bak");
    tree.write("a.bak\\x.txt.bak", "old");
    controls.set_checked("选择框_包含子文件夹3", true);
    run(true, false);
    EXPECT_EQ(tree.read("a\\x.txt"), "old");
    EXPECT_FALSE(tree.exists("a.bak\\x.txt"));
    EXPECT_EQ(tree.read("a.bak\\x.txt.bak"), "old");
}

TEST_F(BackupTask, SubfoldersOnlyWhenAsked) {
    tree.make_directory("sub");
    tree.write("sub\\a.txt.bak", "old");
    run(true, false);
    EXPECT_FALSE(tree.exists("sub\\a.txt"));
    EXPECT_EQ(shown("透明标签19"), "找到文件:0");
    controls.set_checked("选择框_包含子文件夹3", true);
    run(true, false);
    EXPECT_EQ(tree.read("sub\\a.txt"), "old");
}

TEST_F(BackupTask, CapitalBakIsFoundButNotRestored) {
    tree.write("x.txt.BAK", "old");
    const std::string count_before = shown("透明标签2");
    run(true, false);
    EXPECT_EQ(shown("透明标签19"), "找到文件:1");
    EXPECT_EQ(shown("透明标签2"), count_before) << "a restore that cannot be done is no success";
    EXPECT_FALSE(tree.exists("x.txt"));
    EXPECT_EQ(tree.read("x.txt.BAK"), "old");
}

TEST_F(BackupTask, CapitalBakIsDeletedWhenDeleting) {
    tree.write("x.txt.BAK", "old");
    run(true, true);
    EXPECT_FALSE(tree.exists("x.txt.BAK"));
    EXPECT_FALSE(tree.exists("x.txt"));
}

TEST_F(BackupTask, RestoreAndDeleteOverwritesTheOriginalThenRemovesTheBackup) {
    tree.write("a.txt", "new");
    tree.write("a.txt.bak", "old");
    run(true, true);
    EXPECT_EQ(tree.read("a.txt"), "old");
    EXPECT_FALSE(tree.exists("a.txt.bak"));
    EXPECT_EQ(shown("按钮_执行"), "执行");
}

TEST_F(BackupTask, RestoreOnlyKeepsTheBackup) {
    tree.write("a.txt", "new");
    tree.write("a.txt.bak", "old");
    run(true, false);
    EXPECT_EQ(tree.read("a.txt"), "old");
    EXPECT_EQ(tree.read("a.txt.bak"), "old");
}

TEST_F(BackupTask, RestoreCreatesAMissingOriginal) {
    tree.write("gone.txt.bak", "old");
    run(true, false);
    EXPECT_EQ(tree.read("gone.txt"), "old");
}

TEST_F(BackupTask, DeleteOnlyLeavesTheOriginal) {
    tree.write("a.txt", "new");
    tree.write("a.txt.bak", "old");
    run(false, true);
    EXPECT_EQ(tree.read("a.txt"), "new");
    EXPECT_FALSE(tree.exists("a.txt.bak"));
}

TEST_F(BackupTask, BackupWhoseRestoreFailedIsNotDeleted) {
    tree.make_directory("a.txt");  // no file can be copied onto a directory
    tree.write("a.txt.bak", "old");
    tree.make_directory("b.bak");  // its restored directory "b" is missing
    tree.write("b.bak\\x.txt.bak", "old b");
    tree.write("c.txt", "new");
    tree.write("c.txt.bak", "old c");
    controls.set_checked("选择框_包含子文件夹3", true);
    run(true, true);
    EXPECT_EQ(tree.read("a.txt.bak"), "old");
    EXPECT_EQ(tree.read("b.bak\\x.txt.bak"), "old b");
    EXPECT_FALSE(tree.exists("b\\x.txt"));
    EXPECT_EQ(tree.read("c.txt"), "old c");
    EXPECT_FALSE(tree.exists("c.txt.bak"));
    EXPECT_EQ(shown("透明标签2"), "成功执行数量为:1") << "only c.txt.bak was restored and deleted";
}

TEST_F(BackupTask, ChineseNamesAreRestored) {
    tree.make_directory(gbk("目录"));
    tree.write(gbk("目录\\文件.txt.bak"), gbk("旧的"));
    controls.set_checked("选择框_包含子文件夹3", true);
    run(true, true);
    EXPECT_EQ(tree.read(gbk("目录\\文件.txt")), gbk("旧的"));
    EXPECT_FALSE(tree.exists(gbk("目录\\文件.txt.bak")));
}

TEST_F(BackupTask, CountLabelAndProgressBarShowEveryBackupTaken) {
    const int backups = 25;
    for (int i = 0; i < backups; ++i) tree.write("f" + std::to_string(i) + ".txt.bak", "old");
    tree.write("other.txt", "not a backup");
    set("编辑框_线程3", "4");
    run(true, true);
    for (int i = 0; i < backups; ++i) {
        EXPECT_EQ(tree.read("f" + std::to_string(i) + ".txt"), "old");
        EXPECT_FALSE(tree.exists("f" + std::to_string(i) + ".txt.bak"));
    }
    EXPECT_EQ(shown("透明标签19"), "找到文件:25");
    EXPECT_EQ(shown("透明标签2"), "成功执行数量为:25");
    EXPECT_EQ(shown("透明标签18"), "执行进度:");
    EXPECT_EQ(controls.progress_maximum("进度条1"), backups);
    EXPECT_GE(controls.progress_position("进度条1"), controls.progress_maximum("进度条1"));
    EXPECT_EQ(shown("按钮_执行"), "执行");
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(BackupTask, NoBackupsEndsAtOnce) {
    set("透明标签2", "成功执行数量为:9");
    run(true, false);
    EXPECT_EQ(shown("按钮_执行"), "执行");
    EXPECT_EQ(shown("透明标签19"), "找到文件:0");
    EXPECT_EQ(shown("透明标签2"), "成功执行数量为:9");
}

TEST_F(BackupTask, AddsNoRowsToTheResultList) {
    controls.insert_row("超级列表框1", 0, {"1", "old"});
    tree.write("a.txt.bak", "old");
    run(true, false);
    EXPECT_EQ(controls.row_count("超级列表框1"), 0u);
}

TEST_F(BackupTask, ThreadCountThatStartsNoWorkerLeavesTheRunRunning) {
    for (const char* count : {"0", "-3", "abc"}) {
        tree.write("a.txt.bak", "old");
        set("编辑框_线程3", count);
        run(true, true);
        EXPECT_TRUE(tree.exists("a.txt.bak")) << count;
        EXPECT_FALSE(tree.exists("a.txt")) << count;
        EXPECT_EQ(shown("按钮_执行"), "暂停") << count;
        click();  // the user stops it
        EXPECT_EQ(shown("按钮_执行"), "执行") << count;
    }
}

TEST_F(BackupTask, ThreadCountIsReadAsAnIntegerValue) {
    for (const char* count : {"12abc", "１０"}) {
        tree.write("a.txt.bak", "old");
        set("编辑框_线程3", count);
        run(true, true);
        EXPECT_EQ(tree.read("a.txt"), "old") << count;
        EXPECT_FALSE(tree.exists("a.txt.bak")) << count;
        EXPECT_EQ(shown("按钮_执行"), "执行") << count;
        ASSERT_TRUE(platform::delete_file(tree.path("a.txt")));
    }
}

// Stops and restarts are made from a control listener, at a known point of
// the run, on the thread that writes that control, as a click on the
// user-interface thread could land there.
class BackupTaskClickedMidway : public BackupTask {
  protected:
    bool has_taken_a_file() const { return shown("透明标签2").starts_with("成功执行数量为:"); }
};

TEST_F(BackupTaskClickedMidway, StopDuringTheWalkStartsNoWorker) {
    for (int d = 0; d < 5; ++d) {
        const std::string directory = "d" + std::to_string(d);
        tree.make_directory(directory);
        tree.write(directory + "\\a.txt.bak", "old");
    }
    controls.set_checked("选择框_包含子文件夹3", true);
    fill(true, true);
    // The found label is first written after the first directory.
    act_once_when(
        "透明标签19", ControlProperty::text, [this] { return running(); }, [this] { click(); });
    click();
    wait();
    EXPECT_EQ(shown("按钮_执行"), "执行");
    EXPECT_EQ(shown("透明标签18"), "正在搜索:");
    for (int d = 0; d < 5; ++d) {
        const std::string directory = "d" + std::to_string(d);
        EXPECT_TRUE(tree.exists(directory + "\\a.txt.bak"));
        EXPECT_FALSE(tree.exists(directory + "\\a.txt"));
    }
}

TEST_F(BackupTaskClickedMidway, StopWhileWorkingFinishesOnlyTheFileInHand) {
    for (int i = 0; i < 10; ++i) tree.write("f" + std::to_string(i) + ".txt.bak", "old");
    set("编辑框_线程3", "1");
    fill(true, true);
    act_once_when(
        "透明标签2", ControlProperty::text, [this] { return has_taken_a_file(); },
        [this] { click(); });
    click();
    wait();
    int taken = 0;
    for (int i = 0; i < 10; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        const bool restored = tree.exists(name);
        EXPECT_NE(restored, tree.exists(name + ".bak")) << name;
        taken += restored;
    }
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(shown("透明标签2"), "成功执行数量为:1");
    EXPECT_EQ(shown("按钮_执行"), "执行");
}

TEST_F(BackupTaskClickedMidway, OldWorkerLeavesTheNextRunAlone) {
    tree.make_directory("old");
    tree.make_directory("new");
    for (int i = 0; i < 5; ++i) {
        tree.write("old\\f" + std::to_string(i) + ".txt.bak", "old");
        tree.write("new\\f" + std::to_string(i) + ".txt.bak", "new");
    }
    set("编辑框_线程3", "1");
    fill(true, false);
    controls.set_text("组合框_文件路径3", tree.path("old"));
    act_once_when(
        "透明标签2", ControlProperty::text, [this] { return has_taken_a_file(); },
        [this] {
            click();  // stop the old run while its worker holds a file
            controls.set_text("组合框_文件路径3", tree.path("new"));
            click();  // and start the next one at once
        });
    click();
    wait();
    int old_restored = 0;
    for (int i = 0; i < 5; ++i) {
        old_restored += tree.exists("old\\f" + std::to_string(i) + ".txt");
        EXPECT_EQ(tree.read("new\\f" + std::to_string(i) + ".txt"), "new");
    }
    EXPECT_EQ(old_restored, 1);
    EXPECT_EQ(shown("按钮_执行"), "执行");
    EXPECT_EQ(shown("透明标签2"), "成功执行数量为:5");
}

}  // namespace
}  // namespace qelvo::testing
