// Taking a lock that is held only for a moment: a thread that finds it taken
// tries again for a little while before it sleeps. Its holder is most often
// running on another core and about to let go, and going to sleep and being
// woken costs two system calls and two switches of thread, many times what
// the wait would have.
#pragma once

#include <mutex>

namespace qelvo {

inline std::unique_lock<std::mutex> lock_briefly_held(std::mutex& mutex) {
    constexpr int kTries = 16;
    for (int i = 0; i < kTries; ++i) {
        if (mutex.try_lock()) return std::unique_lock(mutex, std::adopt_lock);
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    return std::unique_lock(mutex);
}

}  // namespace qelvo
