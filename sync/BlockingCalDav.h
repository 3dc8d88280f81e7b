// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sync/CalDavClient.h"

// The client's operations one after the other, each returning its result: for the command line
// and for tests. Needs a QCoreApplication; runs the event loop while it waits.
class TBlockingCalDav {
public:
    explicit TBlockingCalDav(TDavOptions options) : client_(std::move(options)) {}

    TDavResult<TDiscovery> Discover(const QUrl& address);
    TDavResult<QList<TCollection>> ListCollections(const QUrl& home);
    TDavResult<TCollection> ReadCollection(const QUrl& collection);
    TDavResult<TSyncReport> SyncCollection(const QUrl& collection, const QString& token);
    TDavResult<QList<TResource>> ListEtags(const QUrl& collection);
    TDavResult<TMultiget> Multiget(const QUrl& collection, const QStringList& hrefs);
    TDavResult<TResource> Get(const QUrl& resource);
    TDavResult<TResource> Create(const QUrl& resource, const QByteArray& text);
    TDavResult<TResource> Update(const QUrl& resource, const QByteArray& text, const QString& etag);
    TDavResult<TNothing> Delete(const QUrl& resource, const QString& etag);
    TDavResult<TCollection> MakeCalendar(const QUrl& collection, const QString& displayName);
    TDavResult<TNothing> Rename(const QUrl& collection, const QString& displayName);

private:
    TCalDavClient client_;
};
