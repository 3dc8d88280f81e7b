// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/DavTransport.h"

#include "store/settings/ProgramInfo.h"
#include "sync/DavHref.h"

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QSslError>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace {

// The system's proxy settings, but never for this machine: a proxy cannot reach it.
class TSystemProxyFactory : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        if (IsLoopbackHost(query.peerHostName()))
            return {QNetworkProxy(QNetworkProxy::NoProxy)};
        return systemProxyForQuery(query);
    }
};

bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The seconds a Retry-After asks for (a number, or an HTTP date); none without one.
std::optional<int> RetryAfterSeconds(const QByteArray& value) {
    if (value.isEmpty())
        return std::nullopt;
    bool number = false;
    const int seconds = value.trimmed().toInt(&number);
    if (number)
        return std::max(0, seconds);
    const QDateTime when =
        QDateTime::fromString(QString::fromLatin1(value.trimmed()), Qt::RFC2822Date);
    if (!when.isValid())
        return std::nullopt;
    return static_cast<int>(
        std::clamp<qint64>(QDateTime::currentDateTimeUtc().secsTo(when), 0, 86400));
}

TDavError NetworkError(QNetworkReply* reply, const QStringList& sslErrors,
                       std::chrono::milliseconds timeout) {
    const QUrl url = reply->url();
    switch (reply->error()) {
    case QNetworkReply::SslHandshakeFailedError:
        return MakeDavError(TDavErrorKind::Certificate, url, 0,
                            sslErrors.isEmpty() ? reply->errorString() : sslErrors.join("; "));
    case QNetworkReply::OperationCanceledError:
        // Only the transfer timeout cancels a request that is still ours.
        return MakeDavError(
            TDavErrorKind::Network, url, 0,
            timeout < std::chrono::seconds(2)
                ? QString("no answer within %1 ms").arg(timeout.count())
                : QString("no answer within %1 seconds")
                      .arg(std::chrono::duration_cast<std::chrono::seconds>(timeout).count()));
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError:
        return MakeDavError(TDavErrorKind::BadResponse, url, 0, reply->errorString());
    default:
        return MakeDavError(TDavErrorKind::Network, url, 0, reply->errorString());
    }
}

// One request on its way: sent again after a redirect or a Retry-After.
class TExchange : public QObject {
public:
    TExchange(QNetworkAccessManager* manager, const TDavOptions& options, TDavRequest request,
              TDavTransport::Done done, QObject* parent)
        : QObject(parent), manager_(manager), options_(options), request_(std::move(request)),
          done_(std::move(done)) {}

    ~TExchange() override { Drop(); }

    void Start() {
        if (IsInsecure(request_.url, options_.allowInsecureHttp))
            return Finish(MakeDavError(TDavErrorKind::InsecureConnection, request_.url), {});
        const QString scheme = request_.url.scheme().toLower();
        if (scheme != "http" && scheme != "https")
            return Finish(MakeDavError(TDavErrorKind::NotCalDav, request_.url), {});

        QNetworkRequest request(request_.url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        request.setTransferTimeout(static_cast<int>(options_.timeout.count()));
        request.setHeader(QNetworkRequest::UserAgentHeader,
                          QString("%1/%2").arg(ProgramFileName, ProgramVersion));
        if (!options_.user.isEmpty())
            request.setRawHeader("Authorization",
                                 "Basic " +
                                     (options_.user + ":" + options_.password).toUtf8().toBase64());
        for (const auto& [name, value] : request_.headers)
            request.setRawHeader(name, value);
        reply_ = manager_->sendCustomRequest(request, request_.method, request_.body);
        connect(reply_, &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
            for (const QSslError& error : errors)
                sslErrors_.append(error.errorString());
        });
        connect(reply_, &QNetworkReply::finished, this, [this] { Answered(); });
    }

private:
    void Drop() {
        if (!reply_)
            return;
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
        reply_ = nullptr;
    }

    void Answered() {
        QNetworkReply* reply = reply_;
        reply_ = nullptr;
        reply->deleteLater();
        const QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!code.isValid())
            return Finish(NetworkError(reply, sslErrors_, options_.timeout), {});

        TDavAnswer answer;
        answer.status = code.toInt();
        answer.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
        answer.body = reply->readAll();
        answer.url = reply->url();
        for (const auto& [name, value] : reply->rawHeaderPairs())
            answer.headers.append({name, value});

        const QByteArray location = answer.Header("Location");
        if (IsRedirect(answer.status) && !location.isEmpty())
            return Redirect(answer.url.resolved(QUrl::fromEncoded(location, QUrl::TolerantMode)));
        if ((answer.status == 503 || answer.status == 429) && retries_ < options_.maxRetries)
            if (const auto seconds = RetryAfterSeconds(answer.Header("Retry-After")))
                return Retry(*seconds);
        Finish({}, answer);
    }

    void Redirect(const QUrl& to) {
        if (!RedirectAllowed(request_.url, to))
            return Finish(MakeDavError(TDavErrorKind::InsecureRedirect, to), {});
        if (++redirects_ > options_.maxRedirects)
            return Finish(MakeDavError(TDavErrorKind::TooManyRedirects, request_.url), {});
        request_.url = to;
        Start();
    }

    void Retry(int seconds) {
        ++retries_;
        const auto wait =
            std::min<std::chrono::milliseconds>(std::chrono::seconds(seconds), options_.retryCap);
        if (options_.onRetry)
            options_.onRetry(seconds, wait);
        QTimer::singleShot(wait, this, [this] { Start(); });
    }

    void Finish(const TDavError& error, const TDavAnswer& answer) {
        // The callback may end the transport, and this with it: nothing of this is used after.
        TDavTransport::Done done = std::move(done_);
        deleteLater();
        done(error, answer);
    }

    QNetworkAccessManager* manager_;
    const TDavOptions& options_;
    TDavRequest request_;
    TDavTransport::Done done_;
    QNetworkReply* reply_ = nullptr;
    QStringList sslErrors_;
    int redirects_ = 0;
    int retries_ = 0;
};

} // namespace

QByteArray TDavAnswer::Header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return QByteArray();
}

TDavTransport::TDavTransport(TDavOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), manager_(new QNetworkAccessManager(this)) {
    manager_->setProxyFactory(new TSystemProxyFactory);
}

void TDavTransport::Send(const TDavRequest& request, Done done) {
    auto* exchange = new TExchange(manager_, options_, request, std::move(done), this);
    QTimer::singleShot(0, exchange, [exchange] { exchange->Start(); });
}

void TDavTransport::AbortAll() {
    for (QObject* child : children())
        if (auto* exchange = dynamic_cast<TExchange*>(child))
            delete exchange;
}
