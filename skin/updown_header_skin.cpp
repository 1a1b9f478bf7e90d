// Up-down controls and header controls: which children the skin takes over,
// what their records note at attach time, and their subclass procedures.
// The header record owns the header's image list from attach time on.
#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "skin/control_registration.h"
#include "skin/skin_engine.h"

namespace qelvo::skin {
namespace {

DWORD style_of(HWND control) { return static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)); }

void attach_updown(SkinWindow& owner, HWND updown, int windowIndex) {
    if (isRegistered(owner.updownSkins, updown)) return;
    registerControl(owner.updownSkins, updown, windowIndex, updownSkinProc);
    owner.updownSkins.back().horizontal = (style_of(updown) & UDS_HORZ) ? 1 : 0;
}

void attach_header(SkinWindow& owner, HWND header, int windowIndex) {
    if (isRegistered(owner.headerSkins, header)) return;
    registerControl(owner.headerSkins, header, windowIndex, headerSkinProc);
    HeaderSkin& record = owner.headerSkins.back();
    record.buttons = (style_of(header) & HDS_BUTTONS) ? 1 : 0;
    record.imageList = reinterpret_cast<HIMAGELIST>(SendMessageW(header, HDM_GETIMAGELIST, 0, 0));
}

void destroy_image_list(HWND header) {
    HeaderSkin* record = findControlRecord(header, &SkinWindow::headerSkins);
    if (!record || !record->imageList) return;
    ImageList_Destroy(std::exchange(record->imageList, nullptr));
}

}  // namespace

void SkinEngine::attachUpdowns(int windowIndex, HWND parent) {
    if (settings.controlSkinning == 0) return;
    SkinWindow* owner = window(windowIndex);
    if (!owner) return;
    forEachChildOfClass(parent, L"msctls_updown32",
                        [&](HWND updown) { attach_updown(*owner, updown, windowIndex); });
}

// Headers standing alone first, then the header of each list view.
void SkinEngine::attachHeaders(int windowIndex, HWND parent) {
    if (settings.controlSkinning == 0) return;
    SkinWindow* owner = window(windowIndex);
    if (!owner) return;
    forEachChildOfClass(parent, L"SysHeader32",
                        [&](HWND header) { attach_header(*owner, header, windowIndex); });
    forEachChildOfClass(parent, L"SysListView32", [&](HWND view) {
        if (HWND header = FindWindowExW(view, nullptr, L"SysHeader32", nullptr)) {
            attach_header(*owner, header, windowIndex);
        }
    });
}

LRESULT CALLBACK updownSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return forwardMessage(window, message, wparam, lparam);
}

LRESULT CALLBACK headerSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCDESTROY) destroy_image_list(window);
    return forwardMessage(window, message, wparam, lparam);
}

}  // namespace qelvo::skin
