// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sync/DavError.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>

class QNetworkAccessManager;

// How the client talks to one account's server.
struct TDavOptions {
    // HTTP Basic authentication, sent with every request when the user is not empty.
    QString user;
    QString password;
    // Plain http:// to a server other than this machine; refused unless the user allowed it.
    bool allowInsecureHttp = false;
    // How often an answer 503 or 429 with Retry-After is tried again.
    int maxRetries = 3;
    // The longest wait a Retry-After gets, whatever the server asks.
    std::chrono::milliseconds retryCap = std::chrono::seconds(60);
    // A request with no data moving for this long fails as the network would.
    std::chrono::milliseconds timeout = std::chrono::seconds(60);
    int maxRedirects = 5;
    // Called before each retry with the wait the server asked for and the one taken.
    std::function<void(int askedSeconds, std::chrono::milliseconds waited)> onRetry;
};

struct TDavRequest {
    QByteArray method;
    QUrl url;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
};

// What the server answered in the end, after the redirects and the retries.
struct TDavAnswer {
    int status = 0;
    QByteArray reason;
    QByteArray body;
    // The address that answered.
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;

    // A header's value (names without regard to case); empty when it is missing.
    QByteArray Header(const QByteArray& name) const;
};

// Sends requests to a server over Qt Network: TLS through Qt, the system's proxy settings
// (never for this machine), redirects followed but never from https to http, Retry-After
// honoured. One per account; its requests end with it, their callbacks uncalled.
class TDavTransport : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const TDavError& error, const TDavAnswer& answer)>;

    explicit TDavTransport(TDavOptions options, QObject* parent = nullptr);

    // Sends the request; done gets the final answer, whatever its status, or the error when
    // no answer came (refused address, network, certificate, redirects). Always called later,
    // from the event loop, never from within Send.
    void Send(const TDavRequest& request, Done done);
    // Stops every request; their callbacks are not called.
    void AbortAll();

private:
    TDavOptions options_;
    QNetworkAccessManager* manager_;
};
