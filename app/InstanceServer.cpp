// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/InstanceServer.h"

#include "store/instance/InstanceSocket.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace {

// A running program answers at once; a wait much longer would only delay a start that has to
// go on by itself.
constexpr int ConnectWaitMs = 500;

QString SocketPath(const QString& databasePath) {
    return QString::fromStdString(InstanceSocketPath(databasePath.toStdString()));
}

bool SomeoneListens(const QString& socketPath) {
    QLocalSocket probe;
    probe.connectToServer(socketPath);
    return probe.waitForConnected(ConnectWaitMs);
}

} // namespace

TInstanceServer::TInstanceServer(const QString& databasePath, QObject* parent)
    : QObject(parent), socketPath_(SocketPath(databasePath)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &TInstanceServer::AcceptClients);
}

bool TInstanceServer::Listen() {
    if (server_->listen(socketPath_))
        return true;
    if (server_->serverError() != QAbstractSocket::AddressInUseError || SomeoneListens(socketPath_))
        return false;
    // Nobody answers: the program that made the socket was killed.
    QLocalServer::removeServer(socketPath_);
    return server_->listen(socketPath_);
}

void TInstanceServer::AcceptClients() {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            while (client->canReadLine()) {
                const QString line = QString::fromUtf8(client->readLine()).trimmed();
                if (!line.isEmpty())
                    emit lineReceived(line);
            }
        });
    }
}

bool HandOverToRunningProgram(const QString& databasePath, const QString& line) {
    QLocalSocket socket;
    socket.connectToServer(SocketPath(databasePath));
    if (!socket.waitForConnected(ConnectWaitMs))
        return false;
    if (!line.isEmpty()) {
        socket.write((line + "\n").toUtf8());
        socket.waitForBytesWritten(ConnectWaitMs);
    }
    socket.disconnectFromServer();
    return true;
}
