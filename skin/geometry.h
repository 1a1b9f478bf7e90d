// Where a control lies: its client area inside its own window rectangle,
// and its window rectangle relative to an ancestor or to its root window.
#pragma once

#include <windows.h>

namespace qelvo::skin {

// Scroll bars are taken as 17 pixels thick, and the border as what is left
// of the window rectangle around the client area, split evenly.
RECT controlClientRect(HWND control);
RECT rectInAncestor(HWND ancestor, HWND control);
RECT rectInRoot(HWND control);

}  // namespace qelvo::skin
