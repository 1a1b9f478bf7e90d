// Operations on a single path in the POSIX backend: deleting a file, making
// a directory, and whether a path or a directory exists.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"
#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "platform/posix/host_paths.h"

namespace qelvo::platform {

bool delete_file(std::string_view path) {
    const std::optional<std::string> host = host_path(path);
    if (!host) {
        return remember_failure(ENOENT);
    }
    if (const int injected = injected_failure(FileCall::remove)) {
        return remember_failure(injected);
    }
    return unlink(host->c_str()) == 0 || remember_failure(errno);
}

bool make_directory(std::string_view path) {
    const std::optional<std::string> host = host_path(path);
    return host && mkdir(host->c_str(), 0777) == 0;
}

bool exists(std::string_view path) {
    const std::optional<std::string> host = host_path(path);
    struct stat status {};
    return host && stat(host->c_str(), &status) == 0;
}

bool directory_exists(std::string_view path) {
    const std::optional<std::string> host = host_path(path);
    struct stat status {};
    return host && stat(host->c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace qelvo::platform
