// Text between the engine (GBK bytes) and the wide functions of Windows
// (UTF-16). The conversions name code page 936 themselves, so the window
// shows the same characters whatever ANSI code page the system runs with.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qelvo::ui {

std::wstring wide_from_gbk(std::string_view gbk);
std::string gbk_from_wide(std::wstring_view wide);
// For the fixed texts of the sources, which are UTF-8.
std::wstring wide_from_utf8(std::string_view utf8);

// The whole text of a window or control, however long.
std::wstring window_text(HWND window);
std::string window_text_gbk(HWND window);
void set_window_text_gbk(HWND window, std::string_view gbk);

}  // namespace qelvo::ui
