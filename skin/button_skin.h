// Push buttons, check boxes and radio buttons: attached by the engine's
// button skinners, served by buttonSkinProc, painted by the parent's
// owner-draw dispatch.
#pragma once

#include <windows.h>

#include <string>

namespace qelvo::skin {

// The font a control draws its text in, as GDI+ sees it.
struct ControlFont {
    std::string face;  // GBK; empty when the control keeps the system font
    int size = 0;      // rounded
    int style = 0;     // GDI+ FontStyle bits
};
ControlFont readControlFont(HWND control);

// Draws an owner-drawn push button into the DC: the system's own push
// button face with the caption centred, pressed, disabled and focused as
// the state says.
void paintPushButton(HWND button, HDC dc, UINT state, const RECT& area);

}  // namespace qelvo::skin
