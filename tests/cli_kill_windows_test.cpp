// Ending qelvo-cli.exe at random moments of its replace and restore runs
// (TerminateProcess, which no program can catch) leaves every file whole
// and no temporary file of ours in the tree: a temporary is deleted when its
// handle closes and takes the file's place as a second link, so the system
// removes it with the killed process. Each trial starts a Wine process, so
// the test runs with the window tests, one at a time.
#if defined(_WIN32) && defined(QELVO_CLI_PATH)

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "tests/gui_harness.h"

namespace qelvo::testing {
namespace {

namespace fs = std::filesystem;

std::string numbered_lines(int count, const std::string& text) {
    std::ostringstream lines;
    for (int i = 0; i < count; ++i) lines << i << ' ' << text << "\r\n";
    return lines.str();
}

void spit(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CliKill : public ::testing::Test {
  protected:
    CliKill() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = fs::path(temp) / (L"qelvo-kill-" + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    ~CliKill() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    // Starts qelvo-cli.exe without a console and with its standard handles
    // on NUL; its process handle. Under Wine a console child gets a console
    // host process, which outlives a killed child and keeps the pipe of
    // whoever reads the test's output open.
    HANDLE start(const std::wstring& arguments) const {
        std::wstring command =
            L"\"" + gui_test::windows_path(QELVO_CLI_PATH).wstring() + L"\" " + arguments;
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE nul =
            CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        &inherited, OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
        PROCESS_INFORMATION process{};
        const bool started =
            CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                           nullptr, nullptr, &startup, &process) != 0;
        CloseHandle(nul);
        if (!started) return nullptr;
        CloseHandle(process.hThread);
        return process.hProcess;
    }

    fs::path root_;
};

TEST_F(CliKill, KillsAtRandomMomentsLeaveNoTemporaryFileAndEveryFileWhole) {
    const int files = 12;
    const std::string old_contents = numbered_lines(6000, "old text");
    const std::string new_contents = numbered_lines(6000, "new text");
    const std::wstring root = L"\"" + root_.wstring() + L"\"";
    std::mt19937 random(2024);
    std::string leftovers;
    for (int trial = 0; trial < 100; ++trial) {
        const bool restore = trial % 2 == 1;
        for (int i = 0; i < files; ++i) {
            const fs::path path = root_ / ("f" + std::to_string(i) + ".txt");
            spit(path, restore ? new_contents : old_contents);
            if (restore) spit(path.wstring() + L".bak", old_contents);
        }
        HANDLE child =
            start(restore ? L"restore " + root + L" --restore" : L"replace " + root + L" old new");
        ASSERT_NE(child, nullptr) << "qelvo-cli.exe did not start";
        // A Wine process takes a while to start: the kills spread over its
        // start and its work.
        Sleep(std::uniform_int_distribution<DWORD>(0, 400)(random));
        TerminateProcess(child, 9);
        const DWORD ended = WaitForSingleObject(child, 20000);
        CloseHandle(child);
        ASSERT_EQ(ended, WAIT_OBJECT_0) << "qelvo-cli.exe did not end when killed, trial " << trial;
        for (const fs::directory_entry& entry : fs::directory_iterator(root_)) {
            const std::string name = entry.path().filename().string();
            if (name.find(".qelvo-") != std::string::npos) {
                leftovers += name + (restore ? " (restore)\n" : " (replace)\n");
                fs::remove(entry.path());
                continue;
            }
            const std::string contents = slurp(entry.path());
            ASSERT_TRUE(contents == old_contents || contents == new_contents)
                << name << " in trial " << trial;
        }
    }
    EXPECT_EQ(leftovers, "") << "temporary files left by killed runs";
}

}  // namespace
}  // namespace qelvo::testing

#endif  // _WIN32 && QELVO_CLI_PATH
