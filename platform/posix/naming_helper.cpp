#include "platform/posix/naming_helper.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace qelvo::platform {
namespace {

// A request is the temporary's name and its file's path, each ending in a
// zero byte, with the temporary's descriptor passed alongside; the answer is
// an int, 0 or an errno.
constexpr std::size_t kRequestCapacity = 2 * PATH_MAX;

int helper_channel = -1;  // this process's end of the socket, -1 when none
std::mutex channel_lock;  // one request at a time

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

// Reads one request; false once the other end has closed.
bool receive_request(int channel, char* request, std::size_t& length, int& fd) {
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec bytes{request, kRequestCapacity};
    msghdr message{};
    message.msg_iov = &bytes;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got = 0;
    do {
        got = recvmsg(channel, &message, MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return false;
    length = static_cast<std::size_t>(got);
    fd = -1;
    if (const cmsghdr* passed = CMSG_FIRSTHDR(&message);
        passed != nullptr && passed->cmsg_type == SCM_RIGHTS) {
        std::memcpy(&fd, CMSG_DATA(passed), sizeof fd);
    }
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

[[noreturn]] void serve(int channel, pid_t parent) {
    char request[kRequestCapacity];
    std::size_t length = 0;
    int fd = -1;
    while (receive_request(channel, request, length, fd)) {
        const int result = answer_request(request, length, fd, parent);
        if (fd >= 0) close(fd);
        send(channel, &result, sizeof result, MSG_NOSIGNAL);
    }
    _exit(0);
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

std::optional<int> exchange(int fd, const std::string& request) {
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec bytes{const_cast<char*>(request.data()), request.size()};
    msghdr message{};
    message.msg_iov = &bytes;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* passed = CMSG_FIRSTHDR(&message);
    passed->cmsg_level = SOL_SOCKET;
    passed->cmsg_type = SCM_RIGHTS;
    passed->cmsg_len = CMSG_LEN(sizeof fd);
    std::memcpy(CMSG_DATA(passed), &fd, sizeof fd);
    ssize_t sent = 0;
    do {
        sent = sendmsg(helper_channel, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    int result = 0;
    ssize_t got = 0;
    if (sent == static_cast<ssize_t>(request.size())) {
        do {
            got = recv(helper_channel, &result, sizeof result, 0);
        } while (got < 0 && errno == EINTR);
    }
    if (got == sizeof result) return result;
    // The helper has gone: from now on temporaries are named here.
    close(helper_channel);
    helper_channel = -1;
    return std::nullopt;
}

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
    std::lock_guard lock(channel_lock);
    if (helper_channel < 0) return std::nullopt;
    std::string request = name;
    request += '\0';
    request += target;
    request += '\0';
    if (request.size() > kRequestCapacity) return std::nullopt;
    return exchange(fd, request);
}

}  // namespace qelvo::platform
