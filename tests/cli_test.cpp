// qelvo-cli as a user runs it: arguments, output, exit status, and a kill in
// the middle of a run. POSIX only: the Windows build runs the same engine
// through the other tests.
#ifndef _WIN32

#include "tests/cli_fixture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace qelvo::testing {
namespace {

namespace fs = std::filesystem;

// Numbered lines holding the text, CR LF after each.
std::string numbered_lines(int count, std::string_view text) {
    std::string lines;
    for (int i = 0; i < count; ++i) {
        lines += "line " + std::to_string(i) + " " + std::string(text) + "\r\n";
    }
    return lines;
}

class Cli : public CliTest {
  protected:
    void expect_signal_stops_the_run(int signal_number) const;
};

TEST_F(Cli, ReplacePrintsEachHitThenTheLabels) {
    spit(root_ / "a.txt", "old");
    spit(root_ / "b.txt", "new");
    fs::create_directory(root_ / "子目录");
    spit(root_ / "子目录" / "c.txt", "old old");
    const CliResult result = run({"replace", root_.string(), "old", "new", "--subfolders"});
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<std::string> lines;
    std::istringstream stream(result.out);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u) << result.out;
    std::vector<std::string> hits{lines[0], lines[1]};
    std::sort(hits.begin(), hits.end());
    EXPECT_TRUE(hits[0].starts_with("1\t") || hits[0].starts_with("2\t"));
    const std::string listed = lines[0].substr(2) + "|" + lines[1].substr(2);
    EXPECT_NE(listed.find((root_ / "a.txt").string()), std::string::npos) << listed;
    EXPECT_NE(listed.find((root_ / "子目录" / "c.txt").string()), std::string::npos) << listed;
    EXPECT_EQ(lines[2], "找到文件:3");
    EXPECT_EQ(lines[3], "成功替换数量为:2");
    EXPECT_EQ(slurp(root_ / "子目录" / "c.txt"), "new new");
}

TEST_F(Cli, OptionsSetTheirControls) {
    spit(root_ / "a.htm", "Abc");
    spit(root_ / "a.txt", "Abc");
    const CliResult result = run({"replace", root_.string(), "abc", "x", "--pattern=*.htm",
                                  "--case-sensitive", "--threads", "2"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "找到文件:1\n替换数量:0\n");
    const CliResult backup = run({"replace", root_.string(), "Abc", "x", "--backup"});
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_EQ(slurp(root_ / "a.txt.bak"), "Abc");
    EXPECT_EQ(slurp(root_ / "a.txt"), "x");
}

TEST_F(Cli, FailedCheckPrintsItsMessageAndExitsWithTwo) {
    const CliResult empty_find = run({"replace", root_.string(), "", "x"});
    EXPECT_EQ(empty_find.status, 2);
    EXPECT_EQ(empty_find.err, "查找内容不能为空\n");
    EXPECT_EQ(empty_find.out, "");
    const CliResult bad_pattern = run({"replace", root_.string(), "a", "b", "--pattern", "*"});
    EXPECT_EQ(bad_pattern.status, 2);
    EXPECT_EQ(bad_pattern.err, "文件格式错误\n");
    EXPECT_EQ(run({"replace", "", "a", "b"}).err, "文件目录不能为空\n");
}

TEST_F(Cli, TextWithoutAGbkFormIsAnInputError) {
    spit(root_ / "a.txt", "a");
    const CliResult result = run({"replace", root_.string(), "a", "\xF0\x9F\x98\x80"});
    EXPECT_EQ(result.status, 2);
    EXPECT_FALSE(result.err.empty());
    EXPECT_EQ(slurp(root_ / "a.txt"), "a");
}

TEST_F(Cli, ThreadCountThatStartsNoWorkerExitsWithThree) {
    spit(root_ / "a.txt", "a");
    const CliResult result = run({"replace", root_.string(), "a", "b", "--threads", "0"});
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.err.find("no worker"), std::string::npos) << result.err;
    EXPECT_EQ(slurp(root_ / "a.txt"), "a");
}

TEST_F(Cli, MalformedCommandLinesAreRefused) {
    EXPECT_EQ(run({"replace", root_.string(), "a"}).status, 1);
    EXPECT_EQ(run({"replace", root_.string(), "a", "b", "--bogus"}).status, 1);
    EXPECT_EQ(run({"frobnicate"}).status, 1);
    EXPECT_EQ(run({"--help"}).status, 0);
}

TEST_F(Cli, RelativePathIsMadeAbsolute) {
    spit(root_ / "a.txt", "a");
    const fs::path previous = fs::current_path();
    fs::current_path(root_.parent_path());
    const CliResult result = run({"replace", root_.filename().string(), "a", "b"});
    fs::current_path(previous);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("1\t" + (root_ / "a.txt").string() + "\n"), std::string::npos)
        << result.out;
}

TEST_F(Cli, FindListsHitsAndChangesNothing) {
    spit(root_ / "a.txt", "needle");
    spit(root_ / "b.htm", "needle");
    spit(root_ / "c.txt", "hay");
    const CliResult result = run({"find", root_.string(), "needle"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\t" + (root_ / "a.txt").string() + "\n"), std::string::npos);
    EXPECT_TRUE(result.out.ends_with("找到文件:3\n成功找到数量为:2\n")) << result.out;
    EXPECT_EQ(slurp(root_ / "a.txt"), "needle");
}

TEST_F(Cli, CacheOptionWritesTheListAndReportsItsStatus) {
    spit(root_ / "a.txt", "needle");
    const fs::path cache =
        fs::path(QELVO_CLI_PATH).parent_path() / "缓存" / (root_.filename().string() + ".ldz");
    const CliResult result = run({"find", root_.string(), "needle", "--cache"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out.ends_with("成功找到数量为:1\n缓存成功\n")) << result.out;
    const std::string engine_path = "Z:" + (root_ / "a.txt").string();
    std::string expected = engine_path;
    std::replace(expected.begin(), expected.end(), '/', '\\');
    EXPECT_EQ(slurp(cache), expected + "\r\n");

    const CliResult loaded = run({"replace", cache.string(), "needle", "pin"});
    fs::remove(cache);
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_TRUE(loaded.out.ends_with("找到文件:0\n成功替换数量为:1\n")) << loaded.out;
    EXPECT_EQ(slurp(root_ / "a.txt"), "pin");
}

// A kill at any moment leaves every file holding either its old contents or
// its new contents, never a mix, nothing empty and nothing missing.
TEST_F(Cli, PathThatIsNoDirectoryIsAnInputError) {
    spit(root_ / "a.txt", "a");
    const std::string missing = (root_ / "no-such-dir").string();
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"replace", missing, "a", "b"},
          {"find", missing, "a"},
          {"restore", missing, "--delete"},
          {"find", (root_ / "a.txt").string(), "a"},
          {"find", (root_ / "missing.ldz").string(), "a"}}) {
        const CliResult result = run(arguments);
        EXPECT_EQ(result.status, 2) << arguments[1];
        EXPECT_EQ(result.err, "qelvo-cli: " + arguments[1] + ": no such directory\n");
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(slurp(root_ / "a.txt"), "a");
}

TEST_F(Cli, HelpAndVersionComeFromAnywhereBeforeTheEndOfOptions) {
    const CliResult short_help = run({"find", root_.string(), "-h"});
    EXPECT_EQ(short_help.status, 0);
    EXPECT_NE(short_help.out.find("Exit status:"), std::string::npos);
    EXPECT_NE(short_help.out.find("130"), std::string::npos);
    const CliResult version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("qelvo-cli ", 0), 0u) << version.out;
    spit(root_ / "a.txt", "x -h y");
    EXPECT_EQ(run({"find", root_.string(), "--", "-h"}).out,
              "1\t" + (root_ / "a.txt").string() + "\n找到文件:1\n成功找到数量为:1\n");
}

TEST_F(Cli, FileThatCannotBeWrittenIsNamedListedNotCountedAndExitsWithFour) {
    spit(root_ / "a.txt", "old");
    spit(root_ / "b.txt", "old");
    fs::permissions(root_ / "b.txt", fs::perms::owner_read | fs::perms::group_read);
    const CliResult result = run({"replace", root_.string(), "old", "new"});
    EXPECT_EQ(result.status, 4);
    EXPECT_EQ(result.err,
              "qelvo-cli: " + (root_ / "b.txt").string() + ": not written: Permission denied\n");
    EXPECT_NE(result.out.find("成功替换数量为:1\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find((root_ / "b.txt").string()), std::string::npos) << "still listed";
    EXPECT_EQ(slurp(root_ / "a.txt"), "new");
    EXPECT_EQ(slurp(root_ / "b.txt"), "old");
}

TEST_F(Cli, RestoreThatFailsIsNamedAndExitsWithFour) {
    fs::create_directory(root_ / "a.txt");  // nothing can be copied onto a directory
    spit(root_ / "a.txt.bak", "old");
    const CliResult result = run({"restore", root_.string(), "--restore", "--delete"});
    EXPECT_EQ(result.status, 4);
    EXPECT_EQ(
        result.err.rfind("qelvo-cli: " + (root_ / "a.txt.bak").string() + ": not restored: ", 0),
        0u)
        << result.err;
    EXPECT_EQ(slurp(root_ / "a.txt.bak"), "old");
}

// Starts a replace over many large files and sends the signal once a few hits
// are out; the run must stop early, leave every file whole and no temporary
// file behind, print its labels and exit with 128 + the signal. One worker
// takes long enough over the whole run (most of a second) that a test process
// kept from the processor for a while still signals it before its end.
void Cli::expect_signal_stops_the_run(int signal_number) const {
    const fs::path& root = root_;
    const int files = 600;
    const std::string old_contents = numbered_lines(8000, "old text");
    for (int i = 0; i < files; ++i) spit(root / ("f" + std::to_string(i) + ".txt"), old_contents);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        redirect("/dev/null", STDERR_FILENO);
        std::vector<std::string> arguments{"replace",   root.string(), "old",
                                           "brand new", "--threads",   "1"};
        exec(arguments);
    }
    close(out[1]);
    std::string printed;
    char byte;
    int lines = 0;
    while (lines < 3 && read(out[0], &byte, 1) == 1) {
        printed += byte;
        lines += byte == '\n';
    }
    kill(child, signal_number);
    while (read(out[0], &byte, 1) == 1) printed += byte;
    int status = 0;
    waitpid(child, &status, 0);
    close(out[0]);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal_number);
    EXPECT_NE(printed.find("找到文件:"), std::string::npos) << printed;
    int rewritten = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        ASSERT_EQ(name.find(".qelvo-"), std::string::npos) << "temporary file left: " << name;
        const std::string contents = slurp(entry.path());
        rewritten += contents != old_contents;
    }
    EXPECT_LT(rewritten, files) << "the run went on to the end";
}

TEST_F(Cli, InterruptStopsTheRunAsTheStopButtonDoes) { expect_signal_stops_the_run(SIGINT); }

TEST_F(Cli, TerminationStopsTheRunAsTheStopButtonDoes) { expect_signal_stops_the_run(SIGTERM); }

TEST_F(Cli, KillMidwayLeavesEveryFileWhole) {
    const int files = 300;
    const std::string old_contents = numbered_lines(8000, "old text");
    const std::string new_contents = numbered_lines(8000, "brand new text");
    for (int i = 0; i < files; ++i) spit(root_ / ("f" + std::to_string(i) + ".txt"), old_contents);

    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        redirect("/dev/null", STDERR_FILENO);
        std::vector<std::string> arguments{"replace",   root_.string(), "old",
                                           "brand new", "--threads",    "4"};
        exec(arguments);
    }
    close(out[1]);
    // Wait for a few hits to be reported, so the kill lands among the writes.
    int lines = 0;
    char byte;
    while (lines < 5 && read(out[0], &byte, 1) == 1) lines += byte == '\n';
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(out[0]);

    for (int i = 0; i < files; ++i) {
        const fs::path path = root_ / ("f" + std::to_string(i) + ".txt");
        ASSERT_TRUE(fs::exists(path)) << path;
        const std::string contents = slurp(path);
        ASSERT_TRUE(contents == old_contents || contents == new_contents) << path;
    }
}

TEST_F(Cli, KillsAtRandomMomentsLeaveNoTemporaryFileAndEveryFileWhole) {
    const int files = 12;
    const std::string old_contents = numbered_lines(4000, "old text");
    const std::string new_contents = numbered_lines(4000, "new text");
    std::mt19937 random(12345);
    int leftovers = 0;
    for (int trial = 0; trial < 100; ++trial) {
        const bool restore = trial % 2 == 1;
        for (int i = 0; i < files; ++i) {
            const fs::path path = root_ / ("f" + std::to_string(i) + ".txt");
            spit(path, new_contents);
            if (restore) spit(path.string() + ".bak", old_contents);
            if (!restore) spit(path, old_contents);
        }
        const pid_t child = fork();
        if (child == 0) {
            redirect("/dev/null", STDOUT_FILENO);
            redirect("/dev/null", STDERR_FILENO);
            std::vector<std::string> arguments =
                restore ? std::vector<std::string>{"restore", root_.string(), "--restore"}
                        : std::vector<std::string>{"replace", root_.string(), "old", "new"};
            exec(arguments);
        }
        usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(0, 15000)(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        for (const fs::directory_entry& entry : fs::directory_iterator(root_)) {
            const std::string name = entry.path().filename().string();
            if (name.find(".qelvo-") != std::string::npos) {
                ++leftovers;
                fs::remove(entry.path());
                continue;
            }
            const std::string contents = slurp(entry.path());
            ASSERT_TRUE(contents == old_contents || contents == new_contents)
                << name << " in trial " << trial;
        }
    }
    // A temporary has a name only between its link and the rename over the
    // file it replaces, and a process of its own makes that pair of calls,
    // so a kill of the program cannot come between them.
    EXPECT_EQ(leftovers, 0);
}

}  // namespace
}  // namespace qelvo::testing

#endif  // _WIN32
