// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/CalDavClient.h"

#include "sync/CalDavParts.h"
#include "sync/DavHref.h"

namespace {

const QByteArray XmlType = "application/xml; charset=utf-8";
const QByteArray CalendarType = "text/calendar; charset=utf-8";

TDavRequest XmlRequest(const char* method, const QUrl& url, const char* depth, QByteArray body) {
    TDavRequest request{method, url, std::move(body), {{"Content-Type", XmlType}}};
    if (depth)
        request.headers.append(qMakePair(QByteArray("Depth"), QByteArray(depth)));
    return request;
}

// XML reading turns every CR LF into LF; iCalendar ends its lines with CR LF, as a GET gives
// them, so a text reads the same whichever way it came.
QByteArray WithCrLf(const QString& text) {
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    out.reserve(utf8.size() + utf8.count('\n'));
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\n' && (i == 0 || utf8[i - 1] != '\r'))
            out += '\r';
        out += utf8[i];
    }
    return out;
}

QString EtagOf(const TDavResponse& response) {
    const TXmlNode* etag = response.Property(DavNs, "getetag");
    return etag ? etag->text.trimmed() : QString();
}

// Sends the request and hands on the answer when its status is one of those expected, the
// error otherwise.
template <class T>
void Exchange(TDavTransport* transport, const TDavRequest& request,
              std::initializer_list<int> expected, TCalDavClient::Done<T> done,
              std::function<void(const TDavAnswer&, TDavResult<T>&)> read) {
    const QList<int> statuses(expected);
    transport->Send(request, [statuses, done = std::move(done), read = std::move(read)](
                                 const TDavError& error, const TDavAnswer& answer) {
        TDavResult<T> result;
        if (error)
            result.error = error;
        else if (!statuses.contains(answer.status))
            result.error = StatusError(answer);
        else
            read(answer, result);
        done(result);
    });
}

} // namespace

TDavRequest CollectionPropfind(const QUrl& url, int depth) {
    return XmlRequest("PROPFIND", url, depth == 0 ? "0" : "1",
                      PropfindBody({{DavNs, "resourcetype"},
                                    {DavNs, "displayname"},
                                    {DavNs, "current-user-principal"},
                                    {CalDavNs, "calendar-home-set"},
                                    {CalDavNs, "supported-calendar-component-set"},
                                    {CalendarServerNs, "getctag"},
                                    {DavNs, "sync-token"},
                                    {DavNs, "supported-report-set"}}));
}

bool IsCalendar(const TDavResponse& response) {
    const TXmlNode* type = response.Property(DavNs, "resourcetype");
    return type && type->Child(CalDavNs, "calendar");
}

bool IsCollection(const TDavResponse& response) {
    const TXmlNode* type = response.Property(DavNs, "resourcetype");
    return type && type->Child(DavNs, "collection");
}

TCollection CollectionOf(const QUrl& answeredUrl, const TDavResponse& response) {
    TCollection collection;
    collection.href = CanonicalHref(answeredUrl, response.href);
    if (!collection.href.endsWith('/'))
        collection.href += '/';
    collection.url = HrefUrl(answeredUrl, collection.href);
    if (const TXmlNode* name = response.Property(DavNs, "displayname"))
        collection.displayName = name->text.trimmed();
    if (collection.displayName.isEmpty())
        collection.displayName =
            QUrl::fromPercentEncoding(collection.href.section('/', -2, -2).toUtf8());
    if (const TXmlNode* set = response.Property(CalDavNs, "supported-calendar-component-set"))
        for (const TXmlNode& comp : set->children)
            if (comp.Is(CalDavNs, "comp"))
                collection.components.append(comp.Attribute("name").toUpper());
    if (const TXmlNode* ctag = response.Property(CalendarServerNs, "getctag"))
        collection.ctag = ctag->text.trimmed();
    if (const TXmlNode* token = response.Property(DavNs, "sync-token"))
        collection.syncToken = token->text.trimmed();
    collection.syncCollection = !collection.syncToken.isEmpty();
    // <supported-report><report><sync-collection/></report></supported-report>, or without the
    // <report> as some servers write it.
    if (const TXmlNode* reports = response.Property(DavNs, "supported-report-set")) {
        for (const TXmlNode& supported : reports->children) {
            const TXmlNode* report = supported.Child(DavNs, "report");
            collection.syncCollection |=
                (report ? report : &supported)->Child(DavNs, "sync-collection") != nullptr;
        }
    }
    return collection;
}

TDavError StatusError(const TDavAnswer& answer) {
    const QString line =
        QString("HTTP %1 %2").arg(answer.status).arg(QString::fromUtf8(answer.reason)).trimmed();
    // Radicale answers 409, Xandikos a multistatus with 412 inside.
    if (NamesPrecondition(answer.body, CalDavNs, "no-uid-conflict"))
        return MakeDavError(TDavErrorKind::UidConflict, answer.url, answer.status);
    switch (answer.status) {
    case 401:
        return MakeDavError(TDavErrorKind::WrongPassword, answer.url, answer.status);
    case 403:
        return MakeDavError(TDavErrorKind::Forbidden, answer.url, answer.status);
    case 404:
    case 410:
        return MakeDavError(TDavErrorKind::NotFound, answer.url, answer.status);
    case 412:
        return MakeDavError(TDavErrorKind::PreconditionFailed, answer.url, answer.status);
    default:
        return MakeDavError(TDavErrorKind::Server, answer.url, answer.status, line);
    }
}

std::optional<TMultistatus> ReadAnswer(const TDavAnswer& answer, TDavError* error) {
    QString reason;
    std::optional<TMultistatus> multistatus = ReadMultistatus(answer.body, &reason);
    if (!multistatus && error)
        *error = MakeDavError(TDavErrorKind::BadResponse, answer.url, answer.status, reason);
    return multistatus;
}

TCalDavClient::TCalDavClient(TDavOptions options, QObject* parent)
    : QObject(parent), transport_(new TDavTransport(std::move(options), this)) {}

void TCalDavClient::AbortAll() {
    transport_->AbortAll();
    // The client's other children are the discoveries under way.
    for (QObject* child : children())
        if (child != transport_)
            delete child;
}

void TCalDavClient::ListCollections(const QUrl& home, Done<QList<TCollection>> done) {
    const QUrl url = AsCollection(home);
    Exchange<QList<TCollection>>(
        transport_, CollectionPropfind(url, 1), {207}, std::move(done),
        [](const TDavAnswer& answer, TDavResult<QList<TCollection>>& result) {
            const auto multistatus = ReadAnswer(answer, &result.error);
            if (!multistatus)
                return;
            const QString self = CanonicalHref(answer.url, answer.url.toString());
            for (const TDavResponse& response : multistatus->responses)
                if (IsCalendar(response) && CanonicalHref(answer.url, response.href) != self)
                    result.value.append(CollectionOf(answer.url, response));
        });
}

void TCalDavClient::ReadCollection(const QUrl& collection, Done<TCollection> done) {
    Exchange<TCollection>(
        transport_, CollectionPropfind(AsCollection(collection), 0), {207}, std::move(done),
        [](const TDavAnswer& answer, TDavResult<TCollection>& result) {
            const auto multistatus = ReadAnswer(answer, &result.error);
            if (!multistatus)
                return;
            if (multistatus->responses.isEmpty())
                result.error = MakeDavError(TDavErrorKind::NotFound, answer.url, 404);
            else
                result.value = CollectionOf(answer.url, multistatus->responses.first());
        });
}

void TCalDavClient::SyncCollection(const QUrl& collection, const QString& token,
                                   Done<TSyncReport> done) {
    const QUrl url = AsCollection(collection);
    transport_->Send(
        XmlRequest("REPORT", url, "0", SyncCollectionBody(token)),
        [token, done = std::move(done)](const TDavError& error, const TDavAnswer& answer) {
            TDavResult<TSyncReport> result;
            if (error) {
                result.error = error;
            } else if (answer.status != 207) {
                // Radicale answers 403 with valid-sync-token; others answer 409 with it, or a
                // plain 400 or 500 for a token they do not know, or 403, 405 or 501 for a
                // report they do not offer.
                const bool rejected = NamesPrecondition(answer.body, DavNs, "valid-sync-token") ||
                                      (answer.status != 401 && answer.status >= 400 &&
                                       (!token.isEmpty() || answer.status == 403 ||
                                        answer.status == 405 || answer.status == 501));
                result.error =
                    rejected ? MakeDavError(TDavErrorKind::SyncTokenInvalid, answer.url,
                                            answer.status, QString("HTTP %1").arg(answer.status))
                             : StatusError(answer);
            } else if (const auto multistatus = ReadAnswer(answer, &result.error)) {
                const QString self = CanonicalHref(answer.url, answer.url.toString());
                result.value.token = multistatus->syncToken;
                for (const TDavResponse& response : multistatus->responses) {
                    const QString href = CanonicalHref(answer.url, response.href);
                    if (href == self) {
                        result.value.truncated |= response.status == 507;
                        continue;
                    }
                    if (response.status == 404 || response.status == 410)
                        result.value.removed.append(href);
                    else if (!IsCollection(response))
                        result.value.changed.append({href, EtagOf(response), {}});
                }
            }
            done(result);
        });
}

void TCalDavClient::ListEtags(const QUrl& collection, Done<QList<TResource>> done) {
    const QUrl url = AsCollection(collection);
    Exchange<QList<TResource>>(
        transport_,
        XmlRequest("PROPFIND", url, "1",
                   PropfindBody({{DavNs, "resourcetype"}, {DavNs, "getetag"}})),
        {207}, std::move(done), [](const TDavAnswer& answer, TDavResult<QList<TResource>>& result) {
            const auto multistatus = ReadAnswer(answer, &result.error);
            if (!multistatus)
                return;
            for (const TDavResponse& response : multistatus->responses)
                if (!IsCollection(response) && response.status == 0)
                    result.value.append(
                        {CanonicalHref(answer.url, response.href), EtagOf(response), {}});
        });
}

void TCalDavClient::Multiget(const QUrl& collection, const QStringList& hrefs,
                             Done<TMultiget> done) {
    const QUrl url = AsCollection(collection);
    Exchange<TMultiget>(
        transport_, XmlRequest("REPORT", url, "1", MultigetBody(hrefs)), {207}, std::move(done),
        [](const TDavAnswer& answer, TDavResult<TMultiget>& result) {
            const auto multistatus = ReadAnswer(answer, &result.error);
            if (!multistatus)
                return;
            for (const TDavResponse& response : multistatus->responses) {
                const QString href = CanonicalHref(answer.url, response.href);
                const TXmlNode* data = response.Property(CalDavNs, "calendar-data");
                if (data && (response.status == 0 || response.status == 200))
                    result.value.found.append({href, EtagOf(response), WithCrLf(data->text)});
                else
                    result.value.missing.append(href);
            }
        });
}

void TCalDavClient::Get(const QUrl& resource, Done<TResource> done) {
    Exchange<TResource>(transport_, {"GET", resource, {}, {{"Accept", "text/calendar"}}}, {200},
                        std::move(done),
                        [](const TDavAnswer& answer, TDavResult<TResource>& result) {
                            result.value = {CanonicalHref(answer.url, answer.url.toString()),
                                            QString::fromUtf8(answer.Header("ETag")), answer.body};
                        });
}

void TCalDavClient::Create(const QUrl& resource, const QByteArray& text, Done<TResource> done) {
    Exchange<TResource>(
        transport_,
        {"PUT", resource, text, {{"Content-Type", CalendarType}, {"If-None-Match", "*"}}},
        {200, 201, 204}, std::move(done),
        [resource](const TDavAnswer& answer, TDavResult<TResource>& result) {
            result.value = {CanonicalHref(resource, resource.toString()),
                            QString::fromUtf8(answer.Header("ETag")),
                            {}};
        });
}

void TCalDavClient::Update(const QUrl& resource, const QByteArray& text, const QString& etag,
                           Done<TResource> done) {
    Exchange<TResource>(
        transport_,
        {"PUT", resource, text, {{"Content-Type", CalendarType}, {"If-Match", etag.toUtf8()}}},
        {200, 201, 204}, std::move(done),
        [resource](const TDavAnswer& answer, TDavResult<TResource>& result) {
            result.value = {CanonicalHref(resource, resource.toString()),
                            QString::fromUtf8(answer.Header("ETag")),
                            {}};
        });
}

void TCalDavClient::Delete(const QUrl& resource, const QString& etag, Done<TNothing> done) {
    TDavRequest request{"DELETE", resource, {}, {}};
    if (!etag.isEmpty())
        request.headers.append({"If-Match", etag.toUtf8()});
    Exchange<TNothing>(transport_, request, {200, 202, 204}, std::move(done),
                       [](const TDavAnswer&, TDavResult<TNothing>&) {});
}

void TCalDavClient::MakeCalendar(const QUrl& collection, const QString& displayName,
                                 Done<TCollection> done) {
    const QUrl url = AsCollection(collection);
    Exchange<TCollection>(transport_,
                          XmlRequest("MKCALENDAR", url, nullptr, MakeCalendarBody(displayName)),
                          {200, 201}, std::move(done),
                          [url, displayName](const TDavAnswer&, TDavResult<TCollection>& result) {
                              result.value.url = url;
                              result.value.href = CanonicalHref(url, url.toString());
                              result.value.displayName = displayName;
                              result.value.components = QStringList{"VTODO"};
                          });
}

void TCalDavClient::Rename(const QUrl& collection, const QString& displayName,
                           Done<TNothing> done) {
    Exchange<TNothing>(
        transport_,
        XmlRequest("PROPPATCH", AsCollection(collection), nullptr, SetDisplayNameBody(displayName)),
        {200, 207}, std::move(done), [](const TDavAnswer& answer, TDavResult<TNothing>& result) {
            if (answer.status != 207)
                return;
            const auto multistatus = ReadAnswer(answer, &result.error);
            // A property the server refused is in a propstat of its own with an error status.
            if (multistatus && !multistatus->responses.isEmpty() &&
                !multistatus->responses.first().Property(DavNs, "displayname"))
                result.error = MakeDavError(TDavErrorKind::Forbidden, answer.url, 403,
                                            "the display name was not set");
        });
}
