// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sync/DavError.h"
#include "sync/DavTransport.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

// A calendar collection: one list of the server.
struct TCollection {
    QUrl url;
    // Its href (CanonicalHref), the key it is known by.
    QString href;
    QString displayName;
    // The kinds of components it takes, as the server names them ("VTODO", "VEVENT"); empty
    // when the server does not say, which means every kind.
    QStringList components;
    // Change markers: the calendar server's ctag and the collection's sync token; empty when
    // the server has none.
    QString ctag;
    QString syncToken;
    // The server offers the sync-collection report here.
    bool syncCollection = false;

    bool HoldsTodos() const { return components.isEmpty() || components.contains("VTODO"); }
};

// What discovery found from the address a user gave.
struct TDiscovery {
    // The user's principal and calendar home; empty when the server names none.
    QUrl principal;
    QUrl home;
    // Every calendar of the home (those that hold no to-dos too: HoldsTodos tells), and the
    // collection given when it is not one of them.
    QList<TCollection> collections;
    // When the address given was one collection: its href.
    QString givenCollection;
};

// A resource of a collection: its href (CanonicalHref), its ETag as the server wrote it
// (quotes and all; empty when the server gave none), and its text when it was fetched, with
// CR LF line ends.
struct TResource {
    QString href;
    QString etag;
    QByteArray data;
};

// The changes of a collection since a sync token.
struct TSyncReport {
    // The token to give next time.
    QString token;
    // Changed or new resources with their ETags (no text: fetch them with Multiget).
    QList<TResource> changed;
    // Hrefs of resources that are gone.
    QStringList removed;
    // The server sent part of the changes only: ask again with the new token for the rest.
    bool truncated = false;
};

struct TMultiget {
    QList<TResource> found;
    // Hrefs the server has no resource for (any more).
    QStringList missing;
};

struct TNothing {};

template <class T> struct TDavResult {
    TDavError error;
    T value{};
    bool Ok() const { return !error; }
};

// A CalDAV client for one account. Every operation is asynchronous: it returns at once, and
// its callback runs later from the event loop with the result or the error (never from within
// the call). Callbacks of operations still running when the client is destroyed, or when
// AbortAll is called, are not called.
//
// Addresses are QUrls; hrefs in the results are CanonicalHref of the address asked, so that
// one resource has one href however the server spells it; HrefUrl turns one into an address.
class TCalDavClient : public QObject {
    Q_OBJECT
public:
    template <class T> using Done = std::function<void(const TDavResult<T>&)>;

    explicit TCalDavClient(TDavOptions options, QObject* parent = nullptr);

    // Finds the user's calendars from a server's root (through /.well-known/caldav), a
    // principal, a calendar home or one collection. NotCalDav when nothing there answers as
    // a CalDAV server.
    void Discover(const QUrl& address, Done<TDiscovery> done);
    // The calendars of a calendar home.
    void ListCollections(const QUrl& home, Done<QList<TCollection>> done);
    // One collection's properties, to see whether its ctag or token moved.
    void ReadCollection(const QUrl& collection, Done<TCollection> done);

    // The changes since token (empty: everything) by the sync-collection report (RFC 6578).
    // SyncTokenInvalid when the server does not take the token or the report: then list the
    // ETags instead.
    void SyncCollection(const QUrl& collection, const QString& token, Done<TSyncReport> done);
    // Every resource of the collection with its ETag, without the text.
    void ListEtags(const QUrl& collection, Done<QList<TResource>> done);
    // The text and ETag of the resources named; a few hundred at a time at most.
    void Multiget(const QUrl& collection, const QStringList& hrefs, Done<TMultiget> done);
    void Get(const QUrl& resource, Done<TResource> done);

    // Uploads a new resource, only when nothing is at that address (If-None-Match: *);
    // PreconditionFailed when something is, UidConflict when the collection holds the UID
    // under another address. The result has its href and its new ETag (empty when the server
    // did not say: read it again).
    void Create(const QUrl& resource, const QByteArray& text, Done<TResource> done);
    // Replaces a resource only when it still has that ETag (If-Match); PreconditionFailed
    // when it changed, NotFound when it is gone.
    void Update(const QUrl& resource, const QByteArray& text, const QString& etag,
                Done<TResource> done);
    // Deletes a resource only when it still has that ETag; PreconditionFailed when it
    // changed, NotFound when it is gone already.
    void Delete(const QUrl& resource, const QString& etag, Done<TNothing> done);

    // Makes a calendar for to-dos only with that display name (MKCALENDAR).
    void MakeCalendar(const QUrl& collection, const QString& displayName, Done<TCollection> done);
    // Sets a collection's display name (PROPPATCH).
    void Rename(const QUrl& collection, const QString& displayName, Done<TNothing> done);

    // Stops every operation; no callback of theirs is called.
    void AbortAll();

    TDavTransport* Transport() const { return transport_; }

private:
    TDavTransport* transport_;
};
