// The wrappers take and give engine text, GBK bytes; GDI+ speaks UTF-16.
// Code page 936 is named outright so that the text means the same whatever
// ANSI code page the system runs with.
#pragma once

#include <string>
#include <string_view>

namespace qelvo::gdiplus::detail {

std::wstring wide_from_gbk(std::string_view gbk);
std::string gbk_from_wide(std::wstring_view wide);

}  // namespace qelvo::gdiplus::detail
