#include "engine/directory_cache.h"

#include <gtest/gtest.h>

#include "engine/replace_job.h"
#include "engine/text.h"
#include "platform/platform.h"
#include "tests/job_fixture.h"

namespace qelvo::testing {
namespace {

TEST(CacheFileFormat, EveryPathEndsInCrLfTheLastIncluded) {
    EXPECT_EQ(cache_file_contents({"C:\\a\\x.txt", gbk("C:\\a\\中.txt")}),
              "C:\\a\\x.txt\r\n" + gbk("C:\\a\\中.txt") + "\r\n");
    EXPECT_EQ(cache_file_contents({}), "");
}

TEST(CacheFileFormat, NamedAfterTheLastComponentOfThePath) {
    const std::string folder = platform::executable_directory() + gbk("缓存") + "\\";
    EXPECT_EQ(cache_file_path("C:\\www\\site"), folder + "site.ldz");
    EXPECT_EQ(cache_file_path("C:\\www\\site\\"), folder + "site.ldz");
    EXPECT_EQ(cache_file_path("C:\\"), folder + "C:.ldz");
}

TEST(CacheFileFormat, OnlyAnExactLowerCaseLdzEndingNamesACacheFile) {
    EXPECT_TRUE(names_cache_file("C:\\x\\site.ldz"));
    EXPECT_FALSE(names_cache_file("C:\\x\\site.LDZ"));
    EXPECT_FALSE(names_cache_file("C:\\x\\site.ldz\\"));
    EXPECT_FALSE(names_cache_file("dz"));
}

class MakeDirectoryPath : public JobTest {};

TEST_F(MakeDirectoryPath, CreatesEveryMissingLevel) {
    EXPECT_EQ(make_directory_path(tree.path("a\\b\\c")), MakeDirectoryResult::created);
    EXPECT_TRUE(platform::directory_exists(tree.path("a\\b\\c")));
    EXPECT_EQ(make_directory_path(tree.path("a\\b\\c\\")), MakeDirectoryResult::existing);
    EXPECT_EQ(make_directory_path(" " + tree.path("a") + "\xA1\xA1"),
              MakeDirectoryResult::existing);
}

TEST_F(MakeDirectoryPath, FailsOnBlankTextAndOnAFileInTheWay) {
    EXPECT_EQ(make_directory_path("  "), MakeDirectoryResult::failed);
    tree.write("file", "");
    EXPECT_EQ(make_directory_path(tree.path("file\\sub")), MakeDirectoryResult::failed);
}

class DirectoryCache : public JobTest {
  protected:
    ~DirectoryCache() override {
        wait();
        platform::delete_file(cache_path());
    }
    std::string cache_path() const { return cache_file_path(tree.root()); }
    void replace_run(const std::string& path) {
        controls.set_text("组合框_文件路径", path);
        set("组合框_查找内容", "x");
        set("组合框_替换内容", "y");
        on_replace_button_click(engine);
        wait();
    }
};

TEST_F(DirectoryCache, RunWithTheCacheBoxWritesTheListAndOffersIt) {
    tree.write("a.txt", "x");
    tree.make_directory("sub");
    tree.write("sub\\b.txt", "none");
    controls.set_checked("选择框_包含子文件夹", true);
    controls.set_checked("选择框_替换缓存", true);
    replace_run(tree.root());
    EXPECT_EQ(platform::read_file(cache_path()),
              tree.path("a.txt") + "\r\n" + tree.path("sub\\b.txt") + "\r\n");
    EXPECT_EQ(shown("透明标签21"), "缓存成功");
    EXPECT_EQ(controls.items("组合框_文件路径").back(), cache_path());
}

TEST_F(DirectoryCache, EmptyListGivesAnEmptyFile) {
    controls.set_checked("选择框_替换缓存", true);
    replace_run(tree.root());
    EXPECT_EQ(platform::read_file(cache_path()), "");
}

TEST_F(DirectoryCache, LoadedListIsProcessedInItsOrderWithoutAWalk) {
    for (const char* name : {"a.txt", "b.txt", "c.txt", "walked.txt"}) tree.write(name, "x");
    // Edited by hand: another order, a missing file and a blank line.
    ASSERT_TRUE(platform::write_file_atomic(
        cache_path(), tree.path("c.txt") + "\r\n" + tree.path("gone.txt") + "\r\n\r\n" +
                          tree.path("a.txt") + "\r\n" + tree.path("b.txt") + "\r\n"));
    controls.set_checked("选择框_替换缓存", true);
    set("编辑框_线程", "1");
    replace_run(cache_path());
    EXPECT_EQ(listed_paths(), (std::vector<std::string>{tree.path("c.txt"), tree.path("a.txt"),
                                                        tree.path("b.txt")}));
    EXPECT_EQ(tree.read("walked.txt"), "x");
    EXPECT_FALSE(controls.checked("选择框_替换缓存"));
    EXPECT_EQ(shown("透明标签19"), "找到文件:0");
    EXPECT_EQ(controls.progress_maximum("进度条1"), 5);
    EXPECT_EQ(shown("透明标签21"), "");
}

TEST_F(DirectoryCache, MissingCacheFileGivesAnEmptyRun) {
    replace_run(tree.path("missing.ldz"));
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
    EXPECT_EQ(controls.row_count("超级列表框1"), 0u);
}

TEST_F(DirectoryCache, CapitalLdzIsWalkedAsADirectory) {
    tree.make_directory("list.LDZ");
    tree.write("list.LDZ\\a.txt", "x");
    replace_run(tree.path("list.LDZ"));
    EXPECT_EQ(tree.read("list.LDZ\\a.txt"), "y");
    EXPECT_EQ(shown("透明标签19"), "找到文件:1");
}

}  // namespace
}  // namespace qelvo::testing
