#include "skin/list_painters.h"

#include <cstdint>

#include "gdiplus/brushes.h"
#include "gdiplus/graphics.h"
#include "gdiplus/pen.h"
#include "skin/colour.h"
#include "skin/composition.h"
#include "skin/control_registration.h"
#include "skin/edit_combo_painters.h"
#include "skin/gdi_holders.h"
#include "skin/geometry.h"
#include "skin/skin_engine.h"

namespace qelvo::skin {
namespace {

constexpr std::uint8_t kLitBorderAlpha = 200;
constexpr std::uint8_t kRestingBorderAlpha = 90;
constexpr float kHotBorderWidth = 2.0f;
constexpr float kBorderWidth = 1.0f;

DWORD style_of(HWND control) { return static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)); }

DWORD extended_style_of(HWND control) {
    return static_cast<DWORD>(GetWindowLongPtrW(control, GWL_EXSTYLE));
}

// Only a control with a border of its own has a ring to paint: without one
// its window and client rectangles are the same.
bool is_framed(HWND control) {
    return (style_of(control) & WS_BORDER) != 0 ||
           (extended_style_of(control) &
            (WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME)) != 0;
}

struct BorderLine {
    Argb colour = 0;
    float width = kBorderWidth;
    int inset = 0;
};

BorderLine border_line(const SkinEngine& engine, bool hot, bool focused) {
    const COLORREF accent = engine.settings.accentColour;
    if (hot) return {toArgb(accent, kLitBorderAlpha), kHotBorderWidth, 1};
    if (focused) return {toArgb(accent, kLitBorderAlpha), kBorderWidth, 0};
    return {toArgb(kBlack, kRestingBorderAlpha), kBorderWidth, 0};
}

std::uint8_t veil_alpha(const SkinEngine& engine) {
    return static_cast<std::uint8_t>(engine.settings.overlayAlpha);
}

// The ring in white (veiled or opaque), the content left in the key colour
// so that the copy to the screen passes over it, and the border line.
void draw_frame(const SkinEngine& engine, HDC dc, const EditFrameGeometry& frame, bool hot,
                bool focused) {
    gdiplus::Graphics graphics;
    if (!graphics.CreateFromHDC(dc)) return;
    const int width = frame.width;
    const int height = frame.height;

    graphics.SetClipRectI(0, 0, width, height);
    graphics.SetClipRectI(frame.borderX, frame.borderY, frame.contentWidth, frame.contentHeight,
                          Gdiplus::CombineModeXor);
    gdiplus::SolidBrush ring;
    ring.CreateSolidFill(toArgb(kWhite, engine.settings.veilFlag ? veil_alpha(engine) : 255));
    graphics.FillRectangleI(ring, 0, 0, width, height);
    graphics.ResetClip();

    graphics.SetClipRectI(frame.borderX, frame.borderY, frame.contentWidth, frame.contentHeight);
    graphics.GraphicsClear(toArgb(kListTransparentKey));
    graphics.ResetClip();

    const BorderLine line = border_line(engine, hot, focused);
    gdiplus::Pen pen;
    pen.CreatePen1(line.colour, line.width);
    graphics.DrawRectangleI(pen, line.inset, line.inset, width - 1 - line.inset,
                            height - 1 - line.inset);
}

// What lies behind the client area, moved to the DC's origin: the control
// draws its items from its client origin, while the picture begins at the
// window's corner.
HDC client_background_dc(SkinEngine& engine, HWND control) {
    const RECT client = controlClientRect(control);
    RECT area{};
    HDC dc = composeBackground(engine, control, area);
    if (!dc) return nullptr;
    BitBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, dc, client.left,
           client.top, SRCCOPY);
    return dc;
}

template <typename Visit>
void for_each_visible_child(HWND control, Visit&& visit) {
    for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child)) visit(child);
    }
}

}  // namespace

// The combo box paints the frame around its list itself, and an unframed
// control has no ring: for both the picture would be all key colour, so
// nothing is drawn.
void paintListFrame(SkinEngine& engine, int windowIndex, int controlIndex, std::optional<bool> hot,
                    std::optional<bool> focused) {
    const ListSkin* record = recordAt(engine, windowIndex, controlIndex, &SkinWindow::listSkins);
    if (!record || !record->hwnd) return;
    HWND control = record->hwnd;
    const bool isHot = hot.value_or(record->hot != 0);
    const bool isFocused = focused.value_or(record->focused != 0);
    if (!is_framed(control) || windowClassName(control) == L"ComboLBox") return;

    const EditFrameGeometry frame = editFrameGeometry(control);
    RECT area{};
    HDC picture = composeBackground(engine, control, area);
    if (!picture) return;
    draw_frame(engine, picture, frame, isHot, isFocused);
    HDC window = GetWindowDC(control);
    ExcludeClipRect(window, frame.borderX, frame.borderY, frame.borderX + frame.contentWidth,
                    frame.borderY + frame.contentHeight);
    TransparentBlt(window, 0, 0, frame.width, frame.height, picture, 0, 0, frame.width,
                   frame.height, kListTransparentKey);
    ReleaseDC(control, window);
    releaseMemoryDc(engine, picture);
}

HDC veiledClientDc(SkinEngine& engine, HWND control) {
    HDC dc = client_background_dc(engine, control);
    if (!dc) return nullptr;
    gdiplus::Graphics graphics;
    if (graphics.CreateFromHDC(dc)) {
        gdiplus::SolidBrush veil;
        veil.CreateSolidFill(toArgb(kWhite, veil_alpha(engine)));
        const Size size = windowSize(control);
        graphics.FillRectangleI(veil, 0, 0, size.width, size.height);
    }
    return dc;
}

HDC clientDcWithoutChildren(HWND control) {
    HDC dc = GetDC(control);
    if (!dc) return nullptr;
    for_each_visible_child(control, [&](HWND child) {
        if (extended_style_of(child) & WS_EX_TRANSPARENT) return;
        RECT area{};
        GetWindowRect(child, &area);
        MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&area), 2);
        ExcludeClipRect(dc, area.left, area.top, area.right, area.bottom);
    });
    return dc;
}

void invalidateChildren(HWND control) {
    for_each_visible_child(control, [](HWND child) { InvalidateRect(child, nullptr, TRUE); });
}

namespace {

// The control paints into a DC whose background and text background are the
// key colour; everything it leaves in that colour then shows the veil.
void paint_keyed_over_veil(SkinEngine& engine, HWND control) {
    const Size client = clientSize(control);
    HDC items = client_background_dc(engine, control);
    if (!items) return;
    const RECT whole{0, 0, client.width, client.height};
    Brush key(CreateSolidBrush(kListTransparentKey));
    if (key) FillRect(items, &whole, key.get());
    SetBkColor(items, kListTransparentKey);
    forwardMessage(control, WM_PAINT, reinterpret_cast<WPARAM>(items), 0);
    HDC veiled = veiledClientDc(engine, control);
    if (veiled) {
        TransparentBlt(veiled, 0, 0, client.width, client.height, items, 0, 0, client.width,
                       client.height, kListTransparentKey);
        if (HDC screen = clientDcWithoutChildren(control)) {
            BitBlt(screen, 0, 0, client.width, client.height, veiled, 0, 0, SRCCOPY);
            ReleaseDC(control, screen);
        }
    }
    releaseMemoryDc(engine, items);
    releaseMemoryDc(engine, veiled);
}

}  // namespace

void paintVeiledTree(SkinEngine& engine, HWND tree) { paint_keyed_over_veil(engine, tree); }

// A plain list box fills its rows and the space below them opaquely in its
// text background colour, whatever the colour reply says; keyed, that
// colour becomes the veil.
void paintVeiledListBox(SkinEngine& engine, HWND list) { paint_keyed_over_veil(engine, list); }

void paintVeiledList(SkinEngine& engine, HWND list) {
    const Size client = clientSize(list);
    HDC veiled = veiledClientDc(engine, list);
    PAINTSTRUCT paint{};
    HDC screen = BeginPaint(list, &paint);
    if (veiled) {
        // The control draws only the rows that are in view, whatever their
        // number.
        forwardMessage(list, WM_PAINT, reinterpret_cast<WPARAM>(veiled), 0);
        BitBlt(screen, 0, 0, client.width, client.height, veiled, 0, 0, SRCCOPY);
    }
    EndPaint(list, &paint);
    releaseMemoryDc(engine, veiled);
    invalidateChildren(list);
}

}  // namespace qelvo::skin
