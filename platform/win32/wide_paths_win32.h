// Paths in the Win32 backend. Only the wide functions are called, so the
// system's ANSI code page never matters: engine paths are converted between
// GBK and UTF-16 with the code page 936 functions of codepage.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qelvo::platform::win32_detail {

bool is_separator(wchar_t c);

// The form of a path the wide functions take past MAX_PATH (260) characters
// and with names that end in a dot or a blank: "\\?\C:\..." for a drive
// path, "\\?\UNC\server\..." for a network one. Other paths stay as they are.
std::wstring long_form(std::wstring path);

// A GBK engine path as the wide file functions take it.
std::wstring system_path(std::string_view gbk_path);

// The GBK form of a name or path, or nothing when GBK cannot hold it: a
// substitute character would make the engine address some other file.
std::optional<std::string> exact_gbk(std::wstring_view wide);

// The path a symbolic link finally leads to, without the "\\?\" prefix that
// GetFinalPathNameByHandleW puts in front.
std::optional<std::wstring> final_path(const std::wstring& path);

// The path in the form the native file calls take ("\??\C:\..."); empty
// when it cannot be made absolute.
std::wstring native_path(const std::wstring& path);

// The path up to and with its last separator; empty when it has none.
std::wstring directory_of(const std::wstring& path);

}  // namespace qelvo::platform::win32_detail
