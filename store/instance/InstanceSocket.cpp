// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/instance/InstanceSocket.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

std::string Environment(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value ? value : "";
}

#ifndef _WIN32

// The whole wait for the organizer: long enough for a busy program to take the line,
// short enough that a hung one does not hold up the tool.
constexpr int TimeoutMs = 500;

class Socket {
public:
    Socket() : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

// Waits until the socket can be written or the time is up.
bool WaitWritable(int fd, std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    for (;;) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0)
            return false;
        pollfd entry{fd, POLLOUT, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0)
            return (entry.revents & POLLOUT) != 0;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Connects the non-blocking socket: a connection still being made is waited for, and a
// listener whose queue is full is asked again until the time is up.
bool Connect(int fd, const sockaddr_un& address, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return true;
        if (errno == EINPROGRESS || errno == EINTR) {
            int error = 0;
            socklen_t size = sizeof error;
            return WaitWritable(fd, deadline) &&
                   ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
        }
        if (errno != EAGAIN || std::chrono::steady_clock::now() >= deadline)
            return false;
        ::usleep(10000);
    }
}

#endif

} // namespace

std::string DatabasePathHash(const std::string& databasePath) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(databasePath, ec);
    if (ec)
        path = databasePath;
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : path.lexically_normal().string()) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

std::string InstanceSocketPath(const std::string& databasePath) {
    std::string folder = Environment("XDG_RUNTIME_DIR");
    if (folder.empty())
        folder = Environment("TMPDIR");
    if (folder.empty())
        folder = "/tmp";
    return (std::filesystem::path(folder) /
            ("tolvek-organizer-" + DatabasePathHash(databasePath) + ".sock"))
        .string();
}

#ifdef _WIN32

bool NotifyRunningProgram(const std::string&, const std::string&) {
    return false;
}

#else

bool NotifyRunningProgram(const std::string& databasePath, const std::string& line) {
    const std::string path = InstanceSocketPath(databasePath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    Socket socket;
    if (socket.fd() < 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    if (!Connect(socket.fd(), address, deadline))
        return false;

    const std::string message = line + "\n";
    size_t sent = 0;
    while (sent < message.size()) {
        // MSG_NOSIGNAL: an organizer that closes at the wrong moment must not end the tool.
        const ssize_t n =
            ::send(socket.fd(), message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            if (!WaitWritable(socket.fd(), deadline))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

#endif
