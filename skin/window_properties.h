// The named window properties through which the skin keeps its state on the
// window handles themselves. Values are pointer-sized, so a handle or a
// window procedure fits whole; a property never set reads 0.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qelvo::skin {

// Index of a skinned window in the engine's list, or of a control in its
// family's list.
inline constexpr wchar_t kIndexProperty[] = L"Hw_lbID";
// Window index of the skinned top-level window a control belongs to.
inline constexpr wchar_t kOwnerIndexProperty[] = L"Hw_FuID";
// The window procedure the skin replaced and forwards to.
inline constexpr wchar_t kOldProcProperty[] = L"Hw_hProc";
// Text colour (COLORREF) of an edit field or a control of the extra layer.
inline constexpr wchar_t kTextColourProperty[] = L"Kj_Ztys";
// The brush last handed to a child in a colour reply.
inline constexpr wchar_t kChildBrushProperty[] = L"Kj_dxjb";
// The bitmap behind a static child's pattern brush.
inline constexpr wchar_t kChildBrushBitmapProperty[] = L"Kj_wtjb";
// The bitmap the background layer's memory DC held when it was made.
inline constexpr wchar_t kFirstLayerBitmapProperty[] = L"Ck_Ycjdx";
// The bitmap of the current background layer.
inline constexpr wchar_t kLayerBitmapProperty[] = L"Ck_wtjbdx";
// On a container: the nearest ancestor that supplies its own background.
inline constexpr wchar_t kBackgroundOwnerProperty[] = L"Mb_zpf";
// 1 on a window that supplies its own background to the containers below it.
inline constexpr wchar_t kSuppliesBackgroundProperty[] = L"Wxk_Zpf";
// The memory DC holding the background of a window marked as above.
inline constexpr wchar_t kSuppliedBackgroundDcProperty[] = L"Wxk_Cj";
// Index, window index and replaced procedure of a control of the extra layer.
inline constexpr wchar_t kExtraIndexProperty[] = L"Kj_lbID";
inline constexpr wchar_t kExtraOwnerIndexProperty[] = L"Kj_FuID";
inline constexpr wchar_t kExtraOldProcProperty[] = L"Kj_hProc";

void set_property(HWND window, const wchar_t* name, std::intptr_t value);
std::intptr_t property(HWND window, const wchar_t* name);

// Integer properties (indexes, flags, colours).
inline void set_int_property(HWND window, const wchar_t* name, int value) {
    set_property(window, name, value);
}
inline int int_property(HWND window, const wchar_t* name) {
    return static_cast<int>(property(window, name));
}

template <typename Handle>
void set_handle_property(HWND window, const wchar_t* name, Handle value) {
    set_property(window, name, reinterpret_cast<std::intptr_t>(value));
}
template <typename Handle>
Handle handle_property(HWND window, const wchar_t* name) {
    return reinterpret_cast<Handle>(property(window, name));
}

}  // namespace qelvo::skin
