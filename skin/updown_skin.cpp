// Up-down controls: two rounded buttons with small dark arrows, drawn over
// what lies behind the control. The half under the mouse lights up in the
// accent colour and looks pressed while the left button is down; the
// control is repainted only when the lit half changes.
#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>

#include "gdiplus/brushes.h"
#include "gdiplus/graphics.h"
#include "gdiplus/image.h"
#include "gdiplus/path.h"
#include "gdiplus/pen.h"
#include "resources/skin_images.h"
#include "skin/colour.h"
#include "skin/composition.h"
#include "skin/control_registration.h"
#include "skin/geometry.h"
#include "skin/mouse_tracking.h"
#include "skin/shapes.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"

namespace qelvo::skin {
namespace {

// SkinWindow::hotPart while an up-down control is lit.
constexpr int kUpdownPart = 8;
constexpr float kCornerDiameter = 3;

using ImageSpan = std::span<const std::uint8_t>;

DWORD style_of(HWND control) { return static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)); }

bool is_horizontal(HWND control) { return (style_of(control) & UDS_HORZ) != 0; }

int rounded_half(int length) { return static_cast<int>(std::lround(length / 2.0)); }

// 1 when the position lies past the middle along the control's axis.
int updownHalfAt(HWND control, LPARAM position) {
    const Size size = windowSize(control);
    if (is_horizontal(control)) return GET_X_LPARAM(position) > rounded_half(size.width) ? 1 : 0;
    return GET_Y_LPARAM(position) > rounded_half(size.height) ? 1 : 0;
}

// The two halves side by side, or one above the other.
std::array<IntRect, 2> halves_of(Size size, bool horizontal) {
    if (horizontal) {
        const int width = rounded_half(size.width);
        return {IntRect{0, 0, width, size.height}, IntRect{width, 0, width, size.height}};
    }
    const int height = rounded_half(size.height);
    return {IntRect{0, 0, size.width, height}, IntRect{0, height, size.width, height}};
}

struct UpdownLook {
    bool horizontal = false;
    int litHalf = -1;  // -1: neither half is lit
    bool pressed = false;
    COLORREF accent = 0;
};

struct HalfColours {
    Argb outline = 0;
    Argb gradientStart = 0;
    Argb gradientEnd = 0;
};

HalfColours colours_of(const UpdownLook& look, int half) {
    if (half == look.litHalf) {
        if (look.pressed) {
            return {toArgb(look.accent, 200), toArgb(look.accent, 100), toArgb(kWhite, 150)};
        }
        return {toArgb(look.accent, 200), toArgb(kWhite, 100), toArgb(look.accent, 150)};
    }
    // The upper button of a vertical control is a little brighter.
    const std::uint8_t sheen = (!look.horizontal && half == 0) ? 60 : 20;
    return {toArgb(kBlack, 100), toArgb(kWhite, sheen), toArgb(look.accent, 100)};
}

ImageSpan arrow_of(bool horizontal, int half) {
    if (horizontal) return half == 0 ? resources::kArrowLeftPng : resources::kArrowRightPng;
    return half == 0 ? resources::kArrowUpPng : resources::kArrowDownPng;
}

// The arrow at its own size, centred in the half.
void draw_arrow(gdiplus::Graphics& graphics, ImageSpan bytes, const IntRect& area) {
    gdiplus::Image image;
    if (!image.LoadFromBytes(bytes)) return;
    const auto width = static_cast<int>(image.GetImageWidth());
    const auto height = static_cast<int>(image.GetImageHeight());
    graphics.DrawImageRectI(image, area.x + (area.width - width) / 2,
                            area.y + (area.height - height) / 2, width, height);
}

// The gradient runs along the control's axis, from the half's start edge to
// its end edge.
void draw_half(gdiplus::Graphics& graphics, gdiplus::Path& path, const UpdownLook& look,
               const IntRect& area, int half) {
    const auto x = static_cast<float>(area.x), y = static_cast<float>(area.y);
    const auto width = static_cast<float>(area.width), height = static_cast<float>(area.height);
    addRoundRect(path, x, y, width - 1, height - 1, kCornerDiameter);
    const HalfColours colours = colours_of(look, half);
    const Gdiplus::PointF start(x, y);
    const Gdiplus::PointF end =
        look.horizontal ? Gdiplus::PointF(x + width, y) : Gdiplus::PointF(x, y + height);
    gdiplus::LinearGradientBrush fill;
    if (fill.CreateLineBrush(start, end, colours.gradientStart, colours.gradientEnd)) {
        graphics.FillPath(fill, path);
    }
    draw_arrow(graphics, arrow_of(look.horizontal, half), area);
    gdiplus::Pen outline;
    if (outline.CreatePen1(colours.outline, 1)) graphics.DrawPath(outline, path);
    path.ResetPath();
}

void draw_updown(HDC dc, Size size, const UpdownLook& look) {
    gdiplus::Graphics graphics;
    gdiplus::Path path;
    if (!graphics.CreateFromHDC(dc) || !path.CreatePath()) return;
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetCompositingQuality(Gdiplus::CompositingQualityHighQuality);
    addRoundRect(path, 0, 0, static_cast<float>(size.width - 1),
                 static_cast<float>(size.height - 1), kCornerDiameter);
    gdiplus::SolidBrush base;
    if (base.CreateSolidFill(toArgb(kWhite, 160))) graphics.FillPath(base, path);
    path.ResetPath();
    const std::array<IntRect, 2> halves = halves_of(size, look.horizontal);
    for (int half = 0; half < 2; ++half) {
        draw_half(graphics, path, look, halves[static_cast<std::size_t>(half)], half);
    }
}

// A value not given is the record's: the hot flag, or the position of the
// last button message.
void paintUpdown(int windowIndex, int controlIndex, std::optional<int> hot = std::nullopt,
                 std::optional<LPARAM> mousePosition = std::nullopt) {
    SkinEngine* engine = SkinEngine::instance();
    if (!engine) return;
    const UpdownSkin* found =
        recordAt(*engine, windowIndex, controlIndex, &SkinWindow::updownSkins);
    if (!found) return;
    const UpdownSkin& record = *found;
    const bool lit = hot.value_or(record.hot) != 0 || record.pressed != 0;
    const UpdownLook look{
        record.horizontal != 0,
        lit ? updownHalfAt(record.hwnd, mousePosition.value_or(record.lastMousePos)) : -1,
        record.pressed != 0, engine->settings.accentColour};
    const Size size = windowSize(record.hwnd);
    RECT area{};
    HDC canvas = composeBackground(*engine, record.hwnd, area);
    if (!canvas) return;
    draw_updown(canvas, size, look);
    HDC screen = GetWindowDC(record.hwnd);
    BitBlt(screen, 0, 0, size.width, size.height, canvas, 0, 0, SRCCOPY);
    ReleaseDC(record.hwnd, screen);
    releaseMemoryDc(*engine, canvas);
}

std::optional<ControlAt<UpdownSkin>> locate(HWND control) {
    return locateControl(control, &SkinWindow::updownSkins);
}

void repaint(HWND control) {
    if (const auto at = locate(control)) paintUpdown(at->windowIndex, at->controlIndex);
}

// Moving within the half that is already lit paints nothing.
void follow_mouse(HWND control, LPARAM position) {
    trackMouseLeave(control);
    const auto at = locate(control);
    if (!at) return;
    SkinWindow& owner = *at->owner;
    UpdownSkin& record = *at->record;
    owner.mouseControl = at->controlIndex;
    // The control repaints itself when the arrow under the pointer changes;
    // that paint must light the half under the pointer, not the one last
    // clicked.
    record.lastMousePos = position;
    const int half = updownHalfAt(control, position);
    const bool alreadyLit = owner.hotControl == owner.mouseControl &&
                            owner.hotPart == kUpdownPart && half == record.hotHalf;
    if (!alreadyLit) {
        paintUpdown(at->windowIndex, at->controlIndex, 1, position);
        record.hot = 1;
    }
    owner.hotControl = owner.mouseControl;
    owner.hotPart = kUpdownPart;
    record.hotHalf = half;
}

void note_button(HWND control, int pressed, LPARAM position) {
    if (UpdownSkin* record = findControlRecord(control, &SkinWindow::updownSkins)) {
        record->pressed = pressed;
        record->lastMousePos = position;
    }
}

void leave(HWND control) {
    const auto at = locate(control);
    if (!at) return;
    at->owner->hotControl = 0;
    at->record->hot = 0;
    paintUpdown(at->windowIndex, at->controlIndex, 0);
}

void attach_updown(SkinWindow& owner, HWND updown, int windowIndex) {
    if (isRegistered(owner.updownSkins, updown)) return;
    registerControl(owner.updownSkins, updown, windowIndex, updownSkinProc);
    owner.updownSkins.back().horizontal = is_horizontal(updown) ? 1 : 0;
}

}  // namespace

void SkinEngine::attachUpdowns(int windowIndex, HWND parent) {
    if (settings.controlSkinning == 0) return;
    SkinWindow* owner = window(windowIndex);
    if (!owner) return;
    forEachChildOfClass(parent, L"msctls_updown32",
                        [&](HWND updown) { attach_updown(*owner, updown, windowIndex); });
}

// The system's own drawing never runs: WM_PAINT is validated by the default
// procedure after the skin has painted, and the frame is not drawn.
LRESULT CALLBACK updownSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_MOVE:
            repaint(window);
            break;
        case WM_PAINT:
            repaint(window);
            return DefWindowProcW(window, message, wparam, lparam);
        case WM_ERASEBKGND:
            SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
            return 1;
        case WM_NCPAINT:
            return 1;
        case WM_MOUSEMOVE:
            follow_mouse(window, lparam);
            break;
        case WM_LBUTTONDOWN:
            note_button(window, 1, lparam);
            break;
        case WM_LBUTTONUP:
            note_button(window, 0, lparam);
            break;
        case WM_MOUSELEAVE:
            leave(window);
            break;
        default:
            break;
    }
    return forwardMessage(window, message, wparam, lparam);
}

}  // namespace qelvo::skin
