// The Win32 error codes the backend meets, mapped onto the portable codes of
// <cerrno>.
#include "platform/win32/last_error_win32.h"

#include <windows.h>

#include <cerrno>

#include "platform/failure.h"

namespace qelvo::platform::win32_detail {

bool remember_last_error() {
    switch (GetLastError()) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return remember_failure(ENOSPC);
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return remember_failure(EACCES);
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return remember_failure(ENOENT);
        case ERROR_FILENAME_EXCED_RANGE:
            return remember_failure(ENAMETOOLONG);
        default:
            return remember_failure(EIO);
    }
}

}  // namespace qelvo::platform::win32_detail
