// Listing a directory on Win32, through FindFirstFileW and FindNextFileW.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/wide_paths_win32.h"

namespace qelvo::platform {

using win32_detail::exact_gbk;
using win32_detail::is_separator;
using win32_detail::system_path;

namespace {

bool is_dot_entry(const wchar_t* name) {
    return std::wstring_view(name) == L"." || std::wstring_view(name) == L"..";
}

// Links and junctions carry both the directory and the reparse-point
// attribute; leaving them out keeps a walk from following them into loops.
bool is_entry_of_kind(const WIN32_FIND_DATAW& entry, EntryKind kind) {
    const DWORD attributes = entry.dwFileAttributes;
    const bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (kind == EntryKind::files) {
        return !directory;
    }
    return directory && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
           !is_dot_entry(entry.cFileName);
}

}  // namespace

bool list_directory(std::string_view directory, const DirectoryVisitor& visit) {
    if (directory.empty()) {
        return false;
    }
    std::wstring query = system_path(directory);
    if (!is_separator(query.back())) {
        query += L'\\';
    }
    query += L'*';
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(query.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        // A drive root has no "." entry, so an empty one finds nothing at all.
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    bool stopped = false;
    do {
        std::optional<EntryKind> kind;
        if (is_entry_of_kind(entry, EntryKind::files)) {
            kind = EntryKind::files;
        } else if (is_entry_of_kind(entry, EntryKind::directories)) {
            kind = EntryKind::directories;
        }
        if (!kind) {
            continue;
        }
        const std::optional<std::string> name = exact_gbk(entry.cFileName);
        if (name && !visit(*name, *kind)) {
            stopped = true;
            break;
        }
    } while (FindNextFileW(search, &entry));
    const bool complete = stopped || GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    return complete;
}

}  // namespace qelvo::platform
