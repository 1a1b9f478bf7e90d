#include "skin/child_colour_replies.h"

#include <commctrl.h>

#include <string>

#include "skin/composition.h"
#include "skin/gdi_holders.h"
#include "skin/skin_engine.h"
#include "skin/subclass_message.h"
#include "skin/window_properties.h"

namespace qelvo::skin {
namespace {

bool both_flags_set(const SkinEngine& engine) {
    return engine.settings.controlSkinning != 0 && engine.settings.veilFlag != 0;
}

void set_reply_text_style(HDC dc, HWND child) {
    SetTextColor(dc, static_cast<COLORREF>(int_property(child, kTextColourProperty)));
    SetBkMode(dc, TRANSPARENT);
}

// The brush alone: a transparent reply leaves the bitmap of an earlier
// pattern brush where it is.
void release_child_brush(HWND child) {
    const auto brush = handle_property<HGDIOBJ>(child, kChildBrushProperty);
    if (!isStockObject(brush)) gdi_count::destroy(brush);
    set_property(child, kChildBrushProperty, 0);
}

// The edit inside a combo box is answered by the combo box, which passes
// the message on with its own look in mind.
bool is_free_edit(HWND child) {
    return windowClassName(child) == L"Edit" && windowClassName(GetParent(child)) != L"ComboBox";
}

// An owner-drawn list box paints its items itself, background included.
bool is_plain_list_box(HWND child) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    return windowClassName(child) == L"ListBox" &&
           (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) == 0;
}

bool is_edit_scroll_or_change(WORD code) {
    return code == EN_CHANGE || code == EN_UPDATE || code == EN_HSCROLL || code == EN_VSCROLL;
}

bool is_list_selection(WORD code) { return code == LBN_SELCHANGE || code == LBN_SELCANCEL; }

bool is_combo_selection_or_blur(WORD code) {
    return code == CBN_KILLFOCUS || code == CBN_SELCHANGE;
}

bool repaints_on(const std::wstring& className, WORD code) {
    if (className == L"Edit") return is_edit_scroll_or_change(code);
    if (className == L"ListBox") return is_list_selection(code);
    if (className == L"ComboBox") return is_combo_selection_or_blur(code);
    return false;
}

// A Unicode parent receives the wide codes, an ANSI one the narrow codes.
bool is_tree_expand(UINT code) {
    return code == static_cast<UINT>(TVN_ITEMEXPANDINGA) ||
           code == static_cast<UINT>(TVN_ITEMEXPANDEDA) ||
           code == static_cast<UINT>(TVN_ITEMEXPANDINGW) ||
           code == static_cast<UINT>(TVN_ITEMEXPANDEDW);
}

}  // namespace

bool isStockObject(HGDIOBJ object) {
    if (!object) return false;
    for (int id = WHITE_BRUSH; id <= DC_PEN; ++id) {
        if (GetStockObject(id) == object) return true;
    }
    return false;
}

// The brush first: it was made from the bitmap.
void releaseChildColourObjects(HWND child) {
    release_child_brush(child);
    gdi_count::destroy(handle_property<HGDIOBJ>(child, kChildBrushBitmapProperty));
    set_property(child, kChildBrushBitmapProperty, 0);
}

HBRUSH transparentColourReply(HDC dc, HWND child) {
    set_reply_text_style(dc, child);
    release_child_brush(child);
    const auto hollow = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    set_handle_property(child, kChildBrushProperty, hollow);
    return hollow;
}

HBRUSH staticColourReply(SkinEngine& engine, HDC dc, HWND child) {
    set_reply_text_style(dc, child);
    releaseChildColourObjects(child);
    HBITMAP bitmap = staticBrushBitmap(engine, child);
    if (!bitmap) return nullptr;
    HBRUSH brush = gdi_count::track(CreatePatternBrush(bitmap));
    if (!brush) {
        gdi_count::destroy(bitmap);
        return nullptr;
    }
    set_handle_property(child, kChildBrushBitmapProperty, bitmap);
    set_handle_property(child, kChildBrushProperty, brush);
    return brush;
}

bool takesColourReply(const SkinEngine& engine, UINT message, HWND child) {
    if (!both_flags_set(engine) || !child) return false;
    switch (message) {
        case WM_CTLCOLOREDIT:
            return is_free_edit(child);
        case WM_CTLCOLORLISTBOX:
            return is_plain_list_box(child);
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            return true;
        default:
            return false;
    }
}

std::optional<LRESULT> childColourReply(SkinEngine& engine, UINT message, WPARAM wparam,
                                        LPARAM lparam) {
    const auto child = reinterpret_cast<HWND>(lparam);
    if (!takesColourReply(engine, message, child)) return std::nullopt;
    const auto dc = reinterpret_cast<HDC>(wparam);
    const HBRUSH brush = message == WM_CTLCOLORSTATIC ? staticColourReply(engine, dc, child)
                                                      : transparentColourReply(dc, child);
    if (!brush) return std::nullopt;
    return reinterpret_cast<LRESULT>(brush);
}

void invalidateOnChildCommand(const SkinEngine& engine, WPARAM wparam, LPARAM lparam) {
    const auto child = reinterpret_cast<HWND>(lparam);
    // Menus and accelerators send commands without a control.
    if (!both_flags_set(engine) || !child) return;
    if (repaints_on(windowClassName(child), HIWORD(wparam))) InvalidateRect(child, nullptr, TRUE);
}

void invalidateOnTreeExpand(LPARAM lparam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    if (!header || !is_tree_expand(header->code)) return;
    InvalidateRect(header->hwndFrom, nullptr, TRUE);
}

namespace {

LRESULT on_draw_item(SkinEngine& engine, const Message& message) {
    if (engine.drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.lparam))) return TRUE;
    return message.forward();
}

LRESULT on_child_colour(SkinEngine& engine, const Message& message) {
    if (const auto reply = childColourReply(engine, message.id, message.wparam, message.lparam)) {
        return *reply;
    }
    return message.forward();
}

}  // namespace

LRESULT answerChildMessage(SkinEngine& engine, const Message& message) {
    switch (message.id) {
        case WM_DRAWITEM:
            return on_draw_item(engine, message);
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            return on_child_colour(engine, message);
        case WM_COMMAND:
            invalidateOnChildCommand(engine, message.wparam, message.lparam);
            return message.forward();
        case WM_NOTIFY:
            invalidateOnTreeExpand(message.lparam);
            return message.forward();
        default:
            return message.forward();
    }
}

}  // namespace qelvo::skin
