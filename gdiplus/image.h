// GDI+ images and bitmaps, and the global-memory stream through which they
// are read from and written to byte buffers.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "gdiplus/encoders.h"
#include "gdiplus/native_object.h"

namespace qelvo::gdiplus {

// A stream over a movable global memory block; the block goes with the
// stream. Move-only; a default-made or moved-from one holds no stream.
class MemoryStream {
  public:
    MemoryStream() = default;
    // A stream over a copy of the bytes, positioned at the start.
    static MemoryStream FromBytes(std::span<const std::uint8_t> bytes);
    // An empty stream that grows as it is written.
    static MemoryStream Empty();

    ~MemoryStream();
    MemoryStream(MemoryStream&& other) noexcept;
    MemoryStream& operator=(MemoryStream&& other) noexcept;
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    // Null when the stream could not be made.
    IStream* get() const { return stream_; }
    // Everything the stream holds, whatever its position.
    std::vector<std::uint8_t> Bytes() const;

  private:
    explicit MemoryStream(IStream* stream) : stream_(stream) {}

    IStream* stream_ = nullptr;
};

// Any GDI+ image (a bitmap, or a metafile when one is loaded). It keeps the
// stream it was loaded from by LoadFromBytes: GDI+ reads it until the image
// is disposed.
class Image : public NativeObject<Gdiplus::GpImage, MemoryStream> {
  public:
    // `icm` selects the variants that apply the colour profile in the file.
    bool LoadImageFromFile(std::string_view gbk_path, bool icm = false);
    // The stream must outlive the image.
    bool LoadImageFromStream(IStream* stream, bool icm = false);
    // A PNG, JPEG or other file GDI+ reads, held in memory.
    bool LoadFromBytes(std::span<const std::uint8_t> bytes);

    // Encodes the image with the encoder of the format (its identifier as
    // text, see encoders.h); nothing is written when no encoder matches.
    bool SaveImageToStream(IStream* stream, std::string_view format_text = kBmpFormat) const;
    // The encoded file; empty when encoding fails.
    std::vector<std::uint8_t> SaveToBytes(std::string_view format_text = kBmpFormat) const;

    // Pixels; 0 for an empty wrapper.
    UINT GetImageWidth() const;
    UINT GetImageHeight() const;

  protected:
    // A stream GDI+ reads from until the image is disposed.
    void keep_stream(MemoryStream stream) { companion() = std::move(stream); }
};

class Bitmap : public Image {
  public:
    bool CreateBitmapFromFile(std::string_view gbk_path, bool icm = false);
    // The stream must outlive the bitmap.
    bool CreateBitmapFromStream(IStream* stream, bool icm = false);
    // A PNG, JPEG or other file GDI+ reads, held in memory.
    bool CreateFromBytes(std::span<const std::uint8_t> bytes);
    // A bitmap over caller-owned pixels, which must outlive it; the stride
    // is the byte distance between rows.
    bool CreateBitmapFromScan0(INT width, INT height, INT stride, Gdiplus::PixelFormat format,
                               BYTE* scan0);
    // A bitmap whose pixels GDI+ allocates and owns.
    bool CreateBitmapFromScan0(INT width, INT height,
                               Gdiplus::PixelFormat format = PixelFormat32bppARGB);

    // 0 for an empty wrapper or a point outside the bitmap.
    Gdiplus::ARGB BitmapGetPixel(INT x, INT y) const;
    // A GDI bitmap of the pixels blended onto the background colour; the
    // caller deletes it (DeleteObject). Null on failure.
    HBITMAP CreateHBITMAPFromBitmap(Gdiplus::ARGB background) const;

  private:
    Gdiplus::GpBitmap* bitmap() const;
};

}  // namespace qelvo::gdiplus
