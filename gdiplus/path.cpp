#include "gdiplus/path.h"

namespace qelvo::gdiplus {

namespace flat = Gdiplus::DllExports;
using Gdiplus::REAL;

bool Path::CreatePath(Gdiplus::FillMode fill_mode) {
    return create([&](Gdiplus::GpPath** made) { return flat::GdipCreatePath(fill_mode, made); });
}

bool Path::ResetPath() { return detail::record(flat::GdipResetPath(handle())); }

bool Path::ClosePathFigure() { return detail::record(flat::GdipClosePathFigure(handle())); }

bool Path::AddPathLine(REAL x1, REAL y1, REAL x2, REAL y2) {
    return detail::record(flat::GdipAddPathLine(handle(), x1, y1, x2, y2));
}

bool Path::AddPathArc(REAL x, REAL y, REAL width, REAL height, REAL start_angle, REAL sweep_angle) {
    return detail::record(
        flat::GdipAddPathArc(handle(), x, y, width, height, start_angle, sweep_angle));
}

bool Path::AddPathRectangle(REAL x, REAL y, REAL width, REAL height) {
    return detail::record(flat::GdipAddPathRectangle(handle(), x, y, width, height));
}

bool Path::AddPathEllipse(REAL x, REAL y, REAL width, REAL height) {
    return detail::record(flat::GdipAddPathEllipse(handle(), x, y, width, height));
}

INT Path::GetPointCount() const {
    INT count = 0;
    detail::record(flat::GdipGetPointCount(handle(), &count));
    return count;
}

}  // namespace qelvo::gdiplus
