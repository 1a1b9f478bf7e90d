#include <array>

#include "skin/button_skin.h"
#include "skin/control_registration.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"

namespace qelvo::skin {

WNDPROC subclassWindow(HWND window, WNDPROC procedure) {
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    set_handle_property(window, kOldProcProperty, previous);
    return previous;
}

LRESULT forwardMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const auto previous = handle_property<WNDPROC>(window, kOldProcProperty);
    if (!previous) return DefWindowProcW(window, message, wparam, lparam);
    return CallWindowProcW(previous, window, message, wparam, lparam);
}

std::wstring windowClassName(HWND window) {
    std::array<wchar_t, 256> name{};
    const int length = GetClassNameW(window, name.data(), static_cast<int>(name.size()));
    return std::wstring(name.data(), static_cast<std::size_t>(length > 0 ? length : 0));
}

// The skinners in their fixed order: buttons first, so that a push button is
// owner-drawn before anything else looks at it, and the headers last, since
// they live inside the list views the list skinner has taken.
// Each skinner does nothing while control skinning is off.
void SkinEngine::skinChildren(int windowIndex, HWND parent) {
    attachPushButtons(windowIndex, parent);
    attachCheckRadio(windowIndex, parent);
    attachEditsAndCombos(windowIndex, parent);
    attachTrackbars(windowIndex, parent);
    attachProgressBars(windowIndex, parent);
    attachLists(windowIndex, parent);
    attachUpdowns(windowIndex, parent);
    attachHeaders(windowIndex, parent);
}

// Only push buttons are owner-drawn in this program; the image-button kinds
// (1 and 3) have no painter of their own, and other kinds draw nothing here.
bool SkinEngine::drawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON) return false;
    const ControlSkin* button = findControlRecord(item.hwndItem, &SkinWindow::buttonSkins);
    if (!button) return false;
    if (button->kind == kPushButtonKind) {
        paintPushButton(item.hwndItem, item.hDC, item.itemState, item.rcItem);
    }
    return true;
}

}  // namespace qelvo::skin
