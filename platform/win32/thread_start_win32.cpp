// Job threads start through the C runtime directly rather than through
// std::thread. Under the MinGW pthreads layer beneath std::thread, a thread
// started by a short-lived thread (a run's driver starts its workers and
// ends at once, as every run does) now and then never runs its routine, or
// crashes in the layer's start wrapper on a null argument. A thread that
// never ran leaves its run uncounted as ended, and whoever waits for the
// run's threads waits forever.
#include <windows.h>

#include <process.h>

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/thread_start.h"

namespace qelvo::platform {
namespace {

unsigned __stdcall run_entry(void* parameter) {
    const std::unique_ptr<std::function<void()>> entry(
        static_cast<std::function<void()>*>(parameter));
    (*entry)();
    return 0;
}

}  // namespace

bool start_detached_thread(std::function<void()> entry) {
    auto owned = std::make_unique<std::function<void()>>(std::move(entry));
    // _beginthreadex rather than CreateThread, so that the C runtime sets up
    // its per-thread state for the thread.
    const std::uintptr_t thread = _beginthreadex(nullptr, 0, run_entry, owned.get(), 0, nullptr);
    if (thread == 0) return false;
    owned.release();
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

}  // namespace qelvo::platform
