// What the list-type controls (list boxes, the list of a simple combo box,
// list views, tree views, IP-address and date-time pickers) get from the
// skin: the frame they share with the edit fields, and, under the veil, a
// client area that shows the skinned parent through white. The controls
// keep drawing their own items; the skin only hands them a DC that already
// holds the veiled background and copies the result once.
#pragma once

#include <windows.h>

#include <optional>

namespace qelvo::skin {

class SkinEngine;

// The colour the skin leaves out when it copies a picture to the screen; a
// veiled tree view paints its background in it.
inline constexpr COLORREF kListTransparentKey = RGB(255, 0, 255);

// The non-client ring and the border line of the control at the indexes:
// lit in the accent colour when hot (two pixels) or focused (one). A state
// not given comes from the control's record. The list of a combo box, and a
// control without a border style, get neither ring nor line.
void paintListFrame(SkinEngine& engine, int windowIndex, int controlIndex,
                    std::optional<bool> hot = std::nullopt,
                    std::optional<bool> focused = std::nullopt);

// A registered memory DC whose origin is the control's client origin,
// holding the background behind the client area veiled in white at the
// overlay alpha; released with releaseMemoryDc. Null when none was made.
HDC veiledClientDc(SkinEngine& engine, HWND control);
// The control's client DC with every visible child left out, except those
// drawn transparently (WS_EX_TRANSPARENT); the caller releases it.
HDC clientDcWithoutChildren(HWND control);
// Repaints (with erase) every visible child, a list view's header above all.
void invalidateChildren(HWND control);

// WM_PAINT of a veiled tree view: its items drawn on its magenta background
// off screen, laid over the veiled background without the magenta, and
// copied to the screen around its children. Leaves the update region.
void paintVeiledTree(SkinEngine& engine, HWND tree);
// WM_PAINT of a veiled list box that draws its own rows: the same keyed paint.
void paintVeiledListBox(SkinEngine& engine, HWND list);
// WM_PAINT of a veiled list view or owner-drawn list box: its items drawn straight over
// the veiled background off screen, copied to the screen in one BitBlt, and
// its children (a header) repainted on top. Validates the update region.
void paintVeiledList(SkinEngine& engine, HWND list);

}  // namespace qelvo::skin
