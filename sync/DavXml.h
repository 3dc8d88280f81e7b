// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The XML of WebDAV and CalDAV: the answers read into small trees, the requests written.

inline constexpr const char* DavNs = "DAV:";
inline constexpr const char* CalDavNs = "urn:ietf:params:xml:ns:caldav";
inline constexpr const char* CalendarServerNs = "http://calendarserver.org/ns/";

// An element: its namespace and name, its attributes, its text and its elements.
struct TXmlNode {
    QString ns;
    QString name;
    QList<QPair<QString, QString>> attributes;
    QString text;
    QList<TXmlNode> children;

    bool Is(const char* ns, const char* name) const;
    // The first child of that name; none when there is none.
    const TXmlNode* Child(const char* ns, const char* name) const;
    QString Attribute(const QString& name) const;
    // The text of every DAV:href inside, in order.
    QStringList Hrefs() const;
};

// One DAV:response of a multistatus.
struct TDavResponse {
    // As the server wrote it.
    QString href;
    // The response's own status (a removed resource's 404), 0 when it has none.
    int status = 0;
    // The properties the server found (those of a propstat with a 2xx status).
    QList<TXmlNode> properties;

    const TXmlNode* Property(const char* ns, const char* name) const;
};

struct TMultistatus {
    QList<TDavResponse> responses;
    // The sync-collection report's new token; empty for other answers.
    QString syncToken;
};

// Reads a 207 answer; none, with the reason, when it is not a multistatus.
std::optional<TMultistatus> ReadMultistatus(const QByteArray& body, QString* reason);
// Whether an answer names that precondition: <DAV:error><name/></DAV:error>, alone or in a
// multistatus.
bool NamesPrecondition(const QByteArray& body, const char* ns, const char* name);
// The number of an HTTP status line ("HTTP/1.1 404 Not Found": 404), 0 when there is none.
int StatusOfLine(const QString& line);

// Request bodies.

// A PROPFIND of these properties, each a namespace and a name.
QByteArray PropfindBody(const QList<QPair<const char*, const char*>>& properties);
QByteArray SyncCollectionBody(const QString& token);
QByteArray MultigetBody(const QStringList& hrefs);
QByteArray MakeCalendarBody(const QString& displayName);
QByteArray SetDisplayNameBody(const QString& displayName);
