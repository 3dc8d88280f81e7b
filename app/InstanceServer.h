// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QLocalServer;
class QLocalSocket;
class QTimer;

// One program per database. The running program listens on a local socket named after its
// database (InstanceSocketPath), in a folder only its user can reach; a second start on the
// same database hands over to it and exits, and the command-line tools tell it to reload.
// Every message is one short line of text.
class TInstanceServer : public QObject {
    Q_OBJECT

public:
    explicit TInstanceServer(const QString& databasePath, QObject* parent = nullptr);

    // Starts listening. A socket left behind by a program that was killed is taken over;
    // false when a running program answers on it or the socket cannot be made. When the
    // socket's folder or file is not the user's own, Problem says so and nothing is made.
    // Once listening, the server listens again whenever it stops (a connection it could not
    // accept closes Qt's server, which removes its socket file) or its socket file is gone:
    // the socket's folder is watched, so an idle program is never woken to look.
    bool Listen();
    QString Problem() const { return problem_; }

    // The longest line a client may send: a longer one closes its connection.
    static constexpr qint64 MaxLineLength = 256;
    // How long the server waits before it tries again to listen, while it cannot.
    static constexpr int RetryIntervalMs = 1000;

signals:
    // A line a client sent, without its line break.
    void lineReceived(const QString& line);

private:
    bool ListenAtSocket();
    void AcceptClients();
    void ReadLines(QLocalSocket* client);
    void KeepListening();

    QString databasePath_;
    QString socketPath_;
    QString problem_;
    QLocalServer* server_;
    QFileSystemWatcher* folderWatch_;
    QTimer* retry_;
};

// Hands this start over to a program already running on the database, sending it the line
// (none: only asks whether one runs). True when one took it: this start then exits.
bool HandOverToRunningProgram(const QString& databasePath, const QString& line);

// The line a second start sends to see the window: "show", then a space and the launcher's
// activation token (XDG_ACTIVATION_TOKEN) when there is one a line can carry: printable,
// without spaces, and short enough for the line.
QString ShowRequest(const QString& activationToken);
// Whether a line asks to see the window; token receives the activation token it carries, or
// an empty text.
bool IsShowRequest(const QString& line, QString* token);
