// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A server in a test: a Unix socket listening at a path, as the running organizer listens,
// answering no client until asked what one sent.
class TSocketListener {
public:
    TSocketListener() = default;
    TSocketListener(const TSocketListener&) = delete;
    TSocketListener& operator=(const TSocketListener&) = delete;
    ~TSocketListener() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool Listen(const std::string& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        return fd_ >= 0 &&
               ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
               ::listen(fd_, 4) == 0;
    }

    // What the next client sent, up to its end; "nothing" when none came within the wait.
    std::string Receive(int waitMs) {
        pollfd entry{fd_, POLLIN, 0};
        if (::poll(&entry, 1, waitMs) != 1)
            return "nothing";
        const int client = ::accept(fd_, nullptr, nullptr);
        std::string text;
        char buffer[64];
        for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(n));
        ::close(client);
        return text;
    }

private:
    int fd_ = -1;
};
