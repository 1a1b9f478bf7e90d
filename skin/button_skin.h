// Push buttons, check boxes and radio buttons: attached by the engine's
// button skinners, served by buttonSkinProc, and painted over what lies
// behind them (button_painters.cpp). Push buttons are owner-drawn and
// painted from the parent's WM_DRAWITEM; check boxes and radio buttons keep
// their behaviour but are painted by the skin alone.
#pragma once

#include <windows.h>

#include <string>

#include "gdiplus/text.h"

namespace qelvo::skin {

// The font a control draws its text in, as GDI+ sees it.
struct ControlFont {
    std::string face;  // GBK; empty when the control keeps the system font
    int size = 0;      // rounded
    int style = 0;     // GDI+ FontStyle bits
};
ControlFont readControlFont(HWND control);
// The font to draw a caption in: the control's own, or, for a control that
// keeps the system font, "宋体" at 12 pixels, so the caption still shows.
bool createCaptionFont(gdiplus::Font& font, const std::string& face, int size, int style);

// Paints the button in the look of its kind straight onto it, lit when
// `hot`. The state holds ODS_ bits.
void repaintButton(HWND button, UINT state, bool hot);

// A rounded, glassy face with the caption centred: lit (ODS_HOTLIGHT),
// focused, pressed or disabled as the state says. The target is the DC of
// a WM_DRAWITEM or the button's own.
void paintPushButton(HWND button, HDC target, UINT state, const RECT& area);

// These two paint onto a DC of their own; of the state, only ODS_HOTLIGHT
// changes their look.
void paintRadioButton(HWND button, UINT state);
void paintCheckBox(HWND button, UINT state);

}  // namespace qelvo::skin
