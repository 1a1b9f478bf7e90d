// A message in the hands of one of the skin's window procedures, with the
// two ways on from there: the procedure the skin replaced, or the system's
// default handling.
#pragma once

#include <windows.h>

#include "skin/skin_engine.h"

namespace qelvo::skin {

struct Message {
    HWND window;
    UINT id;
    WPARAM wparam;
    LPARAM lparam;

    LRESULT forward() const { return forwardMessage(window, id, wparam, lparam); }
    LRESULT systemDefault() const { return DefWindowProcW(window, id, wparam, lparam); }
};

}  // namespace qelvo::skin
