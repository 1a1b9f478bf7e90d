// The extra layer: any control, of any class, registered by hand under its
// skinned window. It keeps its own three properties, so that a control can
// be in the extra layer and in a family list at once: the extra procedure
// then forwards to the family's procedure, which forwards to the system's.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "skin/control_registration.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"

namespace qelvo::skin {

void SkinEngine::addExtraControl(HWND control, std::optional<COLORREF> fillColour) {
    const int windowIndex = findSkinAncestor(control);
    SkinWindow* owner = window(windowIndex);
    // Subclassing twice would make the procedure forward to itself.
    if (!owner || isRegistered(owner->extraSkins, control)) return;
    const int index = appendControlRecord(owner->extraSkins, control);
    ExtraSkin& record = owner->extraSkins.back();
    record.fillColour = fillColour.value_or(GetSysColor(COLOR_BTNFACE));
    record.oldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(extraProc)));
    set_handle_property(control, kExtraOldProcProperty, record.oldProc);
    set_int_property(control, kExtraIndexProperty, index);
    set_int_property(control, kExtraOwnerIndexProperty, windowIndex);
}

// A combo box shows its text in its edit child, so the colour goes there; a
// drop-down list has no edit and is left alone.
void SkinEngine::setExtraTextColour(HWND control, COLORREF colour) {
    HWND target = control;
    if (windowClassName(control) == L"ComboBox") {
        target = FindWindowExW(control, nullptr, L"Edit", nullptr);
        if (!target) return;
    }
    set_property(target, kTextColourProperty, static_cast<std::intptr_t>(colour));
}

LRESULT CALLBACK extraProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const auto previous = handle_property<WNDPROC>(window, kExtraOldProcProperty);
    return CallWindowProcW(previous, window, message, wparam, lparam);
}

}  // namespace qelvo::skin
