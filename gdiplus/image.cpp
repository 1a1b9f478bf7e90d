#include "gdiplus/image.h"

#include <string>

#include "gdiplus/gbk_text.h"

namespace qelvo::gdiplus {

namespace flat = Gdiplus::DllExports;

// ------------------------------------------------------------------ image

bool Image::LoadImageFromFile(std::string_view gbk_path, bool icm) {
    const std::wstring path = detail::wide_from_gbk(gbk_path);
    return create([&](Gdiplus::GpImage** made) {
        return icm ? flat::GdipLoadImageFromFileICM(path.c_str(), made)
                   : flat::GdipLoadImageFromFile(path.c_str(), made);
    });
}

bool Image::LoadImageFromStream(IStream* stream, bool icm) {
    return create([&](Gdiplus::GpImage** made) {
        return icm ? flat::GdipLoadImageFromStreamICM(stream, made)
                   : flat::GdipLoadImageFromStream(stream, made);
    });
}

bool Image::LoadFromBytes(std::span<const std::uint8_t> bytes) {
    MemoryStream stream = MemoryStream::FromBytes(bytes);
    if (!LoadImageFromStream(stream.get())) return false;
    keep_stream(std::move(stream));
    return true;
}

bool Image::SaveImageToStream(IStream* stream, std::string_view format_text) const {
    const std::optional<CLSID> encoder = find_encoder(format_text);
    if (!encoder) return false;
    return detail::record(flat::GdipSaveImageToStream(handle(), stream, &*encoder, nullptr));
}

std::vector<std::uint8_t> Image::SaveToBytes(std::string_view format_text) const {
    const MemoryStream stream = MemoryStream::Empty();
    if (!SaveImageToStream(stream.get(), format_text)) return {};
    return stream.Bytes();
}

UINT Image::GetImageWidth() const {
    UINT width = 0;
    detail::record(flat::GdipGetImageWidth(handle(), &width));
    return width;
}

UINT Image::GetImageHeight() const {
    UINT height = 0;
    detail::record(flat::GdipGetImageHeight(handle(), &height));
    return height;
}

// ----------------------------------------------------------------- bitmap

bool Bitmap::CreateBitmapFromFile(std::string_view gbk_path, bool icm) {
    const std::wstring path = detail::wide_from_gbk(gbk_path);
    return create<Gdiplus::GpBitmap>([&](Gdiplus::GpBitmap** made) {
        return icm ? flat::GdipCreateBitmapFromFileICM(path.c_str(), made)
                   : flat::GdipCreateBitmapFromFile(path.c_str(), made);
    });
}

bool Bitmap::CreateBitmapFromStream(IStream* stream, bool icm) {
    return create<Gdiplus::GpBitmap>([&](Gdiplus::GpBitmap** made) {
        return icm ? flat::GdipCreateBitmapFromStreamICM(stream, made)
                   : flat::GdipCreateBitmapFromStream(stream, made);
    });
}

bool Bitmap::CreateFromBytes(std::span<const std::uint8_t> bytes) {
    MemoryStream stream = MemoryStream::FromBytes(bytes);
    if (!CreateBitmapFromStream(stream.get())) return false;
    keep_stream(std::move(stream));
    return true;
}

bool Bitmap::CreateBitmapFromScan0(INT width, INT height, INT stride, Gdiplus::PixelFormat format,
                                   BYTE* scan0) {
    return create<Gdiplus::GpBitmap>([&](Gdiplus::GpBitmap** made) {
        return flat::GdipCreateBitmapFromScan0(width, height, stride, format, scan0, made);
    });
}

bool Bitmap::CreateBitmapFromScan0(INT width, INT height, Gdiplus::PixelFormat format) {
    return CreateBitmapFromScan0(width, height, 0, format, nullptr);
}

Gdiplus::ARGB Bitmap::BitmapGetPixel(INT x, INT y) const {
    Gdiplus::ARGB colour = 0;
    detail::record(flat::GdipBitmapGetPixel(bitmap(), x, y, &colour));
    return colour;
}

HBITMAP Bitmap::CreateHBITMAPFromBitmap(Gdiplus::ARGB background) const {
    HBITMAP gdi_bitmap = nullptr;
    detail::record(flat::GdipCreateHBITMAPFromBitmap(bitmap(), &gdi_bitmap, background));
    return gdi_bitmap;
}

// The bitmap calls take the image as a bitmap, which it is unless one of
// Image's loaders filled this wrapper with a metafile.
Gdiplus::GpBitmap* Bitmap::bitmap() const { return static_cast<Gdiplus::GpBitmap*>(handle()); }

}  // namespace qelvo::gdiplus
