// Edit fields and combo boxes: which children the skin takes over, and their
// subclass procedures. An edit carries the veil brush and its bitmap that
// the colour replies hand to it; it frees them itself when it is destroyed.
#include <windows.h>

#include <cstddef>
#include <string>

#include "skin/child_colour_replies.h"
#include "skin/control_registration.h"
#include "skin/gdi_holders.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"

namespace qelvo::skin {
namespace {

void attach_edit(SkinWindow& owner, HWND edit, int windowIndex) {
    if (isRegistered(owner.editSkins, edit)) return;
    registerControl(owner.editSkins, edit, windowIndex, editSkinProc);
    // Black until setExtraTextColour says otherwise.
    set_int_property(edit, kTextColourProperty, 0);
}

// Makes the combo box's text its selected item's, so that a drop-down list
// can be painted from its window text alone.
void show_selected_item(HWND combo) {
    const LRESULT selection = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selection < 0) return;
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selection), 0);
    if (length < 0) return;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(selection),
                                        reinterpret_cast<LPARAM>(text.data()));
    if (copied < 0) return;
    text.resize(static_cast<std::size_t>(copied));
    SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Without the veil the edit inside a combo box keeps the system's look, so
// the combo box is then taken alone.
void attach_combo(SkinWindow& owner, HWND combo, int windowIndex, bool veiled) {
    if (!isRegistered(owner.comboSkins, combo)) {
        show_selected_item(combo);
        registerControl(owner.comboSkins, combo, windowIndex, comboSkinProc);
    }
    if (!veiled) return;
    if (HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr)) {
        attach_edit(owner, edit, windowIndex);
    }
}

}  // namespace

void SkinEngine::attachEditsAndCombos(int windowIndex, HWND parent) {
    if (settings.controlSkinning == 0) return;
    SkinWindow* owner = window(windowIndex);
    if (!owner) return;
    forEachChildOfClass(parent, L"Edit",
                        [&](HWND edit) { attach_edit(*owner, edit, windowIndex); });
    const bool veiled = settings.veilFlag != 0;
    forEachChildOfClass(parent, L"ComboBox",
                        [&](HWND combo) { attach_combo(*owner, combo, windowIndex, veiled); });
}

LRESULT CALLBACK editSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) releaseChildColourObjects(window);
    return forwardMessage(window, message, wparam, lparam);
}

LRESULT CALLBACK comboSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return forwardMessage(window, message, wparam, lparam);
}

}  // namespace qelvo::skin
