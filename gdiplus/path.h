// A GDI+ path: the figures the skin fills, strokes and clips to.
#pragma once

#include "gdiplus/native_object.h"

namespace qelvo::gdiplus {

class Path : public NativeObject<Gdiplus::GpPath> {
  public:
    bool CreatePath(Gdiplus::FillMode fill_mode = Gdiplus::FillModeAlternate);

    // Empties the path for the next figure while keeping the object.
    bool ResetPath();
    bool ClosePathFigure();

    bool AddPathLine(Gdiplus::REAL x1, Gdiplus::REAL y1, Gdiplus::REAL x2, Gdiplus::REAL y2);
    // An arc of the ellipse in the box; angles in degrees, clockwise from
    // the positive x axis.
    bool AddPathArc(Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width, Gdiplus::REAL height,
                    Gdiplus::REAL start_angle, Gdiplus::REAL sweep_angle);
    bool AddPathRectangle(Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width,
                          Gdiplus::REAL height);
    bool AddPathEllipse(Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width,
                        Gdiplus::REAL height);

    // Points of all figures; 0 for an empty wrapper.
    INT GetPointCount() const;
};

}  // namespace qelvo::gdiplus
