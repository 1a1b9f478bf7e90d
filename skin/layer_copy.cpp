#include "skin/layer_copy.h"

namespace qelvo::skin {

gdiplus::Graphics* layerGraphics(gdiplus::Graphics* given, gdiplus::Graphics& own, HDC layer) {
    if (given) return given;
    if (!own.CreateFromHDC(layer)) return nullptr;
    own.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    return &own;
}

void restoreFromLayer(HDC layer, HDC saved, const IntRect& area, POINT savedOrigin) {
    if (!saved) return;
    BitBlt(layer, area.x, area.y, area.width, area.height, saved,
           static_cast<int>(area.x - savedOrigin.x), static_cast<int>(area.y - savedOrigin.y),
           SRCCOPY);
}

void copyLayerToWindow(HWND window, HDC layer, const IntRect& area) {
    HDC screen = GetDC(window);
    BitBlt(screen, area.x, area.y, area.width, area.height, layer, area.x, area.y, SRCCOPY);
    ReleaseDC(window, screen);
}

}  // namespace qelvo::skin
