// SPDX-License-Identifier: GPL-3.0-or-later
// The sync against a server of the test's own that offers no sync tokens, only ETags: the
// changes found by listing them, an error in the listing that is no empty server, an update
// whose resource went meanwhile, and a to-do the server changes each time it is sent.
#include "store/records/TaskTable.h"
#include "store/records/TaskWrite.h"
#include "sync/SyncRun.h"
#include "tests/sync/FakeDavServer.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {

const QByteArray Xml = "application/xml; charset=utf-8";

QByteArray Todo(const QString& uid, const QString& summary) {
    return QString(
               "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Fake//EN\r\nBEGIN:VTODO\r\nUID:%1\r\n"
               "DTSTAMP:20240301T080000Z\r\nSUMMARY:%2\r\nEND:VTODO\r\nEND:VCALENDAR\r\n")
        .arg(uid, summary)
        .toUtf8();
}

QByteArray Escaped(const QByteArray& text) {
    return QByteArray(text).replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;");
}

// One list of to-dos, /list/, named Work: a ctag and ETags, no sync-collection report.
class TPlainServer {
public:
    struct TResource {
        QByteArray etag;
        QByteArray text;
    };
    QMap<QString, TResource> resources;
    // The requests as "METHOD path Depth" or "METHOD path If-Match/If-None-Match".
    QStringList seen;
    // Answers a request itself first when it gives an answer.
    std::function<std::optional<TFakeAnswer>(const TFakeRequest&)> before;

    void Put(const QString& href, const QByteArray& text) {
        resources[href] = {"\"" + QByteArray::number(++version_) + "\"", text};
    }
    void Remove(const QString& href) {
        resources.remove(href);
        ++version_;
    }

    TFakeAnswer Handle(const TFakeRequest& request) {
        const QString path = QString::fromUtf8(request.target);
        seen.append(request.method + " " + path + " " + request.headers.value("depth") +
                    request.headers.value("if-match") + request.headers.value("if-none-match"));
        if (before)
            if (const std::optional<TFakeAnswer> answer = before(request))
                return *answer;
        if (request.method == "PROPFIND" && path == "/list/")
            return Listing(request.headers.value("depth") == "1");
        if (request.method == "REPORT")
            return Multiget(request.body);
        const auto found = resources.find(path);
        const QByteArray ifMatch = request.headers.value("if-match");
        if (request.method == "GET")
            return found == resources.end()
                       ? TFakeAnswer{404, {}, {}, false}
                       : TFakeAnswer{200, {{"ETag", found->etag}}, found->text, false};
        if (request.method == "PUT") {
            if (request.headers.contains("if-none-match") && found != resources.end())
                return {412, {}, {}, false};
            if (!ifMatch.isEmpty() && found == resources.end())
                return {404, {}, {}, false};
            if (!ifMatch.isEmpty() && found->etag != ifMatch)
                return {412, {}, {}, false};
            Put(path, request.body);
            return {201, {{"ETag", resources[path].etag}}, {}, false};
        }
        if (request.method == "DELETE") {
            if (found == resources.end())
                return {404, {}, {}, false};
            if (!ifMatch.isEmpty() && found->etag != ifMatch)
                return {412, {}, {}, false};
            Remove(path);
            return {204, {}, {}, false};
        }
        return {405, {}, {}, false};
    }

private:
    TFakeAnswer Listing(bool members) const {
        QByteArray body = "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" "
                          "xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
                          "xmlns:cs=\"http://calendarserver.org/ns/\"><d:response><d:href>/list/"
                          "</d:href><d:propstat><d:prop><d:resourcetype><d:collection/>"
                          "<c:calendar/></d:resourcetype><d:displayname>Work</d:displayname>"
                          "<c:supported-calendar-component-set><c:comp name=\"VTODO\"/>"
                          "</c:supported-calendar-component-set><cs:getctag>" +
                          QByteArray::number(version_) +
                          "</cs:getctag></d:prop><d:status>HTTP/1.1 200 OK</d:status>"
                          "</d:propstat></d:response>";
        if (members)
            for (auto resource = resources.begin(); resource != resources.end(); ++resource)
                body += "<d:response><d:href>" + resource.key().toUtf8() +
                        "</d:href><d:propstat><d:prop><d:resourcetype/><d:getetag>" +
                        resource->etag +
                        "</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
                        "</d:response>";
        return {207, {{"Content-Type", Xml}}, body + "</d:multistatus>", false};
    }

    TFakeAnswer Multiget(const QByteArray& request) const {
        QByteArray body = "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" "
                          "xmlns:c=\"urn:ietf:params:xml:ns:caldav\">";
        static const QRegularExpression href("<[^>]*href>([^<]*)</");
        for (auto match = href.globalMatch(QString::fromUtf8(request)); match.hasNext();) {
            const QString path = match.next().captured(1);
            const auto found = resources.find(path);
            if (found == resources.end())
                body += "<d:response><d:href>" + path.toUtf8() +
                        "</d:href><d:status>HTTP/1.1 404 Not Found</d:status></d:response>";
            else
                body += "<d:response><d:href>" + path.toUtf8() +
                        "</d:href><d:propstat><d:prop><d:getetag>" + found->etag +
                        "</d:getetag><c:calendar-data>" + Escaped(found->text) +
                        "</c:calendar-data></d:prop><d:status>HTTP/1.1 200 OK</d:status>"
                        "</d:propstat></d:response>";
        }
        return {207, {{"Content-Type", Xml}}, body + "</d:multistatus>", false};
    }

    int version_ = 0;
};

} // namespace

class TSyncFallbacksTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<TDM> dm_;
    TPlainServer plain_;
    std::unique_ptr<TFakeDavServer> server_;
    TSyncAccount account_;

    TSyncResult Sync() { return RunSync(*dm_, account_, {}, {}); }
    std::vector<TMyRec2> Tasks() { return ReadAllTasks(*dm_); }
    int Seen(const QString& start) const {
        return static_cast<int>(
            std::count_if(plain_.seen.begin(), plain_.seen.end(),
                          [&](const QString& r) { return r.startsWith(start); }));
    }
    static std::string Errors(const TSyncResult& result) {
        std::string errors;
        for (const std::string& error : result.errors)
            errors += error + "\n";
        return errors;
    }
    void AddTask(const std::string& name) {
        TTaskEdit task = NewTaskEdit();
        task.strName = name;
        task.intCategory = 2;
        InsertTask(*dm_, task);
    }
    TMyRec2 Named(const std::string& name) {
        for (const TMyRec2& task : Tasks())
            if (task.strName == name)
                return task;
        return {};
    }

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        dm_ = std::make_unique<TDM>(folder_->path().toStdString());
        dm_->DataModuleCreate();
        plain_ = TPlainServer();
        server_ = std::make_unique<TFakeDavServer>(
            [this](const TFakeRequest& request) { return plain_.Handle(request); });
        QVERIFY(server_->Listening());
        account_.server = server_->Origin().toStdString() + "/";
        account_.lists = {"/list/"};
        plain_.Put("/list/a.ics", Todo("a", "A from the server"));
        plain_.Put("/list/b.ics", Todo("b", "B from the server"));
        AddTask("From here");
    }

    void withoutSyncTokensTheListOfEtagsFindsTheChanges() {
        TSyncResult result = Sync();
        QVERIFY2(result.errors.empty(), Errors(result).c_str());
        QCOMPARE(result.Summary(), std::string("1 up, 2 down, 0 conflicts, 0 deleted, 0 held"));
        QCOMPARE(plain_.resources.size(), 3);
        QCOMPARE(Tasks().size(), 3u);
        // The ctag moved with this side's upload: the list is read again, nothing fetched.
        plain_.seen.clear();
        QCOMPARE(Sync().Summary(), std::string("0 up, 0 down, 0 conflicts, 0 deleted, 0 held"));
        QCOMPARE(Seen("PROPFIND /list/ 1"), 1);
        QCOMPARE(Seen("REPORT"), 0);
        // Then the ctag alone tells that nothing changed.
        plain_.seen.clear();
        QCOMPARE(Sync().Summary(), std::string("0 up, 0 down, 0 conflicts, 0 deleted, 0 held"));
        QCOMPARE(Seen("PROPFIND /list/ 1"), 0);
        // A deletion there is a deletion here; a change there comes in.
        plain_.Remove("/list/a.ics");
        plain_.Put("/list/b.ics", Todo("b", "B changed there"));
        QCOMPARE(Sync().Summary(), std::string("0 up, 1 down, 0 conflicts, 1 deleted, 0 held"));
        QCOMPARE(Tasks().size(), 2u);
        QCOMPARE(Named("B changed there").intCategory, 2);
    }

    void anErrorOfTheServerIsNoEmptyServer() {
        QVERIFY(Sync().errors.empty());
        plain_.before = [](const TFakeRequest& request) -> std::optional<TFakeAnswer> {
            if (request.method == "PROPFIND" && request.headers.value("depth") == "1")
                return TFakeAnswer{500, {}, "It broke", false};
            return std::nullopt;
        };
        plain_.Put("/list/c.ics", Todo("c", "C, new there"));
        const TSyncResult failed = Sync();
        QCOMPARE(failed.ExitCode(), 1);
        QVERIFY(QString::fromStdString(Errors(failed)).contains("500"));
        QCOMPARE(Tasks().size(), 3u);
        QCOMPARE(plain_.resources.size(), 4);
        plain_.before = nullptr;
        QCOMPARE(Sync().Summary(), std::string("0 up, 1 down, 0 conflicts, 0 deleted, 0 held"));
    }

    void anUpdateWhoseResourceWentMeanwhileGoesUpAsNew() {
        QVERIFY(Sync().errors.empty());
        const TMyRec2 b = Named("B from the server");
        TTaskEdit edit = TaskEditOf(b);
        edit.strName = "B edited here";
        UpdateTask(*dm_, b.id, edit);
        // Deleted between the listing and the upload.
        plain_.before = [this](const TFakeRequest& request) -> std::optional<TFakeAnswer> {
            if (request.method == "PUT" && request.target == "/list/b.ics" &&
                request.headers.contains("if-match")) {
                plain_.Remove("/list/b.ics");
                return TFakeAnswer{404, {}, {}, false};
            }
            return std::nullopt;
        };
        const TSyncResult result = Sync();
        QVERIFY2(result.errors.empty(), Errors(result).c_str());
        QCOMPARE(result.counts.up, 1);
        QVERIFY(plain_.resources.contains("/list/b.ics"));
        QVERIFY(plain_.resources["/list/b.ics"].text.contains("SUMMARY:B edited here"));
        QCOMPARE(Seen("PUT /list/b.ics *"), 1);
    }

    void aToDoTheServerChangesEachTimeIsTriedAFewTimesNotForever() {
        QVERIFY(Sync().errors.empty());
        const TMyRec2 b = Named("B from the server");
        TTaskEdit edit = TaskEditOf(b);
        edit.strName = "B edited here";
        UpdateTask(*dm_, b.id, edit);
        int round = 0;
        plain_.before = [&](const TFakeRequest& request) -> std::optional<TFakeAnswer> {
            if (request.method == "PUT" && request.target == "/list/b.ics") {
                plain_.Put("/list/b.ics",
                           Todo("b", "Changed there again " + QString::number(++round)));
                return TFakeAnswer{412, {}, {}, false};
            }
            return std::nullopt;
        };
        const TSyncResult result = Sync();
        QCOMPARE(result.ExitCode(), 1);
        QVERIFY(QString::fromStdString(Errors(result)).contains("could not be sent"));
        QCOMPARE(Seen("PUT /list/b.ics"), 3);
        // What the server had last is here, and the edit of this side still waits.
        QCOMPARE(Named("B edited here").id, b.id);
    }
};

QTEST_GUILESS_MAIN(TSyncFallbacksTest)
#include "tst_SyncFallbacks.moc"
