// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One program per database. The running program listens on a local socket named after its
// database (InstanceSocketPath); a second start on the same database hands over to it and
// exits, and the command-line tools tell it to reload. Every message is one line of text.
class TInstanceServer : public QObject {
    Q_OBJECT

public:
    explicit TInstanceServer(const QString& databasePath, QObject* parent = nullptr);

    // Starts listening. A socket left behind by a program that was killed is taken over;
    // false when a running program answers on it (or the socket cannot be made).
    bool Listen();

signals:
    // A line a client sent, without its line break.
    void lineReceived(const QString& line);

private:
    void AcceptClients();

    QString socketPath_;
    QLocalServer* server_;
};

// Hands this start over to a program already running on the database, sending it the line
// (none: only asks whether one runs). True when one took it: this start then exits.
bool HandOverToRunningProgram(const QString& databasePath, const QString& line);
