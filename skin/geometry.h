// Where a control lies and how large it is: its window and client sizes,
// its client area inside its own window rectangle, and its window rectangle
// relative to an ancestor or to its root window.
#pragma once

#include <windows.h>

namespace qelvo::skin {

struct Size {
    int width = 0;
    int height = 0;
};

// The size of the window rectangle, frame included.
Size windowSize(HWND window);
// The size of the client area.
Size clientSize(HWND window);

// Scroll bars are taken as 17 pixels thick, and the border as what is left
// of the window rectangle around the client area, split evenly.
RECT controlClientRect(HWND control);
RECT rectInAncestor(HWND ancestor, HWND control);
RECT rectInRoot(HWND control);

}  // namespace qelvo::skin
