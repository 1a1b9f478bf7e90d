#include "platform/fault_injection.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace qelvo::platform {
namespace {

std::atomic<bool> installed{false};
std::mutex decider_mutex;
FailureDecider current_decider;  // guarded by decider_mutex

}  // namespace

void inject_failures(FailureDecider decider) {
    std::lock_guard lock(decider_mutex);
    current_decider = std::move(decider);
    installed.store(static_cast<bool>(current_decider), std::memory_order_release);
}

int injected_failure(FileCall call) {
    if (!installed.load(std::memory_order_acquire)) return 0;
    std::lock_guard lock(decider_mutex);
    return current_decider ? current_decider(call) : 0;
}

}  // namespace qelvo::platform
