#include "skin/shapes.h"

#include <algorithm>

#include "gdiplus/pen.h"
#include "skin/colour.h"

namespace qelvo::skin {

void addRoundRect(gdiplus::Path& path, float x, float y, float width, float height,
                  float diameter) {
    const float d = std::clamp(diameter, 1.0f, 100.0f);
    path.AddPathArc(x + width - d, y, d, d, 270, 90);
    path.AddPathArc(x + width - d - 1, y + height - d - 1, d + 1, d + 1, 0, 90);
    path.AddPathArc(x, y + height - d, d, d, 90, 90);
    path.AddPathArc(x, y, d, d, 180, 90);
    path.ClosePathFigure();
}

void addTopRoundRect(gdiplus::Path& path, float x, float y, float width, float height,
                     float diameter) {
    const float d = diameter;
    path.AddPathLine(x, y + height, x, y + d);
    path.AddPathArc(x, y, d, d, 180, 90);
    path.AddPathLine(x + d, y, x + width - d, y);
    path.AddPathArc(x + width - d, y, d, d, 270, 90);
    path.AddPathLine(x + width, y + d, x + width, y + height);
}

void glowOutline(gdiplus::Graphics& graphics, const gdiplus::Path& path, int count, COLORREF colour,
                 std::uint8_t alpha) {
    gdiplus::Pen pen;
    if (!pen.CreatePen1(toArgb(colour, alpha), 1)) return;
    for (int i = 1; i <= count; ++i) {
        pen.SetPenWidth(static_cast<float>(i));
        graphics.DrawPath(pen, path);
    }
}

}  // namespace qelvo::skin
