// The Win32 backend. Only the wide functions are called, so the system's
// ANSI code page never matters: engine paths are converted between GBK and
// UTF-16 with the code page 936 functions of codepage.h.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/fault_injection.h"
#include "platform/platform.h"

namespace qelvo::platform {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

// Keeps the reason of the last Win32 failure as the portable code that says
// the same, so that messages read alike on both systems.
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

std::wstring wide_from_gbk(std::string_view gbk) {
    const std::u16string utf16 = codepage::gbk_to_utf16(gbk);
    return std::wstring(utf16.begin(), utf16.end());
}

std::string gbk_from_wide(std::wstring_view wide) {
    return codepage::utf16_to_gbk(std::u16string(wide.begin(), wide.end()));
}

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

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

// The form of a path the wide functions take past MAX_PATH (260) characters
// and with names that end in a dot or a blank: "\\?\C:\..." for a drive
// path, "\\?\UNC\server\..." for a network one. Other paths stay as they are.
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

// A GBK engine path as the wide file functions take it.
std::wstring system_path(std::string_view gbk_path) { return long_form(wide_from_gbk(gbk_path)); }

// The GBK form of a name or path, or nothing when GBK cannot hold it: a
// substitute character would make the engine address some other file.
std::optional<std::string> exact_gbk(std::wstring_view wide) {
    std::string gbk = gbk_from_wide(wide);
    if (wide_from_gbk(gbk) != wide) {
        return std::nullopt;
    }
    return gbk;
}

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

bool write_all(HANDLE file, std::string_view bytes) {
    if (const int injected = injected_failure(FileCall::write)) {
        return remember_failure(injected);
    }
    constexpr DWORD kMaxChunk = 1u << 30;
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kMaxChunk));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return remember_last_error();
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// The path a symbolic link finally leads to, without the "\\?\" prefix that
// GetFinalPathNameByHandleW puts in front.
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

// Where the bytes for a path really go, with the attributes of the file
// already there.
struct WriteTarget {
    std::wstring path;
    bool existing = false;
    DWORD attributes = 0;
};

// A link is written at its target so that the link survives the move. A
// missing file is created; anything other than a file is refused.
std::optional<WriteTarget> resolve_write_target(std::wstring path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) {
            return WriteTarget{std::move(path), false, 0};
        }
        return std::nullopt;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        std::optional<std::wstring> target = final_path(path);
        if (!target) {
            return std::nullopt;
        }
        path = long_form(std::move(*target));
        attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return std::nullopt;
        }
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return WriteTarget{std::move(path), true, attributes};
}

std::wstring directory_of(const std::wstring& path) {
    const auto separator = std::find_if(path.rbegin(), path.rend(), is_separator);
    return std::wstring(path.begin(), separator.base());
}

// A short name, so that a path near MAX_PATH still has room for it; the
// process id and a counter make clashes rare, and the callers retry on one.
std::wstring temporary_name(const std::wstring& directory) {
    static std::atomic<unsigned> counter{0};
    wchar_t suffix[40];
    swprintf(suffix, sizeof suffix / sizeof suffix[0], L".qelvo-%lx-%x.tmp",
             static_cast<unsigned long>(GetCurrentProcessId()), counter++);
    return directory + suffix;
}

// Calls create(name) with fresh temporary names until one is free; the
// temporary's name on success.
template <typename Create>
std::optional<std::wstring> create_temporary(const std::wstring& directory, Create create) {
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::wstring name = temporary_name(directory);
        if (create(name)) {
            return name;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// A copied temporary may have inherited the read-only attribute, which would
// make DeleteFileW fail.
void remove_temporary(const std::wstring& name) {
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(name.c_str());
}

// A temporary opened for deletion on close is deleted by the system when
// its handle closes, however the process ends, so a killed run leaves none
// behind. It is made so in the one call that creates it.
struct OpenTemporary {
    HANDLE file = INVALID_HANDLE_VALUE;
};

OpenTemporary create_marked_temporary(const std::wstring& name) {
    return {CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr)};
}

// A fresh temporary beside the target, marked for deletion; its name, or
// nothing when none could be made.
std::optional<std::wstring> open_temporary(const std::wstring& directory, OpenTemporary& open) {
    return create_temporary(directory, [&open](const std::wstring& name) {
        open = create_marked_temporary(name);
        return open.file != INVALID_HANDLE_VALUE;
    });
}

// NtSetInformationFile's link record, which the SDK headers leave out.
struct LinkInformation {
    BOOLEAN ReplaceIfExists;
    HANDLE RootDirectory;
    ULONG FileNameLength;
    WCHAR FileName[1];
};
constexpr ULONG kFileLinkInformation = 11;

// The path in the form the native file calls take ("\??\C:\..."); empty
// when it cannot be made absolute.
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

// Gives the open temporary the target's name as a second link, replacing
// the target in one step; the temporary's own name then goes with its mark
// for deletion when it is closed. A kill at any moment leaves the target
// whole (old or new) and no temporary. File systems without hard links
// refuse, and the caller moves the temporary instead.
bool link_over_target(HANDLE file, const std::wstring& target) {
    using SetInformation = LONG(NTAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, ULONG);
    static const auto set_information = reinterpret_cast<SetInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtSetInformationFile")));
    const std::wstring name = native_path(target);
    if (!set_information || name.empty()) return false;
    const auto name_bytes = static_cast<ULONG>(name.size() * sizeof(wchar_t));
    std::vector<std::uint8_t> record(offsetof(LinkInformation, FileName) + name_bytes);
    auto* link = reinterpret_cast<LinkInformation*>(record.data());
    link->ReplaceIfExists = TRUE;
    link->RootDirectory = nullptr;
    link->FileNameLength = name_bytes;
    std::memcpy(link->FileName, name.data(), name_bytes);
    IO_STATUS_BLOCK status{};
    return set_information(file, &status, link, static_cast<ULONG>(record.size()),
                           kFileLinkInformation) >= 0;
}

DWORD settable_attributes(DWORD attributes) {
    constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD settable = attributes & kSettable;
    return settable != 0 ? settable : FILE_ATTRIBUTE_NORMAL;
}

// Streamed through a fixed buffer, so that a backup of any size takes no
// more memory than a small one; written through to the disk before the
// temporary is kept.
bool copy_contents(HANDLE from, HANDLE to) {
    constexpr DWORD kChunk = 256 * 1024;
    const std::unique_ptr<char[]> buffer(new char[kChunk]);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(from, buffer.get(), kChunk, &got, nullptr)) {
            return remember_last_error();
        }
        if (got == 0) {
            return FlushFileBuffers(to) != 0 || remember_last_error();
        }
        if (!write_all(to, {buffer.get(), got})) {
            return false;
        }
    }
}

// The copy keeps the original's last-write time, as the system's own file
// copy does; its attributes are set once it stands at its path, since a
// read-only temporary could not be deleted.
bool copy_write_time(HANDLE from, HANDLE to, DWORD& attributes) {
    FILE_BASIC_INFO original{};
    if (!GetFileInformationByHandleEx(from, FileBasicInfo, &original, sizeof original)) {
        return remember_last_error();
    }
    attributes = original.FileAttributes;
    FILE_BASIC_INFO copy{};
    copy.LastWriteTime = original.LastWriteTime;
    return SetFileInformationByHandle(to, FileBasicInfo, &copy, sizeof copy) != 0 ||
           remember_last_error();
}

// Where the file system has no hard links, the deleted-on-close temporary
// cannot be kept: its bytes go into a plain temporary beside it, which is
// moved over the target. Only a kill between that copy and the move can
// leave a temporary's name behind.
bool move_copy_over_target(const OpenTemporary& open, const WriteTarget& target) {
    HANDLE copy = INVALID_HANDLE_VALUE;
    const std::optional<std::wstring> name =
        create_temporary(directory_of(target.path), [&copy](const std::wstring& candidate) {
            copy = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
            return copy != INVALID_HANDLE_VALUE;
        });
    DWORD ignored = 0;
    const LARGE_INTEGER start{};
    const bool copied = name && SetFilePointerEx(open.file, start, nullptr, FILE_BEGIN) != 0 &&
                        copy_contents(open.file, copy) && copy_write_time(open.file, copy, ignored);
    if (name) CloseHandle(copy);
    CloseHandle(open.file);
    const bool moved =
        copied && (MoveFileExW(name->c_str(), target.path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 ||
                   remember_last_error());
    if (name && !moved) remove_temporary(*name);
    return moved;
}

// Puts the finished temporary, still open, in the target's place: as a
// second link where the file system has them, else by a move. Hidden and
// system files may refuse to be replaced, so those attributes are lifted
// for it; the target's own attributes then go onto whichever file ends up
// at the path, and a new file gets `attributes` (0: none).
bool commit_temporary(const OpenTemporary& open, const WriteTarget& target, DWORD attributes = 0) {
    constexpr DWORD kBlocking = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const bool lift = target.existing && (target.attributes & kBlocking) != 0;
    if (lift) {
        SetFileAttributesW(target.path.c_str(),
                           settable_attributes(target.attributes & ~kBlocking));
    }
    bool replaced = false;
    if (const int injected = injected_failure(FileCall::rename)) {
        CloseHandle(open.file);
        remember_failure(injected);
    } else if (link_over_target(open.file, target.path)) {
        replaced = true;
        CloseHandle(open.file);
    } else {
        replaced = move_copy_over_target(open, target);
    }
    if (target.existing) {
        SetFileAttributesW(target.path.c_str(), settable_attributes(target.attributes));
    } else if (replaced && attributes != 0) {
        SetFileAttributesW(target.path.c_str(), settable_attributes(attributes));
    }
    return replaced;
}

std::optional<WriteTarget> writable_target(std::string_view path) {
    std::optional<WriteTarget> target = resolve_write_target(system_path(path));
    if (!target) {
        remember_last_error();
        return std::nullopt;
    }
    if ((target->attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        remember_failure(EACCES);
        return std::nullopt;
    }
    return target;
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

struct AtomicFileWriter::State {
    OpenTemporary open;
    std::wstring temporary;
    WriteTarget target;
};

AtomicFileWriter::AtomicFileWriter(std::string_view path) {
    std::optional<WriteTarget> target = writable_target(path);
    if (!target) {
        return;
    }
    auto state = std::make_unique<State>();
    OpenTemporary& open = state->open;
    const std::optional<std::wstring> temporary = open_temporary(directory_of(target->path), open);
    if (!temporary) {
        remember_last_error();
        return;
    }
    state->temporary = *temporary;
    state->target = std::move(*target);
    state_ = std::move(state);
}

AtomicFileWriter::~AtomicFileWriter() { discard(); }

void AtomicFileWriter::discard() {
    if (state_) {
        CloseHandle(state_->open.file);
        remove_temporary(state_->temporary);
        state_.reset();
    }
}

bool AtomicFileWriter::write(std::string_view bytes) {
    if (state_ && !write_all(state_->open.file, bytes)) {
        discard();
    }
    return state_ != nullptr;
}

bool AtomicFileWriter::commit() {
    if (!state_) {
        return false;
    }
    const std::unique_ptr<State> state = std::move(state_);
    const int injected = injected_failure(FileCall::sync);
    bool written = injected != 0 ? remember_failure(injected)
                                 : FlushFileBuffers(state->open.file) != 0 || remember_last_error();
    if (!written) {
        CloseHandle(state->open.file);
        remove_temporary(state->temporary);
        return false;
    }
    return commit_temporary(state->open, state->target);
}

bool write_file_atomic(std::string_view path, std::string_view bytes) {
    AtomicFileWriter writer(path);
    return writer.write(bytes) && writer.commit();
}

bool copy_file(std::string_view from, std::string_view to) {
    if (const int injected = injected_failure(FileCall::copy)) {
        return remember_failure(injected);
    }
    const std::optional<WriteTarget> target = writable_target(to);
    if (!target) {
        return false;
    }
    const std::wstring source_path = system_path(from);
    HANDLE source = CreateFileW(source_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (source == INVALID_HANDLE_VALUE) {
        return remember_last_error();
    }
    OpenTemporary open;
    const std::optional<std::wstring> temporary = open_temporary(directory_of(target->path), open);
    if (!temporary) {
        remember_last_error();
        CloseHandle(source);
        return false;
    }
    DWORD attributes = 0;
    const bool copied =
        copy_contents(source, open.file) && copy_write_time(source, open.file, attributes);
    CloseHandle(source);
    if (!copied) {
        CloseHandle(open.file);
        remove_temporary(*temporary);
        return false;
    }
    return commit_temporary(open, *target, attributes);
}

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

// The Windows heap keeps freed blocks for reuse by itself.
void prepare_process() {}

// Every file is opened by its whole path here.
void renew_directory_lookups() {}

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
