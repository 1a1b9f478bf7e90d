#include "gdiplus/status.h"

#include <atomic>

namespace qelvo::gdiplus {
namespace {

// Relaxed: each value stands alone, no other memory is published through it.
std::atomic<int> the_last_status{Gdiplus::Ok};
std::atomic<long> the_live_objects{0};

}  // namespace

Gdiplus::Status last_status() {
    return static_cast<Gdiplus::Status>(the_last_status.load(std::memory_order_relaxed));
}

long live_objects() { return the_live_objects.load(std::memory_order_relaxed); }

ULONG_PTR startup() {
    const Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback
    ULONG_PTR token = 0;
    const bool started = detail::record(Gdiplus::GdiplusStartup(&token, &input, nullptr));
    return started ? token : 0;
}

void shutdown(ULONG_PTR token) {
    if (token != 0) Gdiplus::GdiplusShutdown(token);
}

namespace detail {

bool record(Gdiplus::Status status) {
    the_last_status.store(status, std::memory_order_relaxed);
    return status == Gdiplus::Ok;
}

void count_created() { the_live_objects.fetch_add(1, std::memory_order_relaxed); }
void count_deleted() { the_live_objects.fetch_sub(1, std::memory_order_relaxed); }

}  // namespace detail
}  // namespace qelvo::gdiplus
