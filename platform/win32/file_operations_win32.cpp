// The single-call file operations on Win32: deleting a file, making a
// directory and testing whether a path exists.
#include <windows.h>

#include <string_view>

#include "platform/failure.h"
#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "platform/win32/last_error_win32.h"
#include "platform/win32/wide_paths_win32.h"

namespace qelvo::platform {

using win32_detail::remember_last_error;
using win32_detail::system_path;

bool delete_file(std::string_view path) {
    if (const int injected = injected_failure(FileCall::remove)) {
        return remember_failure(injected);
    }
    return DeleteFileW(system_path(path).c_str()) != 0 || remember_last_error();
}

bool make_directory(std::string_view path) {
    return CreateDirectoryW(system_path(path).c_str(), nullptr) != 0;
}

bool exists(std::string_view path) {
    return GetFileAttributesW(system_path(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool directory_exists(std::string_view path) {
    const DWORD attributes = GetFileAttributesW(system_path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace qelvo::platform
