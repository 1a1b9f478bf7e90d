#include "gdiplus/native_object.h"

namespace qelvo::gdiplus::detail {

namespace flat = Gdiplus::DllExports;

Gdiplus::Status delete_native(Gdiplus::GpGraphics* graphics) {
    return flat::GdipDeleteGraphics(graphics);
}
Gdiplus::Status delete_native(Gdiplus::GpPath* path) { return flat::GdipDeletePath(path); }
Gdiplus::Status delete_native(Gdiplus::GpBrush* brush) { return flat::GdipDeleteBrush(brush); }
Gdiplus::Status delete_native(Gdiplus::GpPen* pen) { return flat::GdipDeletePen(pen); }
Gdiplus::Status delete_native(Gdiplus::GpFont* font) { return flat::GdipDeleteFont(font); }
Gdiplus::Status delete_native(Gdiplus::GpFontFamily* family) {
    return flat::GdipDeleteFontFamily(family);
}
Gdiplus::Status delete_native(Gdiplus::GpStringFormat* format) {
    return flat::GdipDeleteStringFormat(format);
}
Gdiplus::Status delete_native(Gdiplus::GpImage* image) { return flat::GdipDisposeImage(image); }
Gdiplus::Status delete_native(Gdiplus::GpRegion* region) { return flat::GdipDeleteRegion(region); }

}  // namespace qelvo::gdiplus::detail
