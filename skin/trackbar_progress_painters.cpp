// The painting of trackbars and progress bars, which replaces the system's
// entirely: over what lies behind the control, off screen, then one copy.
// A progress bar updated many times a second during a run stays cheap.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>

#include "gdiplus/brushes.h"
#include "gdiplus/graphics.h"
#include "gdiplus/path.h"
#include "gdiplus/pen.h"
#include "skin/colour.h"
#include "skin/composition.h"
#include "skin/control_registration.h"
#include "skin/geometry.h"
#include "skin/shapes.h"
#include "skin/skin_engine.h"

namespace qelvo::skin {
namespace {

// The shading of a trackbar's backdrop and a progress bar's trough: light
// at the top (or left), dark at the bottom (or right).
constexpr float kOuterDiameter = 5;
constexpr std::uint8_t kShadeLightAlpha = 160;
constexpr std::uint8_t kShadeDarkAlpha = 30;

// Trackbars.
constexpr std::uint8_t kBackdropOutlineAlpha = 30;
constexpr float kBackdropDiameter = 3;
constexpr float kStripDiameter = 1;
// With a selection range the channel is wide; the strip drawn in it is not.
constexpr int kSelectionStripThickness = 4;
constexpr std::uint8_t kStripNearAlpha = 50;
constexpr std::uint8_t kStripFarAlpha = 30;
constexpr float kHotThumbSize = 11;
constexpr float kHotThumbOverhang = 4;
constexpr float kDotSize = 4;
constexpr float kDotOverhang = 0.5f;
// At the maximum the system's thumb stops short of the channel's end; the
// dot and the accent line are carried on to it.
constexpr float kDotShiftAtMaximum = 8;
constexpr float kLineExtensionAtMaximum = 10;
constexpr std::uint8_t kThumbShadeAlpha = 90;
constexpr std::uint8_t kThumbOutlineAlpha = 50;
constexpr std::uint8_t kSelectionLineAlpha = 160;
constexpr std::uint8_t kFilledLineAlpha = 200;

// Progress bars.
constexpr std::uint8_t kTroughOutlineAlpha = 50;
constexpr float kTroughDiameter = 1;
constexpr float kBarDiameter = 3;
constexpr std::uint8_t kBarLightAlpha = 90;
constexpr std::uint8_t kBarOutlineAlpha = 150;

// The control's picture in the making: what lies behind it, to be drawn on
// and then copied to the control whole.
class OffscreenPicture {
  public:
    OffscreenPicture(SkinEngine& engine, HWND control)
        : engine_(engine), control_(control), size_(windowSize(control)) {
        RECT area{};
        dc_ = composeBackground(engine, control, area);
    }
    ~OffscreenPicture() { releaseMemoryDc(engine_, dc_); }
    OffscreenPicture(const OffscreenPicture&) = delete;
    OffscreenPicture& operator=(const OffscreenPicture&) = delete;

    HDC dc() const { return dc_; }
    Size size() const { return size_; }
    explicit operator bool() const { return dc_ != nullptr; }

    // Onto the given DC, or onto the control's window DC when there is none.
    void copyTo(HDC target) const {
        HDC dc = target ? target : GetWindowDC(control_);
        if (!dc) return;
        BitBlt(dc, 0, 0, size_.width, size_.height, dc_, 0, 0, SRCCOPY);
        if (!target) ReleaseDC(control_, dc);
    }

  private:
    SkinEngine& engine_;
    HWND control_;
    Size size_;
    HDC dc_ = nullptr;
};

void stroke_path(gdiplus::Graphics& graphics, const gdiplus::Path& path, Argb colour) {
    gdiplus::Pen pen;
    if (pen.CreatePen1(colour, 1)) graphics.DrawPath(pen, path);
}

void stroke_line(gdiplus::Graphics& graphics, Gdiplus::PointF from, Gdiplus::PointF to,
                 Argb colour) {
    gdiplus::Pen pen;
    if (pen.CreatePen1(colour, 1)) graphics.DrawLine(pen, from.X, from.Y, to.X, to.Y);
}

// Flipping tiles keep the pixels at the far end from restarting the
// gradient.
bool make_gradient(gdiplus::LinearGradientBrush& brush, Gdiplus::PointF from, Gdiplus::PointF to,
                   Argb fromColour, Argb toColour) {
    return brush.CreateLineBrush(from, to, fromColour, toColour, Gdiplus::WrapModeTileFlipXY);
}

void fill_with_gradient(gdiplus::Graphics& graphics, const gdiplus::Path& path,
                        Gdiplus::PointF from, Gdiplus::PointF to, Argb fromColour, Argb toColour) {
    gdiplus::LinearGradientBrush brush;
    if (make_gradient(brush, from, to, fromColour, toColour)) graphics.FillPath(brush, path);
}

// A rounded outline round the whole control and a shaded fill inside it.
void draw_shaded_frame(gdiplus::Graphics& graphics, Size size, bool vertical,
                       std::uint8_t outlineAlpha, float fillDiameter) {
    const auto width = static_cast<float>(size.width);
    const auto height = static_cast<float>(size.height);
    gdiplus::Path path;
    if (!path.CreatePath()) return;
    addRoundRect(path, 0, 0, width - 1, height - 1, kOuterDiameter);
    stroke_path(graphics, path, toArgb(kBlack, outlineAlpha));
    path.ResetPath();
    addRoundRect(path, 1, 1, width - 2, height - 2, fillDiameter);
    const Gdiplus::PointF end =
        vertical ? Gdiplus::PointF(width - 1, 0) : Gdiplus::PointF(0, height - 1);
    fill_with_gradient(graphics, path, Gdiplus::PointF(0, 0), end, toArgb(kWhite, kShadeLightAlpha),
                       toArgb(kBlack, kShadeDarkAlpha));
}

// --- Trackbars ----------------------------------------------------------------

// The trackbar in its own terms: "along" runs with the channel, "across"
// over it. A horizontal trackbar maps along to x, a vertical one to y.
struct TrackbarLayout {
    bool vertical = false;
    float channelStart = 0;  // along
    float channelLength = 0;
    float stripNear = 0;  // across
    float stripThickness = 0;
    float thumbLead = 0;  // along
    bool atMaximum = false;
    LRESULT maximum = 0;
};

Gdiplus::PointF point_at(const TrackbarLayout& layout, float along, float across) {
    return layout.vertical ? Gdiplus::PointF(across, along) : Gdiplus::PointF(along, across);
}

Gdiplus::RectF box_at(const TrackbarLayout& layout, float along, float across, float length,
                      float thickness) {
    return layout.vertical ? Gdiplus::RectF(across, along, thickness, length)
                           : Gdiplus::RectF(along, across, length, thickness);
}

TrackbarLayout trackbar_layout(const TrackbarSkin& record) {
    RECT channel{};
    SendMessageW(record.hwnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    RECT thumb{};
    SendMessageW(record.hwnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    TrackbarLayout layout;
    layout.vertical = record.vertical != 0;
    // The system reports the channel as for a horizontal trackbar whatever
    // the style: left to right runs along it, top to bottom across.
    layout.channelStart = static_cast<float>(channel.left);
    layout.channelLength = static_cast<float>(channel.right - channel.left);
    const int thickness = channel.bottom - channel.top;
    if (record.selectionRange) {
        layout.stripNear =
            static_cast<float>(channel.top + (thickness - kSelectionStripThickness) / 2);
        layout.stripThickness = kSelectionStripThickness;
    } else {
        layout.stripNear = static_cast<float>(channel.top);
        layout.stripThickness = static_cast<float>(thickness);
    }
    layout.thumbLead = static_cast<float>(layout.vertical ? thumb.top : thumb.left);
    layout.maximum = SendMessageW(record.hwnd, TBM_GETRANGEMAX, 0, 0);
    layout.atMaximum = SendMessageW(record.hwnd, TBM_GETPOS, 0, 0) == layout.maximum;
    return layout;
}

void draw_strip(gdiplus::Graphics& graphics, const TrackbarLayout& layout) {
    const Gdiplus::RectF strip = box_at(layout, layout.channelStart, layout.stripNear,
                                        layout.channelLength, layout.stripThickness);
    gdiplus::Path path;
    if (!path.CreatePath()) return;
    addRoundRect(path, strip.X, strip.Y, strip.Width, strip.Height, kStripDiameter);
    fill_with_gradient(
        graphics, path, point_at(layout, layout.channelStart, layout.stripNear),
        point_at(layout, layout.channelStart, layout.stripNear + layout.stripThickness),
        toArgb(kBlack, kStripNearAlpha), toArgb(kBlack, kStripFarAlpha));
}

// A square figure: its leading edge along the channel, its near edge
// across it, and its side.
struct ThumbFigure {
    float along = 0;
    float across = 0;
    float size = 0;
};

// Lit, a circle that stands out over the strip, nudged away from ticks on
// the near side; at rest, a small dot sitting on the strip.
ThumbFigure thumb_figure(const TrackbarSkin& record, const TrackbarLayout& layout) {
    if (record.hot) {
        float across = layout.stripNear - kHotThumbOverhang;
        if (record.tickSide == 0) across += 2;
        if (record.tickSide == 2) across += 1;
        return {layout.thumbLead, across, kHotThumbSize};
    }
    const float shift = layout.atMaximum ? kDotShiftAtMaximum : 0;
    return {layout.thumbLead + shift, layout.stripNear - kDotOverhang, kDotSize};
}

void draw_thumb(gdiplus::Graphics& graphics, const TrackbarSkin& record,
                const TrackbarLayout& layout) {
    const ThumbFigure figure = thumb_figure(record, layout);
    const Gdiplus::RectF box =
        box_at(layout, figure.along, figure.across, figure.size, figure.size);
    gdiplus::SolidBrush white;
    if (white.CreateSolidFill(toArgb(kWhite))) {
        graphics.FillEllipse(white, box.X, box.Y, box.Width, box.Height);
    }
    gdiplus::LinearGradientBrush shade;
    if (make_gradient(shade, point_at(layout, figure.along, figure.across),
                      point_at(layout, figure.along, figure.across + figure.size),
                      toArgb(kWhite, 0), toArgb(kBlack, kThumbShadeAlpha))) {
        graphics.FillEllipse(shade, box.X, box.Y, box.Width, box.Height);
    }
    gdiplus::Pen outline;
    if (outline.CreatePen1(toArgb(kBlack, kThumbOutlineAlpha), 1)) {
        graphics.DrawEllipse(outline, box.X, box.Y, box.Width, box.Height);
    }
}

// The selected part of the range as a light line on the strip.
void draw_selection(gdiplus::Graphics& graphics, const TrackbarSkin& record,
                    const TrackbarLayout& layout) {
    if (layout.maximum == 0) return;
    const auto start = static_cast<long long>(SendMessageW(record.hwnd, TBM_GETSELSTART, 0, 0));
    const auto end = static_cast<long long>(SendMessageW(record.hwnd, TBM_GETSELEND, 0, 0));
    const long long length = (end - start) * static_cast<long long>(layout.channelLength) /
                             static_cast<long long>(layout.maximum);
    const float from = layout.channelStart + static_cast<float>(start) - 1;
    const float across = layout.stripNear + 1;
    stroke_line(graphics, point_at(layout, from, across),
                point_at(layout, from + static_cast<float>(length), across),
                toArgb(kWhite, kSelectionLineAlpha));
}

// The accent line from the channel's start up to the thumb.
void draw_filled_part(gdiplus::Graphics& graphics, const TrackbarLayout& layout, COLORREF accent) {
    const float extension = layout.atMaximum ? kLineExtensionAtMaximum : 0;
    const float across = layout.stripNear + 1;
    stroke_line(graphics, point_at(layout, layout.channelStart, across),
                point_at(layout, layout.thumbLead - 1 + extension, across),
                toArgb(accent, kFilledLineAlpha));
}

void draw_trackbar(gdiplus::Graphics& graphics, const TrackbarSkin& record,
                   const SkinSettings& settings, Size size) {
    const TrackbarLayout layout = trackbar_layout(record);
    if (settings.styleFlag != 0) {
        draw_shaded_frame(graphics, size, layout.vertical, kBackdropOutlineAlpha,
                          kBackdropDiameter);
    }
    draw_strip(graphics, layout);
    draw_thumb(graphics, record, layout);
    if (record.selectionRange) draw_selection(graphics, record, layout);
    draw_filled_part(graphics, layout, settings.accentColour);
}

// --- Progress bars ------------------------------------------------------------

// How much of the extent the position covers, truncated; 0 for an empty range.
int bar_length(HWND bar, int extent) {
    const auto position = static_cast<long long>(SendMessageW(bar, PBM_GETPOS, 0, 0));
    PBRANGE range{};
    SendMessageW(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    const long long span = static_cast<long long>(range.iHigh) - range.iLow;
    if (span == 0) return 0;
    const double fraction = static_cast<double>(position - range.iLow) / static_cast<double>(span);
    return static_cast<int>(fraction * extent);
}

// A horizontal bar grows from the left, a vertical one from the bottom; the
// gradient always runs across the bar.
void draw_bar(gdiplus::Graphics& graphics, HWND bar, bool vertical, Size size, COLORREF accent) {
    const int length = bar_length(bar, vertical ? size.height : size.width);
    if (length <= 0) return;
    const auto width = static_cast<float>(size.width);
    const auto height = static_cast<float>(size.height);
    const auto covered = static_cast<float>(length);
    const Gdiplus::RectF box = vertical ? Gdiplus::RectF(0, height - covered, width, covered)
                                        : Gdiplus::RectF(0, 0, covered, height);
    const Gdiplus::PointF from(box.X, box.Y);
    const Gdiplus::PointF to =
        vertical ? Gdiplus::PointF(width - 1, box.Y) : Gdiplus::PointF(0, height - 1);
    gdiplus::Path path;
    if (!path.CreatePath()) return;
    addRoundRect(path, box.X + 1, box.Y + 1, box.Width - 3, box.Height - 3, kBarDiameter);
    fill_with_gradient(graphics, path, from, to, toArgb(kWhite, kBarLightAlpha), toArgb(accent));
    stroke_path(graphics, path, toArgb(accent, kBarOutlineAlpha));
}

void draw_progress_bar(gdiplus::Graphics& graphics, const ProgressSkin& record, COLORREF accent,
                       Size size) {
    const bool vertical = record.vertical != 0;
    draw_shaded_frame(graphics, size, vertical, kTroughOutlineAlpha, kTroughDiameter);
    draw_bar(graphics, record.hwnd, vertical, size, accent);
}

// Draws over what lies behind the control and copies the result out once.
template <typename Draw>
void paint_offscreen(SkinEngine& engine, HWND control, HDC target, Draw&& draw) {
    const OffscreenPicture picture(engine, control);
    if (!picture) return;
    {
        // Gone before the copy, so that everything it drew is on the DC.
        gdiplus::Graphics graphics;
        if (graphics.CreateFromHDC(picture.dc())) {
            graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
            draw(graphics, picture.size());
        }
    }
    picture.copyTo(target);
}

}  // namespace

// Both painters are declared beside the procedures that call them
// (trackbar_progress_skin.cpp); an index outside its list paints nothing.
void paintTrackbar(int windowIndex, int controlIndex) {
    SkinEngine* engine = SkinEngine::instance();
    if (!engine) return;
    const TrackbarSkin* record =
        recordAt(*engine, windowIndex, controlIndex, &SkinWindow::trackbarSkins);
    if (!record) return;
    paint_offscreen(*engine, record->hwnd, nullptr, [&](gdiplus::Graphics& graphics, Size size) {
        draw_trackbar(graphics, *record, engine->settings, size);
    });
}

void paintProgressBar(int windowIndex, int controlIndex, HDC target) {
    SkinEngine* engine = SkinEngine::instance();
    if (!engine) return;
    const ProgressSkin* record =
        recordAt(*engine, windowIndex, controlIndex, &SkinWindow::progressSkins);
    if (!record) return;
    paint_offscreen(*engine, record->hwnd, target, [&](gdiplus::Graphics& graphics, Size size) {
        draw_progress_bar(graphics, *record, engine->settings.accentColour, size);
    });
}

}  // namespace qelvo::skin
