// Opening files through shared directory descriptors: threads in one
// directory share one descriptor, none stays once they have ended, and a
// directory replaced after they ended is opened anew.
#ifndef _WIN32

#include "platform/posix/directory_handles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <barrier>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "tests/temp_tree.h"

namespace qelvo::platform {
namespace {

namespace fs = std::filesystem;

class DirectoryHandles : public ::testing::Test {
  protected:
    void SetUp() override {
        tree_.make_directory("d");
        write("a.txt", "first");
        write("b.txt", "second");
        root_ = tree_.native("d");
    }

    void write(const std::string& name, const std::string& content) const {
        tree_.write("d\\" + name, content);
    }

    std::string host(const std::string& name) const { return (root_ / name).string(); }

    // How many of this process's descriptors refer to the directory.
    int descriptors_of_directory() const {
        int count = 0;
        for (const fs::directory_entry& fd : fs::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            const fs::path target = fs::read_symlink(fd.path(), error);
            if (!error && target == root_) ++count;
        }
        return count;
    }

    static std::string read_through_directory(const std::string& path) {
        const int fd = open_through_directory(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) return "(not opened)";
        char buffer[64];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        close(fd);
        return got < 0 ? "(not read)" : std::string(buffer, static_cast<std::size_t>(got));
    }

    qelvo::testing::TempTree tree_;
    fs::path root_;
};

TEST_F(DirectoryHandles, ThreadsInOneDirectoryShareOneDescriptorAndLeaveNoneBehind) {
    constexpr int kThreads = 4;
    std::barrier all_opened(kThreads + 1);
    std::barrier may_end(kThreads + 1);
    std::vector<std::string> read_back(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            read_back[i] = read_through_directory(host(i % 2 == 0 ? "a.txt" : "b.txt"));
            all_opened.arrive_and_wait();
            may_end.arrive_and_wait();
        });
    }
    all_opened.arrive_and_wait();
    const int while_held = descriptors_of_directory();
    may_end.arrive_and_wait();
    for (std::thread& thread : threads) thread.join();

    EXPECT_EQ(while_held, 1);
    EXPECT_EQ(descriptors_of_directory(), 0);
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(read_back[i], i % 2 == 0 ? "first" : "second") << i;
    }
}

TEST_F(DirectoryHandles, ADirectoryReplacedAfterItsThreadsEndedIsOpenedAnew) {
    std::thread([&] { EXPECT_EQ(read_through_directory(host("a.txt")), "first"); }).join();
    fs::rename(root_, root_.string() + ".old");
    fs::create_directory(root_);
    write("a.txt", "replaced");

    std::string after;
    std::thread([&] { after = read_through_directory(host("a.txt")); }).join();
    EXPECT_EQ(after, "replaced");
}

// A thread still holding the old directory (one of a stopped run, finishing
// its file) shares it with threads that come later, until lookups are
// renewed.
TEST_F(DirectoryHandles, RenewedLookupsOpenADirectoryReplacedWhileAThreadStillHoldsIt) {
    std::barrier opened(2);
    std::barrier may_end(2);
    std::thread holder([&] {
        EXPECT_EQ(read_through_directory(host("a.txt")), "first");
        opened.arrive_and_wait();
        may_end.arrive_and_wait();
    });
    opened.arrive_and_wait();
    fs::rename(root_, root_.string() + ".old");
    fs::create_directory(root_);
    write("a.txt", "replaced");

    std::string shared;
    std::thread([&] { shared = read_through_directory(host("a.txt")); }).join();
    renew_directory_lookups();
    std::string renewed;
    std::thread([&] { renewed = read_through_directory(host("a.txt")); }).join();
    may_end.arrive_and_wait();
    holder.join();

    EXPECT_EQ(shared, "first");
    EXPECT_EQ(renewed, "replaced");
}

TEST_F(DirectoryHandles, AThreadMovingOnToAnotherDirectoryLetsTheFirstGo) {
    tree_.make_directory("e");
    tree_.write("e\\c.txt", "third");
    const fs::path other = tree_.native("e");
    int while_elsewhere = -1;
    std::thread([&] {
        EXPECT_EQ(read_through_directory(host("a.txt")), "first");
        EXPECT_EQ(read_through_directory((other / "c.txt").string()), "third");
        while_elsewhere = descriptors_of_directory();
    }).join();
    EXPECT_EQ(while_elsewhere, 0);
}

TEST_F(DirectoryHandles, AMissingDirectoryFailsLikeAnOpenByPath) {
    errno = 0;
    EXPECT_EQ(open_through_directory(host("gone/x.txt"), O_RDONLY | O_CLOEXEC), -1);
    EXPECT_EQ(errno, ENOENT);
}

}  // namespace
}  // namespace qelvo::platform

#endif
