// Trackbars and progress bars: which children the skin takes over, what
// their records note from the style, and their subclass procedures.
#include <windows.h>

#include <commctrl.h>

#include "skin/control_registration.h"
#include "skin/skin_engine.h"

namespace qelvo::skin {
namespace {

DWORD style_of(HWND control) { return static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)); }

// 0 ticks on top or left, 1 bottom or right (the default), 2 both sides,
// 3 none. "No ticks" wins over the sides, and "top" over "both".
int tick_side_of(DWORD style) {
    if (style & TBS_NOTICKS) return 3;
    if (style & TBS_TOP) return 0;
    if (style & TBS_BOTH) return 2;
    return 1;
}

void attach_trackbar(SkinWindow& owner, HWND trackbar, int windowIndex) {
    if (isRegistered(owner.trackbarSkins, trackbar)) return;
    registerControl(owner.trackbarSkins, trackbar, windowIndex, trackbarSkinProc);
    const DWORD style = style_of(trackbar);
    TrackbarSkin& record = owner.trackbarSkins.back();
    record.vertical = (style & TBS_VERT) ? 1 : 0;
    record.tickSide = tick_side_of(style);
    record.selectionRange = (style & TBS_ENABLESELRANGE) ? 1 : 0;
}

void attach_progress_bar(SkinWindow& owner, HWND bar, int windowIndex) {
    if (isRegistered(owner.progressSkins, bar)) return;
    registerControl(owner.progressSkins, bar, windowIndex, progressSkinProc);
    owner.progressSkins.back().vertical = (style_of(bar) & PBS_VERTICAL) ? 1 : 0;
}

}  // namespace

void SkinEngine::attachTrackbars(int windowIndex, HWND parent) {
    if (settings.controlSkinning == 0) return;
    SkinWindow* owner = window(windowIndex);
    if (!owner) return;
    forEachChildOfClass(parent, L"msctls_trackbar32",
                        [&](HWND trackbar) { attach_trackbar(*owner, trackbar, windowIndex); });
}

void SkinEngine::attachProgressBars(int windowIndex, HWND parent) {
    if (settings.controlSkinning == 0) return;
    SkinWindow* owner = window(windowIndex);
    if (!owner) return;
    forEachChildOfClass(parent, L"msctls_progress32",
                        [&](HWND bar) { attach_progress_bar(*owner, bar, windowIndex); });
}

LRESULT CALLBACK trackbarSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return forwardMessage(window, message, wparam, lparam);
}

LRESULT CALLBACK progressSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return forwardMessage(window, message, wparam, lparam);
}

}  // namespace qelvo::skin
