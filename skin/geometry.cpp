#include "skin/geometry.h"

#include <cmath>

namespace qelvo::skin {
namespace {

constexpr int kScrollBarThickness = 17;

int rounded_half(int value) { return static_cast<int>(std::lround(value / 2.0)); }

RECT relative(const RECT& inner, const RECT& outer) {
    return RECT{inner.left - outer.left, inner.top - outer.top, inner.right - outer.left,
                inner.bottom - outer.top};
}

}  // namespace

Size windowSize(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

Size clientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

RECT controlClientRect(HWND control) {
    RECT window{};
    RECT client{};
    GetWindowRect(control, &window);
    GetClientRect(control, &client);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
    const int vertical_bar = (style & WS_VSCROLL) ? kScrollBarThickness : 0;
    const int horizontal_bar = (style & WS_HSCROLL) ? kScrollBarThickness : 0;
    const int border_width = rounded_half(window.right - window.left - client.right - vertical_bar);
    const int border_height =
        rounded_half(window.bottom - window.top - client.bottom - horizontal_bar);
    return RECT{border_width, border_height, border_width + client.right,
                border_height + client.bottom};
}

RECT rectInAncestor(HWND ancestor, HWND control) {
    RECT outer{};
    RECT inner{};
    GetWindowRect(ancestor, &outer);
    GetWindowRect(control, &inner);
    return relative(inner, outer);
}

RECT rectInRoot(HWND control) { return rectInAncestor(GetAncestor(control, GA_ROOT), control); }

}  // namespace qelvo::skin
