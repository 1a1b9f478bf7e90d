#ifndef _WIN32

#include "tests/cli_fixture.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>

namespace qelvo::testing {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void spit(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

namespace {

fs::path unique_root() {
    static std::atomic<int> serial{0};
    return fs::temp_directory_path() / ("qelvo-cli-test-" + std::to_string(getpid()) + "-" +
                                        std::to_string(serial.fetch_add(1)));
}

}  // namespace

CliTest::CliTest() : root_(unique_root()) { fs::create_directories(root_); }

CliTest::~CliTest() { fs::remove_all(root_); }

CliResult CliTest::run(std::vector<std::string> arguments) const {
    const fs::path out = root_.string() + ".out";
    const fs::path err = root_.string() + ".err";
    const pid_t child = fork();
    if (child == 0) {
        redirect(out, STDOUT_FILENO);
        redirect(err, STDERR_FILENO);
        exec(arguments);
    }
    int status = 0;
    waitpid(child, &status, 0);
    CliResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
    fs::remove(out);
    fs::remove(err);
    return result;
}

void CliTest::redirect(const fs::path& path, int descriptor) {
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(file, descriptor);
    close(file);
}

void CliTest::exec(std::vector<std::string>& arguments) {
    std::vector<char*> argv{const_cast<char*>(QELVO_CLI_PATH)};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(QELVO_CLI_PATH, argv.data());
    _exit(127);
}

}  // namespace qelvo::testing

#endif  // _WIN32
