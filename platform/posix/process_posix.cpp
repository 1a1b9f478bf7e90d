// Process-wide matters in the POSIX backend: the settings made at start and
// where the running executable lies.
#include <malloc.h>
#include <sys/types.h>
#include <unistd.h>

#include <climits>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/posix/naming_helper.h"

namespace qelvo::platform {

void prepare_process() {
    // Every worker allocates and frees a whole file's worth of memory per
    // file. glibc would hand each freed block back to the system at once
    // (trimming a thread's heap flushes the TLB of every core), so that the
    // next file faults every page in again; keeping freed memory for reuse
    // makes a replace run several times faster.
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    start_naming_helper();
}

std::string executable_directory() {
    std::string executable(PATH_MAX, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", executable.data(), executable.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < executable.size()) {
            executable.resize(static_cast<std::size_t>(length));
            break;
        }
        executable.resize(executable.size() * 2);
    }
    const std::size_t slash = executable.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return engine_path_from_host(executable.substr(0, slash + 1)).value_or(std::string());
}

}  // namespace qelvo::platform
