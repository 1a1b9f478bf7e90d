#include "skin/gdi_holders.h"

#include <atomic>

namespace qelvo::skin {

namespace gdi_count {
namespace {
// Painting runs on the window's thread only; the count is atomic so that
// a test may read it from another.
std::atomic<long> live_objects{0};
}  // namespace

void created() { live_objects.fetch_add(1, std::memory_order_relaxed); }
void deleted() { live_objects.fetch_sub(1, std::memory_order_relaxed); }
long live() { return live_objects.load(std::memory_order_relaxed); }

void destroy(HGDIOBJ object) {
    if (!object) return;
    DeleteObject(object);
    deleted();
}

void destroyDc(HDC dc) {
    if (!dc) return;
    DeleteDC(dc);
    deleted();
}
}  // namespace gdi_count

MemoryDc::MemoryDc(HDC compatibleWith, int width, int height) {
    HDC screen = compatibleWith ? nullptr : GetDC(nullptr);
    HDC reference = compatibleWith ? compatibleWith : screen;
    dc_ = gdi_count::track(CreateCompatibleDC(reference));
    bitmap_ = gdi_count::track(CreateCompatibleBitmap(reference, width, height));
    if (screen) ReleaseDC(nullptr, screen);
    if (dc_ && bitmap_) displaced_ = SelectObject(dc_, bitmap_);
}

MemoryDc::~MemoryDc() { reset(); }

MemoryDc::MemoryDc(MemoryDc&& other) noexcept
    : dc_(std::exchange(other.dc_, nullptr)),
      bitmap_(std::exchange(other.bitmap_, nullptr)),
      displaced_(std::exchange(other.displaced_, nullptr)) {}

MemoryDc& MemoryDc::operator=(MemoryDc&& other) noexcept {
    if (this != &other) {
        reset();
        dc_ = std::exchange(other.dc_, nullptr);
        bitmap_ = std::exchange(other.bitmap_, nullptr);
        displaced_ = std::exchange(other.displaced_, nullptr);
    }
    return *this;
}

void MemoryDc::reset() {
    if (dc_ && displaced_) SelectObject(dc_, displaced_);
    gdi_count::destroy(std::exchange(bitmap_, nullptr));
    gdi_count::destroyDc(std::exchange(dc_, nullptr));
    displaced_ = nullptr;
}

}  // namespace qelvo::skin
