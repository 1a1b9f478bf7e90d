// The drawing calls of Graphics.
#include <string>

#include "gdiplus/brushes.h"
#include "gdiplus/gbk_text.h"
#include "gdiplus/graphics.h"
#include "gdiplus/image.h"
#include "gdiplus/path.h"
#include "gdiplus/pen.h"
#include "gdiplus/text.h"

namespace qelvo::gdiplus {

namespace flat = Gdiplus::DllExports;
using Gdiplus::REAL;

bool Graphics::GraphicsClear(Gdiplus::ARGB colour) {
    return detail::record(flat::GdipGraphicsClear(handle(), colour));
}

// ------------------------------------------------------------------ fills

bool Graphics::FillRectangle(const Brush& brush, REAL x, REAL y, REAL width, REAL height) {
    return detail::record(flat::GdipFillRectangle(handle(), brush.handle(), x, y, width, height));
}

bool Graphics::FillRectangleI(const Brush& brush, INT x, INT y, INT width, INT height) {
    return detail::record(flat::GdipFillRectangleI(handle(), brush.handle(), x, y, width, height));
}

bool Graphics::FillEllipse(const Brush& brush, REAL x, REAL y, REAL width, REAL height) {
    return detail::record(flat::GdipFillEllipse(handle(), brush.handle(), x, y, width, height));
}

bool Graphics::FillPath(const Brush& brush, const Path& path) {
    return detail::record(flat::GdipFillPath(handle(), brush.handle(), path.handle()));
}

// ---------------------------------------------------------------- strokes

bool Graphics::DrawLine(const Pen& pen, REAL x1, REAL y1, REAL x2, REAL y2) {
    return detail::record(flat::GdipDrawLine(handle(), pen.handle(), x1, y1, x2, y2));
}

bool Graphics::DrawLineI(const Pen& pen, INT x1, INT y1, INT x2, INT y2) {
    return detail::record(flat::GdipDrawLineI(handle(), pen.handle(), x1, y1, x2, y2));
}

bool Graphics::DrawRectangleI(const Pen& pen, INT x, INT y, INT width, INT height) {
    return detail::record(flat::GdipDrawRectangleI(handle(), pen.handle(), x, y, width, height));
}

bool Graphics::DrawEllipse(const Pen& pen, REAL x, REAL y, REAL width, REAL height) {
    return detail::record(flat::GdipDrawEllipse(handle(), pen.handle(), x, y, width, height));
}

bool Graphics::DrawPath(const Pen& pen, const Path& path) {
    return detail::record(flat::GdipDrawPath(handle(), pen.handle(), path.handle()));
}

// ----------------------------------------------------------------- images

bool Graphics::DrawImageRect(const Image& image, REAL x, REAL y, REAL width, REAL height) {
    return detail::record(flat::GdipDrawImageRect(handle(), image.handle(), x, y, width, height));
}

bool Graphics::DrawImageRectI(const Image& image, INT x, INT y, INT width, INT height) {
    return detail::record(flat::GdipDrawImageRectI(handle(), image.handle(), x, y, width, height));
}

// ------------------------------------------------------------------- text

bool Graphics::DrawString(std::string_view gbk_text, const Font& font, const Gdiplus::RectF& layout,
                          const StringFormat& format, const Brush& brush) {
    const std::wstring text = detail::wide_from_gbk(gbk_text);
    return detail::record(flat::GdipDrawString(handle(), text.c_str(),
                                               static_cast<INT>(text.size()), font.handle(),
                                               &layout, format.handle(), brush.handle()));
}

Gdiplus::RectF Graphics::MeasureString(std::string_view gbk_text, const Font& font,
                                       const Gdiplus::RectF& layout, const StringFormat& format) {
    const std::wstring text = detail::wide_from_gbk(gbk_text);
    Gdiplus::RectF box;
    const bool measured = detail::record(
        flat::GdipMeasureString(handle(), text.c_str(), static_cast<INT>(text.size()),
                                font.handle(), &layout, format.handle(), &box, nullptr, nullptr));
    return measured ? box : Gdiplus::RectF();
}

}  // namespace qelvo::gdiplus
