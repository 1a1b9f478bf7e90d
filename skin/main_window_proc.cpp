#include "skin/skin_engine.h"

namespace qelvo::skin {

// The skinned window's procedure. It paints the owner-drawn push buttons
// that are its direct children and removes the window's record when the
// window goes; everything else reaches the window's own procedure.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    SkinEngine* engine = SkinEngine::instance();
    if (!engine) return forwardMessage(window, message, wparam, lparam);
    switch (message) {
        case WM_DRAWITEM:
            if (engine->drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam))) return TRUE;
            break;
        case WM_NCDESTROY:
            // "Hw_hProc" outlives the record, so the message is still passed on.
            engine->removeWindow(window);
            KillTimer(window, reinterpret_cast<UINT_PTR>(window));
            break;
        default:
            break;
    }
    return forwardMessage(window, message, wparam, lparam);
}

}  // namespace qelvo::skin
