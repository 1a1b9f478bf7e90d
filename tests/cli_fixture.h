// Runs qelvo-cli as a user does, in a temporary directory of its own. POSIX
// only: the Windows build runs the same engine through the other tests.
#pragma once
#ifndef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace qelvo::testing {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const std::filesystem::path& path);
void spit(const std::filesystem::path& path, const std::string& bytes);

class CliTest : public ::testing::Test {
  protected:
    CliTest();
    ~CliTest() override;

    // Runs qelvo-cli to its end with stdout and stderr captured.
    CliResult run(std::vector<std::string> arguments) const;

    // In a child process: sends a descriptor to a file, or becomes qelvo-cli.
    static void redirect(const std::filesystem::path& path, int descriptor);
    [[noreturn]] static void exec(std::vector<std::string>& arguments);

    std::filesystem::path root_;
};

}  // namespace qelvo::testing

#endif  // _WIN32
