#include "ui/win32/wide_text.h"

#include "platform/codepage.h"

namespace qelvo::ui {
namespace {

// wchar_t is a UTF-16 unit on Windows, so the two strings share a layout.
std::wstring to_wstring(const std::u16string& text) { return {text.begin(), text.end()}; }

}  // namespace

std::wstring wide_from_gbk(std::string_view gbk) { return to_wstring(codepage::gbk_to_utf16(gbk)); }

std::string gbk_from_wide(std::wstring_view wide) {
    const std::u16string utf16(wide.begin(), wide.end());
    return codepage::utf16_to_gbk(utf16);
}

std::wstring wide_from_utf8(std::string_view utf8) {
    return to_wstring(codepage::utf8_to_utf16(utf8));
}

std::wstring window_text(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

std::string window_text_gbk(HWND window) { return gbk_from_wide(window_text(window)); }

void set_window_text_gbk(HWND window, std::string_view gbk) {
    SetWindowTextW(window, wide_from_gbk(gbk).c_str());
}

}  // namespace qelvo::ui
