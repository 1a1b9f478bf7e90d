// The painters of edit boxes and combo boxes. An edit keeps its own client
// painting; the skin draws only the ring of its frame, and under the veil
// its client background. A combo box is drawn whole, with holes where its
// children paint themselves. Everything is composed off screen and reaches
// the screen in one copy; the list-type controls share the frame geometry
// and the scroll-bar region.
#pragma once

#include <windows.h>

#include <optional>

#include "skin/gdi_holders.h"

namespace qelvo::skin {

class SkinEngine;

// Where a framed control's content (its client area and scroll bars) lies
// in its window rectangle: the frame is the ring around it.
struct EditFrameGeometry {
    int width = 0;  // of the window rectangle
    int height = 0;
    int contentWidth = 0;   // client width plus the vertical scroll bar
    int contentHeight = 0;  // client height plus the horizontal scroll bar
    int borderX = 0;        // left and top of the content in the window
    int borderY = 0;
};
EditFrameGeometry editFrameGeometry(HWND control);

// The control's scroll bars, in screen coordinates; the vertical one is
// extended downwards over the corner square when both are shown. Empty
// when the style has neither.
Region scrollBarRegion(HWND control);
// Whether the style shows a horizontal or a vertical scroll bar.
bool hasScrollBars(HWND control);

// The ring of an edit's frame through its window DC; the border line lights
// up on hover (2 pixels) or focus (1 pixel). With no focus given, the
// edit's record says.
void paintEditFrame(SkinEngine& engine, HWND edit, std::optional<bool> focused = std::nullopt,
                    bool hot = false);
// The edit's client background veiled in white: onto the target at (0, 0),
// or with no target onto the client area through the window DC.
void paintEditBackground(SkinEngine& engine, HWND edit, HDC target = nullptr);
// A whole combo box of the window's comboSkins. With no focus given, its
// record says.
void paintCombo(SkinEngine& engine, int windowIndex, int controlIndex, bool hot,
                std::optional<bool> focused = std::nullopt);

}  // namespace qelvo::skin
