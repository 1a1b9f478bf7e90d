#include "gdiplus/region.h"

#include "gdiplus/graphics.h"
#include "gdiplus/path.h"

namespace qelvo::gdiplus {

namespace flat = Gdiplus::DllExports;

bool Region::CreateRegionPath(const Path& path) {
    return create(
        [&](Gdiplus::GpRegion** made) { return flat::GdipCreateRegionPath(path.handle(), made); });
}

HRGN Region::GetRegionHRgn(const Graphics& graphics) const {
    HRGN gdi_region = nullptr;
    detail::record(flat::GdipGetRegionHRgn(handle(), graphics.handle(), &gdi_region));
    return gdi_region;
}

}  // namespace qelvo::gdiplus
