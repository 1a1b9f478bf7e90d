// The GDI+ wrappers against the real GDI+: pixels drawn and read back,
// images through memory, ownership shared by copies, the live-object count,
// the last status and GBK text.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gdiplus/brushes.h"
#include "gdiplus/encoders.h"
#include "gdiplus/graphics.h"
#include "gdiplus/image.h"
#include "gdiplus/path.h"
#include "gdiplus/pen.h"
#include "gdiplus/region.h"
#include "gdiplus/status.h"
#include "gdiplus/text.h"

namespace qelvo::gdiplus {
namespace {

constexpr Gdiplus::ARGB kTransparent = 0x00000000;
constexpr Gdiplus::ARGB kOpaqueWhite = 0xFFFFFFFF;
constexpr Gdiplus::ARGB kOpaqueRed = 0xFFFF0000;
constexpr Gdiplus::ARGB kOpaqueBlue = 0xFF0000FF;
constexpr Gdiplus::ARGB kOpaqueBlack = 0xFF000000;

// GBK for 中文, 中 and 宋体.
const std::string kChineseText = "\xD6\xD0\xCE\xC4";
const std::string kOneChineseCharacter = "\xD6\xD0";
const std::string kSongTypeface = "\xCB\xCE\xCC\xE5";
// A Latin family every Windows and the test Wine prefix have.
const std::string kLatinFamily = "Tahoma";

// GDI+ runs for each suite, and every test must leave the live-object count
// where it found it.
class GdiplusSession : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { token = startup(); }
    static void TearDownTestSuite() {
        shutdown(token);
        token = 0;
    }
    void SetUp() override {
        ASSERT_NE(token, 0u) << "GDI+ did not start";
        live_at_start = live_objects();
    }
    void TearDown() override {
        EXPECT_EQ(live_objects(), live_at_start) << "native objects left behind";
    }

    static inline ULONG_PTR token = 0;
    long live_at_start = 0;
};

class GdiplusDrawing : public GdiplusSession {};
class GdiplusImages : public GdiplusSession {};
class GdiplusOwnership : public GdiplusSession {};
class GdiplusStatus : public GdiplusSession {};
class GdiplusText : public GdiplusSession {};

// A 32-bit ARGB bitmap with a graphics on it, cleared to one colour. The
// graphics is declared second so that it goes before the bitmap.
struct Canvas {
    Bitmap bitmap;
    Graphics graphics;

    Canvas(INT width, INT height, Gdiplus::ARGB background) {
        EXPECT_TRUE(bitmap.CreateBitmapFromScan0(width, height));
        EXPECT_TRUE(graphics.GetImageGraphicsContext(bitmap));
        EXPECT_TRUE(graphics.GraphicsClear(background));
    }
    // Drawing is done: the graphics goes before the pixels are read.
    void finish() { graphics.Delete(); }
    Gdiplus::ARGB pixel(INT x, INT y) const { return bitmap.BitmapGetPixel(x, y); }
};

SolidBrush solid(Gdiplus::ARGB colour) {
    SolidBrush brush;
    EXPECT_TRUE(brush.CreateSolidFill(colour));
    return brush;
}

// A closed rectangle with corners rounded to the diameter.
Path rounded_rectangle(Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width, Gdiplus::REAL height,
                       Gdiplus::REAL diameter) {
    Path path;
    EXPECT_TRUE(path.CreatePath());
    EXPECT_TRUE(path.AddPathArc(x + width - diameter, y, diameter, diameter, 270, 90));
    EXPECT_TRUE(
        path.AddPathArc(x + width - diameter, y + height - diameter, diameter, diameter, 0, 90));
    EXPECT_TRUE(path.AddPathArc(x, y + height - diameter, diameter, diameter, 90, 90));
    EXPECT_TRUE(path.AddPathArc(x, y, diameter, diameter, 180, 90));
    EXPECT_TRUE(path.ClosePathFigure());
    return path;
}

Path rectangle(Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width, Gdiplus::REAL height) {
    Path path;
    EXPECT_TRUE(path.CreatePath());
    EXPECT_TRUE(path.AddPathRectangle(x, y, width, height));
    return path;
}

Path ellipse(Gdiplus::REAL x, Gdiplus::REAL y, Gdiplus::REAL width, Gdiplus::REAL height) {
    Path path;
    EXPECT_TRUE(path.CreatePath());
    EXPECT_TRUE(path.AddPathEllipse(x, y, width, height));
    return path;
}

// An 8 x 6 picture: red left half, blue right half.
void paint_two_colours(Canvas& canvas) {
    canvas.graphics.FillRectangleI(solid(kOpaqueBlue), 4, 0, 4, 6);
    canvas.finish();
}

std::vector<std::uint8_t> two_colour_png() {
    Canvas canvas(8, 6, kOpaqueRed);
    paint_two_colours(canvas);
    return canvas.bitmap.SaveToBytes(kPngFormat);
}

// The first column holding a dark pixel; -1 when there is none.
int leftmost_ink(const Bitmap& bitmap) {
    const INT width = static_cast<INT>(bitmap.GetImageWidth());
    const INT height = static_cast<INT>(bitmap.GetImageHeight());
    for (INT x = 0; x < width; ++x) {
        for (INT y = 0; y < height; ++y) {
            if (((bitmap.BitmapGetPixel(x, y) >> 16) & 0xFF) < 0x80) return x;
        }
    }
    return -1;
}

// ---------------------------------------------------------------- drawing

TEST_F(GdiplusDrawing, FillsCoverTheirShapesAndNothingElse) {
    Canvas canvas(40, 30, kOpaqueWhite);
    ASSERT_TRUE(canvas.graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias));
    EXPECT_TRUE(canvas.graphics.FillPath(solid(kOpaqueBlue), rounded_rectangle(0, 0, 39, 29, 12)));
    EXPECT_TRUE(canvas.graphics.FillRectangleI(solid(kOpaqueRed), 15, 10, 10, 10));
    canvas.finish();
    EXPECT_EQ(canvas.pixel(20, 15), kOpaqueRed);
    EXPECT_EQ(canvas.pixel(20, 2), kOpaqueBlue);
    EXPECT_EQ(canvas.pixel(0, 0), kOpaqueWhite);  // outside the rounded corners
    EXPECT_EQ(canvas.pixel(38, 28), kOpaqueWhite);
}

TEST_F(GdiplusDrawing, ClipsLimitFillsUntilReset) {
    Canvas canvas(30, 30, kTransparent);
    // A ring: the whole surface less its middle, as the edit frames clip.
    EXPECT_TRUE(canvas.graphics.SetClipRectI(0, 0, 30, 30));
    EXPECT_TRUE(canvas.graphics.SetClipRectI(10, 10, 10, 10, Gdiplus::CombineModeXor));
    EXPECT_TRUE(canvas.graphics.FillRectangleI(solid(kOpaqueBlue), 0, 0, 30, 30));
    EXPECT_TRUE(canvas.graphics.SetClipPath(ellipse(10, 10, 10, 10)));
    EXPECT_TRUE(canvas.graphics.FillRectangle(solid(kOpaqueRed), 0, 0, 30, 30));
    EXPECT_TRUE(canvas.graphics.ResetClip());
    EXPECT_TRUE(canvas.graphics.FillRectangleI(solid(kOpaqueRed), 22, 22, 4, 4));
    canvas.finish();
    EXPECT_EQ(canvas.pixel(5, 5), kOpaqueBlue);
    EXPECT_EQ(canvas.pixel(15, 15), kOpaqueRed);    // the circle
    EXPECT_EQ(canvas.pixel(10, 10), kTransparent);  // the hole, outside the circle
    EXPECT_EQ(canvas.pixel(24, 24), kOpaqueRed);
}

TEST_F(GdiplusDrawing, ThickPensCoverTheirLinesAndOutlines) {
    Canvas canvas(30, 30, kTransparent);
    Pen pen;
    ASSERT_TRUE(pen.CreatePen1(kOpaqueBlue, 4));
    Path square = rectangle(5, 5, 20, 20);
    EXPECT_EQ(square.GetPointCount(), 4);
    EXPECT_TRUE(canvas.graphics.DrawPath(pen, square));
    EXPECT_TRUE(canvas.graphics.DrawLineI(pen, 2, 15, 12, 15));
    canvas.finish();
    EXPECT_EQ(canvas.pixel(5, 20), kOpaqueBlue);    // left side
    EXPECT_EQ(canvas.pixel(10, 15), kOpaqueBlue);   // the line
    EXPECT_EQ(canvas.pixel(18, 18), kTransparent);  // inside
    EXPECT_FLOAT_EQ(pen.GetPenWidth(), 4);
    EXPECT_TRUE(pen.SetPenWidth(5));
    EXPECT_FLOAT_EQ(pen.GetPenWidth(), 5);
    EXPECT_TRUE(square.ResetPath());
    EXPECT_EQ(square.GetPointCount(), 0);
}

// Gradients whose ends share one opaque colour: any blending gives it.
TEST_F(GdiplusDrawing, GradientBrushesOfOneColourFillWithIt) {
    Canvas canvas(40, 20, kTransparent);
    LinearGradientBrush linear;
    ASSERT_TRUE(linear.CreateLineBrush({0, 0}, {0, 20}, kOpaqueRed, kOpaqueRed));
    const Path circle = ellipse(20, 0, 20, 20);
    PathGradientBrush radial;
    ASSERT_TRUE(radial.CreatePathGradientFromPath(circle));
    EXPECT_TRUE(radial.SetPathGradientCenterColor(kOpaqueBlue));
    const Gdiplus::ARGB surround[] = {kOpaqueBlue};
    EXPECT_TRUE(radial.SetPathGradientSurroundColorsWithCount(surround));
    EXPECT_TRUE(canvas.graphics.FillRectangleI(linear, 0, 0, 20, 20));
    EXPECT_TRUE(canvas.graphics.FillPath(radial, circle));
    canvas.finish();
    EXPECT_EQ(canvas.pixel(10, 10), kOpaqueRed);
    EXPECT_EQ(canvas.pixel(30, 10), kOpaqueBlue);
}

TEST_F(GdiplusDrawing, GraphicsOnADeviceContextDrawsIntoItsBitmap) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 20, -20, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    HGDIOBJ previous = SelectObject(dc, dib);
    Graphics graphics;
    EXPECT_TRUE(graphics.CreateFromHDC(dc));
    EXPECT_TRUE(graphics.FillRectangleI(solid(kOpaqueRed), 0, 0, 10, 10));
    graphics.Delete();
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    EXPECT_EQ(pixels[5 * 20 + 5] & 0x00FFFFFF, 0x00FF0000u);
    EXPECT_EQ(pixels[15 * 20 + 15] & 0x00FFFFFF, 0u);
    SelectObject(dc, previous);
    DeleteObject(dib);
    DeleteDC(dc);
}

TEST_F(GdiplusDrawing, GdiBitmapOfAnOpaqueBitmapHasItsColours) {
    Canvas canvas(10, 10, 0xFF336699);
    canvas.finish();
    HBITMAP gdi_bitmap = canvas.bitmap.CreateHBITMAPFromBitmap(kOpaqueBlack);
    ASSERT_NE(gdi_bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, gdi_bitmap);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0x33, 0x66, 0x99));
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(gdi_bitmap);
}

TEST_F(GdiplusDrawing, RegionOfAPathBecomesAGdiRegionOfTheSameBox) {
    Canvas canvas(20, 20, kTransparent);
    Region region;
    ASSERT_TRUE(region.CreateRegionPath(rectangle(2, 3, 10, 5)));
    HRGN gdi_region = region.GetRegionHRgn(canvas.graphics);
    ASSERT_NE(gdi_region, nullptr);
    RECT bounds{};
    GetRgnBox(gdi_region, &bounds);
    DeleteObject(gdi_region);
    EXPECT_EQ(bounds.left, 2);
    EXPECT_EQ(bounds.top, 3);
    EXPECT_EQ(bounds.right, 12);
    EXPECT_EQ(bounds.bottom, 8);
}

// ----------------------------------------------------------------- images

TEST_F(GdiplusImages, PngRoundTripKeepsSizeAndPixels) {
    Canvas original(8, 6, kOpaqueRed);
    paint_two_colours(original);
    const std::vector<std::uint8_t> png = original.bitmap.SaveToBytes(kPngFormat);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin(), png.begin() + 4), "\x89PNG");

    Bitmap copy;
    ASSERT_TRUE(copy.CreateFromBytes(png));
    ASSERT_EQ(copy.GetImageWidth(), 8u);
    ASSERT_EQ(copy.GetImageHeight(), 6u);
    for (INT y = 0; y < 6; ++y) {
        for (INT x = 0; x < 8; ++x) {
            EXPECT_EQ(copy.BitmapGetPixel(x, y), original.pixel(x, y)) << "at " << x << "," << y;
        }
    }
}

// GDI+ reads an image's stream until the image is disposed: the image keeps
// its own copy of the bytes.
TEST_F(GdiplusImages, ImageFromBytesOutlivesTheBytes) {
    Image image;
    {
        std::vector<std::uint8_t> png = two_colour_png();
        ASSERT_TRUE(image.LoadFromBytes(png));
        std::fill(png.begin(), png.end(), 0);
    }
    Canvas canvas(8, 6, kTransparent);
    EXPECT_TRUE(canvas.graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor));
    EXPECT_TRUE(canvas.graphics.DrawImageRectI(image, 0, 0, 8, 6));
    canvas.finish();
    EXPECT_EQ(canvas.pixel(1, 3), kOpaqueRed);
    EXPECT_EQ(canvas.pixel(6, 3), kOpaqueBlue);
}

TEST_F(GdiplusImages, SavingWritesABmpByDefaultAndNothingForAnUnknownFormat) {
    Canvas canvas(4, 4, kOpaqueRed);
    canvas.finish();
    const std::vector<std::uint8_t> bmp = canvas.bitmap.SaveToBytes();
    ASSERT_GT(bmp.size(), 2u);
    EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");

    const std::string unknown = "{00000000-0000-0000-0000-000000000000}";
    EXPECT_TRUE(canvas.bitmap.SaveToBytes(unknown).empty());
    EXPECT_EQ(last_status(), Gdiplus::UnknownImageFormat);

    MemoryStream stream = MemoryStream::Empty();
    EXPECT_FALSE(canvas.bitmap.SaveImageToStream(stream.get(), unknown));
    EXPECT_TRUE(stream.Bytes().empty());
}

TEST_F(GdiplusImages, EncoderTextMustMatchExactly) {
    const GUID png = {0xB96B3CAF, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    EXPECT_EQ(guid_text(png), kPngFormat);
    EXPECT_TRUE(find_encoder(kPngFormat).has_value());
    EXPECT_FALSE(find_encoder("{b96b3caf-0728-11d3-9d7b-0000f81ef32e}").has_value());
    EXPECT_FALSE(find_encoder("").has_value());
}

TEST_F(GdiplusImages, BytesThatAreNoImageLoadNothing) {
    const std::string text = "not an image";
    const std::vector<std::uint8_t> garbage(text.begin(), text.end());
    Image image;
    EXPECT_FALSE(image.LoadFromBytes(garbage));
    EXPECT_TRUE(image.empty());
    EXPECT_EQ(image.GetImageWidth(), 0u);
    Bitmap bitmap;
    EXPECT_FALSE(bitmap.CreateFromBytes({}));
    EXPECT_TRUE(bitmap.empty());
}

TEST_F(GdiplusImages, MemoryStreamGivesBackExactlyItsBytes) {
    std::vector<std::uint8_t> bytes(1000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    EXPECT_EQ(MemoryStream::FromBytes(bytes).Bytes(), bytes);
    EXPECT_TRUE(MemoryStream::Empty().Bytes().empty());
    const MemoryStream none;
    EXPECT_EQ(none.get(), nullptr);
    EXPECT_TRUE(none.Bytes().empty());
}

// -------------------------------------------------------------- ownership

TEST_F(GdiplusOwnership, DeleteIsIdempotentAndMakesNoCallWhenEmpty) {
    Path path;
    ASSERT_TRUE(path.CreatePath());
    EXPECT_TRUE(path.Delete());
    EXPECT_TRUE(path.empty());
    EXPECT_FALSE(path.Delete());
    // A call with handle 0 would have answered InvalidParameter.
    EXPECT_EQ(last_status(), Gdiplus::Ok);
    EXPECT_FALSE(Path().Delete());
    EXPECT_EQ(last_status(), Gdiplus::Ok);
}

TEST_F(GdiplusOwnership, CopySharesTheObjectAndADeleteEmptiesEveryCopy) {
    Path original;
    ASSERT_TRUE(original.CreatePath());
    Path copy = original;
    EXPECT_EQ(copy.handle(), original.handle());
    EXPECT_EQ(live_objects(), live_at_start + 1);
    EXPECT_TRUE(copy.Delete());
    EXPECT_TRUE(original.empty());
    EXPECT_FALSE(original.Delete());
    EXPECT_EQ(live_objects(), live_at_start);
}

TEST_F(GdiplusOwnership, LastCopyToGoDeletesTheObject) {
    {
        Path original;
        ASSERT_TRUE(original.CreatePath());
        { const Path copy = original; }
        EXPECT_TRUE(original.AddPathLine(0, 0, 1, 1));
        EXPECT_EQ(live_objects(), live_at_start + 1);
    }
    EXPECT_EQ(live_objects(), live_at_start);
}

TEST_F(GdiplusOwnership, AssignmentReleasesTheObjectItReplaces) {
    Path first;
    Path second;
    ASSERT_TRUE(first.CreatePath());
    ASSERT_TRUE(second.CreatePath());
    EXPECT_EQ(live_objects(), live_at_start + 2);
    second = first;
    EXPECT_EQ(second.handle(), first.handle());
    EXPECT_EQ(live_objects(), live_at_start + 1);
}

TEST_F(GdiplusOwnership, MoveTransfersTheObject) {
    Path source;
    ASSERT_TRUE(source.CreatePath());
    Gdiplus::GpPath* const native = source.handle();
    Path target = std::move(source);
    EXPECT_EQ(target.handle(), native);
    EXPECT_TRUE(source.empty());
    EXPECT_EQ(live_objects(), live_at_start + 1);
    // The emptied wrapper can be used again.
    EXPECT_TRUE(source.CreatePath());
    EXPECT_EQ(live_objects(), live_at_start + 2);
}

TEST_F(GdiplusOwnership, SecondCreationDeletesTheFirstObject) {
    Path path;
    ASSERT_TRUE(path.CreatePath());
    const Path copy = path;
    ASSERT_TRUE(path.CreatePath(Gdiplus::FillModeWinding));
    EXPECT_EQ(live_objects(), live_at_start + 1);
    EXPECT_EQ(copy.handle(), path.handle());
}

TEST_F(GdiplusOwnership, FailedCreationLeavesTheWrapperEmpty) {
    FontFamily family;
    ASSERT_TRUE(family.CreateFontFamilyFromName(kLatinFamily));
    EXPECT_FALSE(family.CreateFontFamilyFromName("No Such Family Anywhere"));
    EXPECT_EQ(last_status(), Gdiplus::FontFamilyNotFound);
    EXPECT_TRUE(family.empty());
}

TEST_F(GdiplusOwnership, LiveCountReturnsAfterManyObjectsOfEveryKind) {
    const std::vector<std::uint8_t> png = two_colour_png();
    constexpr long kKinds = 12;
    for (int round = 0; round < 100; ++round) {
        Canvas canvas(8, 8, kTransparent);
        Path path = rounded_rectangle(0, 0, 7, 7, 4);
        SolidBrush brush = solid(kOpaqueRed);
        LinearGradientBrush linear;
        linear.CreateLineBrush({0, 0}, {0, 8}, kOpaqueRed, kOpaqueBlue);
        PathGradientBrush radial;
        radial.CreatePathGradientFromPath(path);
        Pen pen;
        pen.CreatePen2(linear, 1);
        FontFamily family;
        family.CreateFontFamilyFromName(kLatinFamily);
        Font font;
        font.CreateFontFromFamily(family, 12);
        StringFormat format;
        format.CreateStringFormat();
        Region region;
        region.CreateRegionPath(path);
        Image image;
        image.LoadFromBytes(png);
        ASSERT_EQ(live_objects(), live_at_start + kKinds) << "in round " << round;
    }
    EXPECT_EQ(live_objects(), live_at_start);
}

// ----------------------------------------------------------------- status

TEST_F(GdiplusStatus, CallOnAnEmptyWrapperReportsInvalidParameter) {
    // Named: a temporary brush would record its own delete after the call.
    const SolidBrush brush = solid(kOpaqueRed);
    Graphics graphics;
    EXPECT_FALSE(graphics.FillRectangleI(brush, 0, 0, 1, 1));
    EXPECT_EQ(last_status(), Gdiplus::InvalidParameter);
    EXPECT_EQ(static_cast<int>(last_status()), 2);
    // The next successful call replaces it.
    Path path;
    EXPECT_TRUE(path.CreatePath());
    EXPECT_EQ(last_status(), Gdiplus::Ok);
}

TEST_F(GdiplusStatus, GettersOfEmptyWrappersGiveZeroAndInvalidParameter) {
    EXPECT_EQ(Image().GetImageWidth(), 0u);
    EXPECT_EQ(last_status(), Gdiplus::InvalidParameter);
    EXPECT_EQ(Bitmap().BitmapGetPixel(0, 0), 0u);
    EXPECT_EQ(last_status(), Gdiplus::InvalidParameter);
    EXPECT_FLOAT_EQ(Pen().GetPenWidth(), 0);
    EXPECT_EQ(last_status(), Gdiplus::InvalidParameter);
    EXPECT_EQ(Bitmap().CreateHBITMAPFromBitmap(0), nullptr);

    Canvas canvas(4, 4, kOpaqueRed);
    canvas.finish();
    EXPECT_EQ(canvas.pixel(4, 0), 0u);
    EXPECT_EQ(last_status(), Gdiplus::InvalidParameter);
}

// ------------------------------------------------------------------- text

TEST_F(GdiplusText, SongTypefaceIsAvailable) {
    FontFamily family;
    ASSERT_TRUE(family.CreateFontFamilyFromName(kSongTypeface));
    EXPECT_FALSE(family.GetFamilyName().empty());
}

TEST_F(GdiplusText, MeasuredChineseTextHasABoxThatGrowsWithTheText) {
    Canvas canvas(10, 10, kOpaqueWhite);
    Font font;
    ASSERT_TRUE(font.CreateFontFromName(kSongTypeface, 16));
    StringFormat format;
    ASSERT_TRUE(format.CreateStringFormat());
    const Gdiplus::RectF layout(0, 0, 400, 50);
    const Gdiplus::RectF two = canvas.graphics.MeasureString(kChineseText, font, layout, format);
    const Gdiplus::RectF one =
        canvas.graphics.MeasureString(kOneChineseCharacter, font, layout, format);
    EXPECT_GT(two.Height, 0);
    EXPECT_GT(one.Width, 0);
    EXPECT_GT(two.Width, one.Width);
}

TEST_F(GdiplusText, AlignmentPlacesTheInkInTheLayoutBox) {
    Font font;
    ASSERT_TRUE(font.CreateFontFromName(kSongTypeface, 16));
    StringFormat format;
    ASSERT_TRUE(format.CreateStringFormat());
    ASSERT_TRUE(format.SetStringFormatLineAlign(Gdiplus::StringAlignmentCenter));
    const auto ink_start = [&](Gdiplus::StringAlignment alignment) {
        Canvas canvas(200, 30, kOpaqueWhite);
        canvas.graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintSingleBitPerPixelGridFit);
        EXPECT_TRUE(format.SetStringFormatAlign(alignment));
        EXPECT_TRUE(canvas.graphics.DrawString(kChineseText, font, Gdiplus::RectF(0, 0, 200, 30),
                                               format, solid(kOpaqueBlack)));
        canvas.finish();
        return leftmost_ink(canvas.bitmap);
    };
    const int near_start = ink_start(Gdiplus::StringAlignmentNear);
    const int far_start = ink_start(Gdiplus::StringAlignmentFar);
    ASSERT_GE(near_start, 0) << "no text drawn";
    EXPECT_LT(near_start, 20);
    EXPECT_GT(far_start, 100);
}

TEST_F(GdiplusText, FontFromAGdiFontKeepsItsFamilyAndStyle) {
    HFONT gdi_font =
        CreateFontW(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    ASSERT_NE(gdi_font, nullptr);
    HDC screen = GetDC(nullptr);
    Font font;
    EXPECT_TRUE(font.CreateFontFromHFont(screen, gdi_font));
    // A control that keeps the system font answers WM_GETFONT with null.
    Font from_nothing;
    EXPECT_FALSE(from_nothing.CreateFontFromHFont(screen, nullptr));
    EXPECT_EQ(last_status(), Gdiplus::InvalidParameter);
    EXPECT_TRUE(from_nothing.empty());
    ReleaseDC(nullptr, screen);
    DeleteObject(gdi_font);

    EXPECT_GT(font.GetFontSize(), 0);
    EXPECT_TRUE(font.GetFontStyle() & Gdiplus::FontStyleBold);
    FontFamily family;
    EXPECT_TRUE(font.GetFamily(family));
    // Some systems name a family after its first face ("Tahoma Bold").
    EXPECT_EQ(family.GetFamilyName().rfind(kLatinFamily, 0), 0u) << family.GetFamilyName();
}

}  // namespace
}  // namespace qelvo::gdiplus

#endif  // _WIN32
