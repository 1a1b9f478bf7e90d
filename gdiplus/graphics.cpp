#include "gdiplus/graphics.h"

#include "gdiplus/image.h"
#include "gdiplus/path.h"

namespace qelvo::gdiplus {

namespace flat = Gdiplus::DllExports;

bool Graphics::CreateFromHDC(HDC dc) {
    return create([&](Gdiplus::GpGraphics** made) { return flat::GdipCreateFromHDC(dc, made); });
}

bool Graphics::GetImageGraphicsContext(const Image& image) {
    return create([&](Gdiplus::GpGraphics** made) {
        return flat::GdipGetImageGraphicsContext(image.handle(), made);
    });
}

bool Graphics::SetSmoothingMode(Gdiplus::SmoothingMode mode) {
    return detail::record(flat::GdipSetSmoothingMode(handle(), mode));
}

bool Graphics::SetCompositingQuality(Gdiplus::CompositingQuality quality) {
    return detail::record(flat::GdipSetCompositingQuality(handle(), quality));
}

bool Graphics::SetTextRenderingHint(Gdiplus::TextRenderingHint hint) {
    return detail::record(flat::GdipSetTextRenderingHint(handle(), hint));
}

bool Graphics::SetInterpolationMode(Gdiplus::InterpolationMode mode) {
    return detail::record(flat::GdipSetInterpolationMode(handle(), mode));
}

bool Graphics::SetClipPath(const Path& path, Gdiplus::CombineMode mode) {
    return detail::record(flat::GdipSetClipPath(handle(), path.handle(), mode));
}

bool Graphics::SetClipRectI(INT x, INT y, INT width, INT height, Gdiplus::CombineMode mode) {
    return detail::record(flat::GdipSetClipRectI(handle(), x, y, width, height, mode));
}

bool Graphics::ResetClip() { return detail::record(flat::GdipResetClip(handle())); }

}  // namespace qelvo::gdiplus
