// Engine paths (GBK) in the UTF-16 forms the wide functions take, and back;
// host paths (UTF-8) to and from engine paths.
#include "platform/win32/wide_paths_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/platform.h"

namespace qelvo::platform {
namespace win32_detail {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

std::wstring wide_from_gbk(std::string_view gbk) {
    const std::u16string utf16 = codepage::gbk_to_utf16(gbk);
    return std::wstring(utf16.begin(), utf16.end());
}

std::string gbk_from_wide(std::wstring_view wide) {
    return codepage::utf16_to_gbk(std::u16string(wide.begin(), wide.end()));
}

// An absolute path with its "." and ".." parts taken out by the text alone,
// as Windows does for a full path, but keeping names that end in a dot or a
// blank, which GetFullPathNameW would cut.
std::wstring without_dot_parts(const std::wstring& path, std::size_t root_length) {
    std::vector<std::wstring> parts;
    std::wstring part;
    auto flush = [&] {
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (std::size_t i = root_length; i < path.size(); ++i) {
        if (is_separator(path[i])) {
            flush();
        } else {
            part += path[i];
        }
    }
    flush();
    std::wstring result = path.substr(0, root_length);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) result += L'\\';
        result += parts[i];
    }
    if (!path.empty() && is_separator(path.back()) && !parts.empty()) result += L'\\';
    return result;
}

}  // namespace

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring long_form(std::wstring path) {
    constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
    if (path.starts_with(kLongPrefix)) return path;
    if (path.size() >= 3 && path[1] == L':' && is_separator(path[2])) {
        return std::wstring(kLongPrefix) + without_dot_parts(path, 3);
    }
    if (path.size() > 2 && is_separator(path[0]) && is_separator(path[1])) {
        return L"\\\\?\\UNC\\" + without_dot_parts(path.substr(2), 0);
    }
    return path;
}

std::wstring system_path(std::string_view gbk_path) { return long_form(wide_from_gbk(gbk_path)); }

std::optional<std::string> exact_gbk(std::wstring_view wide) {
    std::string gbk = gbk_from_wide(wide);
    if (wide_from_gbk(gbk) != wide) {
        return std::nullopt;
    }
    return gbk;
}

std::optional<std::wstring> final_path(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    std::wstring final_name(GetFinalPathNameByHandleW(file, nullptr, 0, kFlags), L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file, final_name.data(),
                                                   static_cast<DWORD>(final_name.size()), kFlags);
    CloseHandle(file);
    if (length == 0 || length >= final_name.size()) {
        return std::nullopt;
    }
    final_name.resize(length);
    constexpr std::wstring_view kUncPrefix = L"\\\\?\\UNC\\";
    constexpr std::wstring_view kLocalPrefix = L"\\\\?\\";
    if (final_name.starts_with(kUncPrefix)) {
        return L"\\\\" + final_name.substr(kUncPrefix.size());
    }
    if (final_name.starts_with(kLocalPrefix)) {
        return final_name.substr(kLocalPrefix.size());
    }
    return final_name;
}

std::wstring native_path(const std::wstring& path) {
    constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
    std::wstring full = path;
    if (!full.starts_with(kLongPrefix)) {
        const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
        if (length == 0) return {};
        full.assign(length, L'\0');
        if (GetFullPathNameW(path.c_str(), length, full.data(), nullptr) >= length) return {};
        full.resize(wcslen(full.c_str()));
        full = long_form(std::move(full));
        if (!full.starts_with(kLongPrefix)) return {};
    }
    return L"\\??\\" + full.substr(kLongPrefix.size());
}

std::wstring directory_of(const std::wstring& path) {
    const auto separator = std::find_if(path.rbegin(), path.rend(), is_separator);
    return std::wstring(path.begin(), separator.base());
}

}  // namespace win32_detail

using win32_detail::exact_gbk;

std::optional<std::string> engine_path_from_host(std::string_view host_path) {
    if (host_path.empty()) {
        return std::nullopt;
    }
    const std::u16string utf16 = codepage::utf8_to_utf16(host_path);
    const std::wstring relative(utf16.begin(), utf16.end());
    const DWORD needed = GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return std::nullopt;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(relative.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return std::nullopt;
    }
    full.resize(length);
    return exact_gbk(full);
}

std::string host_path_from_engine(std::string_view engine_path) {
    return codepage::gbk_to_utf8(engine_path);
}

}  // namespace qelvo::platform
