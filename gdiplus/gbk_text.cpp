#include "gdiplus/gbk_text.h"

#include <windows.h>

namespace qelvo::gdiplus::detail {
namespace {

constexpr UINT kGbkCodePage = 936;

}  // namespace

std::wstring wide_from_gbk(std::string_view gbk) {
    if (gbk.empty()) return {};
    const int length = static_cast<int>(gbk.size());
    const int needed = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), length, wide.data(), needed);
    return wide;
}

std::string gbk_from_wide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    const int needed =
        WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string gbk(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, gbk.data(), needed, nullptr, nullptr);
    return gbk;
}

}  // namespace qelvo::gdiplus::detail
