// The mouse on a skinned window: hover tracking and the fade of the caption
// buttons, the presses that run them, and dragging and resizing the window
// from its own surface. Called by mainWindowProc with the window's index.
#pragma once

#include <windows.h>

namespace qelvo::skin {

class SkinEngine;

void onCaptionMouseMove(SkinEngine& engine, int windowIndex, POINT point);
void onCaptionMouseHover(SkinEngine& engine, int windowIndex);
void onCaptionMouseLeave(SkinEngine& engine, int windowIndex);
// One tick of the hover timer: advances both fades and stops the timer once
// the pointer has gone and the fade-out is over.
void onCaptionTimer(SkinEngine& engine, int windowIndex);
// May start the system's move or size loop, which returns when the user
// lets go.
void onCaptionButtonDown(SkinEngine& engine, int windowIndex, POINT point);
// May run a caption command, after which the window may be gone.
void onCaptionButtonUp(SkinEngine& engine, int windowIndex);
void onCaptionDoubleClick(SkinEngine& engine, int windowIndex, POINT point);

}  // namespace qelvo::skin
