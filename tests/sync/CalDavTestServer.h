// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// What a program run by a test printed, and how it ended (its exit status, 128 + the signal
// when one ended it, -1 when it could not be started or was stopped after its time).
struct TProgramOutput {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a program with the arguments (argv[0] is its path), input on its standard input and
// extraEnvironment ("NAME=value") added to this process's; stops it after timeoutSeconds.
TProgramOutput RunProgram(const std::vector<std::string>& argv, const std::string& input = "",
                          const std::vector<std::string>& extraEnvironment = {},
                          int timeoutSeconds = 60);

// A CalDAV server for one test (kind "radicale" or "xandikos"), on 127.0.0.1 and a port free at
// start, with a folder of its own; made and removed by caldav_servers.py, which also stops it
// when this process ends in any way. Plain C++: for GoogleTest and QtTest programs alike.
//
//     TCalDavTestServer server("radicale");
//     if (!server.Ready())
//         GTEST_SKIP() << server.SkipReason();   // QSKIP(server.SkipReason().c_str())
class TCalDavTestServer {
public:
    explicit TCalDavTestServer(const std::string& kind);
    ~TCalDavTestServer();
    TCalDavTestServer(const TCalDavTestServer&) = delete;
    TCalDavTestServer& operator=(const TCalDavTestServer&) = delete;

    // False when the server could not be had; SkipReason says why.
    bool Ready() const { return ready_; }
    const std::string& SkipReason() const { return reason_; }

    const std::string& Kind() const { return kind_; }
    // The server's root, "http://127.0.0.1:PORT/".
    const std::string& Url() const { return url_; }
    // Empty for Xandikos, which asks for no password.
    const std::string& User() const { return user_; }
    const std::string& Password() const { return password_; }
    // The user's principal and calendar home, as discovery should find them.
    const std::string& Principal() const { return principal_; }
    const std::string& Home() const { return home_; }
    // The server's files.
    const std::string& Folder() const { return folder_; }

    // SIGKILL the server (its files stay), start it again on the same port, or stop it
    // gently. False when the server script did not answer.
    bool Kill();
    bool Start();
    bool Stop();

    // Runs the other device (caldav_device.py) against this server, for example
    // Device({"add", "Work", "--summary", "Milk"}).
    TProgramOutput Device(const std::vector<std::string>& arguments,
                          const std::string& input = "") const;

private:
    bool Command(const std::string& word, const std::string& answer);
    bool ReadLine(std::string& line, int timeoutSeconds);

    std::string kind_, url_, user_, password_, principal_, home_, folder_, reason_;
    bool ready_ = false;
    pid_t pid_ = -1;
    int toServer_ = -1;
    int fromServer_ = -1;
    std::string pending_;
};
