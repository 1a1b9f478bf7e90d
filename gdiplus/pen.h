// A GDI+ pen, for the outlines and lines the skin strokes.
#pragma once

#include "gdiplus/native_object.h"

namespace qelvo::gdiplus {

class Brush;

class Pen : public NativeObject<Gdiplus::GpPen> {
  public:
    // A pen of one colour. Widths are in world units, which are pixels on
    // the untransformed surfaces the skin draws on.
    bool CreatePen1(Gdiplus::ARGB colour, Gdiplus::REAL width,
                    Gdiplus::Unit unit = Gdiplus::UnitWorld);
    // A pen that strokes with a brush (a gradient line, for example).
    bool CreatePen2(const Brush& brush, Gdiplus::REAL width,
                    Gdiplus::Unit unit = Gdiplus::UnitWorld);

    bool SetPenWidth(Gdiplus::REAL width);
    // 0 for an empty wrapper.
    Gdiplus::REAL GetPenWidth() const;
};

}  // namespace qelvo::gdiplus
