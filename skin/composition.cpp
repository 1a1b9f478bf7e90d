#include "skin/composition.h"

#include "gdiplus/brushes.h"
#include "gdiplus/graphics.h"
#include "gdiplus/path.h"
#include "skin/colour.h"
#include "skin/gdi_holders.h"
#include "skin/geometry.h"
#include "skin/image_tools.h"
#include "skin/shapes.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"

namespace qelvo::skin {
namespace {

// The group box frame starts under the middle of its caption line.
constexpr float kGroupFrameTop = 5;
constexpr float kGroupFrameDiameter = 5;

HDC new_memory_dc(SkinEngine& engine, Size size) {
    HDC dc = gdi_count::track(CreateCompatibleDC(nullptr));
    if (!dc) return nullptr;
    HBITMAP bitmap = argbBitmap(size.width, size.height);
    const auto previous = static_cast<HBITMAP>(SelectObject(dc, bitmap));
    engine.memoryDcs.add(dc, bitmap, previous);
    return dc;
}

// The window on the way up that supplies its own background, if any.
HWND background_supplier(HWND control, const PanelSkin* panel) {
    for (HWND window = control; window; window = GetParent(window)) {
        if (int_property(window, kSuppliesBackgroundProperty) == 1) return window;
    }
    return panel ? handle_property<HWND>(panel->hwnd, kBackgroundOwnerProperty) : nullptr;
}

// The nearest registered container, the control itself included.
const PanelSkin* nearest_panel(const SkinEngine& engine, int windowIndex, HWND control) {
    const SkinWindow* record = engine.window(windowIndex);
    if (!record) return nullptr;
    for (HWND window = control; window; window = GetParent(window)) {
        const int index = engine.findPanel(windowIndex, window);
        if (index != 0) return &record->panelSkins[static_cast<std::size_t>(index - 1)];
    }
    return nullptr;
}

// The container's fill over the part of it the control covers.
void fill_container(HDC dc, const PanelSkin& panel, HWND control) {
    gdiplus::Graphics graphics;
    if (!graphics.CreateFromHDC(dc)) return;
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    const RECT offset = panel.hwnd == control ? RECT{} : rectInAncestor(panel.hwnd, control);
    const Size size = windowSize(panel.hwnd);
    gdiplus::SolidBrush brush;
    brush.CreateSolidFill(toArgb(panel.fillColour, panel.fillAlpha));
    gdiplus::Path path;
    path.CreatePath();
    const auto left = static_cast<float>(-offset.left);
    const auto top = static_cast<float>(-offset.top);
    if (panel.isGroupBox) {
        addRoundRect(path, left, top + kGroupFrameTop, static_cast<float>(size.width),
                     static_cast<float>(size.height) - 6, kGroupFrameDiameter);
    } else {
        path.AddPathRectangle(left, top, static_cast<float>(size.width),
                              static_cast<float>(size.height));
    }
    graphics.FillPath(brush, path);
}

}  // namespace

HDC composeBackground(SkinEngine& engine, HWND control, RECT& area) {
    const Size size = windowSize(control);
    HDC dc = new_memory_dc(engine, size);
    if (!dc) return nullptr;
    const int windowIndex = engine.findSkinAncestor(control);
    const SkinWindow* record = engine.window(windowIndex);
    const PanelSkin* panel = nearest_panel(engine, windowIndex, control);
    HWND supplier = background_supplier(control, panel);
    HDC source = nullptr;
    if (supplier) {
        area = rectInAncestor(supplier, control);
        source = handle_property<HDC>(supplier, kSuppliedBackgroundDcProperty);
    } else {
        area = rectInRoot(control);
        source = record ? record->backgroundLayer.dc : nullptr;
    }
    if (source) BitBlt(dc, 0, 0, size.width, size.height, source, area.left, area.top, SRCCOPY);
    if (panel && panel->paintBackground && panel->fillColour != 0) {
        fill_container(dc, *panel, control);
    }
    return dc;
}

void releaseMemoryDc(SkinEngine& engine, HDC dc) { engine.memoryDcs.release(dc); }

HBITMAP snapshotBitmap(SkinEngine& engine, HDC dc, int width, int height) {
    HDC copy = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = gdi_count::track(CreateCompatibleBitmap(dc, width, height));
    HGDIOBJ previous = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(copy, previous);
    DeleteDC(copy);
    releaseMemoryDc(engine, dc);
    return bitmap;
}

HBITMAP staticBrushBitmap(SkinEngine& engine, HWND control) {
    const RECT client = controlClientRect(control);
    RECT area{};
    HDC dc = composeBackground(engine, control, area);
    if (!dc) return nullptr;
    {
        gdiplus::Graphics graphics;
        if (graphics.CreateFromHDC(dc)) {
            gdiplus::SolidBrush veil;
            veil.CreateSolidFill(
                toArgb(0xFFFFFF, static_cast<std::uint8_t>(engine.settings.overlayAlpha)));
            graphics.FillRectangleI(veil, client.left, client.top, client.right - client.left,
                                    client.bottom - client.top);
        }
    }
    RECT inner{};
    GetClientRect(control, &inner);
    return snapshotBitmap(engine, dc, inner.right, inner.bottom);
}

}  // namespace qelvo::skin
