#include "skin/edit_combo_painters.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "engine/gbk_literal.h"
#include "gdiplus/brushes.h"
#include "gdiplus/graphics.h"
#include "gdiplus/image.h"
#include "gdiplus/path.h"
#include "gdiplus/pen.h"
#include "gdiplus/text.h"
#include "resources/skin_images.h"
#include "skin/colour.h"
#include "skin/composition.h"
#include "skin/control_registration.h"
#include "skin/geometry.h"
#include "skin/shapes.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"
#include "ui/win32/wide_text.h"

namespace qelvo::skin {
namespace {

// The hole colour: the final copy leaves these pixels to the children.
constexpr COLORREF kHoleColour = RGB(255, 0, 255);

constexpr std::uint8_t kRestAlpha = 80;
constexpr std::uint8_t kEditLitAlpha = 180;
constexpr std::uint8_t kComboLitAlpha = 200;
constexpr float kEditHotPenWidth = 2;

// Combo-box styles as bits: 0x1 for the simple combo and the drop-down
// list, 0x2 for the two styles with a drop-down button.
constexpr DWORD kOwnListBit = 0x1;
constexpr DWORD kDropButtonBit = 0x2;
constexpr int kListButtonWidth = 17;
constexpr int kComboButtonWidth = 18;
constexpr int kButtonInset = 2;
constexpr float kButtonDiameter = 4;
constexpr float kButtonFaceDiameter = 1;
constexpr std::uint8_t kHotFaceTopAlpha = 100;
constexpr std::uint8_t kHotFaceBottomAlpha = 150;
constexpr std::uint8_t kFaceTopAlpha = 30;
constexpr std::uint8_t kFaceBottomAlpha = 100;
// The list box of a simple combo keeps its own two-pixel edge under the
// skin's paint.
constexpr int kListHoleShrink = 2;
constexpr float kComboTextSize = 12;
constexpr float kComboTextLeft = 2;

DWORD style_of(HWND control) { return static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)); }

RECT scroll_bar_rect(HWND control, LONG object) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    if (!GetScrollBarInfo(control, object, &info)) return RECT{};
    return info.rcScrollBar;
}

int floor_half(int value) { return static_cast<int>(std::floor(value / 2.0)); }

void add_to_region(Region& region, const RECT& area) {
    Region piece(CreateRectRgnIndirect(&area));
    if (!region) {
        region = std::move(piece);
        return;
    }
    CombineRgn(region.get(), region.get(), piece.get(), RGN_OR);
}

int recorded_edit_focus(HWND edit) {
    const EditSkin* record = findControlRecord(edit, &SkinWindow::editSkins);
    return record ? record->focused : 0;
}

std::uint8_t overlay_alpha(const SkinEngine& engine) {
    return static_cast<std::uint8_t>(engine.settings.overlayAlpha);
}

Argb accent(const SkinEngine& engine, std::uint8_t alpha) {
    return toArgb(engine.settings.accentColour, alpha);
}

void veil(const SkinEngine& engine, gdiplus::Graphics& graphics, int x, int y, int width,
          int height) {
    gdiplus::SolidBrush white;
    if (white.CreateSolidFill(toArgb(kWhite, overlay_alpha(engine)))) {
        graphics.FillRectangleI(white, x, y, width, height);
    }
}

void stroke_rectangle(gdiplus::Graphics& graphics, Argb colour, float penWidth, int x, int y,
                      int width, int height) {
    gdiplus::Pen pen;
    if (pen.CreatePen1(colour, penWidth)) graphics.DrawRectangleI(pen, x, y, width, height);
}

// --- Edit frame ---------------------------------------------------------------

struct BorderLine {
    Argb colour;
    float penWidth;
    int inset;
};

BorderLine edit_border(const SkinEngine& engine, bool focused, bool hot) {
    if (hot) return {accent(engine, kEditLitAlpha), kEditHotPenWidth, 1};
    if (focused) return {accent(engine, kEditLitAlpha), 1, 0};
    return {toArgb(kBlack, kRestAlpha), 1, 0};
}

// The clip keeps every stroke on the ring, off the content.
void draw_edit_ring(SkinEngine& engine, HDC dc, HWND edit, const EditFrameGeometry& frame,
                    bool focused, bool hot) {
    gdiplus::Graphics graphics;
    if (!graphics.CreateFromHDC(dc)) return;
    graphics.SetClipRectI(0, 0, frame.width, frame.height);
    graphics.SetClipRectI(frame.borderX, frame.borderY, frame.contentWidth, frame.contentHeight,
                          Gdiplus::CombineModeXor);
    if (engine.settings.veilFlag) {
        veil(engine, graphics, 0, 0, frame.width, frame.height);
    } else {
        graphics.GraphicsClear(toArgb(kWhite));
    }
    // An edit outside any skinned window has no accent to light up with.
    if (engine.findSkinAncestor(edit) == 0) return;
    const BorderLine line = edit_border(engine, focused, hot);
    stroke_rectangle(graphics, line.colour, line.penWidth, line.inset, line.inset,
                     frame.width - 1 - 2 * line.inset, frame.height - 1 - 2 * line.inset);
}

// The content is excluded so that the system's text and scroll bars are
// never overdrawn.
void copy_ring_to_window(HWND edit, HDC source, const EditFrameGeometry& frame) {
    HDC target = GetWindowDC(edit);
    if (!target) return;
    ExcludeClipRect(target, frame.borderX, frame.borderY, frame.borderX + frame.contentWidth,
                    frame.borderY + frame.contentHeight);
    BitBlt(target, 0, 0, frame.width, frame.height, source, 0, 0, SRCCOPY);
    ReleaseDC(edit, target);
}

// --- Combo box ------------------------------------------------------------------

struct ComboLayout {
    HWND combo = nullptr;
    DWORD style = 0;
    int width = 0;
    int height = 0;
    int buttonX = 0;
    int buttonY = kButtonInset;
    int buttonWidth = 0;
    int buttonHeight = 0;
};

bool has_bits(DWORD style, DWORD bits) { return (style & bits) == bits; }

ComboLayout combo_layout(HWND combo) {
    ComboLayout layout;
    layout.combo = combo;
    layout.style = style_of(combo);
    RECT client{};
    GetClientRect(combo, &client);
    layout.width = client.right;
    layout.height = client.bottom;
    layout.buttonWidth =
        has_bits(layout.style, kOwnListBit | kDropButtonBit) ? kListButtonWidth : kComboButtonWidth;
    layout.buttonX = layout.width - layout.buttonWidth - kButtonInset;
    layout.buttonHeight = layout.height - 2 * kButtonInset;
    return layout;
}

void cut_hole(gdiplus::Graphics& graphics, HWND combo, HWND child, int shrink) {
    RECT box = rectInAncestor(combo, child);
    InflateRect(&box, -shrink, -shrink);
    graphics.SetClipRectI(box.left, box.top, box.right - box.left, box.bottom - box.top);
    graphics.GraphicsClear(toArgb(kHoleColour));
}

// A combo with its own list shows every child; the drop-down combo only
// its edit, the first child.
void cut_child_holes(gdiplus::Graphics& graphics, const ComboLayout& layout) {
    HWND first = FindWindowExW(layout.combo, nullptr, nullptr, nullptr);
    if (!(layout.style & kOwnListBit)) {
        if (first) cut_hole(graphics, layout.combo, first, 0);
    } else {
        for (HWND child = first; child;
             child = FindWindowExW(layout.combo, child, nullptr, nullptr)) {
            const int shrink = windowClassName(child) == L"ComboLBox" ? kListHoleShrink : 0;
            cut_hole(graphics, layout.combo, child, shrink);
        }
    }
    graphics.ResetClip();
}

void draw_button_outline(const SkinEngine& engine, gdiplus::Graphics& graphics,
                         const ComboLayout& layout, bool hot) {
    gdiplus::Path outline;
    gdiplus::Pen pen;
    if (!outline.CreatePath() ||
        !pen.CreatePen1(hot ? accent(engine, kComboLitAlpha) : toArgb(kBlack, kRestAlpha), 1)) {
        return;
    }
    addRoundRect(outline, static_cast<float>(layout.buttonX), static_cast<float>(layout.buttonY),
                 static_cast<float>(layout.buttonWidth - 1),
                 static_cast<float>(layout.buttonHeight - 1), kButtonDiameter);
    graphics.DrawPath(pen, outline);
}

// Hot, the face brightens from white at the top into the accent.
void draw_button_face(const SkinEngine& engine, gdiplus::Graphics& graphics,
                      const ComboLayout& layout, bool hot) {
    const auto left = static_cast<float>(layout.buttonX + 1);
    const auto top = static_cast<float>(layout.buttonY);
    const Argb from = hot ? toArgb(kWhite, kHotFaceTopAlpha) : accent(engine, kFaceTopAlpha);
    const Argb to = hot ? accent(engine, kHotFaceBottomAlpha) : accent(engine, kFaceBottomAlpha);
    gdiplus::Path face;
    gdiplus::LinearGradientBrush gradient;
    if (!face.CreatePath() ||
        !gradient.CreateLineBrush(
            {left, top}, {left, top + static_cast<float>(layout.buttonHeight - 2)}, from, to)) {
        return;
    }
    addRoundRect(face, left, top + 1, static_cast<float>(layout.buttonWidth - 2),
                 static_cast<float>(layout.buttonHeight - 2), kButtonFaceDiameter);
    graphics.FillPath(gradient, face);
}

// Centred on whole pixels, so that the small arrow stays sharp.
void draw_button_arrow(gdiplus::Graphics& graphics, const ComboLayout& layout) {
    gdiplus::Image arrow;
    if (!arrow.LoadFromBytes(resources::kArrowDownPng)) return;
    const auto width = static_cast<int>(arrow.GetImageWidth());
    const auto height = static_cast<int>(arrow.GetImageHeight());
    graphics.DrawImageRectI(arrow, layout.buttonX + (layout.buttonWidth - width) / 2,
                            layout.buttonY + (layout.buttonHeight - height) / 2, width, height);
}

// A drop-down list has no edit: its window text, the selected item, is
// drawn here in the combo's text colour.
void draw_selected_text(gdiplus::Graphics& graphics, const ComboLayout& layout) {
    const std::string text = ui::window_text_gbk(layout.combo);
    const auto colour = static_cast<COLORREF>(int_property(layout.combo, kTextColourProperty));
    gdiplus::SolidBrush brush;
    gdiplus::Font font;
    gdiplus::StringFormat format;
    if (text.empty() || !brush.CreateSolidFill(toArgb(colour)) ||
        !font.CreateFontFromName(gbk("宋体"), kComboTextSize) || !format.CreateStringFormat()) {
        return;
    }
    const auto width = static_cast<float>(layout.width);
    const auto height = static_cast<float>(layout.height);
    const Gdiplus::RectF box(kComboTextLeft, (height - kComboTextSize) / 2,
                             width - static_cast<float>(kListButtonWidth),
                             height - 2 * kButtonInset);
    graphics.DrawString(text, font, box, format, brush);
}

void draw_combo(SkinEngine& engine, HDC dc, const ComboLayout& layout, bool hot, bool lit) {
    gdiplus::Graphics graphics;
    if (!graphics.CreateFromHDC(dc)) return;
    if (engine.settings.veilFlag) {
        veil(engine, graphics, 0, 0, layout.width, layout.height);
    } else {
        gdiplus::SolidBrush white;
        if (white.CreateSolidFill(toArgb(kWhite))) {
            graphics.FillRectangleI(white, 0, 0, layout.width, layout.height);
        }
    }
    cut_child_holes(graphics, layout);
    stroke_rectangle(graphics, lit ? accent(engine, kComboLitAlpha) : toArgb(kBlack, kRestAlpha), 1,
                     0, 0, layout.width - 1, layout.height - 1);
    if (!(layout.style & kDropButtonBit)) return;
    draw_button_outline(engine, graphics, layout, hot);
    draw_button_face(engine, graphics, layout, hot);
    draw_button_arrow(graphics, layout);
    if (layout.style & kOwnListBit) draw_selected_text(graphics, layout);
}

void copy_combo_to_window(const ComboLayout& layout, HDC source) {
    HDC target = GetWindowDC(layout.combo);
    if (!target) return;
    TransparentBlt(target, 0, 0, layout.width, layout.height, source, 0, 0, layout.width,
                   layout.height, kHoleColour);
    ReleaseDC(layout.combo, target);
}

}  // namespace

EditFrameGeometry editFrameGeometry(HWND control) {
    RECT outer{};
    RECT client{};
    GetWindowRect(control, &outer);
    GetClientRect(control, &client);
    const DWORD style = style_of(control);
    EditFrameGeometry frame;
    frame.width = outer.right - outer.left;
    frame.height = outer.bottom - outer.top;
    frame.contentWidth = client.right;
    frame.contentHeight = client.bottom;
    if (style & WS_VSCROLL) {
        const RECT bar = scroll_bar_rect(control, OBJID_VSCROLL);
        frame.contentWidth += bar.right - bar.left;
    }
    if (style & WS_HSCROLL) {
        const RECT bar = scroll_bar_rect(control, OBJID_HSCROLL);
        frame.contentHeight += bar.bottom - bar.top;
    }
    frame.borderX = floor_half(frame.width - frame.contentWidth);
    frame.borderY = floor_half(frame.height - frame.contentHeight);
    return frame;
}

bool hasScrollBars(HWND control) { return (style_of(control) & (WS_HSCROLL | WS_VSCROLL)) != 0; }

Region scrollBarRegion(HWND control) {
    const DWORD style = style_of(control);
    Region region;
    if (style & WS_HSCROLL) add_to_region(region, scroll_bar_rect(control, OBJID_HSCROLL));
    if (style & WS_VSCROLL) {
        RECT bar = scroll_bar_rect(control, OBJID_VSCROLL);
        // The corner square between the two bars belongs to neither.
        if (style & WS_HSCROLL) bar.bottom += bar.right - bar.left;
        add_to_region(region, bar);
    }
    return region;
}

void paintEditFrame(SkinEngine& engine, HWND edit, std::optional<bool> focused, bool hot) {
    const bool isFocused = focused.value_or(recorded_edit_focus(edit) != 0);
    const EditFrameGeometry frame = editFrameGeometry(edit);
    RECT area{};
    HDC dc = composeBackground(engine, edit, area);
    if (!dc) return;
    draw_edit_ring(engine, dc, edit, frame, isFocused, hot);
    copy_ring_to_window(edit, dc, frame);
    releaseMemoryDc(engine, dc);
}

void paintEditBackground(SkinEngine& engine, HWND edit, HDC target) {
    const RECT client = controlClientRect(edit);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    RECT area{};
    HDC dc = composeBackground(engine, edit, area);
    if (!dc) return;
    {
        gdiplus::Graphics graphics;
        if (graphics.CreateFromHDC(dc)) {
            veil(engine, graphics, client.left, client.top, width, height);
        }
    }
    if (target) {
        BitBlt(target, 0, 0, width, height, dc, client.left, client.top, SRCCOPY);
    } else if (HDC windowDc = GetWindowDC(edit)) {
        BitBlt(windowDc, client.left, client.top, width, height, dc, client.left, client.top,
               SRCCOPY);
        ReleaseDC(edit, windowDc);
    }
    releaseMemoryDc(engine, dc);
}

void paintCombo(SkinEngine& engine, int windowIndex, int controlIndex, bool hot,
                std::optional<bool> focused) {
    const ComboSkin* record = recordAt(engine, windowIndex, controlIndex, &SkinWindow::comboSkins);
    if (!record || !record->hwnd) return;
    const bool lit = hot || focused.value_or(record->focused != 0);
    const ComboLayout layout = combo_layout(record->hwnd);
    RECT area{};
    HDC dc = composeBackground(engine, record->hwnd, area);
    if (!dc) return;
    draw_combo(engine, dc, layout, hot, lit);
    copy_combo_to_window(layout, dc);
    releaseMemoryDc(engine, dc);
}

}  // namespace qelvo::skin
