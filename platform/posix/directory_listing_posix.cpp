// Listing a directory in the POSIX backend: each entry's name in GBK and
// whether it is a file or a directory.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/posix/host_paths.h"

namespace qelvo::platform {
namespace {

// Files are what stat() calls regular, so a link to a file counts as the
// file. Directories are checked without following links, so a walk never
// enters a linked directory and cannot loop. Anything else is left out:
// opening a fifo for reading would block a worker indefinitely. The type from
// readdir settles most entries without a stat call.
bool is_entry_of_kind(int directory_fd, const dirent& entry, EntryKind kind) {
    struct stat status {};
    if (kind == EntryKind::files) {
        if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
            return entry.d_type == DT_REG;
        }
        return fstatat(directory_fd, entry.d_name, &status, 0) == 0 && S_ISREG(status.st_mode);
    }
    if (entry.d_type == DT_DIR) {
        return true;
    }
    return entry.d_type == DT_UNKNOWN &&
           fstatat(directory_fd, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(status.st_mode);
}

}  // namespace

bool list_directory(std::string_view directory, const DirectoryVisitor& visit) {
    const std::optional<std::string> host = host_path(directory);
    if (!host) {
        return false;
    }
    DIR* stream = opendir(host->c_str());
    if (stream == nullptr) {
        return false;
    }
    const int directory_fd = dirfd(stream);
    bool complete = true;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(stream);
        if (entry == nullptr) {
            complete = errno == 0;
            break;
        }
        const std::optional<std::string> name = engine_name(entry->d_name);
        if (!name) {
            continue;
        }
        std::optional<EntryKind> kind;
        if (is_entry_of_kind(directory_fd, *entry, EntryKind::files)) {
            kind = EntryKind::files;
        } else if (is_entry_of_kind(directory_fd, *entry, EntryKind::directories)) {
            kind = EntryKind::directories;
        }
        if (kind && !visit(*name, *kind)) {
            break;
        }
    }
    closedir(stream);
    return complete;
}

}  // namespace qelvo::platform
