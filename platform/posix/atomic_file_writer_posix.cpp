// Atomic writes in the POSIX backend (AtomicFileWriter and copy_file): the
// new bytes go to a temporary file beside the file, which is synced, given
// the file's owner and permissions, and renamed over it.
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <utility>

#include "platform/failure.h"
#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "platform/posix/host_paths.h"
#include "platform/posix/naming_helper.h"

namespace qelvo::platform {
namespace {

bool write_all(int fd, std::string_view bytes) {
    if (const int injected = injected_failure(FileCall::write)) {
        return remember_failure(injected);
    }
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return remember_failure(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The process umask, read without changing it: calling umask() to learn it
// would briefly set another value under threads that may be creating files.
mode_t current_umask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
        }
    }
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

// Where the bytes for a path really go, with the status of the file already
// there, if any.
struct WriteTarget {
    std::string path;
    std::optional<struct stat> existing;
};

// Follows a symbolic link to its target so that the rename replaces the
// target and the link stays a link. A dangling link is refused: renaming onto
// it would turn the link into a plain file. Only regular files are replaced.
std::optional<WriteTarget> resolve_write_target(const std::string& host) {
    struct stat link_status {};
    if (lstat(host.c_str(), &link_status) != 0) {
        if (errno == ENOENT) {
            return WriteTarget{host, std::nullopt};
        }
        remember_failure(errno);
        return std::nullopt;
    }
    WriteTarget target{host, std::nullopt};
    if (S_ISLNK(link_status.st_mode)) {
        char* resolved = realpath(host.c_str(), nullptr);
        if (resolved == nullptr) {
            remember_failure(errno);
            return std::nullopt;
        }
        target.path = resolved;
        std::free(resolved);
    }
    struct stat status {};
    if (stat(target.path.c_str(), &status) != 0) {
        remember_failure(errno);
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        remember_failure(S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
        return std::nullopt;
    }
    target.existing = status;
    return target;
}

// Shortens UTF-8 text to at most max_bytes without splitting a character.
void truncate_utf8(std::string& text, std::size_t max_bytes) {
    if (text.size() <= max_bytes) {
        return;
    }
    std::size_t end = max_bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
}

// A mkstemp template beside the target: hidden, named after the file so a
// leftover from a crash is recognisable, and short enough for NAME_MAX.
std::string temporary_template(const std::string& target) {
    constexpr std::size_t kMaxBaseBytes = 200;
    const std::size_t slash = target.rfind('/');
    const std::string directory = target.substr(0, slash + 1);
    std::string base = target.substr(slash + 1);
    truncate_utf8(base, kMaxBaseBytes);
    return directory + "." + base + ".qelvo-XXXXXX";
}

std::string directory_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Replaces the trailing XXXXXX of a temporary's template with random
// characters, as mkostemp would.
void fill_random_suffix(std::string& name) {
    static constexpr std::string_view kCharacters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kCharacters.size() - 1);
    for (std::size_t i = name.size() - 6; i < name.size(); ++i) name[i] = kCharacters[pick(random)];
}

// The owner first: changing it clears set-user-ID bits, which the mode then
// puts back. Only root can give a file away, so a failed chown is expected
// and harmless: the file then belongs to whoever rewrote it.
bool apply_permissions(int fd, const WriteTarget& target, std::optional<mode_t> new_file_mode) {
    if (!target.existing) {
        return !new_file_mode || fchmod(fd, *new_file_mode) == 0;
    }
    if (fchown(fd, target.existing->st_uid, target.existing->st_gid) != 0) {
        // Keeping our own ownership is the best that can be done.
    }
    return fchmod(fd, target.existing->st_mode & 07777) == 0;
}

}  // namespace

struct AtomicFileWriter::State {
    int fd = -1;
    // The temporary's name: a template until an unnamed temporary is linked.
    std::string temporary;
    bool unnamed = false;    // made with O_TMPFILE: no name in the directory yet
    bool journaled = false;  // on a file system whose syncs commit a journal
    WriteTarget target;
    // A new file's mode; none where the kernel gave the temporary the mode
    // any new file gets.
    std::optional<mode_t> new_file_mode;
};

namespace {

using WriterState = AtomicFileWriter::State;

// Whether syncs on the file's system commit a journal; those in memory do not.
bool keeps_a_journal(int fd) {
    struct statfs system {};
    return fstatfs(fd, &system) != 0 ||
           (system.f_type != TMPFS_MAGIC && system.f_type != RAMFS_MAGIC);
}

// A temporary file beside the file the bytes for host go to, or nothing when
// that file may not be replaced.
// A new file gets new_file_mode, or without it the mode the umask allows.
std::unique_ptr<WriterState> open_temporary(const std::string& host,
                                            std::optional<mode_t> new_file_mode) {
    std::optional<WriteTarget> target = resolve_write_target(host);
    if (!target) {
        return nullptr;
    }
    // Checked on the mode bits, not with access(): root may write anything,
    // yet a read-only file must stay as it is for root too.
    if (target->existing && (target->existing->st_mode & S_IWUSR) == 0) {
        remember_failure(EACCES);
        return nullptr;
    }
    auto state = std::make_unique<WriterState>();
    state->temporary = temporary_template(target->path);
    // An unnamed temporary has no name for a kill to leave behind; it gets
    // one only for the instant between its link and the rename. File systems
    // without O_TMPFILE get a named one.
    // Made with 0666, an unnamed temporary has the mode the umask allows.
    state->fd = open(directory_of(target->path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                     new_file_mode.value_or(0666));
    state->unnamed = state->fd >= 0;
    if (!state->unnamed) {
        state->fd = mkostemp(state->temporary.data(), O_CLOEXEC);
        if (!new_file_mode) {
            new_file_mode = 0666 & ~current_umask();
        }
    }
    if (state->fd < 0) {
        remember_failure(errno);
        return nullptr;
    }
    state->journaled = keeps_a_journal(state->fd);
    state->target = std::move(*target);
    state->new_file_mode = new_file_mode;
    return state;
}

void discard_temporary(WriterState& state) {
    close(state.fd);
    if (!state.unnamed) {
        unlink(state.temporary.c_str());
    }
}

// Gives an unnamed temporary a fresh name from its template, retrying when
// the name is taken.
bool link_unnamed(WriterState& state) {
    const std::string pattern = state.temporary;
    const std::string descriptor = "/proc/self/fd/" + std::to_string(state.fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        state.temporary = pattern;
        fill_random_suffix(state.temporary);
        if (linkat(AT_FDCWD, descriptor.c_str(), AT_FDCWD, state.temporary.c_str(),
                   AT_SYMLINK_FOLLOW) == 0) {
            state.unnamed = false;
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return remember_failure(errno);
}

// The journal of a file system such as ext4 makes a link wait while another
// thread's fsync commits, and a kill then lands the moment the link returns,
// leaving the temporary's name behind. Syncs share this lock and a link with
// its rename takes it alone, so the two never overlap within the process: a
// kill while waiting for it leaves only the unnamed temporary, which
// vanishes. File systems in memory keep no journal, and skip the lock.
std::shared_mutex syncs_and_names;

bool sync_temporary(WriterState& state) {
    if (const int injected = injected_failure(FileCall::sync)) {
        return remember_failure(injected);
    }
    std::shared_lock lock(syncs_and_names, std::defer_lock);
    if (state.journaled) {
        lock.lock();
    }
    return fsync(state.fd) == 0 || remember_failure(errno);
}

// Has the naming helper give an unnamed temporary a fresh name and move it
// over its file, retrying while the name is taken; nothing when no helper
// runs. The temporary stays unnamed here either way.
std::optional<bool> name_in_helper(WriterState& state) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = state.temporary;
        fill_random_suffix(name);
        const std::optional<int> result = name_through_helper(state.fd, name, state.target.path);
        if (!result) {
            return std::nullopt;
        }
        if (*result != EEXIST) {
            return *result == 0 || remember_failure(*result);
        }
    }
    return remember_failure(EEXIST);
}

bool name_temporary(WriterState& state) {
    if (const int injected = injected_failure(FileCall::rename)) {
        return remember_failure(injected);
    }
    std::unique_lock lock(syncs_and_names, std::defer_lock);
    if (state.journaled) {
        lock.lock();
    }
    if (state.unnamed) {
        if (const std::optional<bool> named = name_in_helper(state)) {
            return *named;
        }
    }
    return (!state.unnamed || link_unnamed(state)) &&
           (rename(state.temporary.c_str(), state.target.path.c_str()) == 0 ||
            remember_failure(errno));
}

bool commit_temporary(WriterState& state) {
    // Each step's reason is kept as it fails, before the clean-up can
    // change errno.
    bool ok = sync_temporary(state) &&
              (apply_permissions(state.fd, state.target, state.new_file_mode) ||
               remember_failure(errno)) &&
              name_temporary(state);
    if (!ok && !state.unnamed) {
        unlink(state.temporary.c_str());
    }
    // A failed close after the rename cannot lose data written and synced.
    close(state.fd);
    return ok;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string_view path) {
    const std::optional<std::string> host = host_path(path);
    if (!host) {
        remember_failure(ENOENT);
        return;
    }
    state_ = open_temporary(*host, std::nullopt);
}

AtomicFileWriter::~AtomicFileWriter() { discard(); }

void AtomicFileWriter::discard() {
    if (state_) {
        discard_temporary(*state_);
        state_.reset();
    }
}

bool AtomicFileWriter::write(std::string_view bytes) {
    if (state_ && !write_all(state_->fd, bytes)) {
        discard();
    }
    return state_ != nullptr;
}

bool AtomicFileWriter::commit() {
    if (!state_) {
        return false;
    }
    const bool committed = commit_temporary(*state_);
    state_.reset();
    return committed;
}

bool copy_file(std::string_view from, std::string_view to) {
    if (const int injected = injected_failure(FileCall::copy)) {
        return remember_failure(injected);
    }
    const std::optional<std::string> target = host_path(to);
    errno = 0;
    InputFile source(from);
    if (!target || !source.is_open()) {
        return remember_failure(target ? errno : ENOENT);
    }
    struct stat source_status {};
    const std::optional<std::string> source_host = host_path(from);
    if (stat(source_host->c_str(), &source_status) != 0) {
        return remember_failure(errno);
    }
    std::unique_ptr<WriterState> state = open_temporary(*target, source_status.st_mode & 0777);
    if (!state) {
        return false;
    }
    // Streamed through a fixed buffer, so that a backup of any size takes
    // no more memory than a small one.
    constexpr std::size_t kChunk = 256 * 1024;
    const std::unique_ptr<char[]> buffer(new char[kChunk]);
    for (;;) {
        const std::optional<std::size_t> got = source.read(buffer.get(), kChunk);
        if (!got || (*got > 0 && !write_all(state->fd, {buffer.get(), *got}))) {
            discard_temporary(*state);
            return false;
        }
        if (*got == 0) {
            return commit_temporary(*state);
        }
    }
}

}  // namespace qelvo::platform
