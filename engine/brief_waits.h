// Waiting for something that takes only a moment: a lock held for a few
// steps, or the next path of a walk that is listing a directory. The waiting
// thread tries again for a little while before it sleeps. Going to sleep and
// being woken costs two system calls and two switches of thread, many times
// such a wait; and a thread woken by another is often moved onto the waker's
// core, where the two then take turns while the other core idles until the
// scheduler moves one back.
#pragma once

#include <mutex>
#include <thread>

namespace qelvo {

// One try's pause: lets the other thread of the core run.
inline void pause_briefly() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// On a single core the thread waited for cannot run while this one tries.
inline bool trying_again_can_help() {
    static const bool several_cores = std::thread::hardware_concurrency() > 1;
    return several_cores;
}

// Whether ready() came true within the given number of tries.
template <typename Ready>
bool spin_until(Ready ready, int tries) {
    if (!trying_again_can_help()) return ready();
    for (int i = 0; i < tries; ++i) {
        if (ready()) return true;
        pause_briefly();
    }
    return ready();
}

inline std::unique_lock<std::mutex> lock_briefly_held(std::mutex& mutex) {
    constexpr int kTries = 16;
    if (spin_until([&mutex] { return mutex.try_lock(); }, kTries)) {
        return std::unique_lock(mutex, std::adopt_lock);
    }
    return std::unique_lock(mutex);
}

}  // namespace qelvo
