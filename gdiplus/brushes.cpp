#include "gdiplus/brushes.h"

#include "gdiplus/path.h"

namespace qelvo::gdiplus {

namespace flat = Gdiplus::DllExports;

bool SolidBrush::CreateSolidFill(Gdiplus::ARGB colour) {
    return create<Gdiplus::GpSolidFill>(
        [&](Gdiplus::GpSolidFill** made) { return flat::GdipCreateSolidFill(colour, made); });
}

bool LinearGradientBrush::CreateLineBrush(const Gdiplus::PointF& from, const Gdiplus::PointF& to,
                                          Gdiplus::ARGB from_colour, Gdiplus::ARGB to_colour,
                                          Gdiplus::WrapMode wrap_mode) {
    return create<Gdiplus::GpLineGradient>([&](Gdiplus::GpLineGradient** made) {
        return flat::GdipCreateLineBrush(&from, &to, from_colour, to_colour, wrap_mode, made);
    });
}

bool PathGradientBrush::CreatePathGradientFromPath(const Path& path) {
    return create<Gdiplus::GpPathGradient>([&](Gdiplus::GpPathGradient** made) {
        return flat::GdipCreatePathGradientFromPath(path.handle(), made);
    });
}

bool PathGradientBrush::SetPathGradientCenterColor(Gdiplus::ARGB colour) {
    return detail::record(flat::GdipSetPathGradientCenterColor(gradient(), colour));
}

bool PathGradientBrush::SetPathGradientSurroundColorsWithCount(
    std::span<const Gdiplus::ARGB> colours) {
    // GDI+ reads the count and writes back how many it took.
    INT count = static_cast<INT>(colours.size());
    return detail::record(
        flat::GdipSetPathGradientSurroundColorsWithCount(gradient(), colours.data(), &count));
}

// Only CreatePathGradientFromPath fills this wrapper, so its brush is a
// path gradient.
Gdiplus::GpPathGradient* PathGradientBrush::gradient() const {
    return static_cast<Gdiplus::GpPathGradient*>(handle());
}

}  // namespace qelvo::gdiplus
