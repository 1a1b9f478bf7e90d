// MemoryStream, declared with the images that read from it.
#include "gdiplus/image.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace qelvo::gdiplus {
namespace {

// Copies the bytes into a new movable block; null when memory runs out.
HGLOBAL global_copy(std::span<const std::uint8_t> bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block) return nullptr;
    void* target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

// The stream's logical length. The block can be larger than what was
// written (GlobalSize may round an allocation up), so the block's size
// alone would add stray bytes to the end of the stream's contents.
std::size_t stream_length(IStream* stream, HGLOBAL block) {
    STATSTG status{};
    if (FAILED(stream->Stat(&status, STATFLAG_NONAME))) return 0;
    return std::min<std::size_t>(status.cbSize.QuadPart, GlobalSize(block));
}

}  // namespace

MemoryStream MemoryStream::FromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return Empty();
    HGLOBAL block = global_copy(bytes);
    if (!block) return {};
    IStream* stream = nullptr;
    // The stream frees the block when it is released.
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return {};
    }
    return MemoryStream(stream);
}

MemoryStream MemoryStream::Empty() {
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return {};
    return MemoryStream(stream);
}

MemoryStream::~MemoryStream() {
    if (stream_) stream_->Release();
}

MemoryStream::MemoryStream(MemoryStream&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)) {}

MemoryStream& MemoryStream::operator=(MemoryStream&& other) noexcept {
    if (this != &other) {
        if (stream_) stream_->Release();
        stream_ = std::exchange(other.stream_, nullptr);
    }
    return *this;
}

std::vector<std::uint8_t> MemoryStream::Bytes() const {
    HGLOBAL block = nullptr;
    if (!stream_ || FAILED(GetHGlobalFromStream(stream_, &block))) return {};
    const std::size_t length = stream_length(stream_, block);
    if (length == 0) return {};
    const auto* source = static_cast<const std::uint8_t*>(GlobalLock(block));
    if (!source) return {};
    std::vector<std::uint8_t> bytes(source, source + length);
    GlobalUnlock(block);
    return bytes;
}

}  // namespace qelvo::gdiplus
