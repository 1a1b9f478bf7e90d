#include "ui/win32/main_window.h"

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "engine/backup_task.h"
#include "engine/find_job.h"
#include "engine/gbk_literal.h"
#include "engine/main_window_layout.h"
#include "engine/panel_switch.h"
#include "engine/replace_job.h"
#include "resources/resource_ids.h"
#include "resources/skin_images.h"
#include "ui/input_history.h"
#include "ui/win32/pen_picture.h"
#include "ui/win32/shell_actions.h"
#include "ui/win32/wide_text.h"

namespace qelvo::ui {
namespace {

constexpr std::string_view kResultList = "超级列表框1";
constexpr std::string_view kPicture = "图片框_编辑框";
constexpr std::string_view kContextMenu = "右键菜单";
constexpr std::string_view kEditInNotepadItem = "TXT文本编辑";
// The skin picture is stretched over the whole window.
constexpr int kSkinFillMode = 3;
// The alpha of the panels' veil whenever a panel is shown.
constexpr int kPanelAlpha = 110;

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD extended_style = 0;
};

ControlClass control_class(const ControlLayout& entry) {
    switch (entry.kind) {
        case ControlKind::group_box:
            // A group box really holds its controls: it clips them out of its
            // own painting and lets Tab walk into them.
            return {L"Button", BS_GROUPBOX | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                    WS_EX_CONTROLPARENT};
        case ControlKind::label:
            // 透明标签6 is the publisher link and has to see its clicks.
            return {L"Static",
                    SS_LEFTNOWORDWRAP | SS_NOPREFIX | (entry.name == "透明标签6" ? SS_NOTIFY : 0u)};
        case ControlKind::button:
            return {L"Button", BS_PUSHBUTTON | WS_TABSTOP};
        case ControlKind::check_box:
            return {L"Button", BS_AUTOCHECKBOX | WS_TABSTOP};
        case ControlKind::combo_box:
            return {L"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP};
        case ControlKind::edit_box:
            return {L"Edit", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::progress_bar:
            return {PROGRESS_CLASSW, 0};
        case ControlKind::report_list:
            // Virtual: the rows stay in the model, the list asks for the
            // texts of the rows it paints.
            return {WC_LISTVIEWW,
                    LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::picture_box:
            return {L"Static", SS_BITMAP | SS_NOTIFY};
        case ControlKind::popup_menu:
            break;
    }
    return {L"Static", 0};
}

// Group boxes pass their controls' notifications to nobody; the main window
// gets them here, together with the colour requests, so every control is
// answered the same whatever group box holds it.
LRESULT CALLBACK group_box_procedure(HWND group, UINT message, WPARAM wparam, LPARAM lparam,
                                     UINT_PTR id, DWORD_PTR main_window) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return SendMessageW(reinterpret_cast<HWND>(main_window), message, wparam, lparam);
        case WM_ERASEBKGND: {
            // A panel shown in place of another must not keep its pixels.
            RECT area{};
            GetClientRect(group, &area);
            FillRect(reinterpret_cast<HDC>(wparam), &area, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(group, group_box_procedure, id);
            break;
        default:
            break;
    }
    return DefSubclassProc(group, message, wparam, lparam);
}

// The combo box's own edit field reports every change of its text to the
// combo box, however it came (typed, pasted, chosen, set from outside); the
// combo box passes only typed changes on.
LRESULT CALLBACK combo_box_procedure(HWND combo, UINT message, WPARAM wparam, LPARAM lparam,
                                     UINT_PTR id, DWORD_PTR mirror) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(combo, combo_box_procedure, id);
    const LRESULT result = DefSubclassProc(combo, message, wparam, lparam);
    if (message == WM_COMMAND && HIWORD(wparam) == EN_CHANGE) {
        reinterpret_cast<ControlMirror*>(mirror)->take_combo_text(combo);
    }
    return result;
}

// Under Wine the field does not report a text set with WM_SETTEXT (sent to
// the combo box, which passes it on, or to the field itself), nor do combo
// boxes report CB_SETCURSEL: the field's own WM_SETTEXT catches them all.
LRESULT CALLBACK combo_field_procedure(HWND field, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR mirror) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(field, combo_field_procedure, id);
    const LRESULT result = DefSubclassProc(field, message, wparam, lparam);
    if (message == WM_SETTEXT) {
        reinterpret_cast<ControlMirror*>(mirror)->take_combo_text(GetParent(field));
    }
    return result;
}

// A check box set with BM_SETCHECK sends no notification.
LRESULT CALLBACK check_box_procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                     UINT_PTR id, DWORD_PTR mirror) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(box, check_box_procedure, id);
    const LRESULT result = DefSubclassProc(box, message, wparam, lparam);
    if (message == BM_SETCHECK) reinterpret_cast<ControlMirror*>(mirror)->take_checked(box);
    return result;
}

// A new control goes below its earlier siblings, which then paint over it
// where they overlap. Labels are raised in the layout's order instead, so a
// label's text is not cut by the background of the label before it (the
// count labels overlap by a few pixels), and the picture and the link lie
// above 分组框1. Neither takes the focus, so the Tab order stays the layout's.
bool drawn_above_earlier_siblings(const ControlLayout& entry) {
    return entry.kind == ControlKind::label || entry.kind == ControlKind::picture_box;
}

HFONT create_window_font() {
    // 9 points at 96 dots per inch, in the font every Chinese Windows has.
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, L"宋体");
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void add_columns(HWND list, const ControlLayout& entry) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (std::size_t i = 0; i < entry.columns.size(); ++i) {
        std::wstring title = wide_from_utf8(entry.columns[i].title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = title.data();
        column.cx = entry.columns[i].width;
        column.iSubItem = static_cast<int>(i);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

}  // namespace

MainWindow::MainWindow(Engine& engine, const SettingsFile& settings, skin::SkinEngine* skin)
    : engine_(engine),
      settings_(settings),
      skin_(skin),
      mirror_(engine.controls),
      input_icon_(engine.controls) {}

MainWindow::~MainWindow() {
    engine_.controls.set_change_listener({});
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (small_icon_) DestroyIcon(small_icon_);
    if (font_) DeleteObject(font_);  // stock objects ignore it
}

bool MainWindow::create(HINSTANCE instance, HICON icon) {
    instance_ = instance;
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    // The caption shows the icon's own 16 pixel picture, not the large one
    // shrunk.
    small_icon_ =
        icon ? static_cast<HICON>(CopyImage(icon, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                            GetSystemMetrics(SM_CYSMICON), LR_COPYFROMRESOURCE))
             : nullptr;
    HICON small_icon = small_icon_ ? small_icon_ : icon;
    window_class.hIcon = icon;
    window_class.hIconSm = small_icon;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    window_class.lpszClassName = kMainWindowClass;
    if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    // No system frame: the skin draws the caption and border, so the client
    // area is the whole window and holds every control of the layout. The
    // system menu keeps the taskbar button's menu and Alt+Space working.
    const DWORD style = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    // The window procedure knows the window from WM_NCCREATE on; a creation
    // that fails later (WM_CREATE) leaves none.
    window_ = CreateWindowExW(0, kMainWindowClass, wide_from_utf8(kMainWindowTitle).c_str(), style,
                              kMainWindowLeft, kMainWindowTop, kMainWindowWidth, kMainWindowHeight,
                              nullptr, nullptr, instance, this);
    if (!window_) return false;
    if (icon) {
        SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
    }
    return true;
}

LRESULT CALLBACK MainWindow::window_procedure(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wparam, lparam);
    return self->handle_message(message, wparam, lparam);
}

LRESULT MainWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            if (!create_controls()) return -1;
            mirror_.attach(window_);
            run_start_routine();
            mirror_.apply_pending();
            return 0;
        case WM_COMMAND:
            on_command(wparam, lparam);
            return 0;
        case WM_NOTIFY:
            on_notify(*reinterpret_cast<const NMHDR*>(lparam));
            return 0;
        case kMirrorNoteMessage:
            mirror_.on_note();
            return 0;
        case WM_TIMER:
            if (wparam != kMirrorTimerId) break;
            mirror_.on_timer();
            return 0;
        case WM_SETCURSOR:
            if (set_cursor(reinterpret_cast<HWND>(wparam))) return TRUE;
            break;
        case WM_CTLCOLORSTATIC: {
            // Labels draw their text over the face colour, like the window.
            HDC dc = reinterpret_cast<HDC>(wparam);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_CLOSE:
            // The system's close button ends the program as 按钮6 does.
            end_program();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

// Parents come before their controls in the layout table.
bool MainWindow::create_controls() {
    font_ = create_window_font();
    const std::span<const ControlLayout> layout = main_window_layout();
    std::map<std::string_view, HWND> parents{{std::string_view(), window_}};
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const ControlLayout& entry = layout[i];
        if (entry.kind == ControlKind::popup_menu) continue;  // built when it pops up
        auto parent = parents.find(entry.parent);
        if (parent == parents.end()) return false;
        HWND control = create_control(i, parent->second);
        if (!control) return false;
        parents.emplace(entry.name, control);
        if (drawn_above_earlier_siblings(entry)) {
            SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    return true;
}

// The control starts empty at the layout's place; the mirror's first
// showing gives it the model's texts, items, states and geometry.
HWND MainWindow::create_control(std::size_t index, HWND parent) {
    const ControlLayout& entry = main_window_layout()[index];
    const ControlClass type = control_class(entry);
    const DWORD visible = engine_.controls.visible(entry.name) ? WS_VISIBLE : 0;
    const Geometry& place = entry.geometry;
    const int height =
        entry.kind == ControlKind::combo_box ? place.height + kComboListHeight : place.height;
    HWND control = CreateWindowExW(
        type.extended_style, type.name, L"", WS_CHILD | visible | type.style, place.left, place.top,
        place.width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(index))),
        instance_, nullptr);
    if (!control) return nullptr;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    const auto mirror = reinterpret_cast<DWORD_PTR>(&mirror_);
    switch (entry.kind) {
        case ControlKind::group_box:
            SetWindowSubclass(control, group_box_procedure, 0,
                              reinterpret_cast<DWORD_PTR>(window_));
            break;
        case ControlKind::combo_box: {
            SetWindowSubclass(control, combo_box_procedure, 0, mirror);
            COMBOBOXINFO parts{};
            parts.cbSize = sizeof parts;
            if (GetComboBoxInfo(control, &parts) && parts.hwndItem) {
                SetWindowSubclass(parts.hwndItem, combo_field_procedure, 0, mirror);
            }
            break;
        }
        case ControlKind::check_box:
            SetWindowSubclass(control, check_box_procedure, 0, mirror);
            break;
        case ControlKind::report_list:
            add_columns(control, entry);
            break;
        case ControlKind::picture_box:
            load_picture(control);
            break;
        default:
            break;
    }
    mirror_.add_control(entry.name, control);
    return control;
}

// The pen only shows over the field of the focused text combo, left of its
// drop button; its transparent pixels show that field.
void MainWindow::load_picture(HWND picture) {
    attach_pen_picture(picture, image_resource_pixels(instance_, kEditIconResource));
}

// The window's "created" event: the skin, then the input histories, into
// the combo boxes in the layout's order.
void MainWindow::run_start_routine() {
    apply_skin();
    load_all_histories(engine_.controls, settings_);
}

void MainWindow::apply_skin() {
    if (!skin_) return;
    skin_->setBackground({}, resources::kBackgroundJpg, std::nullopt, std::nullopt, kSkinFillMode);
    skin_->setOptions(1, 0);
    skin::WindowSkinOptions options;
    options.captionHeight = 110;
    options.resizable = 0;
    options.barHeight = 25;
    skin_->skinWindow(window_, options);
    skin_->setBarItem(window_, 1, gbk("Qelvo文本替换 首发网站 Varnek"));
    skin_->setBarStyle(window_, 1, 1);
    for (std::string_view panel : {"分组框1", "分组框2", "分组框3", "分组框5", "分组框6"}) {
        skin_shown_panel(panel);
    }
}

// Registers the panel once (later calls find it registered) and gives it the
// alpha the panels are shown with, which repaints it.
void MainWindow::skin_shown_panel(std::string_view panel) {
    if (!skin_) return;
    HWND container = mirror_.handle(panel);
    skin_->skinPanel(container, 1, GetSysColor(COLOR_BTNFACE), 0);
    skin_->setPanelAlpha(container, kPanelAlpha);
}

void MainWindow::on_command(WPARAM wparam, LPARAM lparam) {
    const HWND from = reinterpret_cast<HWND>(lparam);
    const UINT code = HIWORD(wparam);
    if (!from) {
        if (code == 0) on_menu_command(LOWORD(wparam));
        return;
    }
    // The edit reaches the model first, so a handler below reads it.
    mirror_.on_command(from, code);
    const std::string_view name = mirror_.name_of(from);
    if (!name.empty()) on_control_command(name, code);
}

void MainWindow::on_control_command(std::string_view name, UINT code) {
    using Action = void (*)(MainWindow&);
    struct Binding {
        std::string_view control;
        UINT code;
        Action action;
    };
    // The layout's event bindings; no other control has one. The panel
    // switches take effect on screen once the handler returns, so the skin
    // calls on the panel being shown come before it shows.
    static const Binding bindings[] = {
        {"按钮1", BN_CLICKED, [](MainWindow& w) { show_replace_panel(w.engine_); }},
        {"按钮2", BN_CLICKED,
         [](MainWindow& w) {
             show_find_panel(w.engine_);
             w.skin_shown_panel("分组框5");
         }},
        {"按钮4", BN_CLICKED,
         [](MainWindow& w) {
             show_restore_panel(w.engine_);
             w.skin_shown_panel("分组框6");
         }},
        {"按钮6", BN_CLICKED, [](MainWindow& w) { w.end_program(); }},
        {"按钮_开始替换", BN_CLICKED, [](MainWindow& w) { on_replace_button_click(w.engine_); }},
        {"按钮_开始查找", BN_CLICKED, [](MainWindow& w) { on_find_button_click(w.engine_); }},
        {"按钮_执行", BN_CLICKED, [](MainWindow& w) { on_execute_button_click(w.engine_); }},
        {"按钮_浏览", BN_CLICKED,
         [](MainWindow& w) {
             browse_for_folder(w.engine_.controls, "组合框_文件路径", w.window_);
         }},
        {"按钮_浏览2", BN_CLICKED,
         [](MainWindow& w) {
             browse_for_folder(w.engine_.controls, "组合框_文件路径2", w.window_);
         }},
        {"组合框_查找内容", CBN_SETFOCUS,
         [](MainWindow& w) { w.input_icon_.on_text_combo_focus("组合框_查找内容", true); }},
        {"组合框_查找内容", CBN_KILLFOCUS,
         [](MainWindow& w) { w.input_icon_.on_text_combo_focus("组合框_查找内容", false); }},
        {"组合框_替换内容", CBN_SETFOCUS,
         [](MainWindow& w) { w.input_icon_.on_text_combo_focus("组合框_替换内容", true); }},
        {"组合框_替换内容", CBN_KILLFOCUS,
         [](MainWindow& w) { w.input_icon_.on_text_combo_focus("组合框_替换内容", false); }},
        {"组合框_查找内容2", CBN_SETFOCUS,
         [](MainWindow& w) { w.input_icon_.on_text_combo_focus("组合框_查找内容2", true); }},
        {"组合框_查找内容2", CBN_KILLFOCUS,
         [](MainWindow& w) { w.input_icon_.on_text_combo_focus("组合框_查找内容2", false); }},
        // Static controls report STN_CLICKED when the left button goes down.
        {"图片框_编辑框", STN_CLICKED, [](MainWindow& w) { w.input_icon_.on_icon_click(); }},
        {"透明标签6", STN_CLICKED, [](MainWindow&) { open_publisher_page(); }},
    };
    for (const Binding& binding : bindings) {
        if (binding.control != name || binding.code != code) continue;
        binding.action(*this);
        // What the handler wrote shows before the click returns, so whoever
        // clicked sees the new panel or caption at once.
        mirror_.apply_pending();
        return;
    }
}

void MainWindow::on_menu_command(int id) {
    const std::vector<std::string> items = engine_.controls.items(kContextMenu);
    const int index = id - kFirstMenuItemId;
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return;
    if (items[static_cast<std::size_t>(index)] == gbk(kEditInNotepadItem)) {
        edit_selected_in_notepad(engine_.controls);
    }
}

void MainWindow::on_notify(const NMHDR& header) {
    if (mirror_.on_notify(header)) return;
    if (mirror_.name_of(header.hwndFrom) != kResultList) return;
    if (header.code == NM_DBLCLK) {
        open_selected_file(engine_.controls);
    } else if (header.code == NM_RCLICK) {
        show_context_menu();
    }
}

bool MainWindow::set_cursor(HWND under_cursor) {
    if (!under_cursor || under_cursor != mirror_.handle(kPicture)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

// 右键菜单 at the mouse, with the model's items; the chosen item comes back
// as a WM_COMMAND.
void MainWindow::show_context_menu() {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    const std::vector<std::string> items = engine_.controls.items(kContextMenu);
    for (std::size_t i = 0; i < items.size(); ++i) {
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(kFirstMenuItemId) + i,
                    wide_from_gbk(items[i]).c_str());
    }
    POINT mouse{};
    GetCursorPos(&mouse);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, mouse.x, mouse.y, 0,
                   window_, nullptr);
    DestroyMenu(menu);
}

// Ends the message loop; the program then returns from its entry point and
// the exit routine runs. Running workers are not waited for.
void MainWindow::end_program() { PostQuitMessage(0); }

}  // namespace qelvo::ui
