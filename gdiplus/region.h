// A GDI+ region, mainly to turn a path into a GDI region.
#pragma once

#include "gdiplus/native_object.h"

namespace qelvo::gdiplus {

class Graphics;
class Path;

class Region : public NativeObject<Gdiplus::GpRegion> {
  public:
    // The area the path encloses.
    bool CreateRegionPath(const Path& path);
    // The same area as a GDI region in the device space of the graphics;
    // the caller deletes it (DeleteObject). Null on failure, and for an
    // infinite region.
    HRGN GetRegionHRgn(const Graphics& graphics) const;
};

}  // namespace qelvo::gdiplus
