// SPDX-License-Identifier: GPL-3.0-or-later
// What the client does when a server or the network misbehaves, against servers of the test's
// own on loopback that answer as each test scripts them.
#include "sync/BlockingCalDav.h"
#include "sync/DavHref.h"
#include "tests/sync/FakeDavServer.h"

#include <QElapsedTimer>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray EmptyListing = "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\">"
                                "<d:response><d:href>/list/</d:href><d:propstat><d:prop>"
                                "<d:resourcetype><d:collection/></d:resourcetype></d:prop>"
                                "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
                                "</d:multistatus>";

TFakeAnswer Answer(int status, QByteArray body = {},
                   QList<QPair<QByteArray, QByteArray>> headers = {}) {
    if (!body.isEmpty() && headers.isEmpty())
        headers = {{"Content-Type", "application/xml; charset=utf-8"}};
    return {status, headers, body, false};
}

TDavOptions Options() {
    TDavOptions options;
    options.user = "alice";
    options.password = "pw:ä";
    options.retryCap = std::chrono::milliseconds(30);
    return options;
}

QUrl At(const TFakeDavServer& server, const QString& path) {
    return QUrl(server.Origin() + path);
}

} // namespace

class TCalDavFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void oneResourceHasOneHrefHoweverItIsSpelled() {
        const QUrl base("http://dav.example.org/cal/list/");
        const QString href = "/cal/list/Milk%20&%20honey%2C%20b%C3%A4r.ics";
        for (const QString& spelling :
             {QString("/cal/list/Milk%20%26%20honey%2C%20b%C3%A4r.ics"),
              QString("/cal/list/Milk &amp; honey, bär.ics").replace("&amp;", "&"),
              QString("/cal/list/Milk%20&%20honey,%20b%c3%a4r.ics"),
              QString("Milk%20%26%20honey%2C%20b%C3%A4r.ics"),
              QString("http://dav.example.org/cal/list/Milk%20&%20honey,%20bär.ics"),
              QString("HTTP://DAV.example.org:80/cal/./x/../list/Milk%20&%20honey,%20bär.ics")})
            QCOMPARE(CanonicalHref(base, spelling), href);
        // An encoded "/" is part of a name; another server keeps its address.
        QVERIFY(CanonicalHref(base, "/cal/a%2Fb.ics") != CanonicalHref(base, "/cal/a/b.ics"));
        QCOMPARE(CanonicalHref(base, "https://other.example.org:8443/x%20y.ics"),
                 QString("https://other.example.org:8443/x%20y.ics"));
        QCOMPARE(CanonicalHref(base, "https://other.example.org:443/x.ics"),
                 QString("https://other.example.org/x.ics"));
        // And back to an address that names the same resource.
        const QUrl url = HrefUrl(base, href);
        QCOMPARE(CanonicalHref(base, url.toString()), href);
        QCOMPARE(url.host(), QString("dav.example.org"));
        QCOMPARE(HrefUrl(base, "https://other.example.org/x.ics").host(),
                 QString("other.example.org"));
    }

    void newResourcesAreNamedSafely() {
        const QUrl list("https://dav.example.org/cal/list");
        QCOMPARE(NewResourceUrl(list, "task-1@tolvek-organizer").path(),
                 QString("/cal/list/task-1@tolvek-organizer.ics"));
        const QString odd = NewResourceUrl(list, "../../other/x y?").path();
        QVERIFY(odd.startsWith("/cal/list/"));
        QVERIFY(!odd.contains(".."));
        QCOMPARE(odd.size(), QString("/cal/list/").size() + 64 + 4);
    }

    void plainHttpIsForThisMachineOrWithLeave() {
        QVERIFY(IsInsecure(QUrl("http://dav.example.org/"), false));
        QVERIFY(!IsInsecure(QUrl("http://dav.example.org/"), true));
        QVERIFY(!IsInsecure(QUrl("https://dav.example.org/"), false));
        for (const char* local : {"http://127.0.0.1:5232/", "http://127.8.9.10/", "http://[::1]/",
                                  "http://localhost:8080/", "http://LOCALHOST/"})
            QVERIFY2(!IsInsecure(QUrl(local), false), local);
        QVERIFY(!RedirectAllowed(QUrl("https://a.example/"), QUrl("http://a.example/")));
        QVERIFY(RedirectAllowed(QUrl("https://a.example/"), QUrl("https://b.example/")));
        QVERIFY(RedirectAllowed(QUrl("http://127.0.0.1/"), QUrl("https://a.example/")));
        QVERIFY(!RedirectAllowed(QUrl("http://127.0.0.1/"), QUrl("file:///etc/passwd")));
        QCOMPARE(UserAddress(" dav.example.org/dav ").toString(),
                 QString("https://dav.example.org/dav"));

        TBlockingCalDav client(Options());
        const auto refused = client.Discover(QUrl("http://dav.example.org/"));
        QCOMPARE(refused.error.kind, TDavErrorKind::InsecureConnection);
        QVERIFY(refused.error.message.contains("unencrypted"));
    }

    void resultsComeLaterAndNotAfterTheClientIsGone() {
        bool called = false;
        auto* client = new TCalDavClient(Options());
        client->ListEtags(QUrl("http://dav.example.org/list/"),
                          [&](const TDavResult<QList<TResource>>&) { called = true; });
        QVERIFY(!called);
        QTRY_VERIFY(called);

        called = false;
        TFakeDavServer server([](const TFakeRequest&) { return Answer(207, EmptyListing); });
        client->ListEtags(At(server, "/list/"),
                          [&](const TDavResult<QList<TResource>>&) { called = true; });
        delete client;
        QTest::qWait(300);
        QVERIFY(!called);
    }

    void basicAuthenticationGoesWithEveryRequest() {
        TFakeDavServer server([](const TFakeRequest&) { return Answer(207, EmptyListing); });
        TBlockingCalDav client(Options());
        QVERIFY(client.ListEtags(At(server, "/list/")).Ok());
        QVERIFY(client.Get(At(server, "/list/x.ics")).error.kind != TDavErrorKind::None);
        QCOMPARE(server.Requests().size(), 2);
        for (const TFakeRequest& request : server.Requests())
            QCOMPARE(request.headers.value("authorization"),
                     "Basic " + QByteArray("alice:pw:ä").toBase64());
        TDavOptions anonymous = Options();
        anonymous.user.clear();
        TBlockingCalDav nobody(anonymous);
        QVERIFY(nobody.ListEtags(At(server, "/list/")).Ok());
        QVERIFY(!server.Requests().last().headers.contains("authorization"));
    }

    void retryAfterIsHonouredUpToACap() {
        int busy = 2;
        TFakeDavServer server([&](const TFakeRequest&) {
            if (busy-- > 0)
                return Answer(503, "busy", {{"Retry-After", "30"}});
            return Answer(207, EmptyListing);
        });
        QList<int> asked;
        TDavOptions options = Options();
        options.onRetry = [&](int seconds, std::chrono::milliseconds waited) {
            asked.append(seconds);
            QCOMPARE(waited, std::chrono::milliseconds(30));
        };
        TBlockingCalDav client(options);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(client.ListEtags(At(server, "/list/")).Ok());
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(asked, (QList<int>{30, 30}));
        QCOMPARE(server.Requests().size(), 3);

        // Busy for longer than the client waits: the server's error, with its status.
        busy = 100;
        const auto gaveUp = client.ListEtags(At(server, "/list/"));
        QCOMPARE(gaveUp.error.kind, TDavErrorKind::Server);
        QCOMPARE(gaveUp.error.status, 503);
        QCOMPARE(server.Requests().size(), 3 + 1 + options.maxRetries);

        // Without Retry-After a 503 is not tried again.
        server.SetHandler([](const TFakeRequest&) { return Answer(503); });
        QCOMPARE(client.ListEtags(At(server, "/list/")).error.status, 503);
        QCOMPARE(server.Requests().size(), 3 + 1 + options.maxRetries + 1);
    }

    void redirectsAreFollowedWithTheRequestWhole() {
        TFakeDavServer server([](const TFakeRequest& request) {
            if (request.target == "/old/")
                return Answer(308, {}, {{"Location", "/list/"}});
            if (request.target == "/loop/")
                return Answer(302, {}, {{"Location", "/loop/"}});
            return Answer(207, EmptyListing);
        });
        TBlockingCalDav client(Options());
        QVERIFY(client.ListEtags(At(server, "/old/")).Ok());
        QCOMPARE(server.Requests().size(), 2);
        const TFakeRequest &first = server.Requests()[0], &second = server.Requests()[1];
        QCOMPARE(second.target, QByteArray("/list/"));
        QCOMPARE(second.method, QByteArray("PROPFIND"));
        QCOMPARE(second.body, first.body);
        QCOMPARE(second.headers.value("depth"), QByteArray("1"));

        QCOMPARE(client.ListEtags(At(server, "/loop/")).error.kind,
                 TDavErrorKind::TooManyRedirects);
    }

    void anUntrustedCertificateAndARedirectToHttpAreRefused() {
        QTemporaryDir folder;
        QSslCertificate certificate;
        QSslKey key;
        if (!MakeCertificate(folder.path(), certificate, key))
            QSKIP("openssl could not make a certificate for the test server");
        TFakeDavServer plain([](const TFakeRequest&) { return Answer(207, EmptyListing); });
        TFakeDavServer secure(
            [&](const TFakeRequest&) {
                return Answer(301, {}, {{"Location", (plain.Origin() + "/list/").toUtf8()}});
            },
            certificate, key);
        QVERIFY(secure.Listening());

        TBlockingCalDav client(Options());
        const auto untrusted = client.ListEtags(At(secure, "/list/"));
        QCOMPARE(untrusted.error.kind, TDavErrorKind::Certificate);
        QVERIFY2(untrusted.error.message.contains("not trusted"),
                 qPrintable(untrusted.error.message));
        QVERIFY(secure.Requests().isEmpty());

        // Trusted now, it sends the client on to plain http: that is not followed.
        QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
        const QSslConfiguration before = trusting;
        trusting.addCaCertificate(certificate);
        QSslConfiguration::setDefaultConfiguration(trusting);
        TBlockingCalDav trustingClient(Options());
        const auto redirected = trustingClient.ListEtags(At(secure, "/list/"));
        QSslConfiguration::setDefaultConfiguration(before);
        QCOMPARE(redirected.error.kind, TDavErrorKind::InsecureRedirect);
        QCOMPARE(secure.Requests().size(), 1);
        QVERIFY(plain.Requests().isEmpty());
    }

    void nothingThatAnswersAsCalDavIsSaidSo() {
        TFakeDavServer web([](const TFakeRequest& request) {
            if (request.target == "/.well-known/caldav")
                return Answer(404);
            return Answer(200, "<html><body>Welcome</body></html>",
                          {{"Content-Type", "text/html"}});
        });
        TBlockingCalDav client(Options());
        const auto found = client.Discover(At(web, "/"));
        QCOMPARE(found.error.kind, TDavErrorKind::NotCalDav);
        QVERIFY2(found.error.message.contains(web.Origin()), qPrintable(found.error.message));
        QCOMPARE(web.Requests().size(), 2);

        web.SetHandler([](const TFakeRequest&) { return Answer(500, "broken"); });
        const auto broken = client.Discover(At(web, "/dav/"));
        QCOMPARE(broken.error.kind, TDavErrorKind::Server);
        QCOMPARE(broken.error.status, 500);
        QVERIFY(broken.error.message.contains("500"));
    }

    void noServerAndNoAnswerAreNetworkErrors() {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        TBlockingCalDav client(Options());
        const auto refused = client.ListEtags(QUrl(QString("http://127.0.0.1:%1/list/").arg(port)));
        QCOMPARE(refused.error.kind, TDavErrorKind::Network);
        QVERIFY(refused.error.message.contains("cannot be reached"));

        TFakeDavServer silent([](const TFakeRequest&) { return TFakeAnswer{200, {}, {}, true}; });
        TDavOptions options = Options();
        options.timeout = std::chrono::milliseconds(300);
        TBlockingCalDav impatient(options);
        const auto timedOut = impatient.ListEtags(At(silent, "/list/"));
        QCOMPARE(timedOut.error.kind, TDavErrorKind::Network);
        QVERIFY2(timedOut.error.message.contains("no answer within"),
                 qPrintable(timedOut.error.message));
    }

    void anAnswerThatCannotBeReadIsNoEmptyList() {
        QByteArray nested = "<d:multistatus xmlns:d=\"DAV:\">";
        for (int i = 0; i < 200; ++i)
            nested += "<d:x>";
        QByteArray body;
        TFakeDavServer server([&](const TFakeRequest&) { return Answer(207, body); });
        TBlockingCalDav client(Options());
        for (const QByteArray& bad :
             {QByteArray("<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>/list/a"), nested,
              QByteArray("not xml at all"), QByteArray("<html/>")}) {
            body = bad;
            const auto listed = client.ListEtags(At(server, "/list/"));
            QCOMPARE(listed.error.kind, TDavErrorKind::BadResponse);
        }
    }

    void aRefusedSyncTokenIsToldApartFromAServerError() {
        QByteArray token;
        TFakeDavServer server([&](const TFakeRequest& request) {
            token = request.body;
            if (request.body.contains("<d:sync-token>gone</d:sync-token>"))
                return Answer(409, "<d:error xmlns:d=\"DAV:\"><d:valid-sync-token/></d:error>");
            if (request.body.contains("<d:sync-token>broken</d:sync-token>"))
                return Answer(500, "Server got itself in trouble",
                              {{"Content-Type", "text/plain"}});
            if (request.body.contains("<d:sync-token>partial</d:sync-token>"))
                return Answer(
                    207, "<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>/list/a.ics"
                         "</d:href><d:propstat><d:prop><d:getetag>\"1\"</d:getetag></d:prop>"
                         "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
                         "<d:response><d:href>/list/</d:href><d:status>HTTP/1.1 507 Insufficient "
                         "Storage</d:status></d:response><d:sync-token>next</d:sync-token>"
                         "</d:multistatus>");
            return Answer(500, "down", {{"Content-Type", "text/plain"}});
        });
        TBlockingCalDav client(Options());
        QCOMPARE(client.SyncCollection(At(server, "/list/"), "gone").error.kind,
                 TDavErrorKind::SyncTokenInvalid);
        QCOMPARE(client.SyncCollection(At(server, "/list/"), "broken").error.kind,
                 TDavErrorKind::SyncTokenInvalid);
        // Without a token to blame, a server error is one.
        QCOMPARE(client.SyncCollection(At(server, "/list/"), "").error.kind, TDavErrorKind::Server);
        QVERIFY(token.contains("<d:sync-token></d:sync-token>") ||
                token.contains("<d:sync-token/>"));

        const auto partial = client.SyncCollection(At(server, "/list/"), "partial");
        QVERIFY(partial.Ok());
        QVERIFY(partial.value.truncated);
        QCOMPARE(partial.value.token, QString("next"));
        QCOMPARE(partial.value.changed.size(), 1);
        QCOMPARE(partial.value.changed[0].etag, QString("\"1\""));
    }

    void theSystemProxyCarriesRequestsButNeverForThisMachine() {
        TFakeDavServer proxy([](const TFakeRequest&) { return Answer(207, EmptyListing); });
        TFakeDavServer direct([](const TFakeRequest&) { return Answer(207, EmptyListing); });
        qputenv("http_proxy", proxy.Origin().toUtf8());
        qputenv("no_proxy", "");
        TDavOptions options = Options();
        options.allowInsecureHttp = true;
        options.timeout = std::chrono::seconds(5);
        TBlockingCalDav client(options);
        // An address of the range kept for documentation: no name to look up, and nothing
        // answers there should the proxy be passed by.
        const auto viaProxy = client.ListEtags(QUrl("http://192.0.2.10/list/"));
        const auto local = client.ListEtags(At(direct, "/list/"));
        qunsetenv("http_proxy");
        qunsetenv("no_proxy");
        QVERIFY2(viaProxy.Ok(), qPrintable(viaProxy.error.message));
        QCOMPARE(proxy.Requests().size(), 1);
        QCOMPARE(proxy.Requests()[0].target, QByteArray("http://192.0.2.10/list/"));
        QVERIFY(local.Ok());
        QCOMPARE(direct.Requests().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TCalDavFaultsTest)
#include "tst_CalDavFaults.moc"
