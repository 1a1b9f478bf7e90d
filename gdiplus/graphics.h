// A GDI+ drawing surface over a device context or an image. Creation and
// rendering state are in graphics.cpp, the drawing calls in
// graphics_drawing.cpp.
#pragma once

#include <string_view>

#include "gdiplus/native_object.h"

namespace qelvo::gdiplus {

class Brush;
class Font;
class Image;
class Path;
class Pen;
class StringFormat;

class Graphics : public NativeObject<Gdiplus::GpGraphics> {
  public:
    // Creation. A graphics must be deleted before the DC is released or
    // the image is disposed.
    bool CreateFromHDC(HDC dc);
    bool GetImageGraphicsContext(const Image& image);

    // Rendering state.
    bool SetSmoothingMode(Gdiplus::SmoothingMode mode);
    bool SetCompositingQuality(Gdiplus::CompositingQuality quality);
    bool SetTextRenderingHint(Gdiplus::TextRenderingHint hint);
    bool SetInterpolationMode(Gdiplus::InterpolationMode mode);

    // Clip: each call combines the new area with the clip so far.
    bool SetClipPath(const Path& path, Gdiplus::CombineMode mode = Gdiplus::CombineModeReplace);
    bool SetClipRectI(INT x, INT y, INT width, INT height,
                      Gdiplus::CombineMode mode = Gdiplus::CombineModeReplace);
    bool ResetClip();

    // Fills the clip with one colour, alpha included (no blending).
    bool GraphicsClear(Gdiplus::ARGB colour);

    bool FillRectangle(const Brush& brush, Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width,
                       Gdiplus::REAL height);
    bool FillRectangleI(const Brush& brush, INT x, INT y, INT width, INT height);
    bool FillEllipse(const Brush& brush, Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width,
                     Gdiplus::REAL height);
    bool FillPath(const Brush& brush, const Path& path);

    bool DrawLine(const Pen& pen, Gdiplus::REAL x1, Gdiplus::REAL y1, Gdiplus::REAL x2,
                  Gdiplus::REAL y2);
    bool DrawLineI(const Pen& pen, INT x1, INT y1, INT x2, INT y2);
    bool DrawRectangleI(const Pen& pen, INT x, INT y, INT width, INT height);
    bool DrawEllipse(const Pen& pen, Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width,
                     Gdiplus::REAL height);
    bool DrawPath(const Pen& pen, const Path& path);

    // The image scaled into the box. Drawing into a box of the image's own
    // pixel size gives its natural size whatever resolution the file names.
    bool DrawImageRect(const Image& image, Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width,
                       Gdiplus::REAL height);
    bool DrawImageRectI(const Image& image, INT x, INT y, INT width, INT height);

    // GBK text laid out in the box by the format.
    bool DrawString(std::string_view gbk_text, const Font& font, const Gdiplus::RectF& layout,
                    const StringFormat& format, const Brush& brush);
    // The box the text would cover when drawn so; empty on failure.
    Gdiplus::RectF MeasureString(std::string_view gbk_text, const Font& font,
                                 const Gdiplus::RectF& layout, const StringFormat& format);
};

}  // namespace qelvo::gdiplus
