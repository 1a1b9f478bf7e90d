#include "skin/image_tools.h"

#include <cmath>
#include <random>

#include "gdiplus/brushes.h"
#include "gdiplus/encoders.h"
#include "gdiplus/graphics.h"
#include "gdiplus/image.h"
#include "skin/colour.h"
#include "skin/gdi_holders.h"

namespace qelvo::skin {
namespace {

bool load(gdiplus::Bitmap& bitmap, std::string_view path, std::span<const std::uint8_t> bytes) {
    return path.empty() ? bitmap.CreateFromBytes(bytes) : bitmap.CreateBitmapFromFile(path);
}

// Columns (or rows) to draw from: all of them, or the last margin + 1.
std::uniform_int_distribution<int> positions(int size, int margin) {
    const int first = margin >= 1 ? std::max(0, size - margin - 1) : 0;
    return std::uniform_int_distribution<int>(first, std::max(first, size - 1));
}

constexpr Argb kTransparentWhite = 0x00FFFFFF;

}  // namespace

COLORREF meanColour(std::string_view path, std::span<const std::uint8_t> bytes, int count,
                    int marginX, int marginY) {
    gdiplus::Bitmap bitmap;
    if (!load(bitmap, path, bytes) || count <= 0) return 0xFF000000;
    const int width = static_cast<int>(bitmap.GetImageWidth());
    const int height = static_cast<int>(bitmap.GetImageHeight());
    if (width == 0 || height == 0) return 0xFF000000;
    std::minstd_rand random(std::random_device{}());
    auto column = positions(width, marginX);
    auto row = positions(height, marginY);
    double red = 0, green = 0, blue = 0;
    for (int i = 0; i < count; ++i) {
        const Argb pixel = bitmap.BitmapGetPixel(column(random), row(random));
        red += (pixel >> 16) & 0xFF;
        green += (pixel >> 8) & 0xFF;
        blue += pixel & 0xFF;
    }
    const auto mean = [count](double sum) {
        return static_cast<COLORREF>(std::lround(sum / count)) & 0xFF;
    };
    return 0xFF000000 | (mean(blue) << 16) | (mean(green) << 8) | mean(red);
}

ImageBytes fadeImage(std::string_view path, std::span<const std::uint8_t> bytes, int bandWidth,
                     COLORREF colour, int form) {
    gdiplus::Bitmap source;
    if (!load(source, path, bytes)) return {};
    const int width = static_cast<int>(source.GetImageWidth());
    const int height = static_cast<int>(source.GetImageHeight());
    gdiplus::Bitmap faded;
    if (!faded.CreateBitmapFromScan0(width, height, PixelFormat32bppARGB)) return {};
    gdiplus::Graphics graphics;
    if (!graphics.GetImageGraphicsContext(faded)) return {};
    graphics.DrawImageRectI(source, 0, 0, width, height);
    const int band = bandWidth > 0 ? bandWidth : static_cast<int>(std::lround(width * 0.3));
    const auto start = static_cast<float>(width - band);
    const Argb opaque = toArgb(colour);
    gdiplus::LinearGradientBrush gradient;
    const Gdiplus::PointF from(start, 0);
    const Gdiplus::PointF to(static_cast<float>(width), 0);
    if (form == 1) {
        gradient.CreateLineBrush(from, to, opaque, kTransparentWhite);
        graphics.FillRectangle(gradient, start, 0, static_cast<float>(band),
                               static_cast<float>(height));
    } else {
        gradient.CreateLineBrush(from, to, kTransparentWhite, opaque);
        graphics.FillRectangle(gradient, start, 0, static_cast<float>(band + 1),
                               static_cast<float>(height));
    }
    graphics.Delete();
    return faded.SaveToBytes(gdiplus::kPngFormat);
}

ImageBytes imageFileAsPng(std::string_view path) {
    gdiplus::Image image;
    if (!image.LoadImageFromFile(path)) return {};
    return image.SaveToBytes(gdiplus::kPngFormat);
}

HBITMAP argbBitmap(int width, int height) {
    gdiplus::Bitmap bitmap;
    if (!bitmap.CreateBitmapFromScan0(width, height, PixelFormat32bppARGB)) return nullptr;
    return gdi_count::track(bitmap.CreateHBITMAPFromBitmap(0));
}

}  // namespace qelvo::skin
