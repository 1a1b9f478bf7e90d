#include "platform/posix/naming_helper.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace qelvo::platform {
namespace {

// Each thread that names temporaries talks to the helper on a socket of its
// own, whose far end it hands over on the first socket; so the helper can
// answer every waiting thread each time it runs, rather than one thread at a
// time behind a lock. A request is the temporary's name and its file's path,
// each ending in a zero byte, with the temporary's descriptor passed
// alongside; the answer is an int, 0 or an errno.
constexpr std::size_t kRequestCapacity = 2 * PATH_MAX;

std::atomic<int> helper_channel{-1};  // the first socket's end here, -1 when none

// The temporary's descriptor arrives as one of the helper's own, which
// /proc/self/fd names; linking through it needs no privilege.
int link_and_rename(int fd, const char* name, const char* target) {
    char descriptor[32];
    std::snprintf(descriptor, sizeof descriptor, "/proc/self/fd/%d", fd);
    if (linkat(AT_FDCWD, descriptor, AT_FDCWD, name, AT_SYMLINK_FOLLOW) != 0) return errno;
    if (rename(name, target) == 0) return 0;
    const int failure = errno;
    unlink(name);
    return failure;
}

// A message of bytes with room for one descriptor passed beside them.
class DescriptorMessage {
  public:
    DescriptorMessage(void* bytes, std::size_t size) : bytes_{bytes, size} {
        header_.msg_iov = &bytes_;
        header_.msg_iovlen = 1;
        header_.msg_control = control_;
        header_.msg_controllen = sizeof control_;
    }
    DescriptorMessage(const DescriptorMessage&) = delete;
    DescriptorMessage& operator=(const DescriptorMessage&) = delete;

    msghdr* header() { return &header_; }

    void pass(int fd) {
        cmsghdr* passed = CMSG_FIRSTHDR(&header_);
        passed->cmsg_level = SOL_SOCKET;
        passed->cmsg_type = SCM_RIGHTS;
        passed->cmsg_len = CMSG_LEN(sizeof fd);
        std::memcpy(CMSG_DATA(passed), &fd, sizeof fd);
    }

    // The descriptor a received message brought, or -1.
    int passed() {
        const cmsghdr* passed = CMSG_FIRSTHDR(&header_);
        if (passed == nullptr || passed->cmsg_type != SCM_RIGHTS) return -1;
        int fd = -1;
        std::memcpy(&fd, CMSG_DATA(passed), sizeof fd);
        return fd;
    }

  private:
    char control_[CMSG_SPACE(sizeof(int))] = {};
    iovec bytes_;
    msghdr header_{};
};

// Reads one message and the descriptor passed with it, if any; false once
// the other end has closed.
bool receive_request(int channel, char* request, std::size_t capacity, std::size_t& length,
                     int& fd) {
    DescriptorMessage message(request, capacity);
    ssize_t got = 0;
    do {
        got = recvmsg(channel, message.header(), MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return false;
    length = static_cast<std::size_t>(got);
    fd = message.passed();
    return true;
}

int answer_request(const char* request, std::size_t length, int fd, pid_t parent) {
    const void* name_end = std::memchr(request, 0, length);
    if (fd < 0 || name_end == nullptr || request[length - 1] != '\0') return EINVAL;
    // Once the process that asked has gone, a kill ended it: nothing new is
    // started, and the unnamed temporary vanishes with its descriptor.
    if (getppid() != parent) return ECANCELED;
    return link_and_rename(fd, request, static_cast<const char*>(name_end) + 1);
}

// Answers one request on a thread's socket; false once that thread has
// closed it.
bool answer_thread(int channel, pid_t parent) {
    char request[kRequestCapacity];
    std::size_t length = 0;
    int fd = -1;
    if (!receive_request(channel, request, sizeof request, length, fd)) return false;
    const int result = answer_request(request, length, fd, parent);
    if (fd >= 0) close(fd);
    send(channel, &result, sizeof result, MSG_NOSIGNAL);
    return true;
}

// The first socket brings the threads' sockets and, when it closes, the end
// of the process served.
[[noreturn]] void serve(int first, pid_t parent) {
    std::vector<pollfd> channels{{first, POLLIN, 0}};
    for (;;) {
        if (poll(channels.data(), channels.size(), -1) < 0 && errno != EINTR) _exit(1);
        for (std::size_t i = channels.size(); i-- > 1;) {
            if (channels[i].revents != 0 && !answer_thread(channels[i].fd, parent)) {
                close(channels[i].fd);
                channels.erase(channels.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
        if (channels[0].revents != 0) {
            char byte;
            std::size_t length = 0;
            int thread_channel = -1;
            if (!receive_request(first, &byte, sizeof byte, length, thread_channel)) _exit(0);
            if (thread_channel >= 0) channels.push_back({thread_channel, POLLIN, 0});
        }
    }
}

// The helper leaves the terminal's signals and the process group to the
// process it serves, so that a stop or a kill of that group cannot cut a
// pair of calls in two, and holds none of its files open: a reader of its
// output sees the end when it ends.
void detach_helper(int channel) {
    for (const int ignored : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
        std::signal(ignored, SIG_IGN);
    }
    setsid();
    const int nothing = open("/dev/null", O_RDWR);
    for (int standard = 0; standard <= 2; ++standard) dup2(nothing, standard);
    dup2(channel, 3);
    close_range(4, ~0U, 0);
}

bool send_with_descriptor(int channel, std::string_view bytes, int fd) {
    DescriptorMessage message(const_cast<char*>(bytes.data()), bytes.size());
    message.pass(fd);
    ssize_t sent = 0;
    do {
        sent = sendmsg(channel, message.header(), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(bytes.size());
}

// This thread's socket to the helper, made and handed over on first use and
// closed when the thread ends; once the helper has gone, there is none.
class ThreadChannel {
  public:
    ThreadChannel() = default;
    ThreadChannel(const ThreadChannel&) = delete;
    ThreadChannel& operator=(const ThreadChannel&) = delete;
    ~ThreadChannel() { drop(); }

    int get() {
        if (fd_ < 0 && !lost_) open_channel();
        return fd_;
    }

    void lose() {
        drop();
        lost_ = true;
    }

  private:
    void open_channel() {
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return;
        const bool handed_over = send_with_descriptor(helper_channel.load(), "+", ends[1]);
        close(ends[1]);
        if (handed_over) {
            fd_ = ends[0];
        } else {
            close(ends[0]);
            lost_ = true;
        }
    }

    void drop() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    int fd_ = -1;
    bool lost_ = false;
};

thread_local ThreadChannel thread_channel;

}  // namespace

void start_naming_helper() {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return;
    const pid_t parent = getpid();
    const pid_t helper = fork();
    if (helper == 0) {
        close(ends[0]);
        detach_helper(ends[1]);
        serve(3, parent);
    }
    close(ends[1]);
    if (helper < 0) {
        close(ends[0]);
        return;
    }
    helper_channel = ends[0];
}

std::optional<int> name_through_helper(int fd, const std::string& name, const std::string& target) {
    if (helper_channel.load() < 0) return std::nullopt;
    std::string request = name;
    request += '\0';
    request += target;
    request += '\0';
    if (request.size() > kRequestCapacity) return std::nullopt;
    const int channel = thread_channel.get();
    if (channel < 0) return std::nullopt;
    int result = 0;
    ssize_t got = 0;
    if (send_with_descriptor(channel, request, fd)) {
        do {
            got = recv(channel, &result, sizeof result, 0);
        } while (got < 0 && errno == EINTR);
    }
    if (got == sizeof result) return result;
    // The helper has gone: from now on this thread names temporaries itself.
    thread_channel.lose();
    return std::nullopt;
}

}  // namespace qelvo::platform
