// What lies behind a control: the piece of its skinned window's cached
// background under it, with the translucent fills of the container it sits
// in laid over it. Every "transparent" surface of the skin starts here.
#pragma once

#include <windows.h>

namespace qelvo::skin {

class SkinEngine;

// A registered memory DC of the control's size holding its background; the
// control's rectangle in the window the background came from comes out in
// `area`. The caller draws on it, then hands it to releaseMemoryDc or
// snapshotBitmap.
HDC composeBackground(SkinEngine& engine, HWND control, RECT& area);
// Frees a DC made by the compositing primitives; others are left alone.
void releaseMemoryDc(SkinEngine& engine, HDC dc);
// A new bitmap (counted, owned by the caller) holding a copy of the DC,
// which is released.
HBITMAP snapshotBitmap(SkinEngine& engine, HDC dc, int width, int height);
// The bitmap behind a static control's pattern brush: its background veiled
// in white at the overlay alpha.
HBITMAP staticBrushBitmap(SkinEngine& engine, HWND control);

}  // namespace qelvo::skin
