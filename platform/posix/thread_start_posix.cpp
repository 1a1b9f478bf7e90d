#include <system_error>
#include <thread>
#include <utility>

#include "platform/thread_start.h"

namespace qelvo::platform {

bool start_detached_thread(std::function<void()> entry) {
    // std::thread reports a failed start as an exception; here it becomes a
    // missing thread, never the end of the process.
    try {
        std::thread(std::move(entry)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace qelvo::platform
