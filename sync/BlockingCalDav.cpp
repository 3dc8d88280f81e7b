// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/BlockingCalDav.h"

#include "sync/WaitFor.h"

TDavResult<TDiscovery> TBlockingCalDav::Discover(const QUrl& address) {
    return WaitFor<TDavResult<TDiscovery>>([&](auto done) { client_.Discover(address, done); });
}

TDavResult<QList<TCollection>> TBlockingCalDav::ListCollections(const QUrl& home) {
    return WaitFor<TDavResult<QList<TCollection>>>(
        [&](auto done) { client_.ListCollections(home, done); });
}

TDavResult<TCollection> TBlockingCalDav::ReadCollection(const QUrl& collection) {
    return WaitFor<TDavResult<TCollection>>(
        [&](auto done) { client_.ReadCollection(collection, done); });
}

TDavResult<TSyncReport> TBlockingCalDav::SyncCollection(const QUrl& collection,
                                                        const QString& token) {
    return WaitFor<TDavResult<TSyncReport>>(
        [&](auto done) { client_.SyncCollection(collection, token, done); });
}

TDavResult<QList<TResource>> TBlockingCalDav::ListEtags(const QUrl& collection) {
    return WaitFor<TDavResult<QList<TResource>>>(
        [&](auto done) { client_.ListEtags(collection, done); });
}

TDavResult<TMultiget> TBlockingCalDav::Multiget(const QUrl& collection, const QStringList& hrefs) {
    return WaitFor<TDavResult<TMultiget>>(
        [&](auto done) { client_.Multiget(collection, hrefs, done); });
}

TDavResult<TResource> TBlockingCalDav::Get(const QUrl& resource) {
    return WaitFor<TDavResult<TResource>>([&](auto done) { client_.Get(resource, done); });
}

TDavResult<TResource> TBlockingCalDav::Create(const QUrl& resource, const QByteArray& text) {
    return WaitFor<TDavResult<TResource>>([&](auto done) { client_.Create(resource, text, done); });
}

TDavResult<TResource> TBlockingCalDav::Update(const QUrl& resource, const QByteArray& text,
                                              const QString& etag) {
    return WaitFor<TDavResult<TResource>>(
        [&](auto done) { client_.Update(resource, text, etag, done); });
}

TDavResult<TNothing> TBlockingCalDav::Delete(const QUrl& resource, const QString& etag) {
    return WaitFor<TDavResult<TNothing>>([&](auto done) { client_.Delete(resource, etag, done); });
}

TDavResult<TCollection> TBlockingCalDav::MakeCalendar(const QUrl& collection,
                                                      const QString& displayName) {
    return WaitFor<TDavResult<TCollection>>(
        [&](auto done) { client_.MakeCalendar(collection, displayName, done); });
}

TDavResult<TNothing> TBlockingCalDav::Rename(const QUrl& collection, const QString& displayName) {
    return WaitFor<TDavResult<TNothing>>(
        [&](auto done) { client_.Rename(collection, displayName, done); });
}
