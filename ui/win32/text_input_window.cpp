#include "ui/win32/text_input_window.h"

#include <windows.h>

#include <commdlg.h>

#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "ui/text_input_rules.h"
#include "ui/win32/wide_text.h"

namespace qelvo::ui {
namespace {

// ---------------------------------------------------------------------------------------------
// The icon

constexpr std::string_view kIconName = "图片框_编辑框";
constexpr std::array<std::string_view, 3> kTextComboNames = {"组合框_查找内容", "组合框_替换内容",
                                                             "组合框_查找内容2"};

// The panels stand 68 pixels below the main window's client top (panel 48
// within 分组框1, which is 20 below the window), so the icon lands 2 pixels
// below the combo's top edge, inside the combo near its right end.
constexpr int kIconTopBelowComboTop = 70;

bool is_text_combo(std::string_view name) {
    for (std::string_view combo : kTextComboNames) {
        if (combo == name) return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// The window

constexpr wchar_t kWindowClass[] = L"QelvoTextInputWindow";
constexpr wchar_t kWindowTitle[] = L"请输入文本:【按Esc可以快速关闭该窗口】";
constexpr Geometry kWindowGeometry = {50, 50, 510, 370};

// The start layout of the controls; every resize then follows
// input_window_layout().
struct ChildLayout {
    TextInputControlId id;
    const wchar_t* window_class;
    const wchar_t* caption;
    DWORD style;
    Geometry geometry;
};

constexpr DWORD kTextBoxStyle =
    WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
constexpr DWORD kButtonStyle = WS_TABSTOP | BS_PUSHBUTTON;

constexpr std::array<ChildLayout, 4> kChildren = {{
    {kTextBoxId, L"EDIT", L"", kTextBoxStyle, {8, 8, 488, 288}},
    {kImportButtonId, L"BUTTON", L"导入文本", kButtonStyle, {8, 304, 96, 27}},
    {kConfirmButtonId, L"BUTTON", L"确认", kButtonStyle, {328, 304, 80, 27}},
    {kCancelButtonId, L"BUTTON", L"取消", kButtonStyle, {416, 304, 80, 27}},
}};

// The filter of 通用对话框_导入文本: pairs of display text and pattern, each
// ended by a zero, the list by a second zero.
constexpr wchar_t kImportFilter[] = L"文本文件(*.txt)\0*.txt\0";

// What one open window keeps, owned by the window from WM_NCCREATE to
// WM_NCDESTROY.
struct WindowState {
    std::string combo_text;  // what the edit box is filled from
    TextInputClosed on_closed;
    TextInputResult result;
    // Set once CreateWindowExW has succeeded: from then on the window owns
    // the state and reports its closing. A window that fails while being
    // created leaves both to its creator.
    bool owned_by_window = false;
};

// The previous procedure of a subclassed control.
constexpr wchar_t kPreviousProcedureProperty[] = L"QelvoTextInputPreviousProc";

WindowState* state_of(HWND window) {
    return reinterpret_cast<WindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND text_box(HWND window) { return GetDlgItem(window, kTextBoxId); }

void move_control(HWND window, int id, const Geometry& geometry) {
    MoveWindow(GetDlgItem(window, id), geometry.left, geometry.top, geometry.width, geometry.height,
               TRUE);
}

// The layout works from the outer size, frame and caption included.
void lay_out(HWND window) {
    RECT outer{};
    if (!GetWindowRect(window, &outer)) return;
    const InputWindowLayout layout =
        input_window_layout(outer.right - outer.left, outer.bottom - outer.top);
    move_control(window, kTextBoxId, layout.text_box);
    move_control(window, kImportButtonId, layout.import_button);
    move_control(window, kCancelButtonId, layout.cancel_button);
    move_control(window, kConfirmButtonId, layout.confirm_button);
}

// Esc closes the window like 取消 whichever control has the keyboard focus:
// the controls hand that key to the window instead of handling it.
LRESULT CALLBACK forward_escape(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(control, kPreviousProcedureProperty));
    if (message == WM_KEYDOWN && wparam == VK_ESCAPE) {
        PostMessageW(GetParent(control), WM_CLOSE, 0, 0);
        return 0;
    }
    // A multi-line edit box would otherwise beep on the Esc character.
    if (message == WM_CHAR && wparam == VK_ESCAPE) return 0;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(control, kPreviousProcedureProperty);
    }
    return CallWindowProcW(previous, control, message, wparam, lparam);
}

void forward_escape_to_window(HWND control) {
    const LONG_PTR previous =
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&forward_escape));
    SetPropW(control, kPreviousProcedureProperty, reinterpret_cast<HANDLE>(previous));
}

bool create_children(HWND window) {
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ChildLayout& child : kChildren) {
        const Geometry& g = child.geometry;
        HWND control = CreateWindowExW(
            0, child.window_class, child.caption, WS_CHILD | WS_VISIBLE | child.style, g.left,
            g.top, g.width, g.height, window, reinterpret_cast<HMENU>(child.id), instance, nullptr);
        if (!control) return false;
        SendMessageW(control, WM_SETFONT, font, FALSE);
        forward_escape_to_window(control);
    }
    // The default limit of an edit box (about 32K characters) would cut long
    // texts typed or pasted in; imports are set whole anyway.
    SendMessageW(text_box(window), EM_SETLIMITTEXT, 0, 0);
    return true;
}

// Fill: the target combo's text with its escaped line breaks made real.
void fill(HWND window, const WindowState& state) {
    set_window_text_gbk(text_box(window), text_for_editing(state.combo_text));
}

// Write back: the edit box shows the text as the combo box will hold it, and
// the window closes with that text as its result.
void confirm(HWND window) {
    HWND box = text_box(window);
    const std::string edited = window_text_gbk(box);
    std::string for_combo = text_for_combo(edited);
    if (for_combo != edited) set_window_text_gbk(box, for_combo);
    if (WindowState* state = state_of(window)) state->result = std::move(for_combo);
    DestroyWindow(window);
}

// The whole file through the wide functions, so that a chosen path with
// characters outside GBK is still read. Nothing when it cannot be read.
std::optional<std::string> read_whole_file(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> contents;
    LARGE_INTEGER size{};
    // A text for an edit box beyond 2 GiB is no text anyone imports.
    if (GetFileSizeEx(file, &size) && size.QuadPart < 0x7FFFFFFF) {
        std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD read = 0;
        if (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
            bytes.resize(read);
            contents = std::move(bytes);
        }
    }
    CloseHandle(file);
    return contents;
}

// 通用对话框_导入文本. Nothing when the user cancels.
std::optional<std::wstring> choose_text_file(HWND owner) {
    std::vector<wchar_t> file_name(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kImportFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file_name.data();
    dialog.nMaxFile = static_cast<DWORD>(file_name.size());
    // The dialog would otherwise change the process's current directory.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    return std::wstring(file_name.data());
}

void import_chosen_file(HWND window) {
    if (std::optional<std::wstring> path = choose_text_file(window)) {
        import_text_file(window, *path);
    }
}

void on_command(HWND window, int control_id) {
    switch (control_id) {
        case kImportButtonId:
            import_chosen_file(window);
            break;
        case kConfirmButtonId:
            confirm(window);
            break;
        case kCancelButtonId:
            DestroyWindow(window);
            break;
        default:
            break;
    }
}

// 按钮_导入文本 shows a hand over it.
bool set_hand_cursor_over_import_button(HWND window, HWND under_mouse) {
    if (under_mouse != GetDlgItem(window, kImportButtonId)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

// Ends the window's life: the result goes to the caller, the state goes.
void on_final_destroy(HWND window) {
    WindowState* state = state_of(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (!state || !state->owned_by_window) return;
    const std::unique_ptr<WindowState> owned(state);
    if (owned->on_closed) owned->on_closed(std::move(owned->result));
}

LRESULT CALLBACK input_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_CREATE:
            if (!create_children(window)) return -1;
            fill(window, *state_of(window));
            return 0;
        case WM_SIZE:
            lay_out(window);
            return 0;
        case WM_SETFOCUS:
            SetFocus(text_box(window));
            return 0;
        case WM_COMMAND:
            if (HIWORD(wparam) == BN_CLICKED) on_command(window, LOWORD(wparam));
            return 0;
        case WM_KEYDOWN:
            if (wparam == VK_ESCAPE) {
                DestroyWindow(window);
                return 0;
            }
            break;
        case WM_SETCURSOR:
            if (set_hand_cursor_over_import_button(window, reinterpret_cast<HWND>(wparam))) {
                return TRUE;
            }
            break;
        case WM_NCDESTROY:
            on_final_destroy(window);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

bool register_window_class() {
    static const bool registered = [] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof(window_class);
        window_class.lpfnWndProc = &input_window_procedure;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        window_class.lpszClassName = kWindowClass;
        return RegisterClassExW(&window_class) != 0;
    }();
    return registered;
}

// Runs the thread's messages until the window is gone. A WM_QUIT ends the
// window too, and is posted again for the loop that waits for it.
void run_until_destroyed(HWND window) {
    MSG message{};
    while (IsWindow(window)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            DestroyWindow(window);
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TextInputIcon

TextInputIcon::TextInputIcon(ControlModel& controls) : controls_(controls) {}

void TextInputIcon::on_text_combo_focus(std::string_view combo, bool gained) {
    if (!is_text_combo(combo)) return;
    if (gained) {
        target_ = std::string(combo);
        controls_.set_visible(kIconName, true);
    } else if (!input_window_open()) {
        controls_.set_visible(kIconName, false);
    }
    move_icon_to_target();
}

void TextInputIcon::move_icon_to_target() {
    if (target_.empty()) return;
    Geometry icon = controls_.geometry(kIconName);
    icon.top = controls_.geometry(target_).top + kIconTopBelowComboTop;
    controls_.set_geometry(kIconName, icon);
}

void TextInputIcon::on_icon_click() {
    if (input_window_open_) {
        if (input_window_) SetForegroundWindow(input_window_);
        return;
    }
    if (target_.empty()) return;
    input_window_open_ = true;
    const TextInputResult result = run_text_input_window(
        controls_.text(target_), [this](HWND window) { input_window_ = window; });
    input_window_ = nullptr;
    input_window_open_ = false;
    // The main window stays usable while the input window is open, so the
    // target may have moved to another text combo meanwhile: the text goes
    // to the target as it is now.
    if (result) controls_.set_text(target_, *result);
}

bool TextInputIcon::input_window_open() const { return input_window_open_; }

// ---------------------------------------------------------------------------------------------
// The window

HWND create_text_input_window(std::string_view combo_text, TextInputClosed on_closed) {
    if (!register_window_class()) return nullptr;
    auto state = std::make_unique<WindowState>();
    state->combo_text = std::string(combo_text);
    state->on_closed = std::move(on_closed);
    const Geometry& g = kWindowGeometry;
    // Without an owner: the main window is neither disabled nor kept behind.
    HWND window =
        CreateWindowExW(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, g.left, g.top, g.width,
                        g.height, nullptr, nullptr, GetModuleHandleW(nullptr), state.get());
    if (!window) return nullptr;
    state->owned_by_window = true;
    state.release();
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetForegroundWindow(window);
    return window;
}

TextInputResult run_text_input_window(std::string_view combo_text,
                                      const std::function<void(HWND)>& on_created) {
    TextInputResult result;
    HWND window = create_text_input_window(
        combo_text, [&result](TextInputResult closed) { result = std::move(closed); });
    if (!window) return std::nullopt;
    if (on_created) on_created(window);
    run_until_destroyed(window);
    return result;
}

void import_text_file(HWND input_window, const std::wstring& path) {
    const std::optional<std::string> bytes = read_whole_file(path);
    set_window_text_gbk(text_box(input_window), bytes ? imported_text(*bytes) : std::string());
}

}  // namespace qelvo::ui
