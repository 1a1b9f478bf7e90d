// The text input window: a multi-line edit box for long find and replacement
// texts, opened from a small icon at the right end of the focused text combo
// box. Line breaks are real in the edit box and written as backslash and n in
// the combo box. The window keeps the system's look and talks to Windows
// through the wide functions only.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/control_model.h"

namespace qelvo::ui {

// The icon beside the text combo boxes and the combo the input window works
// for. The main window calls it from its window procedure on the user
// interface thread.
class TextInputIcon {
  public:
    explicit TextInputIcon(ControlModel& controls);

    TextInputIcon(const TextInputIcon&) = delete;
    TextInputIcon& operator=(const TextInputIcon&) = delete;

    // CBN_SETFOCUS (gained) and CBN_KILLFOCUS of 组合框_查找内容, 组合框_替换内容
    // and 组合框_查找内容2; any other combo is ignored.
    void on_text_combo_focus(std::string_view combo, bool gained);
    // Left button down on 图片框_编辑框: runs the input window for the target
    // combo until it closes. The main window stays enabled meanwhile; a second
    // click only brings the open window to the front.
    void on_icon_click();
    bool input_window_open() const;

  private:
    void move_icon_to_target();

    ControlModel& controls_;
    std::string target_;  // the text combo that got the focus last; empty before any
    // Open from before the window is created: creating it takes the focus
    // from the combo, and the icon must stay for that.
    bool input_window_open_ = false;
    HWND input_window_ = nullptr;
};

// The input window's controls, for GetDlgItem.
enum TextInputControlId : int {
    kTextBoxId = 101,  // 编辑框_文本
    kImportButtonId,   // 按钮_导入文本
    kConfirmButtonId,  // 按钮_确认
    kCancelButtonId,   // 按钮_取消
};

// The text for the combo box after "确认", or nothing after "取消", Esc or
// the close button.
using TextInputResult = std::optional<std::string>;
using TextInputClosed = std::function<void(TextInputResult)>;

// Creates and shows the input window (no owner), its edit box filled from a
// combo box text. on_closed is called exactly once, while the window is
// destroyed. Returns nullptr when the window cannot be created, without
// calling on_closed.
HWND create_text_input_window(std::string_view combo_text, TextInputClosed on_closed);

// The same window, modal: runs the thread's messages until it closes. A
// WM_QUIT met meanwhile closes the window and is posted again for the caller's
// loop. on_created (may be empty) is given the window before the loop starts.
TextInputResult run_text_input_window(std::string_view combo_text,
                                      const std::function<void(HWND)>& on_created = {});

// What "导入文本" does once a file is chosen: the edit box gets the file's
// text, or is emptied when the file cannot be read.
void import_text_file(HWND input_window, const std::wstring& path);

}  // namespace qelvo::ui
