#include "skin/button_skin.h"

#include <cmath>

#include "engine/gbk_literal.h"
#include "gdiplus/text.h"
#include "skin/control_registration.h"
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

// Keeps the record's caption and focus current; the look stays the
// system's until the button painters take over.
LRESULT CALLBACK buttonSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (ControlSkin* button = findControlRecord(window, &SkinWindow::buttonSkins)) {
        switch (message) {
            case WM_SETFOCUS:
                button->focused = 1;
                break;
            case WM_KILLFOCUS:
                button->focused = 0;
                break;
            case WM_SETTEXT:
                if (lparam) {
                    button->caption = ui::gbk_from_wide(reinterpret_cast<const wchar_t*>(lparam));
                }
                break;
            default:
                break;
        }
    }
    return forwardMessage(window, message, wparam, lparam);
}

void paintPushButton(HWND button, HDC dc, UINT state, const RECT& area) {
    RECT face = area;
    UINT frame = DFCS_BUTTONPUSH;
    if (state & ODS_SELECTED) frame |= DFCS_PUSHED;
    if (state & ODS_DISABLED) frame |= DFCS_INACTIVE;
    DrawFrameControl(dc, &face, DFC_BUTTON, frame);
    const std::wstring caption = ui::window_text(button);
    RECT text = area;
    if (state & ODS_SELECTED) OffsetRect(&text, 1, 1);
    const int previous_mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previous_colour =
        SetTextColor(dc, GetSysColor((state & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    HGDIOBJ previous_font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, previous_font);
    SetTextColor(dc, previous_colour);
    SetBkMode(dc, previous_mode);
    if (state & ODS_FOCUS) {
        RECT focus = area;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace qelvo::skin
