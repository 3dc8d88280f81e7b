// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>

// Where an account's password comes from: the desktop's secret store (the Secret Service of
// the desktop, through QtKeychain), or a command the user names whose first line of output is
// the password. Never the database, never the settings file.

enum class TSecretErrorKind {
    None,
    // No secret store answers on this desktop: offer the password command instead.
    NoSecretStore,
    // The store answers but holds no password for the account.
    NotFound,
    // The store, or the user asked by it, refused.
    Denied,
    // The password command failed or printed nothing.
    CommandFailed,
    // Anything else.
    Failed,
};

struct TPasswordResult {
    TSecretErrorKind error = TSecretErrorKind::None;
    // The password, when asked for one.
    QString password;
    // What went wrong, for a person.
    QString message;

    bool Ok() const { return error == TSecretErrorKind::None; }
};

using TPasswordDone = std::function<void(const TPasswordResult&)>;

// The key of an account's password in the secret store: "user@address".
QString SecretKey(const QString& server, const QString& user);

// Each of these returns at once and calls done later from the event loop, unless context is
// gone by then.
void ReadSecret(const QString& key, QObject* context, TPasswordDone done);
void WriteSecret(const QString& key, const QString& password, QObject* context, TPasswordDone done);
// Deleting a password the store does not hold is no error.
void DeleteSecret(const QString& key, QObject* context, TPasswordDone done);

// Runs the command through /bin/sh with nothing on its standard input; its first line of
// output, without the line end, is the password. CommandFailed, with its exit status and the
// first line of its error output, when it fails, prints nothing, or runs longer than timeout.
void RunPasswordCommand(const QString& command, QObject* context, TPasswordDone done,
                        std::chrono::milliseconds timeout = std::chrono::seconds(60));

// The same, waiting for the result in a local event loop (the command line).
TPasswordResult ReadSecretNow(const QString& key);
TPasswordResult WriteSecretNow(const QString& key, const QString& password);
TPasswordResult DeleteSecretNow(const QString& key);
TPasswordResult RunPasswordCommandNow(const QString& command,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(60));
