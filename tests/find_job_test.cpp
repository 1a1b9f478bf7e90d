#include "engine/find_job.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/job_fixture.h"

namespace qelvo::testing {
namespace {

class FindJob : public JobTest {
  protected:
    void click() { on_find_button_click(engine); }
    void run(std::string_view find) {
        controls.set_text("组合框_文件路径2", tree.root());
        set("组合框_查找内容2", find);
        set("组合框_文件格式2", "*.*");
        click();
        wait();
    }
};

TEST_F(FindJob, ListsFilesHoldingTheTextAndReportsTheRun) {
    tree.write("a.txt", "needle");
    tree.write("b.txt", "hay");
    run("needle");
    EXPECT_EQ(listed_paths(), std::vector<std::string>{tree.path("a.txt")});
    EXPECT_EQ(shown("透明标签2"), "成功找到数量为:1");
    EXPECT_EQ(shown("透明标签19"), "找到文件:2");
    EXPECT_EQ(shown("透明标签18"), "查找进度:");
    EXPECT_EQ(shown("按钮_开始查找"), "开始查找");
}

TEST_F(FindJob, ChecksRunInOrderWithoutAReplacementCheck) {
    struct Case {
        std::string_view path, find, pattern, message;
    };
    const Case cases[] = {
        {"", "", "", "文件目录不能为空"},       {"C:\\x", "", "", "查找内容不能为空"},
        {"C:\\x", "a", "", "文件格式不能为空"}, {"\\\\server\\share", "a", "*.txt", "文件路径错误"},
        {"C:\\x", "a", "*", "文件格式错误"},
    };
    for (const Case& c : cases) {
        set("组合框_文件路径2", c.path);
        set("组合框_查找内容2", c.find);
        set("组合框_文件格式2", c.pattern);
        click();
        EXPECT_EQ(messages.shown().back(), c.message);
    }
    EXPECT_EQ(messages.shown().size(), std::size(cases));
}

TEST_F(FindJob, ClickClearsTheCacheStatus) {
    set("透明标签20", "缓存成功");
    set("组合框_文件路径2", "");
    click();
    EXPECT_EQ(shown("透明标签20"), "");
}

TEST_F(FindJob, LeavesEveryFileAsItWasModificationTimesIncluded) {
    tree.write("a.txt", "needle");
    tree.write("b.txt", "needle");
    const auto an_hour_ago = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::map<std::string, std::filesystem::file_time_type> times;
    for (const char* name : {"a.txt", "b.txt"}) {
        std::filesystem::last_write_time(tree.native(name), an_hour_ago);
        // As the file system stores it, which may be coarser.
        times[name] = std::filesystem::last_write_time(tree.native(name));
    }
    run("needle");
    EXPECT_EQ(controls.row_count("超级列表框1"), 2u);
    for (const char* name : {"a.txt", "b.txt"}) {
        EXPECT_EQ(tree.read(name), "needle");
        EXPECT_EQ(std::filesystem::last_write_time(tree.native(name)), times[name]);
    }
}

TEST_F(FindJob, CaseBoxDecidesWhetherCapitalsMatch) {
    tree.write("a.txt", "ABC");
    run("abc");
    EXPECT_EQ(controls.row_count("超级列表框1"), 1u);
    controls.set_checked("选择框_区分大小写2", true);
    run("abc");
    EXPECT_EQ(controls.row_count("超级列表框1"), 0u);
}

TEST_F(FindJob, Utf8ChineseIsFoundOnlyWhenUtf8IsChosen) {
    tree.write("a.txt", "这是中文");
    run("中文");
    EXPECT_EQ(controls.row_count("超级列表框1"), 0u);
    set("组合框_编码格式2", "UTF8");
    run("中文");
    EXPECT_EQ(controls.row_count("超级列表框1"), 1u);
    EXPECT_EQ(tree.read("a.txt"), "这是中文");
}

TEST_F(FindJob, StopThenStartWalksAgainFromScratch) {
    tree.write("a.txt", "needle");
    set("编辑框_线程数2", "0");
    run("needle");
    EXPECT_EQ(shown("按钮_开始查找"), "暂停查找");
    click();  // stop
    EXPECT_EQ(shown("按钮_开始查找"), "开始查找");
    set("编辑框_线程数2", "10");
    click();
    wait();
    EXPECT_EQ(controls.row_count("超级列表框1"), 1u);
    EXPECT_EQ(shown("透明标签19"), "找到文件:1");
    EXPECT_EQ(shown("透明标签2"), "成功找到数量为:1");
}

}  // namespace
}  // namespace qelvo::testing
