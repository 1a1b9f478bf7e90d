// The platform layer: the few operating-system services the engine needs.
// Engine paths are Windows paths: GBK text with backslashes and a drive
// letter. The POSIX backend maps drive Z: onto "/" as Wine does and converts
// names between GBK and the file system's UTF-8; the Win32 backend calls the
// wide functions and converts with code page 936 explicitly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qelvo::platform {

enum class EntryKind { files, directories };

// Called once per entry with its name (GBK) and kind; return false to stop.
using DirectoryVisitor = std::function<bool(const std::string& name, EntryKind kind)>;

// Lists the files and directories of a directory (engine path, with or
// without a trailing backslash) in one pass, in the order the file system
// returns them. Files are all entries that are not directories (hidden and
// system files included); directories exclude "." and "..". Links and
// junctions to directories are neither files nor directories here, so a walk
// never follows them; on POSIX a link to a file is a file, while fifos,
// sockets, devices and dangling links are neither. Names the engine could
// not address are skipped: those that do not survive conversion to GBK and
// back, and on POSIX those holding a backslash. Returns false when the
// directory cannot be read; a visitor stopping the listing is no failure.
bool list_directory(std::string_view directory, const DirectoryVisitor& visit);

// Called once per matching entry name (GBK); return false to stop the search.
using EntryVisitor = std::function<bool(const std::string& name)>;

// The entries of one kind that list_directory gives whose names match the
// wildcard pattern. Returns false when the directory cannot be read or the
// pattern holds a character no file name can hold.
bool search_directory(std::string_view directory, std::string_view pattern, EntryKind kind,
                      const EntryVisitor& visit);

// The whole file, or nothing when it cannot be opened or read. On Windows
// other writers are denied while it is read.
std::optional<std::string> read_file(std::string_view path);

// Replaces the file's contents atomically: a temporary file in the same
// directory, then a rename over the original. The original's attributes and
// permissions are kept; a read-only file is not written; a symbolic link is
// written at its target and stays a link. A missing file is created as any
// new file would be. Returns false on any failure, in which case the
// original is untouched and no temporary file remains.
bool write_file_atomic(std::string_view path, std::string_view bytes);

// A regular file opened for reading in pieces, so that a file of any size
// is read through a buffer of the caller's. On Windows other writers are
// denied while it is open.
class InputFile {
  public:
    // How the file is found. through_last_directory opens the name inside the
    // directory this thread last opened a file in that way, which stays open
    // (and is shared with the other threads there), instead of walking the
    // whole path again: far cheaper for the many files of one directory, but
    // a directory renamed or replaced in the meantime goes unnoticed, so it
    // suits a first look whose finds are confirmed by path. Windows always
    // goes by path.
    enum class Lookup { by_path, through_last_directory };

    explicit InputFile(std::string_view path, Lookup lookup = Lookup::by_path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // False when the path could not be opened or is not a regular file. The
    // cheaper lookup skips the second test on POSIX: a fifo opened there
    // cannot block a read, and a find in anything else is confirmed by path.
    bool is_open() const { return handle_ != kClosed; }
    // Up to capacity bytes; 0 at the end of the file, nothing on failure.
    std::optional<std::size_t> read(char* into, std::size_t capacity);
    // Whether the last read reached the end: it gave fewer bytes than asked
    // for, which a regular file does only at its end. That spares most files
    // the extra read that would give nothing.
    bool at_end() const { return at_end_; }
    // Back to the first byte, for a second pass.
    bool rewind();
    // Whether the file open here is the one path names now. A file opened
    // by path is; one found through the last directory is when that
    // directory still lies at its path, which two status calls tell more
    // cheaply than opening and reading the file again.
    bool names_file_at(std::string_view path) const;

  private:
    static constexpr std::intptr_t kClosed = -1;

    std::intptr_t handle_ = kClosed;
    bool at_end_ = false;
    bool opened_by_path_ = true;
};

// A file's new contents, written piece by piece into a temporary file beside
// it and put in its place by commit(), with the rules of write_file_atomic.
// A writer destroyed before commit() removes its temporary file and leaves
// the original untouched.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(std::string_view path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False when the file may not be written or no temporary could be made.
    bool is_open() const { return state_ != nullptr; }
    bool write(std::string_view bytes);
    // Flushes, moves the temporary over the file and closes the writer.
    bool commit();

    struct State;  // the backend's own

  private:
    void discard();

    std::unique_ptr<State> state_;
};

// Copies a file onto another path, atomically replacing a file already there
// (which keeps its own attributes and permissions; a read-only one is
// refused). A new target takes the source's permissions or attributes.
bool copy_file(std::string_view from, std::string_view to);

// Why the last file operation of this thread that failed did so, in words
// ("No space left on device"), for messages; empty when none failed.
std::string last_failure_reason();

// Files only: a directory is not deleted.
bool delete_file(std::string_view path);
// True only when the directory was created by this call.
bool make_directory(std::string_view path);
bool exists(std::string_view path);
bool directory_exists(std::string_view path);

// Files opened through_last_directory from now on find their directories
// anew instead of sharing the descriptors that threads still hold, so that a
// new run sees the tree as it is when it starts.
void renew_directory_lookups();

// Process-wide settings for work on whole files: called once at start by
// every front end, while the process has one thread only.
void prepare_process();

// The directory holding the running executable, as an engine path with a
// trailing backslash; empty when that path cannot be written in GBK.
std::string executable_directory();

// Paths as the host shows and takes them (UTF-8 on POSIX; on Windows the
// UTF-8 form of the wide path). engine_path_from_host makes a relative path
// absolute first, cleaning up "." and ".." by the text alone without
// following links, and gives nothing when the path has a character GBK
// cannot hold (on POSIX also a backslash, which the engine would take for a
// separator). host_path_from_engine reverses the mapping; on POSIX a drive
// other than Z: is only converted to UTF-8, as it names no file there.
std::optional<std::string> engine_path_from_host(std::string_view host_path);
std::string host_path_from_engine(std::string_view engine_path);

}  // namespace qelvo::platform
