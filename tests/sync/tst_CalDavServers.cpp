// SPDX-License-Identifier: GPL-3.0-or-later
// The client against real servers on loopback, Radicale and Xandikos, with an independent
// client (python3-caldav) as the other device.
#include "store/sync/TodoPatch.h"
#include "sync/BlockingCalDav.h"
#include "sync/DavHref.h"
#include "tests/sync/CalDavTestServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <map>
#include <memory>

namespace {

const QByteArray Todo = "BEGIN:VCALENDAR\r\n"
                        "VERSION:2.0\r\n"
                        "PRODID:-//Tests//EN\r\n"
                        "BEGIN:VTODO\r\n"
                        "UID:%1\r\n"
                        "DTSTAMP:20240301T080000Z\r\n"
                        "SUMMARY:%2\r\n"
                        "END:VTODO\r\n"
                        "END:VCALENDAR\r\n";

QByteArray TodoText(const QString& uid, const QString& summary) {
    return QString::fromUtf8(Todo).arg(uid, summary).toUtf8();
}

QString Text(const std::string& text) {
    return QString::fromStdString(text).trimmed();
}

// What another program keeps in a to-do, which an upload of ours must give back untouched.
const char* const Foreign = "BEGIN:VCALENDAR\r\n"
                            "VERSION:2.0\r\n"
                            "PRODID:-//Other Program//Phone 1.0//EN\r\n"
                            "BEGIN:VTODO\r\n"
                            "UID:foreign-round-trip\r\n"
                            "DTSTAMP:20240301T080000Z\r\n"
                            "LAST-MODIFIED:20240302T080000Z\r\n"
                            "SEQUENCE:2\r\n"
                            "SUMMARY:As the phone wrote it\r\n"
                            "DTSTART:20240310T090000Z\r\n"
                            "DUE:20240315T170000Z\r\n"
                            "RRULE:FREQ=MONTHLY;BYMONTHDAY=15\r\n"
                            "RELATED-TO;RELTYPE=PARENT:parent@phone.example\r\n"
                            "X-PHONE-COLOR:#ff8800\r\n"
                            "BEGIN:VALARM\r\n"
                            "ACTION:DISPLAY\r\n"
                            "DESCRIPTION:One hour before\r\n"
                            "TRIGGER;RELATED=END:-PT1H\r\n"
                            "END:VALARM\r\n"
                            "BEGIN:VALARM\r\n"
                            "ACTION:AUDIO\r\n"
                            "TRIGGER;VALUE=DATE-TIME:20240314T080000Z\r\n"
                            "ATTACH:chime.wav\r\n"
                            "END:VALARM\r\n"
                            "END:VTODO\r\n"
                            "END:VCALENDAR\r\n";

// The content lines of a text, unfolded, each with the components it is in.
QStringList ContentLines(const QByteArray& text) {
    QStringList lines, open;
    QString unfolded = QString::fromUtf8(text);
    unfolded.replace("\r\n", "\n").replace("\n ", "").replace("\n\t", "");
    for (const QString& line : unfolded.split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("END:"))
            open.removeLast();
        lines.append(open.join('/') + " " + line);
        if (line.startsWith("BEGIN:"))
            open.append(line.mid(6));
    }
    return lines;
}

} // namespace

class TCalDavServersTest : public QObject {
    Q_OBJECT

    std::map<QString, std::unique_ptr<TCalDavTestServer>> servers_;
    // A list every server gets at the start, which discovery must find.
    std::map<QString, QString> known_;

    TCalDavTestServer& Server() {
        QFETCH(QString, kind);
        return *servers_.at(kind);
    }
    static TDavOptions Options(const TCalDavTestServer& server) {
        TDavOptions options;
        options.user = QString::fromStdString(server.User());
        options.password = QString::fromStdString(server.Password());
        return options;
    }
    static QUrl Url(const std::string& text) { return QUrl(QString::fromStdString(text)); }
    // Runs the other device; the test fails when it does.
    static QString Device(const TCalDavTestServer& server, const std::vector<std::string>& args) {
        const TProgramOutput run = server.Device(args);
        if (run.status != 0)
            qWarning("caldav_device.py failed (%d): %s", run.status, run.err.c_str());
        return run.status == 0 ? Text(run.out) : QString();
    }
    static QJsonArray DeviceJson(const TCalDavTestServer& server,
                                 const std::vector<std::string>& args) {
        return QJsonDocument::fromJson(Device(server, args).toUtf8()).array();
    }
    static void AddRows() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("radicale") << "radicale";
        QTest::newRow("xandikos") << "xandikos";
    }

private slots:
    void initTestCase() {
        for (const char* kind : {"radicale", "xandikos"}) {
            auto server = std::make_unique<TCalDavTestServer>(kind);
            if (server->Ready())
                known_[kind] = Device(*server, {"mkcol", "Known list", "--id", "known"});
            servers_[kind] = std::move(server);
        }
    }
    // Every row's tag starts with the kind of server it runs on.
    void init() {
        if (!QTest::currentDataTag())
            return;
        const QString kind = QString(QTest::currentDataTag()).section(' ', 0, 0);
        const TCalDavTestServer& server = *servers_.at(kind);
        if (!server.Ready())
            QSKIP(server.SkipReason().c_str());
    }
    void cleanupTestCase() { servers_.clear(); }

    void discoveryFindsTheHomeFromEveryAddressAUserPastes_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("address");
        for (const char* kind : {"radicale", "xandikos"})
            for (const char* address :
                 {"root", "root without slash", "well-known", "principal", "home", "collection"})
                QTest::newRow((std::string(kind) + " " + address).c_str()) << kind << address;
    }
    void discoveryFindsTheHomeFromEveryAddressAUserPastes() {
        QFETCH(QString, address);
        TCalDavTestServer& server = Server();
        QString url = QString::fromStdString(server.Url());
        if (address == "root without slash")
            url.chop(1);
        else if (address == "well-known")
            url += ".well-known/caldav";
        else if (address == "principal")
            url = QString::fromStdString(server.Principal());
        else if (address == "home")
            url = QString::fromStdString(server.Home());
        else if (address == "collection")
            url = known_.at(QString::fromStdString(server.Kind()));

        TBlockingCalDav client(Options(server));
        const TDavResult<TDiscovery> found = client.Discover(QUrl(url));
        QVERIFY2(found.Ok(), qPrintable(found.error.message));
        QCOMPARE(found.value.home, Url(server.Home()));
        QCOMPARE(found.value.principal, Url(server.Principal()));
        const QString knownHref =
            CanonicalHref(QUrl(url), known_.at(QString::fromStdString(server.Kind())));
        const auto known = std::find_if(
            found.value.collections.begin(), found.value.collections.end(),
            [&](const TCollection& collection) { return collection.href == knownHref; });
        QVERIFY(known != found.value.collections.end());
        QCOMPARE(known->displayName, QString("Known list"));
        QCOMPARE(found.value.givenCollection, address == "collection" ? knownHref : QString());
    }

    void listingGivesNamesKindsAndChangeMarkers_data() { AddRows(); }
    void listingGivesNamesKindsAndChangeMarkers() {
        TCalDavTestServer& server = Server();
        const QString tasks = Device(server, {"mkcol", "Einkäufe & Co", "--id", "listing-tasks"});
        const QString events =
            Device(server, {"mkcol", "Events", "--id", "listing-events", "--components", "VEVENT"});
        TBlockingCalDav client(Options(server));
        const auto listed = client.ListCollections(Url(server.Home()));
        QVERIFY2(listed.Ok(), qPrintable(listed.error.message));
        std::map<QString, TCollection> byUrl;
        for (const TCollection& collection : listed.value)
            byUrl[collection.url.toString()] = collection;
        QVERIFY(byUrl.count(tasks));
        const TCollection& list = byUrl.at(tasks);
        QCOMPARE(list.displayName, QString("Einkäufe & Co"));
        QVERIFY(list.HoldsTodos());
        QVERIFY(list.syncCollection);
        QVERIFY(!list.syncToken.isEmpty() || !list.ctag.isEmpty());
        QVERIFY(byUrl.count(events));
        // Xandikos takes every kind whatever MKCALENDAR asks; Radicale keeps to it.
        if (server.Kind() == "radicale") {
            QCOMPARE(byUrl.at(events).components, QStringList{"VEVENT"});
            QVERIFY(!byUrl.at(events).HoldsTodos());
        }
        // The home itself is not one of its lists.
        QVERIFY(!byUrl.count(QString::fromStdString(server.Home())));
    }

    void uploadsAndDeletionsHoldToTheirEtags_data() { AddRows(); }
    void uploadsAndDeletionsHoldToTheirEtags() {
        TCalDavTestServer& server = Server();
        const QUrl list(Device(server, {"mkcol", "Etags", "--id", "etags"}));
        TBlockingCalDav client(Options(server));
        const QUrl resource = NewResourceUrl(list, "etag-1@tolvek-organizer");

        const auto created = client.Create(resource, TodoText("etag-1@tolvek-organizer", "First"));
        QVERIFY2(created.Ok(), qPrintable(created.error.message));
        QCOMPARE(created.value.href, CanonicalHref(list, resource.toString()));
        // Nothing is created twice: the second upload of a new one finds the first.
        const auto twice = client.Create(resource, TodoText("etag-1@tolvek-organizer", "Again"));
        QCOMPARE(twice.error.kind, TDavErrorKind::PreconditionFailed);
        // Nor under another name: the UID is the to-do's identity in its list.
        const auto elsewhere = client.Create(NewResourceUrl(list, "another-name"),
                                             TodoText("etag-1@tolvek-organizer", "Again"));
        QCOMPARE(elsewhere.error.kind, TDavErrorKind::UidConflict);

        const auto got = client.Get(resource);
        QVERIFY(got.Ok());
        QVERIFY(got.value.data.contains("SUMMARY:First"));
        if (!created.value.etag.isEmpty())
            QCOMPARE(got.value.etag, created.value.etag);
        const QString etag = got.value.etag;

        // The other device edits it: an upload over the old ETag is refused.
        Device(server, {"edit", "Etags", "etag-1@tolvek-organizer", "--set", "SUMMARY:There"});
        const auto stale =
            client.Update(resource, TodoText("etag-1@tolvek-organizer", "Here"), etag);
        QCOMPARE(stale.error.kind, TDavErrorKind::PreconditionFailed);
        QCOMPARE(stale.error.status, 412);
        QVERIFY(client.Get(resource).value.data.contains("SUMMARY:There"));

        const auto current = client.Get(resource);
        const auto updated = client.Update(resource, TodoText("etag-1@tolvek-organizer", "Here"),
                                           current.value.etag);
        QVERIFY2(updated.Ok(), qPrintable(updated.error.message));
        const QString newEtag = client.Get(resource).value.etag;
        QVERIFY(newEtag != current.value.etag);

        QCOMPARE(client.Delete(resource, current.value.etag).error.kind,
                 TDavErrorKind::PreconditionFailed);
        QVERIFY(client.Delete(resource, newEtag).Ok());
        QCOMPARE(client.Get(resource).error.kind, TDavErrorKind::NotFound);
        QCOMPARE(client.Delete(resource, newEtag).error.kind, TDavErrorKind::NotFound);
        // An update of a resource deleted meanwhile: the servers say 412 (If-Match matches
        // nothing) rather than 404; either way the caller uploads it as new.
        const auto gone =
            client.Update(resource, TodoText("etag-1@tolvek-organizer", "X"), newEtag);
        QVERIFY(gone.error.kind == TDavErrorKind::PreconditionFailed ||
                gone.error.kind == TDavErrorKind::NotFound);
    }

    void syncCollectionReportsChangesAndRefusesAnUnknownToken_data() { AddRows(); }
    void syncCollectionReportsChangesAndRefusesAnUnknownToken() {
        TCalDavTestServer& server = Server();
        const QUrl list(Device(server, {"mkcol", "Changes", "--id", "changes"}));
        Device(server, {"add", "Changes", "--uid", "stays", "--summary", "Stays"});
        Device(server, {"add", "Changes", "--uid", "edited", "--summary", "Edited"});
        Device(server, {"add", "Changes", "--uid", "deleted", "--summary", "Deleted"});
        TBlockingCalDav client(Options(server));

        const auto first = client.SyncCollection(list, QString());
        QVERIFY2(first.Ok(), qPrintable(first.error.message));
        QCOMPARE(first.value.changed.size(), 3);
        QVERIFY(first.value.removed.isEmpty());
        QVERIFY(!first.value.token.isEmpty());

        const QJsonArray before = DeviceJson(server, {"list", "Changes"});
        QString editedHref, deletedHref;
        for (const QJsonValue item : before) {
            const QString href = CanonicalHref(list, item["href"].toString());
            if (item["uid"] == "edited")
                editedHref = href;
            if (item["uid"] == "deleted")
                deletedHref = href;
        }
        Device(server, {"edit", "Changes", "edited", "--set", "SUMMARY:Edited again"});
        Device(server, {"delete", "Changes", "deleted"});
        const QString added =
            CanonicalHref(list, Device(server, {"add", "Changes", "--uid", "added"}));

        const auto next = client.SyncCollection(list, first.value.token);
        QVERIFY2(next.Ok(), qPrintable(next.error.message));
        QStringList changed;
        for (const TResource& resource : next.value.changed) {
            changed.append(resource.href);
            QVERIFY(!resource.etag.isEmpty());
        }
        changed.sort();
        QStringList expected{editedHref, added};
        expected.sort();
        QCOMPARE(changed, expected);
        QCOMPARE(next.value.removed, QStringList{deletedHref});
        QVERIFY(next.value.token != first.value.token);

        // A token the server does not know: Radicale says 403 valid-sync-token, Xandikos 500.
        const auto unknown =
            client.SyncCollection(list, "http://radicale.org/ns/sync/"
                                        "0000000000000000000000000000000000000000");
        QCOMPARE(unknown.error.kind, TDavErrorKind::SyncTokenInvalid);
        QCOMPARE(unknown.error.status, server.Kind() == "radicale" ? 403 : 500);
        const auto bogus = client.SyncCollection(list, "bogus");
        QCOMPARE(bogus.error.kind, TDavErrorKind::SyncTokenInvalid);
    }

    void etagListingAndMultigetKnowOneResourceByOneHref_data() { AddRows(); }
    void etagListingAndMultigetKnowOneResourceByOneHref() {
        TCalDavTestServer& server = Server();
        const QUrl list(Device(server, {"mkcol", "Spellings", "--id", "spellings"}));
        TBlockingCalDav client(Options(server));
        // A name that is spelled many ways: a space, an ampersand, a comma and an umlaut.
        QUrl odd = list;
        odd.setPath(list.path() + "Milk & honey, bär.ics");
        QVERIFY(client.Create(odd, TodoText("odd", "Odd name")).Ok());
        Device(server, {"add", "Spellings", "--uid", "plain", "--summary", "Plain"});

        const auto listed = client.ListEtags(list);
        QVERIFY2(listed.Ok(), qPrintable(listed.error.message));
        QCOMPARE(listed.value.size(), 2);
        const QString oddHref = CanonicalHref(list, odd.toString());
        QStringList hrefs;
        for (const TResource& resource : listed.value) {
            hrefs.append(resource.href);
            QVERIFY(!resource.etag.isEmpty());
        }
        QVERIFY2(hrefs.contains(oddHref), qPrintable(hrefs.join(" ")));
        // The other device's spelling of the same resources is the same href.
        for (const QJsonValue item : DeviceJson(server, {"list", "Spellings"}))
            QVERIFY(hrefs.contains(CanonicalHref(list, item["href"].toString())));

        // Asked in another spelling (lower-case escapes), the answer names the same href.
        QString otherSpelling = oddHref;
        otherSpelling.replace("%C3%A4", "%c3%a4");
        const auto fetched = client.Multiget(
            list, {otherSpelling, hrefs.first() == oddHref ? hrefs.last() : hrefs.first(),
                   list.path() + "missing.ics"});
        QVERIFY2(fetched.Ok(), qPrintable(fetched.error.message));
        QCOMPARE(fetched.value.found.size(), 2);
        QCOMPARE(fetched.value.missing, QStringList{list.path() + "missing.ics"});
        for (const TResource& resource : fetched.value.found) {
            QVERIFY(hrefs.contains(resource.href));
            QVERIFY(!resource.etag.isEmpty());
            QVERIFY(resource.data.contains("\r\nEND:VTODO\r\n"));
            QVERIFY(!resource.data.contains("\n\n"));
        }
    }

    void mkcalendarMakesAListForTodos_data() { AddRows(); }
    void mkcalendarMakesAListForTodos() {
        TCalDavTestServer& server = Server();
        TBlockingCalDav client(Options(server));
        QUrl url = Url(server.Home());
        url.setPath(url.path() + "made-here/");
        const auto made = client.MakeCalendar(url, "Garten & Haus ✓");
        QVERIFY2(made.Ok(), qPrintable(made.error.message));
        QCOMPARE(made.value.url, url);

        const auto read = client.ReadCollection(url);
        QVERIFY2(read.Ok(), qPrintable(read.error.message));
        QCOMPARE(read.value.displayName, QString("Garten & Haus ✓"));
        QVERIFY(read.value.HoldsTodos());
        bool seen = false;
        for (const QJsonValue item : DeviceJson(server, {"collections"}))
            seen |= item["name"] == "Garten & Haus ✓";
        QVERIFY(seen);
        // The device can put a to-do into it.
        QVERIFY(
            !Device(server, {"add", url.toString().toStdString(), "--uid", "in-made"}).isEmpty());
        QVERIFY(!client.MakeCalendar(url, "Twice").Ok());
    }

    void renameSetsTheDisplayName_data() { AddRows(); }
    void renameSetsTheDisplayName() {
        TCalDavTestServer& server = Server();
        const QUrl list(Device(server, {"mkcol", "Old name", "--id", "renamed"}));
        TBlockingCalDav client(Options(server));
        const auto renamed = client.Rename(list, "Neuer Name");
        QVERIFY2(renamed.Ok(), qPrintable(renamed.error.message));
        QCOMPARE(client.ReadCollection(list).value.displayName, QString("Neuer Name"));
        bool seen = false;
        for (const QJsonValue item : DeviceJson(server, {"collections"}))
            seen |= item["name"] == "Neuer Name";
        QVERIFY(seen);
    }

    void anUploadChangesOnlyWhatTheOrganizerChanged_data() { AddRows(); }
    void anUploadChangesOnlyWhatTheOrganizerChanged() {
        TCalDavTestServer& server = Server();
        const QUrl list(Device(server, {"mkcol", "Round trip", "--id", "round-trip"}));
        TBlockingCalDav client(Options(server));
        const QUrl resource = NewResourceUrl(list, "foreign-round-trip");
        QVERIFY(client.Create(resource, Foreign).Ok());
        const auto before = client.Get(resource);
        QVERIFY(before.Ok());

        TSyncTask task = ReadServerTodo(before.value.data.toStdString()).task;
        task.name = "Renamed in the organizer";
        const std::string upload =
            PatchTodo(before.value.data.toStdString(), task, std::time(nullptr));
        QVERIFY(client.Update(resource, QByteArray::fromStdString(upload), before.value.etag).Ok());

        const QString after = Device(server, {"show", "Round trip", "foreign-round-trip"});
        const QStringList old = ContentLines(before.value.data), now = ContentLines(after.toUtf8());
        QStringList changed;
        for (const QString& line : now)
            if (!old.contains(line))
                changed.append(line.section(' ', 1).section(QRegularExpression("[;:]"), 0, 0));
        for (const QString& line : old)
            if (!now.contains(line))
                changed.append(line.section(' ', 1).section(QRegularExpression("[;:]"), 0, 0));
        changed.removeDuplicates();
        changed.sort();
        QCOMPARE(changed, (QStringList{"DTSTAMP", "LAST-MODIFIED", "SEQUENCE", "SUMMARY"}));
        QVERIFY(now.contains("VCALENDAR/VTODO SUMMARY:Renamed in the organizer"));
        QCOMPARE(now.size(), old.size());
    }

    // What the kill tests of a sync rely on: a server killed mid-way is no network to the client,
    // and started again it has everything it had, at the same address.
    void aKilledServerComesBackWithItsLists_data() { AddRows(); }
    void aKilledServerComesBackWithItsLists() {
        TCalDavTestServer& server = Server();
        const QUrl list(Device(server, {"mkcol", "Survives", "--id", "survives"}));
        Device(server, {"add", "Survives", "--uid", "kept"});
        QVERIFY(server.Kill());
        TBlockingCalDav client(Options(server));
        const auto down = client.ListEtags(list);
        QCOMPARE(down.error.kind, TDavErrorKind::Network);
        QVERIFY(server.Start());
        const auto back = client.ListEtags(list);
        QVERIFY2(back.Ok(), qPrintable(back.error.message));
        QCOMPARE(back.value.size(), 1);
    }

    void aWrongPasswordIsToldAsSuch() {
        TCalDavTestServer& server = *servers_.at("radicale");
        if (!server.Ready())
            QSKIP(server.SkipReason().c_str());
        TDavOptions options = Options(server);
        options.password = "not-the-password";
        TBlockingCalDav client(options);
        const auto found = client.Discover(Url(server.Url()));
        QCOMPARE(found.error.kind, TDavErrorKind::WrongPassword);
        QCOMPARE(found.error.status, 401);
        QVERIFY2(found.error.message.contains("did not accept the user name or the password"),
                 qPrintable(found.error.message));
        QCOMPARE(client.ListEtags(QUrl(known_.at("radicale"))).error.kind,
                 TDavErrorKind::WrongPassword);
        options.user.clear();
        TBlockingCalDav anonymous(options);
        QCOMPARE(anonymous.Discover(Url(server.Url())).error.kind, TDavErrorKind::WrongPassword);
    }
};

QTEST_GUILESS_MAIN(TCalDavServersTest)
#include "tst_CalDavServers.moc"
