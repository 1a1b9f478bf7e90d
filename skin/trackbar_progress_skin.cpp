// Trackbars and progress bars: which children the skin takes over, what
// their records note from the style, and their subclass procedures. The
// controls keep their own behaviour (dragging, keys, positions and ranges);
// the skin only paints them (trackbar_progress_painters.cpp) and lights a
// trackbar's thumb while the mouse is over it.
#include <windows.h>

#include <commctrl.h>

#include "skin/control_registration.h"
#include "skin/mouse_tracking.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"

namespace qelvo::skin {

// The painters (trackbar_progress_painters.cpp); an index outside its list
// paints nothing.
void paintTrackbar(int windowIndex, int controlIndex);
// Onto the target DC, or onto the bar's own window DC when it is null.
void paintProgressBar(int windowIndex, int controlIndex, HDC target);

namespace {

constexpr int kTrackbarHotPart = 2;

// Lit once when the mouse comes onto it; further moves repaint nothing.
void light_trackbar(SkinWindow& owner, TrackbarSkin& record, int windowIndex, int controlIndex) {
    trackMouseLeave(record.hwnd);
    owner.mouseControl = controlIndex;
    if (owner.hotControl != owner.mouseControl || owner.hotPart != kTrackbarHotPart) {
        record.hot = 1;
        paintTrackbar(windowIndex, controlIndex);
    }
    owner.hotControl = owner.mouseControl;
    owner.hotPart = kTrackbarHotPart;
}

void unlight_trackbar(SkinWindow& owner, TrackbarSkin& record, int windowIndex, int controlIndex) {
    owner.hotControl = 0;
    record.hot = 0;
    paintTrackbar(windowIndex, controlIndex);
}

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

// The skin's picture stands in for the system's paint; the DefWindowProc
// call after it only validates what is left.
template <typename Paint>
LRESULT paint_instead(HWND window, WPARAM wparam, LPARAM lparam, Paint&& paint) {
    PAINTSTRUCT painting{};
    BeginPaint(window, &painting);
    paint();
    EndPaint(window, &painting);
    return DefWindowProcW(window, WM_PAINT, wparam, lparam);
}

// The system's background would show through for a moment before the
// skin's picture covers it.
LRESULT skip_erase(WPARAM wparam) {
    SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
    return 1;
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
    TrackbarSkin* record = findControlRecord(window, &SkinWindow::trackbarSkins);
    SkinEngine* engine = SkinEngine::instance();
    const int windowIndex = int_property(window, kOwnerIndexProperty);
    SkinWindow* owner = engine ? engine->window(windowIndex) : nullptr;
    if (!record || !owner) return forwardMessage(window, message, wparam, lparam);
    const int controlIndex = int_property(window, kIndexProperty);
    switch (message) {
        case WM_MOVE:
            paintTrackbar(windowIndex, controlIndex);
            break;
        case WM_PAINT:
            return paint_instead(window, wparam, lparam,
                                 [&] { paintTrackbar(windowIndex, controlIndex); });
        case WM_ERASEBKGND:
            return skip_erase(wparam);
        case WM_NCPAINT:
            paintTrackbar(windowIndex, controlIndex);
            return 1;
        case WM_MOUSEMOVE:
            light_trackbar(*owner, *record, windowIndex, controlIndex);
            break;
        case WM_MOUSELEAVE:
            unlight_trackbar(*owner, *record, windowIndex, controlIndex);
            break;
        default:
            break;
    }
    return forwardMessage(window, message, wparam, lparam);
}

LRESULT CALLBACK progressSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!findControlRecord(window, &SkinWindow::progressSkins)) {
        return forwardMessage(window, message, wparam, lparam);
    }
    const int windowIndex = int_property(window, kOwnerIndexProperty);
    const int controlIndex = int_property(window, kIndexProperty);
    switch (message) {
        case WM_MOVE:
            paintProgressBar(windowIndex, controlIndex, nullptr);
            break;
        case WM_PAINT:
            return paint_instead(window, wparam, lparam,
                                 [&] { paintProgressBar(windowIndex, controlIndex, nullptr); });
        case WM_ERASEBKGND:
            return skip_erase(wparam);
        case WM_NCPAINT:
            paintProgressBar(windowIndex, controlIndex, nullptr);
            return 1;
        default:
            break;
    }
    return forwardMessage(window, message, wparam, lparam);
}

}  // namespace qelvo::skin
