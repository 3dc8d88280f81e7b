// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/DavError.h"

namespace {

QString WithDetail(const QString& text, const QString& detail) {
    return detail.isEmpty() ? text : text + " (" + detail + ")";
}

} // namespace

TDavError MakeDavError(TDavErrorKind kind, const QUrl& url, int status, const QString& detail) {
    const QString address = url.toDisplayString(QUrl::RemoveUserInfo);
    const QString host = url.host().isEmpty() ? address : url.host();
    QString message;
    switch (kind) {
    case TDavErrorKind::None:
        break;
    case TDavErrorKind::InsecureConnection:
        message = QString("%1 uses plain http://, which would send your password and your "
                          "tasks unencrypted. Use https://, or allow plain http for a server "
                          "you trust on your own network.")
                      .arg(address);
        break;
    case TDavErrorKind::InsecureRedirect:
        message = QString("The server sent the secure connection on to plain http:// (%1). "
                          "The redirect was not followed.")
                      .arg(address);
        break;
    case TDavErrorKind::WrongPassword:
        message = QString("%1 did not accept the user name or the password.").arg(host);
        break;
    case TDavErrorKind::Forbidden:
        message =
            WithDetail(QString("%1 refuses this user access to %2").arg(host, address), detail) +
            ".";
        break;
    case TDavErrorKind::NotCalDav:
        message = QString("No CalDAV server answers at %1. Check the address: it is often "
                          "shown in the server's settings as the CalDAV or calendar address.")
                      .arg(address);
        break;
    case TDavErrorKind::Certificate:
        message = WithDetail(QString("The certificate of %1 is not trusted, so no connection "
                                     "was made")
                                 .arg(host),
                             detail) +
                  ".";
        break;
    case TDavErrorKind::Network:
        message = WithDetail(QString("%1 cannot be reached. Check the address and the "
                                     "network connection")
                                 .arg(host),
                             detail) +
                  ".";
        break;
    case TDavErrorKind::NotFound:
        message = QString("%1 has nothing at %2.").arg(host, address);
        break;
    case TDavErrorKind::PreconditionFailed:
        message = QString("%1 was changed on the server meanwhile.").arg(address);
        break;
    case TDavErrorKind::UidConflict:
        message =
            QString("The list already holds this to-do under another name than %1.").arg(address);
        break;
    case TDavErrorKind::SyncTokenInvalid:
        message = WithDetail(QString("%1 no longer takes the stored sync state of %2; the list "
                                     "is compared in full instead")
                                 .arg(host, address),
                             detail) +
                  ".";
        break;
    case TDavErrorKind::Server:
        message = WithDetail(QString("%1 answered with an error").arg(host), detail) + ".";
        break;
    case TDavErrorKind::BadResponse:
        message = WithDetail(QString("The answer of %1 could not be read").arg(host), detail) + ".";
        break;
    case TDavErrorKind::TooManyRedirects:
        message = QString("%1 redirected the request too many times.").arg(host);
        break;
    }
    return {kind, status, message};
}
