#include "engine/replace_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "tests/job_fixture.h"

namespace qelvo::testing {
namespace {

class ReplaceJob : public JobTest {
  protected:
    using JobTest::JobTest;

    // Fills the panel as a user would, with the tree as the directory.
    void fill(std::string_view find, std::string_view replacement) {
        controls.set_text("组合框_文件路径", tree.root());
        set("组合框_查找内容", find);
        set("组合框_替换内容", replacement);
    }
    void click() { on_replace_button_click(engine); }
    void run(std::string_view find, std::string_view replacement) {
        fill(find, replacement);
        click();
        wait();
    }
    std::vector<std::string> sorted_listed_paths() const {
        std::vector<std::string> paths = listed_paths();
        std::sort(paths.begin(), paths.end());
        return paths;
    }
};

TEST_F(ReplaceJob, ReplacesEveryOccurrenceAndReportsTheRun) {
    tree.write("a.txt", "one two one");
    tree.write("b.txt", "nothing here");
    tree.write("c.txt", "one");
    run("one", "1");

    EXPECT_EQ(tree.read("a.txt"), "1 two 1");
    EXPECT_EQ(tree.read("b.txt"), "nothing here");
    EXPECT_EQ(tree.read("c.txt"), "1");
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
    EXPECT_EQ(shown("透明标签19"), "找到文件:3");
    EXPECT_EQ(shown("透明标签2"), "成功替换数量为:2");
    EXPECT_EQ(shown("透明标签18"), "替换进度:");
    EXPECT_EQ(controls.progress_maximum("进度条1"), 3);
    EXPECT_GE(controls.progress_position("进度条1"), 4);
    EXPECT_EQ(sorted_listed_paths(),
              (std::vector<std::string>{tree.path("a.txt"), tree.path("c.txt")}));
    const std::vector<ReportRow> rows = controls.rows("超级列表框1");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "1");
    EXPECT_EQ(rows[1][0], "2");
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ReplaceJob, ChecksRunInOrderWithTheirMessages) {
    struct Case {
        std::string_view path, find, replacement, pattern, message;
    };
    const Case cases[] = {
        {"", "", "", "", "文件目录不能为空"},
        {"C:\\x", "", "", "", "查找内容不能为空"},
        {"C:\\x", "a", "", "", "替换内容不能为空"},
        {"C:\\x", "a", "b", "", "文件格式不能为空"},
        {"\\\\server\\share", "a", "b", "*.txt", "文件路径错误"},
        {"C:\\x", "a", "b", "*", "文件格式错误"},
    };
    for (const Case& c : cases) {
        set("组合框_文件路径", c.path);
        set("组合框_查找内容", c.find);
        set("组合框_替换内容", c.replacement);
        set("组合框_文件格式", c.pattern);
        click();
        ASSERT_FALSE(messages.shown().empty());
        EXPECT_EQ(messages.shown().back(), c.message);
        EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
        EXPECT_EQ(shown("透明标签19"), "找到文件:0");
    }
    EXPECT_EQ(messages.shown().size(), std::size(cases));
}

TEST_F(ReplaceJob, FailedCheckDoesNotTouchTheResultList) {
    controls.insert_row("超级列表框1", 0, {"1", "old"});
    set("组合框_文件路径", "");
    click();
    EXPECT_EQ(controls.row_count("超级列表框1"), 1u);
}

TEST_F(ReplaceJob, LineBreakEscapesStandForCrLf) {
    tree.write("a.txt", "a\r\nb and a\nb");
    run("a\\nb", "x\\ny");
    EXPECT_EQ(tree.read("a.txt"), "x\r\ny and a\nb");
}

TEST_F(ReplaceJob, IgnoringCaseListsButOnlyExactCaseIsReplaced) {
    tree.write("upper.txt", "ABC");
    tree.write("mixed.txt", "ABC abc");
    controls.set_checked("选择框_替换备份", true);
    run("abc", "x");
    EXPECT_EQ(tree.read("upper.txt"), "ABC");
    EXPECT_EQ(tree.read("upper.txt.bak"), "ABC");
    EXPECT_EQ(tree.read("mixed.txt"), "ABC x");
    EXPECT_EQ(shown("透明标签2"), "成功替换数量为:2");
}

TEST_F(ReplaceJob, CaseSensitiveSkipsOtherCase) {
    tree.write("upper.txt", "ABC");
    controls.set_checked("选择框_区分大小写", true);
    run("abc", "x");
    EXPECT_TRUE(listed_paths().empty());
    EXPECT_EQ(shown("透明标签2"), "替换数量:0");
}

TEST_F(ReplaceJob, KeepsEveryByteAfterTheFirstZeroByte) {
    const std::string contents("abc\0abc tail\0\xff", 15);
    tree.write("z.txt", contents);
    run("abc", "xy");
    EXPECT_EQ(tree.read("z.txt"), std::string("xy\0abc tail\0\xff", 14));
}

TEST_F(ReplaceJob, NeverMatchesAcrossTwoChineseCharacters) {
    // 文件 is CE C4 BC FE: the bytes C4 BC span the two characters.
    tree.write("a.txt", gbk("文件"));
    controls.set_text("组合框_文件路径", tree.root());
    controls.set_text("组合框_查找内容", "\xC4\xBC");
    set("组合框_替换内容", "x");
    click();
    wait();
    EXPECT_TRUE(listed_paths().empty());
    EXPECT_EQ(tree.read("a.txt"), gbk("文件"));
}

TEST_F(ReplaceJob, ReplacesChineseText) {
    tree.write("a.txt", gbk("旧的文字，旧的"));
    run("旧的", "新的");
    EXPECT_EQ(tree.read("a.txt"), gbk("新的文字，新的"));
}

TEST_F(ReplaceJob, OnlyFilesWithATextExtensionAreProcessed) {
    for (const char* name : {"readme", "a.h", "a.TXT", "a.bak", "a.ht"}) tree.write(name, "x");
    tree.make_directory("my.dir");
    tree.write("my.dir\\readme", "x");
    controls.set_checked("选择框_包含子文件夹", true);
    run("x", "y");
    EXPECT_EQ(tree.read("readme"), "y");
    EXPECT_EQ(tree.read("a.h"), "y");
    EXPECT_EQ(tree.read("a.ht"), "y");
    EXPECT_EQ(tree.read("a.TXT"), "x");
    EXPECT_EQ(tree.read("a.bak"), "x");
    EXPECT_EQ(tree.read("my.dir\\readme"), "x");
    EXPECT_EQ(shown("透明标签19"), "找到文件:6");
}

TEST_F(ReplaceJob, HiddenFilesAreProcessed) {
    tree.write(".hidden.txt", "x");
    run("x", "y");
    EXPECT_EQ(tree.read(".hidden.txt"), "y");
}

TEST_F(ReplaceJob, SubfoldersOnlyWhenAsked) {
    tree.make_directory("sub");
    tree.write("sub\\a.txt", "x");
    run("x", "y");
    EXPECT_EQ(tree.read("sub\\a.txt"), "x");
    EXPECT_EQ(shown("透明标签19"), "找到文件:0");
    controls.set_checked("选择框_包含子文件夹", true);
    run("x", "y");
    EXPECT_EQ(tree.read("sub\\a.txt"), "y");
}

TEST_F(ReplaceJob, PatternSelectsTheFiles) {
    tree.write("a.txt", "x");
    tree.write("a.htm", "x");
    set("组合框_文件格式", "*.txt");
    run("x", "y");
    EXPECT_EQ(tree.read("a.txt"), "y");
    EXPECT_EQ(tree.read("a.htm"), "x");
}

TEST_F(ReplaceJob, SecondRunWithBackupsOverwritesTheFirstBackup) {
    tree.write("a.txt", "one");
    controls.set_checked("选择框_替换备份", true);
    run("one", "two");
    EXPECT_EQ(tree.read("a.txt.bak"), "one");
    run("two", "three");
    EXPECT_EQ(tree.read("a.txt"), "three");
    EXPECT_EQ(tree.read("a.txt.bak"), "two");
}

TEST_F(ReplaceJob, FileWhoseBackupFailsIsListedButNotRewritten) {
    tree.write("a.txt", "one");
    tree.make_directory("a.txt.bak");  // no file can be copied onto a directory
    controls.set_checked("选择框_替换备份", true);
    const std::string count_before = shown("透明标签2");
    run("one", "two");
    EXPECT_EQ(tree.read("a.txt"), "one");
    EXPECT_EQ(shown("透明标签2"), count_before) << "a file left as it was is not counted";
    EXPECT_EQ(listed_paths(), std::vector<std::string>{tree.path("a.txt")});
}

TEST_F(ReplaceJob, MissingDirectoryEndsAtOnce) {
    controls.set_text("组合框_文件路径", tree.path("missing"));
    set("组合框_查找内容", "x");
    set("组合框_替换内容", "y");
    click();
    wait();
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
    EXPECT_EQ(shown("透明标签19"), "找到文件:0");
}

TEST_F(ReplaceJob, TenWorkersOnThreeFilesProcessEachOnce) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) tree.write(name, "ab");
    set("编辑框_线程", "10");
    run("a", "aa");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) EXPECT_EQ(tree.read(name), "aab");
    EXPECT_EQ(shown("透明标签2"), "成功替换数量为:3");
    EXPECT_EQ(controls.row_count("超级列表框1"), 3u);
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
}

TEST_F(ReplaceJob, ThreadCountIsReadAsAnIntegerValue) {
    for (const char* count : {"１０", "12abc", "3"}) {
        tree.write("a.txt", "x");
        set("编辑框_线程", count);
        run("x", "y");
        EXPECT_EQ(tree.read("a.txt"), "y") << count;
        EXPECT_EQ(shown("按钮_开始替换"), "开始替换") << count;
    }
}

TEST_F(ReplaceJob, ThreadCountThatStartsNoWorkerLeavesTheRunRunning) {
    for (const char* count : {"0", "-3", "abc"}) {
        tree.write("a.txt", "x");
        set("编辑框_线程", count);
        run("x", "y");
        EXPECT_EQ(tree.read("a.txt"), "x") << count;
        EXPECT_EQ(shown("按钮_开始替换"), "停止替换") << count;
        click();  // the user stops it
        EXPECT_EQ(shown("按钮_开始替换"), "开始替换") << count;
    }
}

TEST_F(ReplaceJob, FailedCheckWhileRunningKeepsTheCaption) {
    tree.write("a.txt", "x");
    set("编辑框_线程", "0");
    run("x", "y");
    set("组合框_查找内容", "");
    click();
    EXPECT_EQ(messages.shown().back(), "查找内容不能为空");
    EXPECT_EQ(shown("按钮_开始替换"), "停止替换");
}

class ReplaceJobWithFailingThreadStarts : public ReplaceJob {
  protected:
    // Every second thread fails to start, the driver's included.
    ReplaceJobWithFailingThreadStarts()
        : ReplaceJob([this](std::function<void()> entry) {
              if (starts_.fetch_add(1) % 2 == 1) return false;
              return platform::start_detached_thread(std::move(entry));
          }) {}
    std::atomic<int> starts_{0};
};

TEST_F(ReplaceJobWithFailingThreadStarts, MissingWorkersLeaveNoFileUnprocessed) {
    for (int i = 0; i < 20; ++i) tree.write("f" + std::to_string(i) + ".txt", "x");
    set("编辑框_线程", "6");
    run("x", "y");
    for (int i = 0; i < 20; ++i) EXPECT_EQ(tree.read("f" + std::to_string(i) + ".txt"), "y");
    EXPECT_EQ(shown("透明标签2"), "成功替换数量为:20");
}

// Stops and restarts are made from a control listener, at a known point of
// the run, on the thread that writes that control, as a click on the
// user-interface thread could land there.
class ReplaceJobClickedMidway : public ReplaceJob {
  protected:
    bool running() const { return shown("按钮_开始替换") == "停止替换"; }
    bool has_rows() const { return controls.row_count("超级列表框1") > 0; }
};

TEST_F(ReplaceJobClickedMidway, StopDuringTheWalkStartsNoWorker) {
    for (int d = 0; d < 5; ++d) {
        const std::string directory = "d" + std::to_string(d);
        tree.make_directory(directory);
        tree.write(directory + "\\a.txt", "x");
    }
    controls.set_checked("选择框_包含子文件夹", true);
    fill("x", "y");
    // The found label is first written after the first directory.
    act_once_when(
        "透明标签19", ControlProperty::text, [this] { return running(); }, [this] { click(); });
    click();
    wait();
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
    EXPECT_EQ(shown("透明标签18"), "正在搜索:");
    for (int d = 0; d < 5; ++d) EXPECT_EQ(tree.read("d" + std::to_string(d) + "\\a.txt"), "x");
}

TEST_F(ReplaceJobClickedMidway, StopWhileWorkingFinishesOnlyTheFileInHand) {
    for (int i = 0; i < 10; ++i) tree.write("f" + std::to_string(i) + ".txt", "x");
    set("编辑框_线程", "1");
    fill("x", "y");
    act_once_when(
        "超级列表框1", ControlProperty::rows, [this] { return has_rows(); }, [this] { click(); });
    click();
    wait();
    int rewritten = 0;
    for (int i = 0; i < 10; ++i) {
        const std::string contents = tree.read("f" + std::to_string(i) + ".txt");
        EXPECT_TRUE(contents == "x" || contents == "y");
        rewritten += contents == "y";
    }
    EXPECT_EQ(rewritten, 1);
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
}

TEST_F(ReplaceJobClickedMidway, OldWorkerNeverTakesAFileOfTheNextRun) {
    tree.make_directory("old");
    tree.make_directory("new");
    for (int i = 0; i < 5; ++i) {
        tree.write("old\\f" + std::to_string(i) + ".txt", "x");
        tree.write("new\\f" + std::to_string(i) + ".txt", "x");
    }
    set("编辑框_线程", "1");
    controls.set_text("组合框_文件路径", tree.path("old"));
    set("组合框_查找内容", "x");
    set("组合框_替换内容", "y");
    act_once_when(
        "超级列表框1", ControlProperty::rows, [this] { return has_rows(); },
        [this] {
            click();  // stop the old run while its worker holds a file
            controls.set_text("组合框_文件路径", tree.path("new"));
            set("组合框_替换内容", "z");
            click();  // and start the next one at once
        });
    click();
    wait();
    int old_rewritten = 0;
    for (int i = 0; i < 5; ++i) {
        old_rewritten += tree.read("old\\f" + std::to_string(i) + ".txt") != "x";
        EXPECT_EQ(tree.read("new\\f" + std::to_string(i) + ".txt"), "z");
    }
    EXPECT_EQ(old_rewritten, 1);
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
    EXPECT_EQ(shown("透明标签2"), "成功替换数量为:5");
}

}  // namespace
}  // namespace qelvo::testing
