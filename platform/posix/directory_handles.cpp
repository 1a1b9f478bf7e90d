#include "platform/posix/directory_handles.h"

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace qelvo::platform {
namespace {

class DirectoryHandle {
  public:
    explicit DirectoryHandle(int fd) : fd_(fd) {}
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;
    ~DirectoryHandle() { close(fd_); }

    int fd() const { return fd_; }

  private:
    const int fd_;
};

// The directories some thread holds a handle to. It keeps no handle alive
// itself: an entry whose last holder let go is dropped at the next lookup.
class HeldDirectories {
  public:
    std::shared_ptr<DirectoryHandle> open(std::string_view directory) {
        // Opening under the lock lets threads that reach a directory at the
        // same moment share one descriptor instead of each opening it.
        std::lock_guard lock(lock_);
        std::erase_if(held_, [](const Entry& entry) { return entry.handle.expired(); });
        for (const Entry& entry : held_) {
            if (entry.directory != directory) continue;
            if (std::shared_ptr<DirectoryHandle> handle = entry.handle.lock()) return handle;
        }
        const int fd = ::open(std::string(directory).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return nullptr;
        auto handle = std::make_shared<DirectoryHandle>(fd);
        held_.push_back({std::string(directory), handle});
        return handle;
    }

    void forget() {
        std::lock_guard lock(lock_);
        held_.clear();
    }

  private:
    struct Entry {
        std::string directory;
        std::weak_ptr<DirectoryHandle> handle;
    };

    std::mutex lock_;
    std::vector<Entry> held_;  // guarded by lock_
};

// Never destroyed, so that threads still ending at exit may let go of their
// handles.
HeldDirectories& held_directories() {
    static auto* const held = new HeldDirectories;
    return *held;
}

// The directory this thread last opened a file in.
class LastDirectory {
  public:
    int open_file(const std::string& host, int flags) {
        const std::size_t slash = host.rfind('/');
        const std::string_view directory = std::string_view(host).substr(0, slash + 1);
        if (handle_ == nullptr || directory != directory_) {
            handle_.reset();
            directory_.clear();
            handle_ = held_directories().open(directory);
            if (handle_ != nullptr) directory_ = directory;
        }
        if (handle_ == nullptr) return ::open(host.c_str(), flags);
        return openat(handle_->fd(), host.c_str() + slash + 1, flags);
    }

  private:
    std::shared_ptr<DirectoryHandle> handle_;
    std::string directory_;
};

thread_local LastDirectory last_directory;

}  // namespace

int open_through_directory(const std::string& host, int flags) {
    return last_directory.open_file(host, flags);
}

void renew_directory_lookups() { held_directories().forget(); }

}  // namespace qelvo::platform
