// The POSIX backend. Engine paths name drive Z: as the root of the file
// system, the way Wine presents it; no other drive exists here, so every
// operation on one fails. Names are GBK in the engine and UTF-8 on disk.
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <shared_mutex>
#include <string>

#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "platform/posix/directory_handles.h"
#include "platform/posix/naming_helper.h"

namespace qelvo::platform {
namespace {

bool names_drive_z(std::string_view engine_path) {
    return engine_path.size() >= 2 && engine_path[1] == ':' &&
           (engine_path[0] == 'z' || engine_path[0] == 'Z');
}

void replace_all(std::string& text, char from, char to) {
    for (char& c : text) {
        if (c == from) {
            c = to;
        }
    }
}

// The host path of an engine path on drive Z:, or nothing for any other
// drive. Separators are swapped after conversion to UTF-8, where a backslash
// byte is always a backslash; in GBK it may be the trail byte of a character.
std::optional<std::string> host_path(std::string_view engine_path) {
    if (!names_drive_z(engine_path)) {
        return std::nullopt;
    }
    std::string host = codepage::gbk_to_utf8(engine_path.substr(2));
    replace_all(host, '\\', '/');
    if (host.empty() || host.front() != '/') {
        // The engine only uses absolute paths, so "Z:" and "Z:name" are taken
        // from the root rather than from some notion of a current directory.
        host.insert(host.begin(), '/');
    }
    return host;
}

// The GBK form of a name read from disk, or nothing when the engine could not
// address the entry: a backslash would split the name into two path parts
// once the engine path is mapped back, and a name that changes on its way
// through GBK would map back to a different file, or to none.
std::optional<std::string> engine_name(const char* host_name) {
    const std::string_view name(host_name);
    if (name == "." || name == ".." || name.find('\\') != std::string_view::npos) {
        return std::nullopt;
    }
    std::string gbk = codepage::utf8_to_gbk(name);
    if (gbk != name && codepage::gbk_to_utf8(gbk) != name) {
        return std::nullopt;
    }
    return gbk;
}

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

std::optional<std::string> read_all(int fd, std::size_t expected_size) {
    // One byte more than expected lets the end be seen without regrowing.
    std::string content(expected_size + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == content.size()) {
            content.resize(content.size() * 2);
        }
        const ssize_t got = read(fd, content.data() + used, content.size() - used);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    content.resize(used);
    return content;
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

std::optional<std::string> read_file(std::string_view path) {
    const std::optional<std::string> host = host_path(path);
    if (!host) {
        return std::nullopt;
    }
    // O_NONBLOCK keeps open() from waiting for a writer when the path is a
    // fifo; such a file is refused below, and regular files ignore the flag.
    const int fd = open(host->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat status {};
    std::optional<std::string> content;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        content = read_all(fd, static_cast<std::size_t>(status.st_size));
    }
    close(fd);
    return content;
}

InputFile::InputFile(std::string_view path, Lookup lookup) {
    const std::optional<std::string> host = host_path(path);
    if (!host) {
        return;
    }
    // O_NONBLOCK keeps open() and read() from waiting for a writer when the
    // path is a fifo; regular files ignore the flag.
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (lookup == Lookup::through_last_directory) {
        handle_ = open_through_directory(*host, kFlags);
        opened_by_path_ = false;
        return;
    }
    const int fd = open(host->c_str(), kFlags);
    if (fd < 0) {
        return;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return;
    }
    handle_ = fd;
}

bool InputFile::names_file_at(std::string_view path) const {
    if (!is_open() || opened_by_path_) {
        return is_open();
    }
    const std::optional<std::string> host = host_path(path);
    struct stat open_file {};
    struct stat named {};
    return host && fstat(static_cast<int>(handle_), &open_file) == 0 &&
           stat(host->c_str(), &named) == 0 && S_ISREG(named.st_mode) &&
           open_file.st_dev == named.st_dev && open_file.st_ino == named.st_ino;
}

InputFile::~InputFile() {
    if (is_open()) {
        close(static_cast<int>(handle_));
    }
}

std::optional<std::size_t> InputFile::read(char* into, std::size_t capacity) {
    if (!is_open()) {
        return std::nullopt;
    }
    if (const int injected = injected_failure(FileCall::read)) {
        remember_failure(injected);
        return std::nullopt;
    }
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(handle_), into, capacity);
        if (got >= 0) {
            at_end_ = static_cast<std::size_t>(got) < capacity;
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            remember_failure(errno);
            return std::nullopt;
        }
    }
}

bool InputFile::rewind() {
    if (!is_open() || lseek(static_cast<int>(handle_), 0, SEEK_SET) != 0) {
        return false;
    }
    at_end_ = false;
    return true;
}

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

bool write_file_atomic(std::string_view path, std::string_view bytes) {
    AtomicFileWriter writer(path);
    return writer.write(bytes) && writer.commit();
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

bool delete_file(std::string_view path) {
    const std::optional<std::string> host = host_path(path);
    if (!host) {
        return remember_failure(ENOENT);
    }
    if (const int injected = injected_failure(FileCall::remove)) {
        return remember_failure(injected);
    }
    return unlink(host->c_str()) == 0 || remember_failure(errno);
}

bool make_directory(std::string_view path) {
    const std::optional<std::string> host = host_path(path);
    return host && mkdir(host->c_str(), 0777) == 0;
}

bool exists(std::string_view path) {
    const std::optional<std::string> host = host_path(path);
    struct stat status {};
    return host && stat(host->c_str(), &status) == 0;
}

bool directory_exists(std::string_view path) {
    const std::optional<std::string> host = host_path(path);
    struct stat status {};
    return host && stat(host->c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

void prepare_process() {
    // Every worker allocates and frees a whole file's worth of memory per
    // file. glibc would hand each freed block back to the system at once
    // (trimming a thread's heap flushes the TLB of every core), so that the
    // next file faults every page in again; keeping freed memory for reuse
    // makes a replace run several times faster.
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    start_naming_helper();
}

std::string executable_directory() {
    std::string executable(PATH_MAX, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", executable.data(), executable.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < executable.size()) {
            executable.resize(static_cast<std::size_t>(length));
            break;
        }
        executable.resize(executable.size() * 2);
    }
    const std::size_t slash = executable.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return engine_path_from_host(executable.substr(0, slash + 1)).value_or(std::string());
}

std::optional<std::string> engine_path_from_host(std::string_view host_path_text) {
    // A backslash is a name character here but a separator to the engine.
    if (host_path_text.empty() || host_path_text.find('\\') != std::string_view::npos) {
        return std::nullopt;
    }
    std::error_code error;
    const std::filesystem::path absolute =
        std::filesystem::absolute(std::filesystem::path(host_path_text), error);
    if (error) {
        return std::nullopt;
    }
    // Lexical clean-up only, as Windows does for a full path name; following
    // links here would change which directory ".." leads to.
    const std::string utf8 = absolute.lexically_normal().string();
    std::string gbk = codepage::utf8_to_gbk(utf8);
    if (codepage::gbk_to_utf8(gbk) != utf8) {
        return std::nullopt;
    }
    // A slash cannot be a GBK trail byte (those start at 0x40), so bytes are
    // swapped safely in the GBK text.
    replace_all(gbk, '/', '\\');
    return "Z:" + gbk;
}

std::string host_path_from_engine(std::string_view engine_path) {
    if (std::optional<std::string> host = host_path(engine_path)) {
        return *host;
    }
    return codepage::gbk_to_utf8(engine_path);
}

}  // namespace qelvo::platform
