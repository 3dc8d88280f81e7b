// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/sync/CalDavTestServer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Sockets rather than pipes: a write to a process that is gone fails with EPIPE instead of
// ending the test with SIGPIPE. Both ends are closed on exec, so that no other child holds
// the script's input open after this process ends.
bool SocketPair(int ends[2]) {
    return socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) == 0;
}

void CloseFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

bool SendAll(int fd, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Starts argv with stdin, stdout and stderr on the given descriptors (-1: /dev/null).
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment,
            int in, int out, int err) {
    std::vector<char*> args;
    for (const std::string& word : argv)
        args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);
    std::vector<char*> environment;
    for (char** variable = environ; *variable; ++variable)
        environment.push_back(*variable);
    for (const std::string& variable : extraEnvironment)
        environment.push_back(const_cast<char*>(variable.c_str()));
    environment.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(in >= 0 ? in : null, 0);
        dup2(out >= 0 ? out : null, 1);
        dup2(err >= 0 ? err : null, 2);
        execve(args[0], args.data(), environment.data());
        _exit(127);
    }
    return pid;
}

int ExitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Waits for the process up to the time given, then kills it.
int Reap(pid_t pid, int graceSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(graceSeconds);
    int status = 0;
    while (true) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return ExitStatus(status);
        if (done < 0)
            return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        usleep(20000);
    }
}

} // namespace

TProgramOutput RunProgram(const std::vector<std::string>& argv, const std::string& input,
                          const std::vector<std::string>& extraEnvironment, int timeoutSeconds) {
    TProgramOutput result;
    int in[2], out[2], err[2];
    if (!SocketPair(in) || !SocketPair(out) || !SocketPair(err))
        return result;
    const pid_t pid = Spawn(argv, extraEnvironment, in[1], out[1], err[1]);
    CloseFd(in[1]);
    CloseFd(out[1]);
    CloseFd(err[1]);
    if (pid < 0) {
        CloseFd(in[0]);
        CloseFd(out[0]);
        CloseFd(err[0]);
        return result;
    }
    SendAll(in[0], input);
    CloseFd(in[0]);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    std::string* sinks[2] = {&result.out, &result.err};
    int fds[2] = {out[0], err[0]};
    bool timedOut = false;
    while (fds[0] >= 0 || fds[1] >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd watched[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
        if (poll(watched, 2, static_cast<int>(left.count())) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i] < 0 || !(watched[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[8192];
            const ssize_t n = read(fds[i], buffer, sizeof buffer);
            if (n > 0)
                sinks[i]->append(buffer, static_cast<size_t>(n));
            else if (n == 0 || errno != EINTR)
                CloseFd(fds[i]);
        }
    }
    CloseFd(fds[0]);
    CloseFd(fds[1]);
    if (timedOut)
        kill(pid, SIGKILL);
    const int status = Reap(pid, 5);
    result.status = timedOut ? -1 : status;
    return result;
}

TCalDavTestServer::TCalDavTestServer(const std::string& kind) : kind_(kind) {
    int control[2], errors[2];
    if (!SocketPair(control) || !SocketPair(errors)) {
        reason_ = "cannot make a socket pair: " + std::string(std::strerror(errno));
        return;
    }
    pid_ = Spawn({"/usr/bin/python3", CALDAV_SERVERS_SCRIPT, "serve", kind}, {}, control[1],
                 control[1], errors[1]);
    CloseFd(control[1]);
    CloseFd(errors[1]);
    toServer_ = fromServer_ = control[0];
    for (std::string line; ReadLine(line, 90);) {
        if (line == "ready") {
            ready_ = true;
            break;
        }
        const size_t equals = line.find('=');
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        std::string* fields[] = {&url_, &user_, &password_, &principal_, &home_, &folder_};
        const char* names[] = {"url", "user", "password", "principal", "home", "folder"};
        for (size_t i = 0; i < std::size(names); ++i)
            if (key == names[i])
                *fields[i] = value;
    }
    if (!ready_) {
        CloseFd(toServer_);
        fromServer_ = -1;
        const int status = pid_ > 0 ? Reap(pid_, 10) : -1;
        pid_ = -1;
        char buffer[4096];
        const ssize_t n = read(errors[0], buffer, sizeof buffer);
        reason_ = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
        while (!reason_.empty() && (reason_.back() == '\n' || reason_.back() == '\r'))
            reason_.pop_back();
        if (reason_.empty())
            reason_ = "the " + kind + " server script ended with status " + std::to_string(status) +
                      " before the server was ready";
    }
    CloseFd(errors[0]);
}

TCalDavTestServer::~TCalDavTestServer() {
    // A closed input is the script's sign to stop the server and remove its folder.
    CloseFd(toServer_);
    fromServer_ = -1;
    if (pid_ > 0)
        Reap(pid_, 20);
}

bool TCalDavTestServer::ReadLine(std::string& line, int timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (true) {
        const size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (fromServer_ < 0 || left.count() <= 0)
            return false;
        pollfd watched{fromServer_, POLLIN, 0};
        const int ready = poll(&watched, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char buffer[1024];
        const ssize_t n = read(fromServer_, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

bool TCalDavTestServer::Command(const std::string& word, const std::string& answer) {
    std::string line;
    return ready_ && SendAll(toServer_, word + "\n") && ReadLine(line, 60) && line == answer;
}

bool TCalDavTestServer::Kill() {
    return Command("kill", "killed");
}
bool TCalDavTestServer::Start() {
    return Command("start", "ready");
}
bool TCalDavTestServer::Stop() {
    return Command("stop", "stopped");
}

TProgramOutput TCalDavTestServer::Device(const std::vector<std::string>& arguments,
                                         const std::string& input) const {
    std::vector<std::string> argv{"/usr/bin/python3", CALDAV_DEVICE_SCRIPT};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProgram(
        argv, input,
        {"CALDAV_URL=" + url_, "CALDAV_USER=" + user_, "CALDAV_PASSWORD=" + password_});
}
