// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/sync/FakeDavServer.h"

#include <QFile>
#include <QProcess>
#include <QSslServer>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

QByteArray Reason(int status) {
    static const QMap<int, QByteArray> reasons{{200, "OK"},
                                               {201, "Created"},
                                               {204, "No Content"},
                                               {207, "Multi-Status"},
                                               {301, "Moved Permanently"},
                                               {302, "Found"},
                                               {400, "Bad Request"},
                                               {401, "Unauthorized"},
                                               {403, "Forbidden"},
                                               {404, "Not Found"},
                                               {405, "Method Not Allowed"},
                                               {412, "Precondition Failed"},
                                               {500, "Internal Server Error"},
                                               {503, "Service Unavailable"}};
    return reasons.value(status, "Status");
}

} // namespace

TFakeDavServer::TFakeDavServer(Handler handler)
    : TFakeDavServer(std::move(handler), QSslCertificate(), QSslKey()) {}

TFakeDavServer::TFakeDavServer(Handler handler, const QSslCertificate& certificate,
                               const QSslKey& key)
    : handler_(std::move(handler)), tls_(!certificate.isNull()) {
    if (tls_) {
        auto* server = new QSslServer(this);
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(certificate);
        configuration.setPrivateKey(key);
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        server->setSslConfiguration(configuration);
        server_ = server;
    } else {
        server_ = new QTcpServer(this);
    }
    connect(server_, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* socket = server_->nextPendingConnection())
            Serve(socket);
    });
    server_->listen(QHostAddress::LocalHost, 0);
}

TFakeDavServer::~TFakeDavServer() = default;

bool TFakeDavServer::Listening() const {
    return server_->isListening();
}

quint16 TFakeDavServer::Port() const {
    return server_->serverPort();
}

QString TFakeDavServer::Origin() const {
    return QString("%1://127.0.0.1:%2").arg(tls_ ? "https" : "http").arg(Port());
}

void TFakeDavServer::Serve(QTcpSocket* socket) {
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        pending_.remove(socket);
        socket->deleteLater();
    });
    Read(socket);
}

void TFakeDavServer::Read(QTcpSocket* socket) {
    QByteArray& data = pending_[socket];
    data += socket->readAll();
    while (true) {
        const qsizetype headerEnd = data.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        TFakeRequest request;
        const QList<QByteArray> lines = data.left(headerEnd).split('\n');
        const QList<QByteArray> words = lines.value(0).trimmed().split(' ');
        request.method = words.value(0);
        request.target = words.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length", "0").toLongLong();
        if (data.size() < headerEnd + 4 + length)
            return;
        request.body = data.mid(headerEnd + 4, length);
        data.remove(0, headerEnd + 4 + length);
        requests_.append(request);

        const TFakeAnswer answer = handler_(request);
        if (answer.silent)
            continue;
        QByteArray out = "HTTP/1.1 " + QByteArray::number(answer.status) + " " +
                         Reason(answer.status) +
                         "\r\nContent-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        for (const auto& [name, value] : answer.headers)
            out += name + ": " + value + "\r\n";
        out += "\r\n" + answer.body;
        socket->write(out);
    }
}

bool MakeCertificate(const QString& folder, QSslCertificate& certificate, QSslKey& key) {
    const QString openssl = QStandardPaths::findExecutable("openssl");
    if (openssl.isEmpty())
        return false;
    const QString keyPath = folder + "/key.pem", certificatePath = folder + "/certificate.pem";
    QProcess process;
    process.start(openssl,
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                   "-nodes", "-keyout", keyPath, "-out", certificatePath, "-days", "1", "-subj",
                   "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return false;
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(certificatePath);
    QFile keyFile(keyPath);
    if (certificates.isEmpty() || !keyFile.open(QIODevice::ReadOnly))
        return false;
    certificate = certificates.first();
    key = QSslKey(keyFile.readAll(), QSsl::Ec);
    return !key.isNull();
}
