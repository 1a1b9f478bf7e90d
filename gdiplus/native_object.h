// The shared base of the GDI+ wrappers: ownership of one native object and
// the creation step that every creating method goes through.
#pragma once

#include <memory>
#include <utility>

#include "gdiplus/status.h"

namespace qelvo::gdiplus {
namespace detail {

// The delete function of each kind of native object, by handle type.
Gdiplus::Status delete_native(Gdiplus::GpGraphics* graphics);
Gdiplus::Status delete_native(Gdiplus::GpPath* path);
Gdiplus::Status delete_native(Gdiplus::GpBrush* brush);
Gdiplus::Status delete_native(Gdiplus::GpPen* pen);
Gdiplus::Status delete_native(Gdiplus::GpFont* font);
Gdiplus::Status delete_native(Gdiplus::GpFontFamily* family);
Gdiplus::Status delete_native(Gdiplus::GpStringFormat* format);
Gdiplus::Status delete_native(Gdiplus::GpImage* image);
Gdiplus::Status delete_native(Gdiplus::GpRegion* region);

// For wrappers that keep nothing beside their native object.
struct NoCompanion {};

}  // namespace detail

// A wrapper owns one native GDI+ object; its handle is null while it holds
// none. Copies are aliases: they share one small slot that holds the
// handle, so a delete through any copy empties every copy, a creation
// through any copy gives all of them the new object, and the last copy to
// go deletes whatever the slot still holds. Nothing is ever deleted twice.
// Moves hand the slot over and leave the source empty.
//
// A Companion lives in the slot beside the native object and is dropped
// right after the object is deleted: an image keeps there the stream that
// GDI+ goes on reading until the image is disposed.
template <typename Native, typename Companion = detail::NoCompanion>
class NativeObject {
  public:
    // The handle other wrappers pass to their flat calls.
    Native* handle() const { return slot_ ? slot_->handle : nullptr; }
    bool empty() const { return handle() == nullptr; }

    // Deletes the native object. An empty wrapper returns false without a
    // call; otherwise the result says whether GDI+ answered Ok, and the
    // wrapper (with every copy) is empty afterwards either way.
    bool Delete() {
        if (empty()) return false;
        return detail::record(slot_->release());
    }

  protected:
    NativeObject() = default;
    NativeObject(const NativeObject&) = default;
    NativeObject(NativeObject&&) noexcept = default;
    NativeObject& operator=(const NativeObject&) = default;
    NativeObject& operator=(NativeObject&&) noexcept = default;
    ~NativeObject() = default;

    // Takes ownership of a native object. One still held is deleted first:
    // replacing its handle alone would leak it.
    void set_handle(Native* fresh) {
        Slot& slot = this->slot();
        if (slot.handle) detail::record(slot.release());
        slot.handle = fresh;
        if (fresh) detail::count_created();
    }

    // One creating method: deletes the object held so far (rather than
    // leaking it), lets `call` make the flat call with the address that
    // receives the new handle, stores its status and takes the new object.
    // Made is the handle type the call produces (a GpSolidFill for a brush).
    template <typename Made = Native, typename Call>
    bool create(Call&& call) {
        Delete();
        Made* fresh = nullptr;
        const Gdiplus::Status status = std::forward<Call>(call)(&fresh);
        set_handle(fresh);
        return detail::record(status);
    }

    Companion& companion() { return slot().companion; }

  private:
    struct Slot {
        Native* handle = nullptr;
        Companion companion{};

        Slot() = default;
        Slot(const Slot&) = delete;
        Slot& operator=(const Slot&) = delete;
        // The last copy is gone: release what is left.
        ~Slot() {
            if (handle) detail::record(release());
        }

        Gdiplus::Status release() {
            const Gdiplus::Status status = detail::delete_native(std::exchange(handle, nullptr));
            detail::count_deleted();
            companion = Companion{};
            return status;
        }
    };

    // A moved-from wrapper gets a slot of its own again when it is reused.
    Slot& slot() {
        if (!slot_) slot_ = std::make_shared<Slot>();
        return *slot_;
    }

    std::shared_ptr<Slot> slot_ = std::make_shared<Slot>();
};

}  // namespace qelvo::gdiplus
