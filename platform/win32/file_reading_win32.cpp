// Reading files on Win32: read_file takes a whole file at once, InputFile
// reads one in pieces.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"
#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "platform/win32/last_error_win32.h"
#include "platform/win32/wide_paths_win32.h"

namespace qelvo::platform {

using win32_detail::remember_last_error;
using win32_detail::system_path;

namespace {

// Reads until the expected size or the end of the file, in chunks a DWORD
// can count.
std::optional<std::string> read_all(HANDLE file, std::uint64_t expected_size) {
    constexpr DWORD kMaxChunk = 1u << 30;
    std::string content(static_cast<std::size_t>(expected_size), '\0');
    std::size_t used = 0;
    while (used < content.size()) {
        const DWORD wanted =
            static_cast<DWORD>(std::min<std::size_t>(content.size() - used, kMaxChunk));
        DWORD got = 0;
        if (!ReadFile(file, content.data() + used, wanted, &got, nullptr)) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        used += got;
    }
    content.resize(used);
    return content;
}

}  // namespace

std::optional<std::string> read_file(std::string_view path) {
    // Sharing only with readers keeps another program from changing the file
    // half-way through the read.
    HANDLE file =
        CreateFileW(system_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::optional<std::string> content;
    LARGE_INTEGER size{};
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) && size.QuadPart >= 0) {
        content = read_all(file, static_cast<std::uint64_t>(size.QuadPart));
    }
    CloseHandle(file);
    return content;
}

InputFile::InputFile(std::string_view path, Lookup) {
    // Sharing only with readers keeps another program from changing the file
    // half-way through the read.
    HANDLE file =
        CreateFileW(system_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
}

// Windows opens every file by its path.
bool InputFile::names_file_at(std::string_view) const { return is_open(); }

InputFile::~InputFile() {
    if (is_open()) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

std::optional<std::size_t> InputFile::read(char* into, std::size_t capacity) {
    constexpr std::size_t kMaxChunk = 1u << 30;
    const auto asked = static_cast<DWORD>(std::min(capacity, kMaxChunk));
    if (const int injected = injected_failure(FileCall::read)) {
        remember_failure(injected);
        return std::nullopt;
    }
    DWORD got = 0;
    if (!is_open() || !ReadFile(reinterpret_cast<HANDLE>(handle_), into, asked, &got, nullptr)) {
        remember_last_error();
        return std::nullopt;
    }
    at_end_ = got < asked;
    return got;
}

bool InputFile::rewind() {
    LARGE_INTEGER start{};
    if (!is_open() ||
        SetFilePointerEx(reinterpret_cast<HANDLE>(handle_), start, nullptr, FILE_BEGIN) == 0) {
        return false;
    }
    at_end_ = false;
    return true;
}

// Every file is opened by its whole path here.
void renew_directory_lookups() {}

}  // namespace qelvo::platform
