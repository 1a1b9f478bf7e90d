// The process that names temporaries for a front end: files written through
// it are whole and leave no temporary, and once it has gone the writes go on
// without it. Each case runs in a child process of its own, since the helper
// stays for the rest of the process that starts it.
#ifndef _WIN32

#include "platform/posix/naming_helper.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"

namespace qelvo::platform {
namespace {

namespace fs = std::filesystem;

class NamingHelper : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "qelvo-naming-XXXXXX").string();
        ASSERT_NE(mkdtemp(name.data()), nullptr);
        root_ = name;
    }
    void TearDown() override { fs::remove_all(root_); }

    // Runs body in a child process; its exit status is the number of the
    // first check that failed, or 0.
    int in_child(int (*body)(const fs::path&)) const {
        const pid_t child = fork();
        if (child == 0) _exit(body(root_));
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    }

    fs::path root_;
};

std::string read_back(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t entries(const fs::path& directory) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory), {}));
}

// The helper is this process's only child.
pid_t helper_pid() {
    std::ifstream children("/proc/self/task/" + std::to_string(getpid()) + "/children");
    pid_t pid = 0;
    children >> pid;
    return pid;
}

// Whether the process exists and has not ended: an ended one may stay as a
// zombie until whoever adopted it reaps it.
bool runs(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const std::size_t state = line.rfind(") ");
    return state != std::string::npos && line.compare(state + 2, 1, "Z") != 0;
}

// Writes text to the file, then checks that it holds it and that nothing
// else is in the directory.
bool writes(const fs::path& root, const std::string& text) {
    const std::string path = engine_path_from_host((root / "file.txt").string()).value_or("");
    return write_file_atomic(path, text) && read_back(root / "file.txt") == text &&
           entries(root) == 1;
}

TEST_F(NamingHelper, WritesThroughItAndGoesOnWithoutItOnceItHasGone) {
    EXPECT_EQ(in_child([](const fs::path& root) {
                  start_naming_helper();
                  const pid_t helper = helper_pid();
                  if (helper <= 0) return 1;
                  if (!writes(root, "through the helper")) return 2;
                  kill(helper, SIGKILL);
                  waitpid(helper, nullptr, 0);
                  if (!writes(root, "after the helper")) return 3;
                  return 0;
              }),
              0);
}

TEST_F(NamingHelper, EndsWhenTheProcessItServesEnds) {
    EXPECT_EQ(in_child([](const fs::path& root) {
                  start_naming_helper();
                  const pid_t helper = helper_pid();
                  if (helper <= 0 || !writes(root, "text")) return 1;
                  // A grandchild that outlives this process reports whether
                  // the helper is still there a moment after it ended.
                  const pid_t served = getpid();
                  const pid_t watcher = fork();
                  if (watcher == 0) {
                      close_range(3, ~0U, 0);  // the helper's channel among them
                      for (int wait = 0; wait < 5000 && getppid() == served; ++wait) usleep(1000);
                      usleep(200 * 1000);
                      std::ofstream(root / "helper.state") << (runs(helper) ? "alive" : "gone");
                      _exit(0);
                  }
                  _exit(0);
              }),
              0);
    for (int wait = 0; wait < 500 && !fs::exists(root_ / "helper.state"); ++wait) usleep(10 * 1000);
    usleep(10 * 1000);
    EXPECT_EQ(read_back(root_ / "helper.state"), "gone");
}

}  // namespace
}  // namespace qelvo::platform

#endif  // _WIN32
