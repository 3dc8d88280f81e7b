// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

// What went wrong talking to a server, as a kind the caller acts on and words a person
// understands.
enum class TDavErrorKind {
    None,
    // Plain http:// to a server other than this machine, without the user's leave.
    InsecureConnection,
    // A redirect from https:// to plain http://, which is never followed.
    InsecureRedirect,
    // The server refused the user name or the password (401).
    WrongPassword,
    // The server refuses this user what was asked (403).
    Forbidden,
    // Nothing at the address speaks CalDAV.
    NotCalDav,
    // The server's TLS certificate is not trusted.
    Certificate,
    // The server cannot be reached: no network, no such host, refused, timed out.
    Network,
    // Nothing at that address (404, 410).
    NotFound,
    // The resource is not the one the request named: changed on the server meanwhile, or
    // already there for a create (412).
    PreconditionFailed,
    // The collection holds another resource with the same UID (CalDAV's no-uid-conflict): the
    // to-do is there already, under another name.
    UidConflict,
    // The server does not take the sync token (any more), or refuses the sync report: list
    // the collection's ETags instead.
    SyncTokenInvalid,
    // Any other answer of the server that is not a success.
    Server,
    // The answer could not be read.
    BadResponse,
    // Redirected more often than makes sense.
    TooManyRedirects,
};

struct TDavError {
    TDavErrorKind kind = TDavErrorKind::None;
    // The HTTP status when the server answered, 0 otherwise.
    int status = 0;
    // One or two sentences for a person: what happened and what to check.
    QString message;

    explicit operator bool() const { return kind != TDavErrorKind::None; }
};

// The error of a kind with its message for this address; detail completes the message (the
// system's words for a network error, the certificate's faults, the server's status line).
TDavError MakeDavError(TDavErrorKind kind, const QUrl& url, int status = 0,
                       const QString& detail = QString());
