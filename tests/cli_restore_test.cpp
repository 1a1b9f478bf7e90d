// qelvo-cli restore as a user runs it: arguments, output, exit status, and a
// kill in the middle of a run. POSIX only, like the other command-line tests.
#ifndef _WIN32

#include "tests/cli_fixture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace qelvo::testing {
namespace {

namespace fs = std::filesystem;

class CliRestore : public CliTest {};

TEST_F(CliRestore, RestoresAndDeletesThenPrintsTheLabels) {
    spit(root_ / "a.txt", "new a");
    spit(root_ / "a.txt.bak", "old a");
    fs::create_directory(root_ / "子目录");
    spit(root_ / "子目录" / "c.txt.bak", "old c");
    const CliResult result =
        run({"restore", root_.string(), "--restore", "--delete", "--subfolders"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "找到文件:2\n成功执行数量为:2\n");
    EXPECT_EQ(slurp(root_ / "a.txt"), "old a");
    EXPECT_EQ(slurp(root_ / "子目录" / "c.txt"), "old c");
    EXPECT_FALSE(fs::exists(root_ / "a.txt.bak"));
    EXPECT_FALSE(fs::exists(root_ / "子目录" / "c.txt.bak"));
}

TEST_F(CliRestore, EachOptionSetsItsBox) {
    spit(root_ / "a.txt", "new");
    spit(root_ / "a.txt.bak", "old");
    fs::create_directory(root_ / "sub");
    spit(root_ / "sub" / "b.txt.bak", "old b");

    const CliResult restore_only = run({"restore", root_.string(), "--restore", "--threads", "2"});
    ASSERT_EQ(restore_only.status, 0) << restore_only.err;
    EXPECT_EQ(restore_only.out, "找到文件:1\n成功执行数量为:1\n");
    EXPECT_EQ(slurp(root_ / "a.txt"), "old");
    EXPECT_EQ(slurp(root_ / "a.txt.bak"), "old");
    EXPECT_FALSE(fs::exists(root_ / "sub" / "b.txt"));

    spit(root_ / "a.txt", "new");
    const CliResult delete_only = run({"restore", root_.string(), "--delete"});
    ASSERT_EQ(delete_only.status, 0) << delete_only.err;
    EXPECT_EQ(slurp(root_ / "a.txt"), "new");
    EXPECT_FALSE(fs::exists(root_ / "a.txt.bak"));
    EXPECT_TRUE(fs::exists(root_ / "sub" / "b.txt.bak"));
}

TEST_F(CliRestore, NoTaskChosenFailsItsCheck) {
    spit(root_ / "a.txt.bak", "old");
    const CliResult result = run({"restore", root_.string()});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "请选择一个操作任务\n");
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(fs::exists(root_ / "a.txt"));
    EXPECT_TRUE(fs::exists(root_ / "a.txt.bak"));
}

TEST_F(CliRestore, EmptyPathFailsFirst) {
    const CliResult result = run({"restore", "", "--restore"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "文件目录不能为空\n");
    EXPECT_EQ(run({"restore", ""}).err, "文件目录不能为空\n");
}

TEST_F(CliRestore, ThreadCountThatStartsNoWorkerExitsWithThree) {
    spit(root_ / "a.txt.bak", "old");
    const CliResult result = run({"restore", root_.string(), "--delete", "--threads", "abc"});
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.err.find("no worker"), std::string::npos) << result.err;
    EXPECT_TRUE(fs::exists(root_ / "a.txt.bak"));
}

TEST_F(CliRestore, MalformedCommandLinesAreRefused) {
    EXPECT_EQ(run({"restore"}).status, 1);
    EXPECT_EQ(run({"restore", root_.string(), "extra", "--restore"}).status, 1);
    EXPECT_EQ(run({"restore", root_.string(), "--bogus"}).status, 1);
    EXPECT_EQ(run({"restore", root_.string(), "--threads"}).status, 1);
}

std::string contents_of(std::string_view kind, int lines) {
    std::string contents;
    for (int i = 0; i < lines; ++i) {
        contents += "line " + std::to_string(i) + " " + std::string(kind) + " text\r\n";
    }
    return contents;
}

int backups_left(const fs::path& root, int files) {
    int left = 0;
    for (int i = 0; i < files; ++i)
        left += fs::exists(root / ("f" + std::to_string(i) + ".txt.bak"));
    return left;
}

// A kill at any moment leaves every original whole: its own contents or the
// backup's, never a mix, nothing empty and nothing missing; and a backup is
// gone only once its original was restored.
TEST_F(CliRestore, KillMidwayLeavesEveryOriginalWhole) {
    const int files = 300;
    const std::string current = contents_of("current", 8000);  // about 200 KB
    const std::string backed_up = contents_of("backed up", 8000);
    for (int i = 0; i < files; ++i) {
        spit(root_ / ("f" + std::to_string(i) + ".txt"), current);
        spit(root_ / ("f" + std::to_string(i) + ".txt.bak"), backed_up);
    }

    const pid_t child = fork();
    if (child == 0) {
        redirect("/dev/null", STDOUT_FILENO);
        redirect("/dev/null", STDERR_FILENO);
        std::vector<std::string> arguments{"restore",  root_.string(), "--restore",
                                           "--delete", "--threads",    "4"};
        exec(arguments);
    }
    // Wait until a few backups are gone, so the kill lands among the copies.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (backups_left(root_, files) > files - 5 && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);

    for (int i = 0; i < files; ++i) {
        const fs::path original = root_ / ("f" + std::to_string(i) + ".txt");
        const fs::path backup = root_ / ("f" + std::to_string(i) + ".txt.bak");
        ASSERT_TRUE(fs::exists(original)) << original;
        const std::string contents = slurp(original);
        ASSERT_TRUE(contents == current || contents == backed_up) << original;
        if (fs::exists(backup)) {
            ASSERT_EQ(slurp(backup), backed_up) << backup;
        } else {
            ASSERT_EQ(contents, backed_up) << original;
        }
    }
}

}  // namespace
}  // namespace qelvo::testing

#endif  // _WIN32
