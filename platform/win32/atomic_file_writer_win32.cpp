// Atomic replacement of a file's contents on Win32: AtomicFileWriter and
// copy_file write a temporary beside the file and put it in the file's
// place in one step.
#include <windows.h>

#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/failure.h"
#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "platform/win32/last_error_win32.h"
#include "platform/win32/wide_paths_win32.h"

namespace qelvo::platform {

using win32_detail::directory_of;
using win32_detail::final_path;
using win32_detail::long_form;
using win32_detail::native_path;
using win32_detail::remember_last_error;
using win32_detail::system_path;

namespace {

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

}  // namespace qelvo::platform
