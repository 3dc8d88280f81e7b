// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/DavHref.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QRegularExpression>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool KeptAsIs(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           QByteArrayView("-._~!$&'()*+;=:@/").contains(static_cast<char>(c));
}

// Every escape decoded and encoded again the one way; an encoded "/" is part of a name, not a
// separator, and stays encoded.
QByteArray CanonicalPath(const QByteArray& encoded) {
    QByteArray out;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(encoded[i]);
        bool escaped = false;
        if (c == '%' && i + 2 < encoded.size() && HexValue(encoded[i + 1]) >= 0 &&
            HexValue(encoded[i + 2]) >= 0) {
            c = static_cast<unsigned char>(HexValue(encoded[i + 1]) * 16 +
                                           HexValue(encoded[i + 2]));
            i += 2;
            escaped = true;
        }
        if (KeptAsIs(c) && !(escaped && c == '/'))
            out += static_cast<char>(c);
        else
            out += '%' + QByteArray::number(c, 16).rightJustified(2, '0').toUpper();
    }
    return out;
}

int DefaultPort(const QUrl& url) {
    return url.scheme().compare("https", Qt::CaseInsensitive) == 0 ? 443 : 80;
}

int PortOf(const QUrl& url) {
    return url.port(DefaultPort(url));
}

} // namespace

QString CanonicalHref(const QUrl& base, const QString& href) {
    const QUrl url = base.resolved(QUrl(href.trimmed(), QUrl::TolerantMode));
    QByteArray path = CanonicalPath(url.path(QUrl::FullyEncoded).toUtf8());
    if (path.isEmpty())
        path = "/";
    if (SameOrigin(base, url))
        return QString::fromLatin1(path);
    QString origin = url.scheme().toLower() + "://" + url.host(QUrl::FullyEncoded);
    if (PortOf(url) != DefaultPort(url))
        origin += ":" + QString::number(url.port());
    return origin + QString::fromLatin1(path);
}

QUrl UserAddress(const QString& text) {
    const QString address = text.trimmed();
    return QUrl(address.contains("://") ? address : "https://" + address, QUrl::TolerantMode);
}

QUrl HrefUrl(const QUrl& base, const QString& href) {
    if (!href.startsWith('/'))
        return QUrl(href, QUrl::TolerantMode);
    QUrl url = base;
    url.setPath(href, QUrl::TolerantMode);
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

bool SameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && PortOf(a) == PortOf(b);
}

bool IsLoopbackHost(const QString& host) {
    if (host.compare("localhost", Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool IsInsecure(const QUrl& url, bool allowInsecureHttp) {
    return url.scheme().compare("http", Qt::CaseInsensitive) == 0 && !allowInsecureHttp &&
           !IsLoopbackHost(url.host());
}

bool RedirectAllowed(const QUrl& from, const QUrl& to) {
    const QString scheme = to.scheme().toLower();
    if (scheme != "http" && scheme != "https")
        return false;
    return from.scheme().compare("https", Qt::CaseInsensitive) != 0 || scheme == "https";
}

QUrl AsCollection(QUrl url) {
    QString path = url.path(QUrl::FullyEncoded);
    if (!path.endsWith('/')) {
        path += '/';
        url.setPath(path, QUrl::TolerantMode);
    }
    return url;
}

QUrl NewResourceUrl(const QUrl& collection, const QString& uid) {
    static const QRegularExpression safe("^[A-Za-z0-9][A-Za-z0-9._~@-]{0,150}$");
    const QString name =
        safe.match(uid).hasMatch()
            ? uid
            : QString::fromLatin1(
                  QCryptographicHash::hash(uid.toUtf8(), QCryptographicHash::Sha256).toHex());
    QUrl url = AsCollection(collection);
    url.setPath(url.path(QUrl::FullyEncoded) + name + ".ics", QUrl::TolerantMode);
    return url;
}
