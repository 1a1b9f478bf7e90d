// Edit fields and combo boxes: which children the skin takes over, and their
// subclass procedures, which decide when the painters of
// edit_combo_painters.cpp draw. An edit carries the veil brush and its
// bitmap that the colour replies hand to it; it frees them itself when it
// is destroyed.
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "skin/child_colour_replies.h"
#include "skin/control_registration.h"
#include "skin/edit_combo_painters.h"
#include "skin/gdi_holders.h"
#include "skin/mouse_tracking.h"
#include "skin/skin_engine.h"
#include "skin/window_properties.h"

namespace qelvo::skin {
namespace {

void attach_edit(SkinWindow& owner, HWND edit, int windowIndex) {
    if (isRegistered(owner.editSkins, edit)) return;
    registerControl(owner.editSkins, edit, windowIndex, editSkinProc);
    // Black until setExtraTextColour says otherwise.
    set_int_property(edit, kTextColourProperty, 0);
}

// Makes the combo box's text its selected item's, so that a drop-down list
// can be painted from its window text alone.
void show_selected_item(HWND combo) {
    const LRESULT selection = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selection < 0) return;
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selection), 0);
    if (length < 0) return;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(selection),
                                        reinterpret_cast<LPARAM>(text.data()));
    if (copied < 0) return;
    text.resize(static_cast<std::size_t>(copied));
    SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Without the veil the edit inside a combo box keeps the system's look, so
// the combo box is then taken alone.
void attach_combo(SkinWindow& owner, HWND combo, int windowIndex, bool veiled) {
    if (!isRegistered(owner.comboSkins, combo)) {
        show_selected_item(combo);
        registerControl(owner.comboSkins, combo, windowIndex, comboSkinProc);
    }
    if (!veiled) return;
    if (HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr)) {
        attach_edit(owner, edit, windowIndex);
    }
}

// The window's hotPart while one of its edits or combo boxes is lit.
constexpr int kEditHotPart = 1;
constexpr int kComboHotPart = 3;

SkinWindow* owner_of(SkinEngine& engine, HWND control) {
    return engine.window(int_property(control, kOwnerIndexProperty));
}

int control_index(HWND control) { return int_property(control, kIndexProperty); }

// Repaints the whole control, erase included: text moved over the veil
// leaves nothing of its old place behind.
void repaint_whole(HWND control) { InvalidateRect(control, nullptr, TRUE); }

bool veil_on(const SkinEngine& engine) { return engine.settings.veilFlag != 0; }

// --- Edit boxes ---------------------------------------------------------------

// The frame of an edit inside a combo box is redrawn at once; a free edit
// is repainted whole, frame included, at its next paint.
void show_edit_blur(SkinEngine& engine, HWND edit) {
    if (windowClassName(GetParent(edit)) == L"ComboBox") {
        paintEditFrame(engine, edit, false, false);
    } else {
        repaint_whole(edit);
    }
}

// Only the standard scroll bars are left to the system: it would otherwise
// paint its own frame over the skin's.
LRESULT paint_edit_non_client(SkinEngine& engine, HWND edit) {
    paintEditFrame(engine, edit);
    if (!hasScrollBars(edit)) return DefWindowProcW(edit, WM_NCPAINT, static_cast<WPARAM>(-1), 0);
    const Region bars = scrollBarRegion(edit);
    return DefWindowProcW(edit, WM_NCPAINT, reinterpret_cast<WPARAM>(bars.get()), 0);
}

LRESULT erase_edit_with_veil(SkinEngine& engine, HWND edit, HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    paintEditBackground(engine, edit, dc);
    return 1;
}

// The frame lights up once per entry, not on every move. The hot control is
// shared by all of the window's families, so the part and the parent tell
// this edit from another control with the same index.
void light_edit(SkinEngine& engine, const EditSkin& record, HWND edit) {
    trackMouseLeave(edit);
    SkinWindow* owner = owner_of(engine, edit);
    if (!owner) return;
    owner->mouseControl = control_index(edit);
    HWND parent = GetParent(edit);
    const bool lit = owner->hotControl == owner->mouseControl && owner->hotPart == kEditHotPart &&
                     owner->hotParent == parent;
    if (!lit) {
        paintEditFrame(engine, edit, std::nullopt, true);
        owner->hotControl = owner->mouseControl;
        owner->hotPart = kEditHotPart;
        owner->hotParent = parent;
    }
    // A drag selection over the veil is redrawn whole.
    if (record.buttonDown && !hasScrollBars(edit)) repaint_whole(edit);
}

void darken_edit(SkinEngine& engine, HWND edit) {
    if (SkinWindow* owner = owner_of(engine, edit)) owner->hotControl = 0;
    paintEditFrame(engine, edit);
}

// Scroll bars are redrawn by the system itself; an edit with them is not
// repainted whole on keys and clicks.
void repaint_veiled_plain_edit(const SkinEngine& engine, HWND edit) {
    if (veil_on(engine) && !hasScrollBars(edit)) repaint_whole(edit);
}

// None: the message goes on to the edit's own procedure.
std::optional<LRESULT> handle_edit_message(SkinEngine& engine, EditSkin& record, HWND edit,
                                           UINT message, WPARAM wparam) {
    switch (message) {
        case WM_MOVE:
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (veil_on(engine)) repaint_whole(edit);
            break;
        case WM_SETFOCUS:
            record.focused = 1;
            break;
        case WM_KILLFOCUS:
            record.focused = 0;
            show_edit_blur(engine, edit);
            break;
        case WM_PAINT:
            paintEditFrame(engine, edit);
            break;
        case WM_ERASEBKGND:
            if (veil_on(engine)) {
                return erase_edit_with_veil(engine, edit, reinterpret_cast<HDC>(wparam));
            }
            break;
        case WM_NCPAINT:
            return paint_edit_non_client(engine, edit);
        case WM_KEYDOWN:
            repaint_veiled_plain_edit(engine, edit);
            break;
        case WM_MOUSEMOVE:
            light_edit(engine, record, edit);
            break;
        case WM_LBUTTONDOWN:
            record.buttonDown = 1;
            repaint_veiled_plain_edit(engine, edit);
            break;
        case WM_LBUTTONUP:
            record.buttonDown = 0;
            break;
        case WM_MOUSELEAVE:
            darken_edit(engine, edit);
            break;
        default:
            break;
    }
    return std::nullopt;
}

// --- Combo boxes --------------------------------------------------------------

struct ComboIndexes {
    int window = 0;
    int control = 0;
};

ComboIndexes indexes_of(HWND combo) {
    return {int_property(combo, kOwnerIndexProperty), control_index(combo)};
}

void paint_combo(SkinEngine& engine, HWND combo, bool hot,
                 std::optional<bool> focused = std::nullopt) {
    const ComboIndexes at = indexes_of(combo);
    paintCombo(engine, at.window, at.control, hot, focused);
}

LRESULT paint_combo_client(SkinEngine& engine, HWND combo, WPARAM wparam, LPARAM lparam) {
    PAINTSTRUCT paint{};
    BeginPaint(combo, &paint);
    paint_combo(engine, combo, false);
    EndPaint(combo, &paint);
    return DefWindowProcW(combo, WM_PAINT, wparam, lparam);
}

bool is_edit_content_change(WORD code) {
    return code == EN_VSCROLL || code == EN_HSCROLL || code == EN_CHANGE || code == EN_UPDATE;
}

// The combo's edit under the veil shows the background through its own
// text: anything that moves the text repaints it whole.
void repaint_moved_edit_text(const SkinEngine& engine, WPARAM wparam, LPARAM lparam) {
    if (!veil_on(engine) || engine.settings.controlSkinning == 0) return;
    const auto sender = reinterpret_cast<HWND>(lparam);
    if (sender && windowClassName(sender) == L"Edit" && is_edit_content_change(HIWORD(wparam))) {
        repaint_whole(sender);
    }
}

// The combo's edit gets the veiled background as its brush; the edit frees
// the last one when it is destroyed.
std::optional<LRESULT> veil_combo_edit(SkinEngine& engine, WPARAM wparam, LPARAM lparam) {
    if (!veil_on(engine)) return std::nullopt;
    HBRUSH brush =
        staticColourReply(engine, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    if (!brush) return std::nullopt;
    return reinterpret_cast<LRESULT>(brush);
}

// Lit once per entry; a control of another family with the same index has
// another hotPart.
void light_combo(SkinEngine& engine, HWND combo) {
    trackMouseLeave(combo);
    SkinWindow* owner = owner_of(engine, combo);
    if (!owner) return;
    owner->mouseControl = control_index(combo);
    if (owner->mouseControl != owner->hotControl || owner->hotPart != kComboHotPart) {
        paint_combo(engine, combo, true);
    }
    owner->hotControl = owner->mouseControl;
    owner->hotPart = kComboHotPart;
}

void darken_combo(SkinEngine& engine, HWND combo) {
    paint_combo(engine, combo, false);
    if (SkinWindow* owner = owner_of(engine, combo)) owner->hotControl = 0;
}

std::optional<LRESULT> handle_combo_message(SkinEngine& engine, ComboSkin& record, HWND combo,
                                            UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_MOVE:
            paint_combo(engine, combo, false);
            break;
        case WM_SETFOCUS:
            record.focused = 1;
            paint_combo(engine, combo, false, true);
            break;
        case WM_KILLFOCUS:
            record.focused = 0;
            break;
        case WM_SETTEXT:
            if (FindWindowExW(combo, nullptr, L"Edit", nullptr)) repaint_whole(combo);
            break;
        case WM_PAINT:
            return paint_combo_client(engine, combo, wparam, lparam);
        case WM_ERASEBKGND:
            // The paint covers everything; nothing is erased first.
            SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
            return 1;
        case WM_NCPAINT:
            paint_combo(engine, combo, false);
            return DefWindowProcW(combo, WM_NCPAINT, static_cast<WPARAM>(-1), 0);
        case WM_COMMAND:
            repaint_moved_edit_text(engine, wparam, lparam);
            break;
        case WM_CTLCOLOREDIT:
            return veil_combo_edit(engine, wparam, lparam);
        case WM_MOUSEMOVE:
            light_combo(engine, combo);
            break;
        case WM_MOUSELEAVE:
            darken_combo(engine, combo);
            break;
        default:
            break;
    }
    return std::nullopt;
}

}  // namespace

void SkinEngine::attachEditsAndCombos(int windowIndex, HWND parent) {
    if (settings.controlSkinning == 0) return;
    SkinWindow* owner = window(windowIndex);
    if (!owner) return;
    forEachChildOfClass(parent, L"Edit",
                        [&](HWND edit) { attach_edit(*owner, edit, windowIndex); });
    const bool veiled = settings.veilFlag != 0;
    forEachChildOfClass(parent, L"ComboBox",
                        [&](HWND combo) { attach_combo(*owner, combo, windowIndex, veiled); });
}

LRESULT CALLBACK editSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) releaseChildColourObjects(window);
    SkinEngine* engine = SkinEngine::instance();
    EditSkin* record = findControlRecord(window, &SkinWindow::editSkins);
    if (engine && record) {
        if (auto answer = handle_edit_message(*engine, *record, window, message, wparam)) {
            return *answer;
        }
    }
    return forwardMessage(window, message, wparam, lparam);
}

LRESULT CALLBACK comboSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    SkinEngine* engine = SkinEngine::instance();
    ComboSkin* record = findControlRecord(window, &SkinWindow::comboSkins);
    if (engine && record) {
        if (auto answer = handle_combo_message(*engine, *record, window, message, wparam, lparam)) {
            return *answer;
        }
    }
    return forwardMessage(window, message, wparam, lparam);
}

}  // namespace qelvo::skin
