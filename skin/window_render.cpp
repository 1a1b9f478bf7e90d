// The full render of a skinned window into its cached layers, the copy of
// the background layer to the screen, and the title.
#include <windows.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "gdiplus/brushes.h"
#include "gdiplus/image.h"
#include "gdiplus/path.h"
#include "gdiplus/pen.h"
#include "skin/colour.h"
#include "skin/gdi_holders.h"
#include "skin/geometry.h"
#include "skin/halo_text.h"
#include "skin/image_tools.h"
#include "skin/layer_copy.h"
#include "skin/shapes.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"
#include "ui/win32/wide_text.h"

namespace qelvo::skin {
namespace {

constexpr int kWindowCornerEllipse = 5;
constexpr float kBackgroundCornerDiameter = 4;
constexpr float kOuterBorderDiameter = 7;
constexpr float kInnerBorderDiameter = 6;
constexpr std::uint8_t kBorderAlpha = 180;
constexpr std::uint8_t kGlossAlpha = 150;
// Whatever the rounded clip leaves unpainted; the window region cuts it off.
constexpr COLORREF kMagenta = 0xFF00FF;

constexpr int kTitleLeft = 6;
constexpr int kTitleTop = 5;
constexpr int kTitleRightGap = 10;
constexpr int kTitleHeight = 32;
constexpr int kTitleTextIndent = 20;
constexpr int kIconSize = 17;
constexpr int kIconRaise = 3;
constexpr std::uint8_t kTitleHaloAlpha = 150;

// The whole layer onto the target, or onto the window when there is none.
void copy_layer_out(HWND window, HDC layer, HDC target, Size size) {
    if (!target) {
        copyLayerToWindow(window, layer, IntRect{0, 0, size.width, size.height});
        return;
    }
    BitBlt(target, 0, 0, size.width, size.height, layer, 0, 0, SRCCOPY);
}

// The window is clipped to a rounded rectangle of its client area.
void set_rounded_region(HWND window, Size size) {
    SetWindowRgn(window, nullptr, FALSE);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
    Region region(CreateRoundRectRgn(0, 0, size.width + 1, size.height + 1, kWindowCornerEllipse,
                                     kWindowCornerEllipse));
    if (region && SetWindowRgn(window, region.get(), TRUE)) {
        // The system owns the region from here on and deletes it itself.
        region.release();
        gdi_count::deleted();
    }
}

// The layer keeps its DC; every render gives it a new 32-bit bitmap, so
// that its pixels carry alpha. The one the DC was made with is kept aside
// (it goes back in when the window is removed); the bitmaps of earlier
// renders are deleted.
bool refresh_background_layer(SkinWindow& record, Size size) {
    MemoryLayer& layer = record.backgroundLayer;
    if (!layer.dc) layer.dc = gdi_count::track(CreateCompatibleDC(nullptr));
    if (!layer.dc) return false;
    HBITMAP bitmap = argbBitmap(size.width, size.height);
    if (!bitmap) return false;
    const auto displaced = static_cast<HBITMAP>(SelectObject(layer.dc, bitmap));
    if (!layer.firstBitmap) {
        layer.firstBitmap = displaced;
        set_handle_property(record.hwnd, kFirstLayerBitmapProperty, displaced);
    } else {
        gdi_count::destroy(displaced);
    }
    layer.bitmap = bitmap;
    set_handle_property(record.hwnd, kLayerBitmapProperty, bitmap);
    return true;
}

void free_copy_layer(MemoryLayer& layer) {
    if (!layer.dc) return;
    gdi_count::destroy(SelectObject(layer.dc, layer.firstBitmap));
    gdi_count::destroyDc(layer.dc);
    layer = MemoryLayer{};
}

// A fresh copy of a part of the background layer, from which the caption
// buttons and bar items restore their background before each redraw.
void make_copy_layer(MemoryLayer& layer, HDC source, const IntRect& area) {
    free_copy_layer(layer);
    HDC dc = gdi_count::track(CreateCompatibleDC(source));
    HBITMAP bitmap = gdi_count::track(CreateCompatibleBitmap(source, area.width, area.height));
    if (!dc || !bitmap) {
        gdi_count::destroy(bitmap);
        gdi_count::destroyDc(dc);
        return;
    }
    layer.dc = dc;
    layer.bitmap = bitmap;
    layer.firstBitmap = static_cast<HBITMAP>(SelectObject(dc, bitmap));
    BitBlt(dc, 0, 0, area.width, area.height, source, area.x, area.y, SRCCOPY);
}

struct Background {
    std::span<const std::uint8_t> image;
    int mode = 0;
    COLORREF colour = 0;
};

// A window's own picture, with its own mode and mean colour, before the
// process-wide one.
Background background_of(const SkinWindow& record, const SkinSettings& settings) {
    if (!record.ownImage.empty()) return {record.ownImage, record.ownMode, record.ownColour};
    return {settings.skinImage, settings.fillMode, settings.baseColour};
}

void draw_background_image(gdiplus::Graphics& graphics, std::span<const std::uint8_t> bytes,
                           int mode, Size size) {
    if (bytes.empty()) return;
    gdiplus::Image image;
    if (!image.LoadFromBytes(bytes)) return;
    const auto width = static_cast<int>(image.GetImageWidth());
    const auto height = static_cast<int>(image.GetImageHeight());
    switch (mode) {
        case 0:
        case 4:
            graphics.DrawImageRectI(image, 0, 0, width, height);
            break;
        case 1:
            graphics.DrawImageRectI(image, size.width - width, 0, width, height);
            break;
        case 2:
            graphics.DrawImageRectI(image, (size.width - width) / 2, (size.height - height) / 2,
                                    width, height);
            break;
        case 3:
            graphics.DrawImageRectI(image, 0, 0, size.width, size.height);
            break;
        default:
            break;
    }
}

// A glassy sheen over the caption band, fading out towards its bottom.
void draw_gloss(gdiplus::Graphics& graphics, int width, int captionHeight) {
    gdiplus::LinearGradientBrush gloss;
    // Flipping tiles keep the band's last row from restarting the gradient.
    if (!gloss.CreateLineBrush(
            Gdiplus::PointF(0, 0), Gdiplus::PointF(0, static_cast<Gdiplus::REAL>(captionHeight)),
            toArgb(0xFFFFFF, kGlossAlpha), toArgb(0xFFFFFF, 0), Gdiplus::WrapModeTileFlipXY)) {
        return;
    }
    graphics.FillRectangleI(gloss, 0, 0, width, captionHeight);
}

// Magenta outside the rounded area; inside, the base colour, the
// picture by its mode and the optional gloss.
void paint_background(gdiplus::Graphics& graphics, const SkinWindow& record,
                      const SkinSettings& settings, Size size) {
    graphics.GraphicsClear(toArgb(kMagenta));
    gdiplus::Path rounded;
    rounded.CreatePath();
    addRoundRect(rounded, 0, 0, static_cast<float>(size.width), static_cast<float>(size.height),
                 kBackgroundCornerDiameter);
    graphics.SetClipPath(rounded);
    const Background background = background_of(record, settings);
    gdiplus::SolidBrush base;
    if (base.CreateSolidFill(toArgb(background.colour))) {
        graphics.FillRectangleI(base, 0, 0, size.width, size.height);
    }
    draw_background_image(graphics, background.image, background.mode, size);
    if (record.captionGloss) draw_gloss(graphics, size.width, record.captionHeight);
    graphics.ResetClip();
}

void stroke_round_rect(gdiplus::Graphics& graphics, float inset, float shrink, float diameter,
                       Argb colour, Size size) {
    gdiplus::Path path;
    gdiplus::Pen pen;
    if (!path.CreatePath() || !pen.CreatePen1(colour, 1)) return;
    addRoundRect(path, inset, inset, static_cast<float>(size.width) - shrink,
                 static_cast<float>(size.height) - shrink, diameter);
    graphics.DrawPath(pen, path);
}

// A dark outer line with a light one inside it.
void draw_border(gdiplus::Graphics& graphics, Size size) {
    stroke_round_rect(graphics, 0, 1, kOuterBorderDiameter, toArgb(0x000000, kBorderAlpha), size);
    stroke_round_rect(graphics, 1, 3, kInnerBorderDiameter, toArgb(0xFFFFFF, kBorderAlpha), size);
}

template <typename Record>
void invalidate_direct_children(const std::vector<Record>& controls, HWND window,
                                bool withTheirChildren) {
    for (const Record& control : controls) {
        if (!control.hwnd || GetParent(control.hwnd) != window) continue;
        InvalidateRect(control.hwnd, nullptr, TRUE);
        if (!withTheirChildren) continue;
        for (HWND child = GetWindow(control.hwnd, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (IsWindowVisible(child)) InvalidateRect(child, nullptr, TRUE);
        }
    }
}

// The controls standing on the window itself repaint over the new
// background; a list's header and other parts repaint with it.
void invalidate_skinned_children(const SkinWindow& record) {
    invalidate_direct_children(record.buttonSkins, record.hwnd, false);
    invalidate_direct_children(record.editSkins, record.hwnd, false);
    invalidate_direct_children(record.listSkins, record.hwnd, true);
    invalidate_direct_children(record.trackbarSkins, record.hwnd, false);
    invalidate_direct_children(record.progressSkins, record.hwnd, false);
    invalidate_direct_children(record.comboSkins, record.hwnd, false);
    invalidate_direct_children(record.updownSkins, record.hwnd, false);
}

// The title and every caption button in its normal state.
void draw_caption(SkinEngine& engine, int windowIndex, gdiplus::Graphics& graphics) {
    const SkinWindow& record = *engine.window(windowIndex);
    if (record.showTitle) engine.drawTitle(windowIndex, &graphics, true);
    const auto buttons = static_cast<int>(record.captionButtons.size());
    for (int number = 1; number <= buttons; ++number) {
        engine.drawCaptionButton(windowIndex, number, &graphics, true, false, 0);
    }
}

void draw_bar(SkinEngine& engine, int windowIndex, gdiplus::Graphics& graphics) {
    const auto items = static_cast<int>(engine.window(windowIndex)->barItems.size());
    for (int item = 1; item <= items; ++item) {
        engine.drawBarItem(windowIndex, item, &graphics, true);
    }
}

// The three layers, rebuilt for the current client size. The caption and
// bar layers are taken before the title, buttons and items are drawn.
bool render_layers(SkinEngine& engine, int windowIndex, Size size) {
    set_rounded_region(engine.window(windowIndex)->hwnd, size);
    SkinWindow& record = *engine.window(windowIndex);
    if (!refresh_background_layer(record, size)) return false;
    HDC layer = record.backgroundLayer.dc;
    gdiplus::Graphics graphics;
    if (!graphics.CreateFromHDC(layer)) return false;
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    paint_background(graphics, record, engine.settings, size);
    if (record.captionEnabled) {
        draw_border(graphics, size);
        make_copy_layer(record.captionLayer, layer, IntRect{0, 0, size.width, size.height});
    }
    if (record.barHeight > 0) {
        make_copy_layer(record.barLayer, layer,
                        IntRect{record.barRect.x, record.barRect.y, size.width, record.barHeight});
    }
    if (record.captionEnabled) draw_caption(engine, windowIndex, graphics);
    if (record.barHeight > 0) draw_bar(engine, windowIndex, graphics);
    return true;
}

}  // namespace

void SkinEngine::renderWindow(int windowIndex, HDC target, bool full) {
    SkinWindow* record = window(windowIndex);
    if (!record) return;
    const Size size = clientSize(record->hwnd);
    if (size.width <= 0 || size.height <= 0) return;
    if (!full && record->backgroundLayer.dc) {
        copy_layer_out(record->hwnd, record->backgroundLayer.dc, target, size);
        return;
    }
    if (!render_layers(*this, windowIndex, size)) return;
    record = window(windowIndex);
    copy_layer_out(record->hwnd, record->backgroundLayer.dc, target, size);
    record->needsFullRender = 0;
    invalidate_skinned_children(*record);
}

// A window that has never been rendered gets its first render here.
void SkinEngine::blitWindow(int windowIndex, HDC target) {
    const SkinWindow* record = window(windowIndex);
    if (!record) return;
    if (!record->backgroundLayer.dc) {
        renderWindow(windowIndex, target, true);
        return;
    }
    const Size size = clientSize(record->hwnd);
    copyLayerToWindow(record->hwnd, record->backgroundLayer.dc,
                      IntRect{0, 0, size.width, size.height});
}

void SkinEngine::drawTitle(int windowIndex, gdiplus::Graphics* graphics, bool intoLayer,
                           std::optional<std::string> text) {
    const SkinWindow* record = window(windowIndex);
    if (!record || !record->backgroundLayer.dc) return;
    HDC layer = record->backgroundLayer.dc;
    gdiplus::Graphics own;
    gdiplus::Graphics* surface = layerGraphics(graphics, own, layer);
    if (!surface) return;
    const Size size = clientSize(record->hwnd);
    const IntRect box{
        frameMargin + kTitleLeft, frameMargin + kTitleTop,
        std::max(0, size.width - record->stripWidth - kTitleRightGap - 2 * frameMargin),
        kTitleHeight};
    // The icon stands a little above the box; its rows are redrawn with it,
    // so that a new title never lays the icon over itself.
    const IntRect redrawn{box.x, box.y - kIconRaise, box.width, box.height + kIconRaise};
    restoreFromLayer(layer, record->captionLayer.dc, redrawn);
    if (settings.windowIcon) {
        DrawIconEx(layer, box.x, box.y - kIconRaise, settings.windowIcon, kIconSize, kIconSize, 0,
                   nullptr, DI_NORMAL);
    }
    const std::string title = text ? *text : ui::window_text_gbk(record->hwnd);
    const Gdiplus::RectF textBox(
        static_cast<Gdiplus::REAL>(box.x + kTitleTextIndent), static_cast<Gdiplus::REAL>(box.y),
        static_cast<Gdiplus::REAL>(std::max(0, box.width - kTitleTextIndent)),
        static_cast<Gdiplus::REAL>(box.height));
    drawHaloText(*surface, title, textBox,
                 TextFont{record->titleFont, record->titleSize, record->titleStyle},
                 HaloColours{record->titleShadowColour, kTitleHaloAlpha, record->titleColour});
    if (!intoLayer) copyLayerToWindow(record->hwnd, layer, redrawn);
}

}  // namespace qelvo::skin
