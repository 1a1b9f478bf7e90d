// The caption buttons: which one lies under the pointer, drawing one in its
// normal, hover or pressed state, and running its command.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gdiplus/brushes.h"
#include "gdiplus/image.h"
#include "gdiplus/path.h"
#include "gdiplus/pen.h"
#include "skin/colour.h"
#include "skin/layer_copy.h"
#include "skin/skin_engine.h"

namespace qelvo::skin {
namespace {

// The strip's top rows belong to the resize edge, not to the buttons.
constexpr int kStripHitTop = 3;
// Separators stand in the gap just left of a button.
constexpr int kSeparatorOffset = 2;
constexpr std::uint8_t kFirstSeparatorAlpha = 100;
constexpr std::uint8_t kSeparatorAlpha = 60;
constexpr float kCloseCornerDiameter = 5;
constexpr COLORREF kCloseRed = 0x0000FF;
constexpr std::uint8_t kPressedShadeAlpha = 80;
constexpr std::uint8_t kPressedLightAlpha = 5;
constexpr std::uint8_t kPressedCloseLightAlpha = 30;

IntRect button_rect(const CaptionButton& button) {
    return IntRect{static_cast<int>(button.layout.x), static_cast<int>(button.layout.y),
                   static_cast<int>(button.layout.width), static_cast<int>(button.layout.height)};
}

bool contains(const FloatRect& area, int x, int y) {
    const auto px = static_cast<float>(x);
    const auto py = static_cast<float>(y);
    return px >= area.x && px < area.x + area.width && py >= area.y && py < area.y + area.height;
}

bool in_strip(const SkinWindow& record, int x, int y) {
    return x >= record.stripX && x < record.stripX + record.stripWidth && y >= kStripHitTop &&
           y < record.stripHeight;
}

// A vertical gradient over the rows from `top` to `bottom`. Flipping tiles
// keep the last row from restarting it.
bool vertical_gradient(gdiplus::LinearGradientBrush& brush, float top, float bottom, Argb from,
                       Argb to) {
    return brush.CreateLineBrush(Gdiplus::PointF(0, top), Gdiplus::PointF(0, bottom), from, to,
                                 Gdiplus::WrapModeTileFlipXY);
}

// A plain rectangle; the close button rounds its top right corner to follow
// the window's.
void add_button_shape(gdiplus::Path& path, const CaptionButton& button, const IntRect& area) {
    const auto left = static_cast<float>(area.x);
    const auto top = static_cast<float>(area.y);
    const auto right = static_cast<float>(area.x + area.width - 1);
    const auto bottom = static_cast<float>(area.y + area.height - 1);
    if (button.kind != CaptionButtonKind::close) {
        path.AddPathRectangle(left, top, right - left, bottom - top);
        return;
    }
    const float d = kCloseCornerDiameter;
    path.AddPathLine(left, bottom, left, top);
    path.AddPathLine(left, top, right - d, top);
    path.AddPathArc(right - d, top, d, d, 270, 90);
    path.AddPathLine(right, top + d, right, bottom);
    path.ClosePathFigure();
}

void fill_shape(gdiplus::Graphics& graphics, const CaptionButton& button, const IntRect& area,
                Argb top, Argb bottom) {
    gdiplus::Path shape;
    gdiplus::LinearGradientBrush fill;
    if (!shape.CreatePath()) return;
    add_button_shape(shape, button, area);
    const auto y = static_cast<float>(area.y);
    if (!vertical_gradient(fill, y, y + static_cast<float>(area.height), top, bottom)) return;
    graphics.FillPath(fill, shape);
}

// A glow of the accent colour rising from the bottom, under a white edge
// that fades out downwards.
void draw_hover(gdiplus::Graphics& graphics, const CaptionButton& button, const IntRect& area,
                COLORREF accent, std::uint8_t alpha) {
    const COLORREF glow = button.kind == CaptionButtonKind::close ? kCloseRed : accent;
    fill_shape(graphics, button, area, toArgb(kWhite, 0), toArgb(glow, alpha));
    gdiplus::Path outline;
    gdiplus::LinearGradientBrush edge;
    gdiplus::Pen pen;
    if (!outline.CreatePath()) return;
    add_button_shape(outline, button, area);
    const auto y = static_cast<float>(area.y);
    if (!vertical_gradient(edge, y, y + static_cast<float>(area.height), toArgb(kWhite, alpha),
                           toArgb(kWhite, 0)) ||
        !pen.CreatePen2(edge, 1)) {
        return;
    }
    graphics.DrawPath(pen, outline);
}

// Shaded from the top, as if the button were pushed in.
void draw_pressed(gdiplus::Graphics& graphics, const CaptionButton& button, const IntRect& area) {
    if (button.kind == CaptionButtonKind::close) {
        fill_shape(graphics, button, area, toArgb(kCloseRed),
                   toArgb(kWhite, kPressedCloseLightAlpha));
        return;
    }
    fill_shape(graphics, button, area, toArgb(kBlack, kPressedShadeAlpha),
               toArgb(kWhite, kPressedLightAlpha));
}

void draw_separator(gdiplus::Graphics& graphics, const SkinWindow& record, int x,
                    std::uint8_t alpha) {
    gdiplus::LinearGradientBrush fade;
    gdiplus::Pen pen;
    const auto top = static_cast<float>(record.stripY);
    const auto end = static_cast<float>(record.stripY + record.stripHeight - 3);
    if (!vertical_gradient(fade, top, end, toArgb(kBlack, alpha), toArgb(kBlack, 0)) ||
        !pen.CreatePen2(fade, 1)) {
        return;
    }
    const auto column = static_cast<float>(x);
    graphics.DrawLine(pen, column, top + 1, column,
                      static_cast<float>(record.stripY + record.stripHeight - 4));
}

// The line left of the button, and the one left of the next button.
void draw_separators(gdiplus::Graphics& graphics, const SkinWindow& record, std::size_t index) {
    const std::vector<CaptionButton>& buttons = record.captionButtons;
    draw_separator(graphics, record, button_rect(buttons[index]).x - kSeparatorOffset,
                   index == 0 ? kFirstSeparatorAlpha : kSeparatorAlpha);
    if (index + 1 < buttons.size()) {
        draw_separator(graphics, record, button_rect(buttons[index + 1]).x - kSeparatorOffset,
                       kSeparatorAlpha);
    }
}

// The maximize button shows the restore picture while the window is
// maximized.
void draw_button_image(gdiplus::Graphics& graphics, const SkinWindow& record,
                       const CaptionButton& button, const IntRect& area) {
    const bool restore = button.kind == CaptionButtonKind::maximize && record.maximized &&
                         !button.secondImage.empty();
    gdiplus::Image image;
    if (!image.LoadFromBytes(restore ? button.secondImage : button.image)) return;
    graphics.DrawImageRectI(image, area.x, area.y, area.width, area.height);
}

// The pixels a redraw of the button owns: its rectangle and the gap before
// it, and for the first button also the column of its left separator. The
// column left of any other button is the last one of the button before,
// which draws the separator there as its "next" line; so every separator is
// drawn once, and a redraw gives back exactly the look of a full render.
IntRect redrawn_area(const IntRect& button, std::size_t index, bool withSeparator) {
    if (!withSeparator) return button;
    const int extra = index == 0 ? kSeparatorOffset : kSeparatorOffset - 1;
    return IntRect{button.x - extra, button.y, button.width + extra, button.height};
}

void send_system_command(HWND window, WPARAM command) {
    SendMessageA(window, WM_SYSCOMMAND, command, 0);
}

void call(CaptionHandler handler) {
    if (handler) handler();
}

}  // namespace

int SkinEngine::hitCaptionButton(int windowIndex, int x, int y) const {
    const SkinWindow* record = window(windowIndex);
    if (!record || !in_strip(*record, x, y)) return 0;
    for (std::size_t i = 0; i < record->captionButtons.size(); ++i) {
        if (contains(record->captionButtons[i].layout, x, y)) return static_cast<int>(i + 1);
    }
    return 0;
}

int SkinEngine::maximizeButtonNumber(int windowIndex) const {
    const SkinWindow* record = window(windowIndex);
    if (!record) return 0;
    const auto& buttons = record->captionButtons;
    const auto found = std::find_if(buttons.begin(), buttons.end(), [](const CaptionButton& b) {
        return b.kind == CaptionButtonKind::maximize;
    });
    return found == buttons.end() ? 0 : static_cast<int>(found - buttons.begin()) + 1;
}

void SkinEngine::drawCaptionButton(int windowIndex, int number, gdiplus::Graphics* graphics,
                                   bool intoLayer, bool pressed, int alpha) {
    const SkinWindow* record = window(windowIndex);
    if (!record || !record->backgroundLayer.dc || number < 1 ||
        static_cast<std::size_t>(number) > record->captionButtons.size()) {
        return;
    }
    HDC layer = record->backgroundLayer.dc;
    gdiplus::Graphics own;
    gdiplus::Graphics* surface = layerGraphics(graphics, own, layer);
    if (!surface) return;
    const auto index = static_cast<std::size_t>(number - 1);
    const CaptionButton& button = record->captionButtons[index];
    const IntRect rect = button_rect(button);
    const IntRect area = redrawn_area(rect, index, !pressed);
    restoreFromLayer(layer, record->captionLayer.dc, area);
    surface->SetClipRectI(area.x, area.y, area.width, area.height);
    if (pressed) {
        draw_pressed(*surface, button, rect);
    } else {
        if (alpha > 0) {
            draw_hover(*surface, button, rect, settings.accentColour,
                       static_cast<std::uint8_t>(std::min(alpha, 255)));
        }
        draw_separators(*surface, *record, index);
    }
    draw_button_image(*surface, *record, button, rect);
    surface->ResetClip();
    if (!intoLayer) copyLayerToWindow(record->hwnd, layer, area);
}

// The record is not touched after a command is sent or a handler runs:
// either may close the window and remove it.
void SkinEngine::runCaptionButton(int windowIndex, int number) {
    SkinWindow* record = window(windowIndex);
    if (!record || number < 1 || static_cast<std::size_t>(number) > record->captionButtons.size()) {
        return;
    }
    const CaptionButton& button = record->captionButtons[static_cast<std::size_t>(number - 1)];
    HWND hwnd = record->hwnd;
    switch (button.kind) {
        case CaptionButtonKind::maximize: {
            record->needsFullRender = 1;
            const bool restoring = record->maximized != 0;
            record->maximized = restoring ? 0 : 1;
            record->minimized = 0;
            send_system_command(hwnd, restoring ? SC_RESTORE : SC_MAXIMIZE);
            break;
        }
        case CaptionButtonKind::minimize:
            record->minimized = 1;
            send_system_command(hwnd, SC_MINIMIZE);
            break;
        case CaptionButtonKind::help:
            call(record->helpHandler);
            break;
        case CaptionButtonKind::menu:
            call(record->menuHandler);
            break;
        case CaptionButtonKind::custom:
            call(button.handler);
            break;
        case CaptionButtonKind::close:
            send_system_command(hwnd, SC_CLOSE);
            break;
    }
}

}  // namespace qelvo::skin
