#include "gdiplus/pen.h"

#include "gdiplus/brushes.h"

namespace qelvo::gdiplus {

namespace flat = Gdiplus::DllExports;

bool Pen::CreatePen1(Gdiplus::ARGB colour, Gdiplus::REAL width, Gdiplus::Unit unit) {
    return create(
        [&](Gdiplus::GpPen** made) { return flat::GdipCreatePen1(colour, width, unit, made); });
}

bool Pen::CreatePen2(const Brush& brush, Gdiplus::REAL width, Gdiplus::Unit unit) {
    return create([&](Gdiplus::GpPen** made) {
        return flat::GdipCreatePen2(brush.handle(), width, unit, made);
    });
}

bool Pen::SetPenWidth(Gdiplus::REAL width) {
    return detail::record(flat::GdipSetPenWidth(handle(), width));
}

Gdiplus::REAL Pen::GetPenWidth() const {
    Gdiplus::REAL width = 0;
    detail::record(flat::GdipGetPenWidth(handle(), &width));
    return width;
}

}  // namespace qelvo::gdiplus
