// The main window's small actions that hand work to the shell: choosing a
// directory, opening a listed file with its program or in Notepad, and the
// publisher's page. None reports a failure; they run on the user interface
// thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "engine/control_model.h"

namespace qelvo::ui {

// 按钮_浏览 and 按钮_浏览2: the shell's folder browser, modal to the owner.
// The chosen folder's path goes into the path combo; a cancelled browse or a
// folder with no file-system path (such as the Control Panel) empties it.
void browse_for_folder(ControlModel& controls, std::string_view path_combo, HWND owner);

// The path in column 1 of 超级列表框1's selected row; empty when no row is
// selected or its cell is empty.
std::string selected_file_path(const ControlModel& controls);

// Double-click in 超级列表框1: the shell's "open" action on the selected file.
void open_selected_file(const ControlModel& controls);

// The command line that opens a file in Notepad. The path is not quoted:
// Notepad takes the whole rest of its command line as the file name, blanks
// included.
std::wstring notepad_command_line(std::string_view gbk_path);

// Menu item "TXT文本编辑": the selected file in Notepad. Returns once Notepad
// is ready for input, or after a second at most.
void edit_selected_in_notepad(const ControlModel& controls);

// 透明标签6: the publisher's web page in the default browser.
void open_publisher_page();

}  // namespace qelvo::ui
