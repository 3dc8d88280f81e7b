// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/InstanceServer.h"

#include "store/db/StoreError.h"
#include "store/instance/InstanceSocket.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <algorithm>

namespace {

// A running program answers at once; a wait much longer would only delay a start that has to
// go on by itself.
constexpr int ConnectWaitMs = 500;

bool SomeoneListens(const QString& socketPath) {
    QLocalSocket probe;
    probe.connectToServer(socketPath);
    return probe.waitForConnected(ConnectWaitMs);
}

} // namespace

TInstanceServer::TInstanceServer(const QString& databasePath, QObject* parent)
    : QObject(parent), databasePath_(databasePath), server_(new QLocalServer(this)),
      folderWatch_(new QFileSystemWatcher(this)), retry_(new QTimer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &TInstanceServer::AcceptClients);
    connect(folderWatch_, &QFileSystemWatcher::directoryChanged, this,
            &TInstanceServer::KeepListening);
    retry_->setSingleShot(true);
    retry_->setInterval(RetryIntervalMs);
    connect(retry_, &QTimer::timeout, this, &TInstanceServer::KeepListening);
}

bool TInstanceServer::Listen() {
    problem_.clear();
    try {
        socketPath_ = QString::fromStdString(InstanceSocketPath(databasePath_.toStdString(), true));
    } catch (const StoreError& error) {
        problem_ = QString::fromUtf8(error.what());
        return false;
    }
    if (!ListenAtSocket())
        return false;
    folderWatch_->addPath(QFileInfo(socketPath_).path());
    return true;
}

bool TInstanceServer::ListenAtSocket() {
    // A socket another user made is neither used nor removed.
    if (const std::string why = WhyNotOwnSocket(socketPath_.toStdString()); !why.empty()) {
        problem_ = QString::fromStdString(why);
        return false;
    }
    if (server_->listen(socketPath_))
        return true;
    if (server_->serverError() != QAbstractSocket::AddressInUseError || SomeoneListens(socketPath_))
        return false;
    // Nobody answers: the program that made the socket was killed.
    QLocalServer::removeServer(socketPath_);
    return server_->listen(socketPath_);
}

void TInstanceServer::KeepListening() {
    if (server_->isListening() && QFileInfo::exists(socketPath_))
        return;
    // Out of file descriptors, the failed accept closed the server and removed its file; or
    // someone removed the file. Tried again now and then until it works.
    server_->close();
    const QString folder = QFileInfo(socketPath_).path();
    if (ListenAtSocket() &&
        (folderWatch_->directories().contains(folder) || folderWatch_->addPath(folder)))
        return;
    retry_->start();
}

void TInstanceServer::AcceptClients() {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] { ReadLines(client); });
    }
}

void TInstanceServer::ReadLines(QLocalSocket* client) {
    while (client->canReadLine()) {
        const QByteArray line = client->readLine();
        if (line.size() > MaxLineLength + 1) {
            client->abort();
            return;
        }
        const QString text = QString::fromUtf8(line).trimmed();
        if (!text.isEmpty())
            emit lineReceived(text);
    }
    // No message is this long: what has no line break by now is not one, and is not kept
    // (searching an ever longer buffer for the break would cost more at every read).
    if (client->bytesAvailable() > MaxLineLength)
        client->abort();
}

QString ShowRequest(const QString& activationToken) {
    const QString show = QStringLiteral("show");
    const bool carried =
        !activationToken.isEmpty() &&
        show.size() + 1 + activationToken.size() <= TInstanceServer::MaxLineLength &&
        std::all_of(activationToken.begin(), activationToken.end(),
                    [](QChar c) { return c.unicode() > 32 && c.unicode() < 127; });
    return carried ? show + ' ' + activationToken : show;
}

bool IsShowRequest(const QString& line, QString* token) {
    const QStringList words = line.split(' ', Qt::SkipEmptyParts);
    if (words.isEmpty() || words.front() != "show" || words.size() > 2)
        return false;
    *token = words.size() == 2 ? words.back() : QString();
    return true;
}

bool HandOverToRunningProgram(const QString& databasePath, const QString& line) {
    std::string path;
    try {
        path = InstanceSocketPath(databasePath.toStdString());
    } catch (const StoreError&) {
        return false;
    }
    if (!WhyNotOwnSocket(path).empty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(path));
    if (!socket.waitForConnected(ConnectWaitMs))
        return false;
    if (!line.isEmpty()) {
        socket.write((line + "\n").toUtf8());
        socket.waitForBytesWritten(ConnectWaitMs);
    }
    socket.disconnectFromServer();
    return true;
}
