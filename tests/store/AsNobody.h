// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// Runs the check as another user, the unprivileged "nobody", in a forked child, and returns
// what it returned. Empty when no such user can be had (the tests run without root).
inline std::optional<bool> AsNobody(const std::function<bool()>& check) {
    if (::geteuid() != 0)
        return std::nullopt;
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
            ::setuid(nobody->pw_uid) != 0)
            ::_exit(3);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 3)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

// Whether "nobody" can open the file for reading; empty when no such user can be had.
inline std::optional<bool> NobodyCanRead(const std::string& path) {
    return AsNobody([&path] {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd >= 0)
            ::close(fd);
        return fd >= 0;
    });
}
