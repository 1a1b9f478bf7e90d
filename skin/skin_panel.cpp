// Containers: registering a group box or other container with the skin,
// painting it as a translucent tinted area over the window background with
// its frame and caption, and its procedure, which keeps that painting right
// as it moves, resizes and shows, and answers its children's colour requests.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/gbk_literal.h"
#include "gdiplus/brushes.h"
#include "gdiplus/graphics.h"
#include "gdiplus/path.h"
#include "gdiplus/pen.h"
#include "gdiplus/text.h"
#include "skin/button_skin.h"
#include "skin/child_colour_replies.h"
#include "skin/colour.h"
#include "skin/composition.h"
#include "skin/control_registration.h"
#include "skin/geometry.h"
#include "skin/shapes.h"
#include "skin/skin_engine.h"
#include "skin/subclass_message.h"
#include "skin/window_properties.h"
#include "ui/win32/wide_text.h"

namespace qelvo::skin {
namespace {

// The group box frame starts under the middle of its caption line.
constexpr float kGroupFrameTop = 5;
constexpr float kOuterDiameter = 5;
constexpr float kGroupInnerDiameter = 3;
constexpr float kFrameInnerDiameter = 3;
constexpr std::uint8_t kFrameDarkAlpha = 40;
constexpr std::uint8_t kGroupFrameLightAlpha = 90;
constexpr std::uint8_t kFrameLightAlpha = 100;
// A caption on the left or right keeps this far from the side.
constexpr int kCaptionSideGap = 10;
constexpr int kCaptionTop = 1;
constexpr int kCaptionExtraHeight = 3;
// The skin's usual text face, for a group box that keeps the system font.
constexpr int kFallbackFontSize = 12;
// Docked children keep this far from the container's sides.
constexpr int kDockedInset = 2;

void stroke_round_rect(gdiplus::Graphics& graphics, float x, float y, float width, float height,
                       float diameter, Argb colour) {
    gdiplus::Path path;
    gdiplus::Pen pen;
    if (!path.CreatePath() || !pen.CreatePen1(colour, 1)) return;
    addRoundRect(path, x, y, width, height, diameter);
    graphics.DrawPath(pen, path);
}

// Dark outside, light inside: the two-tone frame of every skinned surface,
// from `top` to the bottom edge.
void draw_two_tone_frame(HDC dc, Size size, float top, float innerDiameter,
                         std::uint8_t lightAlpha) {
    gdiplus::Graphics graphics;
    if (!graphics.CreateFromHDC(dc)) return;
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    const auto width = static_cast<float>(size.width);
    const auto height = static_cast<float>(size.height) - top;
    stroke_round_rect(graphics, 0, top, width - 1, height - 1, kOuterDiameter,
                      toArgb(kBlack, kFrameDarkAlpha));
    stroke_round_rect(graphics, 1, top + 1, width - 3, height - 3, innerDiameter,
                      toArgb(kWhite, lightAlpha));
}

int caption_font_size(const PanelSkin& panel) {
    return panel.fontSize > 0 ? panel.fontSize : kFallbackFontSize;
}

bool make_caption_font(const PanelSkin& panel, gdiplus::Font& font) {
    return createCaptionFont(font, panel.fontFace, panel.fontSize, panel.fontStyle);
}

int text_width(HDC dc, const std::string& text, const gdiplus::Font& font,
               const gdiplus::StringFormat& format) {
    gdiplus::Graphics graphics;
    if (!graphics.CreateFromHDC(dc)) return 0;
    const Gdiplus::RectF unbounded(0, 0, 10000, 1000);
    return static_cast<int>(std::ceil(graphics.MeasureString(text, font, unbounded, format).Width));
}

// BS_CENTER is both alignment bits, BS_LEFT the lower one alone; anything
// else puts the caption on the right.
int caption_left(DWORD style, int panelWidth, int textWidth) {
    if ((style & BS_CENTER) == BS_CENTER) return (panelWidth - textWidth) / 2;
    if (style & BS_LEFT) return kCaptionSideGap;
    return panelWidth - textWidth - kCaptionSideGap;
}

IntRect caption_box(const PanelSkin& panel, Size size, int textWidth) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(panel.hwnd, GWL_STYLE));
    return IntRect{caption_left(style, size.width, textWidth), kCaptionTop, textWidth,
                   caption_font_size(panel) + kCaptionExtraHeight};
}

// The frame line would run through the text: the box gets the background
// back before the text goes on it.
void restore_background(SkinEngine& engine, HWND container, HDC dc, const IntRect& box) {
    RECT area{};
    HDC fresh = composeBackground(engine, container, area);
    if (!fresh) return;
    BitBlt(dc, box.x, box.y, box.width, box.height, fresh, box.x, box.y, SRCCOPY);
    releaseMemoryDc(engine, fresh);
}

void draw_caption_text(HDC dc, const std::string& text, const gdiplus::Font& font,
                       const gdiplus::StringFormat& format, const IntRect& box, COLORREF colour) {
    gdiplus::Graphics graphics;
    gdiplus::SolidBrush brush;
    if (!graphics.CreateFromHDC(dc) || !brush.CreateSolidFill(toArgb(colour))) return;
    const Gdiplus::RectF layout(
        static_cast<Gdiplus::REAL>(box.x), static_cast<Gdiplus::REAL>(box.y),
        static_cast<Gdiplus::REAL>(box.width), static_cast<Gdiplus::REAL>(box.height));
    graphics.DrawString(text, font, layout, format, brush);
}

// The caption is the container's window text, in the container's text
// colour ("Kj_Ztys", black when unset).
void draw_group_caption(SkinEngine& engine, const PanelSkin& panel, HDC dc, Size size) {
    const std::string text = ui::window_text_gbk(panel.hwnd);
    gdiplus::Font font;
    gdiplus::StringFormat format;
    if (text.empty() || !make_caption_font(panel, font) ||
        !format.CreateStringFormat(Gdiplus::StringFormatFlagsNoWrap)) {
        return;
    }
    const IntRect box = caption_box(panel, size, text_width(dc, text, font, format));
    restore_background(engine, panel.hwnd, dc, box);
    const auto colour = static_cast<COLORREF>(int_property(panel.hwnd, kTextColourProperty));
    draw_caption_text(dc, text, font, format, box, colour);
}

// The target is the paint DC, or else the container's own window DC.
void copy_to_container(HWND container, HDC source, HDC target) {
    RECT client{};
    GetClientRect(container, &client);
    HDC dc = target ? target : GetWindowDC(container);
    if (!dc) return;
    BitBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
    if (!target) ReleaseDC(container, dc);
}

// Transparent children show what lies behind them, which has just been
// painted anew.
void invalidate_transparent_children(HWND container) {
    for (HWND child = GetWindow(container, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT) {
            InvalidateRect(child, nullptr, FALSE);
        }
    }
}

bool is_group_box(HWND container) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(container, GWL_STYLE));
    return windowClassName(container) == L"Button" && (style & BS_GROUPBOX) == BS_GROUPBOX;
}

// The nearest ancestor that supplies its own background to what lies below.
HWND background_owner(HWND container) {
    for (HWND ancestor = GetParent(container); ancestor; ancestor = GetParent(ancestor)) {
        if (int_property(ancestor, kSuppliesBackgroundProperty) == 1) return ancestor;
    }
    return nullptr;
}

}  // namespace

void SkinEngine::skinPanel(HWND container, int paintBackground, COLORREF fillColour, int fillAlpha,
                           int fourthValue) {
    const int windowIndex = findSkinAncestor(container);
    SkinWindow* record = window(windowIndex);
    if (!record || findPanel(windowIndex, container) != 0) return;
    PanelSkin panel;
    panel.hwnd = container;
    panel.fillColour = fillColour;
    panel.fillAlpha = static_cast<std::uint8_t>(fillAlpha);
    panel.fourthValue = fourthValue;
    panel.paintBackground = paintBackground;
    if (is_group_box(container)) {
        panel.isGroupBox = 1;
        const ControlFont font = readControlFont(container);
        panel.fontFace = font.face;
        panel.fontSize = font.size;
        panel.fontStyle = font.style;
    }
    record->panelSkins.push_back(std::move(panel));
    const int panelIndex = static_cast<int>(record->panelSkins.size());

    skinChildren(windowIndex, container);

    // The skinners may have grown other lists of the record, never this one.
    PanelSkin& added = window(windowIndex)->panelSkins[static_cast<std::size_t>(panelIndex - 1)];
    added.dirty = 1;
    added.oldProc = subclassWindow(container, panelProc);
    set_int_property(container, kIndexProperty, panelIndex);
    set_int_property(container, kOwnerIndexProperty, windowIndex);
    set_handle_property(container, kBackgroundOwnerProperty, background_owner(container));
}

// A panel without a fill colour has nothing the alpha would change.
void SkinEngine::setPanelAlpha(HWND container, int alpha) {
    const int windowIndex = findSkinAncestor(container);
    SkinWindow* record = window(windowIndex);
    const int panelIndex = findPanel(windowIndex, container);
    if (!record || panelIndex == 0) return;
    PanelSkin& panel = record->panelSkins[static_cast<std::size_t>(panelIndex - 1)];
    if (panel.fillColour == 0) return;
    panel.fillAlpha = static_cast<std::uint8_t>(alpha);
    InvalidateRect(container, nullptr, FALSE);
}

void SkinEngine::paintPanel(int windowIndex, int panelIndex, HDC target, bool rebuild) {
    PanelSkin* found = recordAt(*this, windowIndex, panelIndex, &SkinWindow::panelSkins);
    if (!found) return;
    PanelSkin& panel = *found;
    const HWND container = panel.hwnd;
    RECT area{};
    HDC dc = composeBackground(*this, container, area);
    if (!dc) return;
    const Size size = windowSize(container);
    if (panel.isGroupBox) {
        draw_two_tone_frame(dc, size, kGroupFrameTop, kGroupInnerDiameter, kGroupFrameLightAlpha);
        draw_group_caption(*this, panel, dc, size);
    } else if (panel.fourthValue != 0) {
        draw_two_tone_frame(dc, size, 0, kFrameInnerDiameter, kFrameLightAlpha);
    }
    copy_to_container(container, dc, target);
    releaseMemoryDc(*this, dc);
    if (rebuild) {
        panel.dirty = 0;
    } else {
        invalidate_transparent_children(container);
    }
}

namespace {

// The container's record through the indexes it carries ("Hw_FuID" and
// "Hw_lbID"); null when they went stale.
PanelSkin* panel_record(HWND container) {
    return findControlRecord(container, &SkinWindow::panelSkins);
}

int window_index_of(HWND container) { return int_property(container, kOwnerIndexProperty); }
int panel_index_of(HWND container) { return int_property(container, kIndexProperty); }

// A translucent container shows another part of the background once moved.
LRESULT on_move(const PanelSkin& panel, const Message& message) {
    if (panel.paintBackground && panel.fillAlpha != 255) {
        InvalidateRect(message.window, nullptr, FALSE);
    }
    return message.forward();
}

LRESULT on_size(PanelSkin& panel, const Message& message) {
    panel.dirty = 1;
    const int width = LOWORD(message.lparam);
    const int height = HIWORD(message.lparam);
    for (const auto& [child, offset] : panel.anchors) {
        MoveWindow(child, kDockedInset, offset.y, width - 2 * kDockedInset, height - offset.y,
                   TRUE);
    }
    return message.forward();
}

// A container that paints its own background never lets the replaced
// procedure paint over it.
LRESULT on_paint(SkinEngine& engine, const PanelSkin& panel, const Message& message) {
    if (!panel.paintBackground) return message.forward();
    const bool rebuild = panel.dirty != 0;
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(message.window, &paint);
    engine.paintPanel(window_index_of(message.window), panel_index_of(message.window), dc, rebuild);
    EndPaint(message.window, &paint);
    return message.systemDefault();
}

LRESULT on_erase_background(const PanelSkin& panel, const Message& message) {
    if (!panel.paintBackground) return message.forward();
    SetBkMode(reinterpret_cast<HDC>(message.wparam), TRANSPARENT);
    return 1;
}

// The replaced procedure shows the container first; the rebuilt background
// then goes straight onto it.
LRESULT on_show_window(SkinEngine& engine, const Message& message) {
    if (!message.wparam) return message.forward();
    message.forward();
    const PanelSkin* panel = panel_record(message.window);
    if (panel && panel->paintBackground) {
        engine.paintPanel(window_index_of(message.window), panel_index_of(message.window), nullptr,
                          true);
    }
    return message.systemDefault();
}

LRESULT dispatch(SkinEngine& engine, PanelSkin& panel, const Message& message) {
    switch (message.id) {
        case WM_MOVE:
            return on_move(panel, message);
        case WM_SIZE:
            return on_size(panel, message);
        case WM_PAINT:
            return on_paint(engine, panel, message);
        case WM_ERASEBKGND:
            return on_erase_background(panel, message);
        case WM_SHOWWINDOW:
            return on_show_window(engine, message);
        default:
            // WM_DRAWITEM, WM_CTLCOLOR*, WM_COMMAND and WM_NOTIFY are answered for the
            // children; the rest goes on to the replaced procedure.
            return answerChildMessage(engine, message);
    }
}

}  // namespace

LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const Message current{window, message, wparam, lparam};
    SkinEngine* engine = SkinEngine::instance();
    PanelSkin* panel = panel_record(window);
    if (!engine || !panel) return current.forward();
    return dispatch(*engine, *panel, current);
}

}  // namespace qelvo::skin
