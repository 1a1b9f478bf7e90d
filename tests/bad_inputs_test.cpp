// Trees that change under a run, or that hold what a run cannot use: each
// gives a silent skip or a clear message, never a crash, and nothing is lost.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "engine/find_job.h"
#include "engine/replace_job.h"
#include "tests/job_fixture.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#endif

namespace qelvo::testing {
namespace {

namespace fs = std::filesystem;

class BadInputs : public JobTest {
  protected:
    void fill_replace(std::string_view find, std::string_view replacement) {
        controls.set_text("组合框_文件路径", tree.root());
        set("组合框_查找内容", find);
        set("组合框_替换内容", replacement);
    }
    // Runs the action once the walk is over and before any worker claims.
    void between_walk_and_claims(std::function<void()> action) {
        act_once_when(
            "透明标签18", ControlProperty::text,
            [this] { return shown("透明标签18") == "替换进度:"; }, std::move(action));
    }
};

// Windows refuses to delete a file another thread is reading, and a
// look-ahead of the walk may still be reading one when the walk ends: the
// removal is tried again until that read is over.
void remove_once_unused(const fs::path& path) {
    std::error_code error;
    for (int attempt = 0; attempt < 200 && !fs::remove(path, error) && error; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_FALSE(fs::exists(path)) << path;
}

TEST_F(BadInputs, FilesGoneOrChangedBetweenTheWalkAndTheirClaimAreSkipped) {
    tree.write("deleted.txt", "old");
    tree.write("now_a_directory.txt", "old");
    tree.write("kept.txt", "old");
    fill_replace("old", "new");
    between_walk_and_claims([this] {
        remove_once_unused(tree.native("deleted.txt"));
        remove_once_unused(tree.native("now_a_directory.txt"));
        fs::create_directory(tree.native("now_a_directory.txt"));
    });
    on_replace_button_click(engine);
    wait();
    EXPECT_EQ(tree.read("kept.txt"), "new");
    EXPECT_FALSE(tree.exists("deleted.txt")) << "a file gone is not made again";
    EXPECT_TRUE(fs::is_directory(tree.native("now_a_directory.txt")));
    EXPECT_EQ(shown("透明标签2"), "成功替换数量为:1");
    EXPECT_EQ(shown("按钮_开始替换"), "开始替换");
}

#ifndef _WIN32
TEST_F(BadInputs, FileReplacedByAFifoIsSkippedWithoutWaitingForAWriter) {
    tree.write("pipe.txt", "old");
    tree.write("kept.txt", "old");
    fill_replace("old", "new");
    between_walk_and_claims([this] {
        fs::remove(tree.native("pipe.txt"));
        ASSERT_EQ(mkfifo(tree.native("pipe.txt").c_str(), 0644), 0);
    });
    on_replace_button_click(engine);
    wait();
    EXPECT_EQ(tree.read("kept.txt"), "new");
    EXPECT_TRUE(fs::is_fifo(tree.native("pipe.txt")));
}

// A directory of 100,000 entries is walked whole, and its files are searched.
// The entries go to memory where the system has it, which makes them quickly.
TEST_F(BadInputs, DirectoryOfAHundredThousandEntriesIsWalkedWhole) {
    constexpr int kEntries = 100000;
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : tree.native("");
    const fs::path many = base / ("qelvo-many-" + std::to_string(getpid()));
    fs::create_directory(many);
    for (int i = 0; i < kEntries; ++i) {
        const std::string name = (many / ("e" + std::to_string(i) + ".txt")).string();
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const bool holds_the_text = i == 77777;
        ASSERT_EQ(write(fd, "x", holds_the_text ? 1 : 0), holds_the_text ? 1 : 0);
        close(fd);
    }
    const std::string engine_many = platform::engine_path_from_host(many.string()).value();
    controls.set_text("组合框_文件路径2", engine_many);
    set("组合框_查找内容2", "x");
    set("组合框_文件格式2", "*.*");
    on_find_button_click(engine);
    wait();
    EXPECT_EQ(shown("透明标签19"), "找到文件:100000");
    EXPECT_EQ(listed_paths(), std::vector<std::string>{engine_many + "\\e77777.txt"});
    fs::remove_all(many);
}
#endif

TEST_F(BadInputs, TargetThatBecameReadOnlyIsListedNotCountedAndKept) {
    tree.write("locked.txt", "old");
    fill_replace("old", "new");
    between_walk_and_claims([this] {
        fs::permissions(tree.native("locked.txt"), fs::perms::owner_read,
                        fs::perm_options::replace);
    });
    on_replace_button_click(engine);
    wait();
    EXPECT_EQ(tree.read("locked.txt"), "old");
    EXPECT_EQ(listed_paths(), std::vector<std::string>{tree.path("locked.txt")});
    EXPECT_NE(shown("透明标签2"), "成功替换数量为:1");
}

}  // namespace
}  // namespace qelvo::testing
