// The list-type controls (list boxes, the list of a simple combo box, list
// views, tree views, IP-address and date-time pickers): which children the
// skin takes over, and their subclass procedure. The procedure decides when
// the frame and the veiled client area are painted; list_painters.cpp draws
// them.
#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <string>

#include "skin/control_registration.h"
#include "skin/edit_combo_painters.h"
#include "skin/gdi_holders.h"
#include "skin/list_painters.h"
#include "skin/mouse_tracking.h"
#include "skin/skin_engine.h"
#include "skin/subclass_message.h"
#include "skin/window_properties.h"

namespace qelvo::skin {
namespace {

// The window's hotPart while one of its list-type controls is lit.
constexpr int kListHotPart = 4;

// Not a region: the system then draws none of its own frame, and the
// skin's frame stays as painted.
constexpr WPARAM kNoSystemFrame = static_cast<WPARAM>(-1);

DWORD style_of(HWND control) { return static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)); }

// --- attaching ---

// True when the control was new to the list and is now registered.
bool attach_list(SkinWindow& owner, HWND control, int windowIndex) {
    if (isRegistered(owner.listSkins, control)) return false;
    registerControl(owner.listSkins, control, windowIndex, listSkinProc);
    return true;
}

// The list of a simple combo box is the combo box's child; the list of a
// drop-down combo box is a window of its own on the desktop, which keeps
// the system's look.
HWND child_list_of(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!GetComboBoxInfo(combo, &info) || !info.hwndList) return nullptr;
    return GetAncestor(info.hwndList, GA_PARENT) == combo ? info.hwndList : nullptr;
}

void attach_combo_list(SkinWindow& owner, HWND combo, int windowIndex) {
    HWND list = child_list_of(combo);
    // An owner-drawn list (LBS_OWNERDRAWFIXED) stays as it is.
    if (!list || (style_of(list) & LBS_OWNERDRAWFIXED)) return;
    attach_list(owner, list, windowIndex);
}

// A sorted list view (LVS_SORTASCENDING) stays as it is. The veiled paint
// draws the items over the veil, so their text gets no background of its own.
void attach_list_view(SkinWindow& owner, HWND view, int windowIndex, bool veiled) {
    if (style_of(view) & LVS_SORTASCENDING) return;
    if (attach_list(owner, view, windowIndex) && veiled) {
        SendMessageW(view, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
    }
}

// The veiled paint copies everything of the tree's own drawing but its
// background, which is therefore the key colour.
void attach_tree_view(SkinWindow& owner, HWND tree, int windowIndex, bool veiled) {
    if (attach_list(owner, tree, windowIndex) && veiled) {
        SendMessageW(tree, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(kListTransparentKey));
    }
}

// --- the procedure ---

enum class ListKind { listBox, ownerDrawnListBox, comboList, listView, treeView, picker };

ListKind kind_of(HWND control) {
    const std::wstring name = windowClassName(control);
    if (name == L"ListBox") {
        const bool ownerDrawn = (style_of(control) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE));
        return ownerDrawn ? ListKind::ownerDrawnListBox : ListKind::listBox;
    }
    if (name == L"ComboLBox") return ListKind::comboList;
    if (name == WC_LISTVIEWW) return ListKind::listView;
    if (name == WC_TREEVIEWW) return ListKind::treeView;
    return ListKind::picker;
}

// The control as the engine knows it. Its record is looked up afresh at each
// use, so that no reference outlives a message sent on to the control.
struct ListControl {
    SkinEngine& engine;
    int windowIndex;
    int controlIndex;

    bool veiled() const { return engine.settings.veilFlag != 0; }
    SkinWindow& owner() const { return *engine.window(windowIndex); }
    ListSkin& record() const {
        return owner().listSkins[static_cast<std::size_t>(controlIndex - 1)];
    }
    void paintFrame(std::optional<bool> hot = std::nullopt) const {
        paintListFrame(engine, windowIndex, controlIndex, hot);
    }
};

// Content that moves over the veiled background is redrawn whole.
LRESULT invalidate_when_veiled(const ListControl& control, const Message& message) {
    if (control.veiled()) InvalidateRect(message.window, nullptr, TRUE);
    return message.forward();
}

LRESULT on_focus(const ListControl& control, const Message& message) {
    control.record().focused = message.id == WM_SETFOCUS ? 1 : 0;
    control.paintFrame();
    return message.forward();
}

LRESULT on_paint(const ListControl& control, const Message& message) {
    control.paintFrame();
    if (!control.veiled()) return message.forward();
    switch (kind_of(message.window)) {
        case ListKind::treeView:
            paintVeiledTree(control.engine, message.window);
            break;
        case ListKind::listBox:
            paintVeiledListBox(control.engine, message.window);
            break;
        case ListKind::listView:
        case ListKind::ownerDrawnListBox:
            paintVeiledList(control.engine, message.window);
            break;
        default:
            return message.forward();
    }
    return message.systemDefault();
}

// Under the veil the paint covers the background of the lists; an
// owner-drawn list paints its own, and a picker is given the veiled one.
LRESULT on_erase_background(const ListControl& control, const Message& message) {
    if (!control.veiled()) return message.forward();
    const auto dc = reinterpret_cast<HDC>(message.wparam);
    switch (kind_of(message.window)) {
        case ListKind::treeView:
        case ListKind::listView:
        case ListKind::listBox:
            SetBkMode(dc, TRANSPARENT);
            return 1;
        case ListKind::picker: {
            SetBkMode(dc, TRANSPARENT);
            paintEditBackground(control.engine, message.window, dc);
            const auto text =
                static_cast<COLORREF>(int_property(message.window, kTextColourProperty));
            return static_cast<LRESULT>(SetTextColor(dc, text));
        }
        default:
            return message.forward();
    }
}

// The skin paints the frame; the system draws only the scroll bars, and the
// replaced procedure never sees the message.
LRESULT on_nc_paint(const ListControl& control, const Message& message) {
    control.paintFrame();
    const Region bars = scrollBarRegion(message.window);
    const WPARAM update = bars ? reinterpret_cast<WPARAM>(bars.get()) : kNoSystemFrame;
    return DefWindowProcW(message.window, WM_NCPAINT, update, 0);
}

// The frame lights up once on entering the control, not on every move
// within it.
LRESULT on_mouse_move(const ListControl& control, const Message& message) {
    trackMouseLeave(message.window);
    SkinWindow& owner = control.owner();
    owner.mouseControl = control.controlIndex;
    if (owner.mouseControl != owner.hotControl || owner.hotPart != kListHotPart) {
        control.record().hot = 1;
        control.paintFrame(true);
        SkinWindow& lit = control.owner();
        lit.hotControl = lit.mouseControl;
        lit.hotPart = kListHotPart;
    }
    return message.forward();
}

LRESULT on_mouse_leave(const ListControl& control, const Message& message) {
    control.owner().hotControl = 0;
    control.record().hot = 0;
    control.paintFrame(false);
    return message.forward();
}

LRESULT dispatch(const ListControl& control, const Message& message) {
    switch (message.id) {
        case WM_MOVE:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_MOUSEWHEEL:
            return invalidate_when_veiled(control, message);
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            return on_focus(control, message);
        case WM_PAINT:
            return on_paint(control, message);
        case WM_ERASEBKGND:
            return on_erase_background(control, message);
        case WM_NCPAINT:
            return on_nc_paint(control, message);
        case WM_KEYUP:
            ReleaseCapture();
            return message.forward();
        case WM_MOUSEMOVE:
            return on_mouse_move(control, message);
        case WM_MOUSELEAVE:
            return on_mouse_leave(control, message);
        default:
            return message.forward();
    }
}

}  // namespace

void SkinEngine::attachLists(int windowIndex, HWND parent) {
    if (settings.controlSkinning == 0) return;
    SkinWindow* owner = window(windowIndex);
    if (!owner) return;
    const bool veiled = settings.veilFlag != 0;
    const auto attach_every = [&](HWND control) { attach_list(*owner, control, windowIndex); };
    forEachChildOfClass(parent, L"ListBox", attach_every);
    forEachChildOfClass(parent, L"ComboBox",
                        [&](HWND combo) { attach_combo_list(*owner, combo, windowIndex); });
    forEachChildOfClass(parent, L"SysListView32",
                        [&](HWND view) { attach_list_view(*owner, view, windowIndex, veiled); });
    forEachChildOfClass(parent, L"SysTreeView32",
                        [&](HWND tree) { attach_tree_view(*owner, tree, windowIndex, veiled); });
    forEachChildOfClass(parent, L"SysIPAddress32", attach_every);
    forEachChildOfClass(parent, L"SysDateTimePick32", attach_every);
}

// A control whose record is gone (its window was removed) is passed straight
// on.
LRESULT CALLBACK listSkinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const Message current{window, message, wparam, lparam};
    SkinEngine* engine = SkinEngine::instance();
    if (!engine || !findControlRecord(window, &SkinWindow::listSkins)) return current.forward();
    const ListControl control{*engine, int_property(window, kOwnerIndexProperty),
                              int_property(window, kIndexProperty)};
    return dispatch(control, current);
}

}  // namespace qelvo::skin
