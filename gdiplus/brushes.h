// GDI+ brushes. Every kind derives from Brush, so a fill takes any of them.
#pragma once

#include <span>

#include "gdiplus/native_object.h"

namespace qelvo::gdiplus {

class Path;

// What the brushes share: the native brush and its delete function.
class Brush : public NativeObject<Gdiplus::GpBrush> {
  protected:
    Brush() = default;
};

class SolidBrush : public Brush {
  public:
    bool CreateSolidFill(Gdiplus::ARGB colour);
};

class LinearGradientBrush : public Brush {
  public:
    // A gradient from `from` (from_colour) to `to` (to_colour). Beyond the
    // two points the wrap mode repeats the gradient; tiling, as GDI+ does
    // by default, restarts it at from_colour.
    bool CreateLineBrush(const Gdiplus::PointF& from, const Gdiplus::PointF& to,
                         Gdiplus::ARGB from_colour, Gdiplus::ARGB to_colour,
                         Gdiplus::WrapMode wrap_mode = Gdiplus::WrapModeTile);
};

class PathGradientBrush : public Brush {
  public:
    // A gradient from the path's centre point out to its outline.
    bool CreatePathGradientFromPath(const Path& path);
    bool SetPathGradientCenterColor(Gdiplus::ARGB colour);
    // Colours along the outline, one per point; the last one is repeated
    // for points beyond the list.
    bool SetPathGradientSurroundColorsWithCount(std::span<const Gdiplus::ARGB> colours);

  private:
    Gdiplus::GpPathGradient* gradient() const;
};

}  // namespace qelvo::gdiplus
