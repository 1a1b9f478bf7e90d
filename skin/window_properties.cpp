#include "skin/window_properties.h"

namespace qelvo::skin {

void set_property(HWND window, const wchar_t* name, std::intptr_t value) {
    SetPropW(window, name, reinterpret_cast<HANDLE>(value));
}

std::intptr_t property(HWND window, const wchar_t* name) {
    return reinterpret_cast<std::intptr_t>(GetPropW(window, name));
}

}  // namespace qelvo::skin
