// Attaching push buttons, check boxes and radio buttons, and the one
// procedure that serves all three: it keeps the caption and focus, lights a
// button once when the mouse comes over it, swallows the system's
// background and frame painting and double clicks, and shows every change
// of a check box or radio button in the skin's look at once.
#include "skin/button_skin.h"

#include <cmath>
#include <optional>

#include "engine/gbk_literal.h"
#include "gdiplus/text.h"
#include "skin/control_registration.h"
#include "skin/mouse_tracking.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"
#include "ui/win32/wide_text.h"

namespace qelvo::skin {
namespace {

constexpr LONG_PTR kOwnerDrawBits = BS_OWNERDRAW;  // 0x0B

bool all_bits(LONG_PTR style, LONG_PTR bits) { return (style & bits) == bits; }

LONG_PTR style_of(HWND control) { return GetWindowLongPtrW(control, GWL_STYLE); }

// BS_PUSHBUTTON, BS_DEFPUSHBUTTON and BS_USERBUTTON of the sixteen types.
bool is_push_button(LONG_PTR style) {
    return !(style & 0x2) && !all_bits(style, 0x9) && !(style & 0x4);
}

// BS_CHECKBOX, BS_AUTOCHECKBOX and BS_PUSHBOX.
bool is_check_box(LONG_PTR style) { return (style & 0x2) && !(style & 0x4); }

// BS_AUTORADIOBUTTON only.
bool is_radio_button(LONG_PTR style) {
    return !(style & 0x2) && all_bits(style, 0x9) && !(style & 0x4);
}

std::string caption_of(HWND button) { return ui::gbk_from_wide(ui::window_text(button)); }

// Check boxes and radio buttons are painted by the skin alone; push buttons
// through the parent's WM_DRAWITEM.
bool paints_itself(int kind) { return kind == kRadioButtonKind || kind == kCheckBoxKind; }

void paint_itself(HWND button, int kind, UINT state) {
    if (kind == kRadioButtonKind) {
        paintRadioButton(button, state);
    } else {
        paintCheckBox(button, state);
    }
}

SkinWindow* owner_of(HWND control) {
    SkinEngine* engine = SkinEngine::instance();
    return engine ? engine->window(int_property(control, kOwnerIndexProperty)) : nullptr;
}

LRESULT paint_on_request(HWND button, int kind, WPARAM wparam, LPARAM lparam) {
    PAINTSTRUCT paint{};
    BeginPaint(button, &paint);
    paint_itself(button, kind, 0);
    EndPaint(button, &paint);
    return DefWindowProcW(button, WM_PAINT, wparam, lparam);
}

// The system's procedure toggles the button and draws it in its own look;
// the skin's look goes over that at once, with the new check state.
LRESULT carry_out_then_show(HWND button, int kind, UINT message, WPARAM wparam, LPARAM lparam) {
    forwardMessage(button, message, wparam, lparam);
    paint_itself(button, kind, kind == kRadioButtonKind ? ODS_SELECTED : 0);
    return DefWindowProcW(button, message, wparam, lparam);
}

// Nothing is erased: the painters cover the whole button.
LRESULT prepare_erase(HWND button, HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    const auto colour = static_cast<COLORREF>(int_property(button, kTextColourProperty));
    return static_cast<LRESULT>(SetTextColor(dc, colour));
}

// Lit once on entry: further moves over the lit button repaint nothing,
// unless another skinned control left a part of itself lit.
void track_hover(HWND button) {
    trackMouseLeave(button);
    SkinWindow* owner = owner_of(button);
    if (!owner) return;
    owner->mouseControl = int_property(button, kIndexProperty);
    if (owner->hotControl == owner->mouseControl && owner->hotPart == 0) return;
    repaintButton(button, 0, true);
    owner->hotControl = owner->mouseControl;
    owner->hotPart = 0;
}

void clear_hot(HWND button) {
    if (SkinWindow* owner = owner_of(button)) owner->hotControl = 0;
}

void show_left(HWND button, const ControlSkin& record) {
    clear_hot(button);
    repaintButton(button, record.focused ? ODS_FOCUS : 0, false);
}

// What the skin does before (or instead of) the button's own procedure;
// no value means the message goes on to it.
std::optional<LRESULT> handle_message(HWND window, ControlSkin& button, UINT message, WPARAM wparam,
                                      LPARAM lparam) {
    const int kind = button.kind;
    switch (message) {
        case WM_MOVE:
            InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_SETFOCUS:
            button.focused = 1;
            break;
        case WM_KILLFOCUS:
            button.focused = 0;
            break;
        case WM_SETTEXT: {
            const auto* text = reinterpret_cast<const wchar_t*>(lparam);
            button.caption = ui::gbk_from_wide(text ? text : L"");
            break;
        }
        case WM_PAINT:
            if (paints_itself(kind)) return paint_on_request(window, kind, wparam, lparam);
            break;
        case WM_ERASEBKGND:
            return prepare_erase(window, reinterpret_cast<HDC>(wparam));
        case WM_NCPAINT:
            return 1;
        case WM_KEYDOWN:
            if (wparam != VK_SPACE) break;
            [[fallthrough]];
        case BM_SETCHECK:
        case WM_LBUTTONDOWN:
            if (paints_itself(kind)) {
                return carry_out_then_show(window, kind, message, wparam, lparam);
            }
            break;
        case WM_MOUSEMOVE:
            track_hover(window);
            break;
        case WM_LBUTTONUP:
            clear_hot(window);
            break;
        case WM_LBUTTONDBLCLK:
            return 0;
        case WM_MOUSELEAVE:
            show_left(window, button);
            break;
        default:
            break;
    }
    return std::nullopt;
}

// The record and indexes first, then the subclass; the caller adds the
// style and font its kind needs.
ControlSkin& register_button(SkinWindow& record, HWND child, int kind, int windowIndex) {
    const int index = appendControlRecord(record.buttonSkins, child);
    ControlSkin& button = record.buttonSkins.back();
    button.kind = kind;
    button.caption = caption_of(child);
    set_int_property(child, kIndexProperty, index);
    set_int_property(child, kOwnerIndexProperty, windowIndex);
    button.oldProc = subclassWindow(child, buttonSkinProc);
    return button;
}

}  // namespace

ControlFont readControlFont(HWND control) {
    ControlFont result;
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HDC dc = GetWindowDC(control);
    gdiplus::Font font;
    if (font.CreateFontFromHFont(dc, handle)) {
        gdiplus::FontFamily family;
        if (font.GetFamily(family)) result.face = family.GetFamilyName();
        result.size = static_cast<int>(std::lround(font.GetFontSize()));
        result.style = font.GetFontStyle();
    }
    ReleaseDC(control, dc);
    return result;
}

bool createCaptionFont(gdiplus::Font& font, const std::string& face, int size, int style) {
    return font.CreateFontFromName(face.empty() ? gbk("宋体") : face,
                                   static_cast<Gdiplus::REAL>(size > 0 ? size : 12), style);
}

void SkinEngine::attachPushButtons(int windowIndex, HWND parent) {
    SkinWindow* record = window(windowIndex);
    if (settings.controlSkinning == 0 || !record) return;
    forEachChildOfClass(parent, L"BUTTON", [&](HWND child) {
        const LONG_PTR style = style_of(child);
        if (all_bits(style, kOwnerDrawBits) || !is_push_button(style)) return;
        if (isRegistered(record->buttonSkins, child)) return;
        ControlSkin& button = register_button(*record, child, kPushButtonKind, windowIndex);
        SetWindowLongPtrW(child, GWL_STYLE, style | kOwnerDrawBits);
        const ControlFont font = readControlFont(child);
        button.fontFace = font.face.empty() ? gbk("宋体") : font.face;
        button.fontSize = font.size == 0 ? 12 : font.size;
        button.fontStyle = font.style;
    });
}

void SkinEngine::attachCheckRadio(int windowIndex, HWND parent) {
    SkinWindow* record = window(windowIndex);
    if (settings.controlSkinning == 0 || !record) return;
    forEachChildOfClass(parent, L"BUTTON", [&](HWND child) {
        const LONG_PTR style = style_of(child);
        if (all_bits(style, kOwnerDrawBits)) return;
        const int kind = is_check_box(style)      ? kCheckBoxKind
                         : is_radio_button(style) ? kRadioButtonKind
                                                  : -1;
        if (kind < 0 || isRegistered(record->buttonSkins, child)) return;
        ControlSkin& button = register_button(*record, child, kind, windowIndex);
        const ControlFont font = readControlFont(child);
        button.fontFace = font.face;
        button.fontSize = font.size;
        button.fontStyle = font.style;
    });
}

LRESULT CALLBACK buttonSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (ControlSkin* button = findControlRecord(window, &SkinWindow::buttonSkins)) {
        if (const auto result = handle_message(window, *button, message, wparam, lparam)) {
            return *result;
        }
    }
    return forwardMessage(window, message, wparam, lparam);
}

// Image buttons (kinds 1 and 3) are never registered here and have no
// painter.
void repaintButton(HWND button, UINT state, bool hot) {
    const ControlSkin* record = findControlRecord(button, &SkinWindow::buttonSkins);
    if (!record) return;
    if (hot) state |= ODS_HOTLIGHT;
    switch (record->kind) {
        case kPushButtonKind: {
            HDC dc = GetDC(button);
            if (!dc) return;
            RECT client{};
            GetClientRect(button, &client);
            paintPushButton(button, dc, state, client);
            ReleaseDC(button, dc);
            break;
        }
        case kRadioButtonKind:
            paintRadioButton(button, state);
            break;
        case kCheckBoxKind:
            paintCheckBox(button, state);
            break;
        default:
            break;
    }
}

}  // namespace qelvo::skin
