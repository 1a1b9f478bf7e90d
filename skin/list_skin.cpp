// The list-type controls (list boxes, the list of a simple combo box, list
// views, tree views, IP-address and date-time pickers): which children the
// skin takes over, and their subclass procedure.
#include <windows.h>

#include <commctrl.h>

#include "skin/control_registration.h"
#include "skin/skin_engine.h"

namespace qelvo::skin {
namespace {

// The colour a veiled tree view paints its background in; the veiled paint
// copies everything but this colour.
constexpr COLORREF kTransparentKey = RGB(255, 0, 255);

DWORD style_of(HWND control) { return static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)); }

// True when the control was new to the list and is now registered.
bool attach_list(SkinWindow& owner, HWND control, int windowIndex) {
    if (isRegistered(owner.listSkins, control)) return false;
    registerControl(owner.listSkins, control, windowIndex, listSkinProc);
    return true;
}

// The list of a simple combo box is the combo box's child; the list of a
// drop-down combo box is a window of its own on the desktop, which keeps
// the system's look.
HWND child_list_of(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!GetComboBoxInfo(combo, &info) || !info.hwndList) return nullptr;
    return GetAncestor(info.hwndList, GA_PARENT) == combo ? info.hwndList : nullptr;
}

void attach_combo_list(SkinWindow& owner, HWND combo, int windowIndex) {
    HWND list = child_list_of(combo);
    // An owner-drawn list (LBS_OWNERDRAWFIXED) stays as it is.
    if (!list || (style_of(list) & LBS_OWNERDRAWFIXED)) return;
    attach_list(owner, list, windowIndex);
}

// A sorted list view (LVS_SORTASCENDING) stays as it is. The veiled paint
// draws the items over the veil, so their text gets no background of its own.
void attach_list_view(SkinWindow& owner, HWND view, int windowIndex, bool veiled) {
    if (style_of(view) & LVS_SORTASCENDING) return;
    if (attach_list(owner, view, windowIndex) && veiled) {
        SendMessageW(view, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
    }
}

void attach_tree_view(SkinWindow& owner, HWND tree, int windowIndex, bool veiled) {
    if (attach_list(owner, tree, windowIndex) && veiled) {
        SendMessageW(tree, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(kTransparentKey));
    }
}

}  // namespace

void SkinEngine::attachLists(int windowIndex, HWND parent) {
    if (settings.controlSkinning == 0) return;
    SkinWindow* owner = window(windowIndex);
    if (!owner) return;
    const bool veiled = settings.veilFlag != 0;
    const auto attach_every = [&](HWND control) { attach_list(*owner, control, windowIndex); };
    forEachChildOfClass(parent, L"ListBox", attach_every);
    forEachChildOfClass(parent, L"ComboBox",
                        [&](HWND combo) { attach_combo_list(*owner, combo, windowIndex); });
    forEachChildOfClass(parent, L"SysListView32",
                        [&](HWND view) { attach_list_view(*owner, view, windowIndex, veiled); });
    forEachChildOfClass(parent, L"SysTreeView32",
                        [&](HWND tree) { attach_tree_view(*owner, tree, windowIndex, veiled); });
    forEachChildOfClass(parent, L"SysIPAddress32", attach_every);
    forEachChildOfClass(parent, L"SysDateTimePick32", attach_every);
}

LRESULT CALLBACK listSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return forwardMessage(window, message, wparam, lparam);
}

}  // namespace qelvo::skin
