// A skinned window's cached layers and the screen: the GDI+ surface a
// redraw draws on, a part of a layer put back from a saved copy before the
// redraw, and the redrawn part copied to the window.
#pragma once

#include <windows.h>

#include "gdiplus/graphics.h"
#include "skin/skin_records.h"

namespace qelvo::skin {

// The caller's graphics, or one made on the layer (anti-aliased) and kept
// in `own`; null when none could be made.
gdiplus::Graphics* layerGraphics(gdiplus::Graphics* given, gdiplus::Graphics& own, HDC layer);
// The area of the layer back from a saved copy whose pixels start at
// `savedOrigin` of the layer; nothing happens without a copy.
void restoreFromLayer(HDC layer, HDC saved, const IntRect& area, POINT savedOrigin = {});
// The area of the layer onto the window's client area, at the same place.
void copyLayerToWindow(HWND window, HDC layer, const IntRect& area);

}  // namespace qelvo::skin
