// Reading files in the POSIX backend: a whole file at once (read_file) or in
// pieces (InputFile).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"
#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "platform/posix/directory_handles.h"
#include "platform/posix/host_paths.h"

namespace qelvo::platform {
namespace {

std::optional<std::string> read_all(int fd, std::size_t expected_size) {
    // One byte more than expected lets the end be seen without regrowing.
    std::string content(expected_size + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == content.size()) {
            content.resize(content.size() * 2);
        }
        const ssize_t got = read(fd, content.data() + used, content.size() - used);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    content.resize(used);
    return content;
}

}  // namespace

std::optional<std::string> read_file(std::string_view path) {
    const std::optional<std::string> host = host_path(path);
    if (!host) {
        return std::nullopt;
    }
    // O_NONBLOCK keeps open() from waiting for a writer when the path is a
    // fifo; such a file is refused below, and regular files ignore the flag.
    const int fd = open(host->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat status {};
    std::optional<std::string> content;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        content = read_all(fd, static_cast<std::size_t>(status.st_size));
    }
    close(fd);
    return content;
}

InputFile::InputFile(std::string_view path, Lookup lookup) {
    const std::optional<std::string> host = host_path(path);
    if (!host) {
        return;
    }
    // O_NONBLOCK keeps open() and read() from waiting for a writer when the
    // path is a fifo; regular files ignore the flag.
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (lookup == Lookup::through_last_directory) {
        handle_ = open_through_directory(*host, kFlags);
        opened_by_path_ = false;
        return;
    }
    const int fd = open(host->c_str(), kFlags);
    if (fd < 0) {
        return;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return;
    }
    handle_ = fd;
}

bool InputFile::names_file_at(std::string_view path) const {
    if (!is_open() || opened_by_path_) {
        return is_open();
    }
    const std::optional<std::string> host = host_path(path);
    struct stat open_file {};
    struct stat named {};
    return host && fstat(static_cast<int>(handle_), &open_file) == 0 &&
           stat(host->c_str(), &named) == 0 && S_ISREG(named.st_mode) &&
           open_file.st_dev == named.st_dev && open_file.st_ino == named.st_ino;
}

InputFile::~InputFile() {
    if (is_open()) {
        close(static_cast<int>(handle_));
    }
}

std::optional<std::size_t> InputFile::read(char* into, std::size_t capacity) {
    if (!is_open()) {
        return std::nullopt;
    }
    if (const int injected = injected_failure(FileCall::read)) {
        remember_failure(injected);
        return std::nullopt;
    }
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(handle_), into, capacity);
        if (got >= 0) {
            at_end_ = static_cast<std::size_t>(got) < capacity;
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            remember_failure(errno);
            return std::nullopt;
        }
    }
}

bool InputFile::rewind() {
    if (!is_open() || lseek(static_cast<int>(handle_), 0, SEEK_SET) != 0) {
        return false;
    }
    at_end_ = false;
    return true;
}

}  // namespace qelvo::platform
