// The running process on Win32: its settings at start and the directory of
// its executable.
#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/wide_paths_win32.h"

namespace qelvo::platform {

using win32_detail::directory_of;
using win32_detail::exact_gbk;

// The Windows heap keeps freed blocks for reuse by itself.
void prepare_process() {}

std::string executable_directory() {
    std::wstring module(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
        if (length == 0) {
            return {};
        }
        if (length < module.size()) {
            module.resize(length);
            break;
        }
        module.resize(module.size() * 2);
    }
    return exact_gbk(directory_of(module)).value_or(std::string());
}

}  // namespace qelvo::platform
