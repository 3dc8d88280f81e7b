// SPDX-License-Identifier: GPL-3.0-or-later

#include "syncing/SyncWords.h"

QString ServerErrorSentence(const TDavError& error) {
    switch (error.kind) {
    case TDavErrorKind::WrongPassword:
        return "Wrong password: the server did not accept this user name and password.";
    case TDavErrorKind::NotCalDav:
        return "No CalDAV there: " + error.message;
    case TDavErrorKind::Certificate:
        return "Certificate not trusted: " + error.message;
    case TDavErrorKind::Network:
        return "No network: " + error.message;
    case TDavErrorKind::NotFound:
        return "No CalDAV there: " + error.message + " Check the address.";
    default:
        return error.message;
    }
}

QString MappingText(const TListMapping& mapping) {
    switch (mapping.kind) {
    case TListMapping::Kind::Category:
        return QString::fromStdString(mapping.category);
    case TListMapping::Kind::NewCategory:
        return "new category";
    case TListMapping::Kind::NoRoom:
        return "not synced: no room for an eleventh category";
    }
    return QString();
}
