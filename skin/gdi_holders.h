// Owners of the GDI objects the skin makes, so that every early return
// releases them, and a count of the live ones: the system's own count is
// not available everywhere (Wine reports none), and the tests check that
// a thousand paints leave nothing behind.
#pragma once

#include <windows.h>

#include <utility>

namespace qelvo::skin {

namespace gdi_count {
// A GDI object (DC, bitmap, brush, region) the skin has made and still owns.
void created();
void deleted();
long live();

// Counts an object just made; gives it back for use in an expression.
template <typename Object>
Object track(Object object) {
    if (object) created();
    return object;
}
// Deletes a counted object (DeleteObject); null is ignored.
void destroy(HGDIOBJ object);
// Deletes a counted memory DC (DeleteDC); null is ignored.
void destroyDc(HDC dc);
}  // namespace gdi_count

// One counted GDI object (brush, bitmap, region), deleted with its holder.
template <typename Object>
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(Object object) : object_(gdi_count::track(object)) {}
    ~GdiObject() { gdi_count::destroy(object_); }
    GdiObject(GdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            gdi_count::destroy(object_);
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Object get() const { return object_; }
    // Hands the object to a new owner, which deletes it (and uncounts it
    // through gdi_count::destroy).
    Object release() { return std::exchange(object_, nullptr); }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    Object object_ = nullptr;
};

using Brush = GdiObject<HBRUSH>;
using Region = GdiObject<HRGN>;
using Bitmap = GdiObject<HBITMAP>;

// A memory DC with a bitmap selected into it; on destruction the displaced
// bitmap goes back in and the DC and its bitmap are deleted.
class MemoryDc {
  public:
    MemoryDc() = default;
    // A DC compatible with the given one (null: the screen) holding a
    // compatible bitmap of the size.
    MemoryDc(HDC compatibleWith, int width, int height);
    ~MemoryDc();
    MemoryDc(MemoryDc&& other) noexcept;
    MemoryDc& operator=(MemoryDc&& other) noexcept;
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    void reset();

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ displaced_ = nullptr;
};

}  // namespace qelvo::skin
