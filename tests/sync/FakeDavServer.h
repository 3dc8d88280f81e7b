// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSslCertificate>
#include <QSslKey>
#include <functional>

class QTcpServer;
class QTcpSocket;

// A request as the fake server received it.
struct TFakeRequest {
    QByteArray method;
    // As on the request line: a path, or a whole address when it came through as a proxy.
    QByteArray target;
    // Names in lower case.
    QMap<QByteArray, QByteArray> headers;
    QByteArray body;
};

struct TFakeAnswer {
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Never answer: the client's timeout is what is tested.
    bool silent = false;
};

// A web server on 127.0.0.1 and a free port that answers each request as the test says, and
// keeps every request it got. With a certificate and key it speaks TLS.
class TFakeDavServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<TFakeAnswer(const TFakeRequest&)>;

    explicit TFakeDavServer(Handler handler);
    TFakeDavServer(Handler handler, const QSslCertificate& certificate, const QSslKey& key);
    ~TFakeDavServer() override;

    bool Listening() const;
    quint16 Port() const;
    // "http://127.0.0.1:PORT" or "https://...", without a "/" at the end.
    QString Origin() const;
    const QList<TFakeRequest>& Requests() const { return requests_; }
    void SetHandler(Handler handler) { handler_ = std::move(handler); }

private:
    void Serve(QTcpSocket* socket);
    void Read(QTcpSocket* socket);

    Handler handler_;
    QTcpServer* server_;
    bool tls_;
    QList<TFakeRequest> requests_;
    QMap<QTcpSocket*, QByteArray> pending_;
};

// A self-signed certificate for 127.0.0.1 and its key, made by openssl in folder; false when
// openssl cannot be had.
bool MakeCertificate(const QString& folder, QSslCertificate& certificate, QSslKey& key);
