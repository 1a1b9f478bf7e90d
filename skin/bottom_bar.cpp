#include <algorithm>
#include <cstdint>

#include "engine/gbk_literal.h"
#include "gdiplus/brushes.h"
#include "gdiplus/image.h"
#include "gdiplus/text.h"
#include "skin/colour.h"
#include "skin/halo_text.h"
#include "skin/layer_copy.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"

namespace qelvo::skin {
namespace {

IntRect bar_rect(HWND window, int frameMargin, int barHeight) {
    RECT client{};
    GetClientRect(window, &client);
    return IntRect{frameMargin, client.bottom - frameMargin - barHeight - 1,
                   client.right - 2 * frameMargin, barHeight};
}

BarStyle start_bar_style() {
    BarStyle style;
    style.fontFace = gbk("宋体");
    return style;
}

// The text is placed as if it were 12 pixels high, whatever the bar font.
constexpr int kTextLineHeight = 12;
constexpr int kImageLeft = 2;
constexpr int kTextGap = 3;
// The halo is the title's, at the same strength.
constexpr std::uint8_t kHaloAlpha = 150;
constexpr std::uint8_t kGlassTopAlpha = 60;
constexpr std::uint8_t kGlassBottomAlpha = 10;

// The bar layer holds the background of the bar alone, from barRect's
// corner on.
void restore_from_bar_layer(const SkinWindow& record, const IntRect& area) {
    restoreFromLayer(record.backgroundLayer.dc, record.barLayer.dc, area,
                     POINT{record.barRect.x, record.barRect.y});
}

void fill_glass(gdiplus::Graphics& graphics, const IntRect& area) {
    gdiplus::LinearGradientBrush glass;
    const auto top = static_cast<Gdiplus::REAL>(area.y);
    const auto bottom = static_cast<Gdiplus::REAL>(area.y + area.height);
    // Flipping tiles keep the last row from restarting the gradient.
    if (!glass.CreateLineBrush(Gdiplus::PointF(0, top), Gdiplus::PointF(0, bottom),
                               toArgb(kWhite, kGlassTopAlpha), toArgb(kWhite, kGlassBottomAlpha),
                               Gdiplus::WrapModeTileFlipXY)) {
        return;
    }
    graphics.FillRectangleI(glass, area.x, area.y, area.width, area.height);
}

Gdiplus::RectF text_box(const IntRect& area, int left, int width) {
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(left),
                          static_cast<Gdiplus::REAL>(area.y + (area.height - kTextLineHeight) / 2),
                          static_cast<Gdiplus::REAL>(std::max(0, width)),
                          static_cast<Gdiplus::REAL>(area.height));
}

// The item's picture at its natural size, centred in the item's height;
// the text box follows it. An image that does not decode has no size.
Gdiplus::RectF draw_item_image(gdiplus::Graphics& graphics, const ImageBytes& bytes,
                               const IntRect& area) {
    gdiplus::Image image;
    image.LoadFromBytes(bytes);
    const auto width = static_cast<int>(image.GetImageWidth());
    const auto height = static_cast<int>(image.GetImageHeight());
    if (width > 0 && height > 0) {
        graphics.DrawImageRectI(image, area.x + kImageLeft, area.y + (area.height - height) / 2,
                                width, height);
    }
    return text_box(area, area.x + width + kTextGap, area.width - width - kTextGap);
}

// Text mode 1 writes in the complement of the base colour, so that the text
// stands out from a bar of any tint.
COLORREF text_colour(const BarStyle& style, const BarItem& item, COLORREF baseColour) {
    if (style.textMode != 0) return ~baseColour & 0xFFFFFF;
    return static_cast<COLORREF>(item.value) & 0xFFFFFF;
}

void draw_plain_text(gdiplus::Graphics& graphics, std::string_view text, const Gdiplus::RectF& box,
                     const TextFont& font, COLORREF colour) {
    if (text.empty()) return;
    gdiplus::Font textFont;
    gdiplus::StringFormat format;
    gdiplus::SolidBrush brush;
    if (!textFont.CreateFontFromName(font.face, static_cast<Gdiplus::REAL>(font.size), font.style,
                                     Gdiplus::UnitPixel) ||
        !format.CreateStringFormat(Gdiplus::StringFormatFlagsNoWrap) ||
        !brush.CreateSolidFill(toArgb(colour))) {
        return;
    }
    graphics.DrawString(text, textFont, box, format, brush);
}

void paint_item(gdiplus::Graphics& graphics, const BarStyle& style, const BarItem& item,
                const IntRect& area, COLORREF baseColour) {
    fill_glass(graphics, area);
    const Gdiplus::RectF box = item.image.empty() ? text_box(area, area.x + kTextGap, area.width)
                                                  : draw_item_image(graphics, item.image, area);
    const TextFont font{style.fontFace, style.fontSize, Gdiplus::FontStyleRegular};
    if (style.halo) {
        drawHaloText(graphics, item.text, box, font,
                     HaloColours{style.colour1, kHaloAlpha, style.colour2});
    } else {
        draw_plain_text(graphics, item.text, box, font, text_colour(style, item, baseColour));
    }
}

}  // namespace

void SkinEngine::createBar(int windowIndex, int barHeight,
                           const std::optional<std::vector<BarItem>>& items) {
    SkinWindow* record = window(windowIndex);
    if (!record) return;
    record->barHeight = barHeight;
    record->barRect = bar_rect(record->hwnd, frameMargin, barHeight);
    record->barItems = items ? *items : std::vector<BarItem>{BarItem{}};
    record->barStyle = start_bar_style();
    layoutBar(windowIndex);
}

// Items are placed left to right from the frame margin; an item of width -1
// takes what the items before it leave of the client width.
void SkinEngine::layoutBar(int windowIndex) {
    SkinWindow* record = window(windowIndex);
    if (!record || record->barHeight <= 0) return;
    record->barRect = bar_rect(record->hwnd, frameMargin, record->barHeight);
    RECT client{};
    GetClientRect(record->hwnd, &client);
    record->barItemRects.clear();
    int x = frameMargin;
    int placed = 0;
    for (const BarItem& item : record->barItems) {
        const int width = item.width == -1 ? client.right - 2 * frameMargin - placed : item.width;
        record->barItemRects.push_back(
            IntRect{x, record->barRect.y, width, record->barRect.height});
        x += width;
        placed += width;
    }
}

void SkinEngine::drawBarItem(int windowIndex, int item, gdiplus::Graphics* graphics,
                             bool intoLayer) {
    const SkinWindow* record = window(windowIndex);
    if (!record || !record->backgroundLayer.dc || item < 1 ||
        static_cast<std::size_t>(item) > record->barItems.size() ||
        static_cast<std::size_t>(item) > record->barItemRects.size()) {
        return;
    }
    HDC layer = record->backgroundLayer.dc;
    gdiplus::Graphics own;
    gdiplus::Graphics* surface = layerGraphics(graphics, own, layer);
    if (!surface) return;
    const auto index = static_cast<std::size_t>(item - 1);
    const IntRect& area = record->barItemRects[index];
    if (!intoLayer) restore_from_bar_layer(*record, area);
    paint_item(*surface, record->barStyle, record->barItems[index], area, settings.baseColour);
    if (!intoLayer) copyLayerToWindow(record->hwnd, layer, area);
}

// A window that has been rendered redraws the item at once; before the
// first render, or with a full render pending, the next paint shows it.
void SkinEngine::setBarItem(HWND hwnd, int item, std::string_view text,
                            std::optional<ImageBytes> image, std::optional<int> value) {
    const int windowIndex = findSkinWindow(hwnd);
    SkinWindow* record = window(windowIndex);
    if (!record || item < 1 || static_cast<std::size_t>(item) > record->barItems.size()) return;
    BarItem& changed = record->barItems[static_cast<std::size_t>(item - 1)];
    changed.text = std::string(text);
    if (image) changed.image = std::move(*image);
    if (value) changed.value = *value;
    if (record->backgroundLayer.dc && record->barLayer.dc && !record->needsFullRender) {
        drawBarItem(windowIndex, item, nullptr, false);
    } else if (static_cast<std::size_t>(item) <= record->barItemRects.size()) {
        const IntRect& area = record->barItemRects[static_cast<std::size_t>(item - 1)];
        const RECT invalid{area.x, area.y, area.x + area.width, area.y + area.height};
        InvalidateRect(hwnd, &invalid, FALSE);
    }
}

// Read from the window's own "Hw_lbID", so a window that is not skinned, or
// whose index went stale, is left alone.
void SkinEngine::setBarStyle(HWND hwnd, int textMode, int halo, COLORREF colour1, COLORREF colour2,
                             std::optional<std::string> fontFace, std::optional<int> fontSize) {
    SkinWindow* record = window(int_property(hwnd, kIndexProperty));
    if (!record || record->hwnd != hwnd) return;
    BarStyle& style = record->barStyle;
    style.textMode = textMode;
    style.halo = halo;
    style.colour1 = colour1;
    style.colour2 = colour2;
    if (fontFace) style.fontFace = *fontFace;
    if (fontSize) style.fontSize = *fontSize;
}

}  // namespace qelvo::skin
