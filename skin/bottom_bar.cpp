#include "engine/gbk_literal.h"
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

void SkinEngine::setBarItem(HWND hwnd, int item, std::string_view text,
                            std::optional<ImageBytes> image, std::optional<int> value) {
    SkinWindow* record = window(findSkinWindow(hwnd));
    if (!record || item < 1 || static_cast<std::size_t>(item) > record->barItems.size()) return;
    BarItem& changed = record->barItems[static_cast<std::size_t>(item - 1)];
    changed.text = std::string(text);
    if (image) changed.image = std::move(*image);
    if (value) changed.value = *value;
    if (static_cast<std::size_t>(item) <= record->barItemRects.size()) {
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
