// The skinned controls light up when the pointer comes onto them and go
// dark again on the WM_MOUSELEAVE the system sends once it is asked to.
#pragma once

#include <windows.h>

namespace qelvo::skin {

// Asks for one WM_MOUSELEAVE when the pointer leaves the control.
inline void trackMouseLeave(HWND control) {
    TRACKMOUSEEVENT request{sizeof(request), TME_LEAVE, control, 0};
    TrackMouseEvent(&request);
}

}  // namespace qelvo::skin
