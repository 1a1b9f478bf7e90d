#include "cli/stop_signals.h"

#include <atomic>
#include <csignal>

namespace qelvo::cli {
namespace {

std::atomic<int> received{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

extern "C" void note_stop_signal(int signal_number) {
    int none = 0;
    received.compare_exchange_strong(none, signal_number);
}

}  // namespace

void catch_stop_signals() {
    std::signal(SIGINT, note_stop_signal);
    std::signal(SIGTERM, note_stop_signal);
}

int stop_signal_received() { return received.load(); }

void release_stop_signals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

}  // namespace qelvo::cli
