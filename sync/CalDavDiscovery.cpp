// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/CalDavClient.h"

#include "sync/CalDavParts.h"
#include "sync/DavHref.h"

namespace {

// From the address a user gave to the calendars: the address itself and the server's
// /.well-known/caldav are asked, in the order that fits the address, for the user's principal
// and calendar home; a collection given is kept. Lives as a child of the client, so that it
// ends with it.
class TDiscoveryRun : public QObject {
public:
    TDiscoveryRun(TCalDavClient* client, const QUrl& address, TCalDavClient::Done<TDiscovery> done)
        : QObject(client), client_(client), address_(address), done_(std::move(done)) {
        QUrl wellKnown = address;
        wellKnown.setPath("/.well-known/caldav");
        wellKnown.setQuery(QString());
        wellKnown.setFragment(QString());
        const QString path = address.path();
        if (path.isEmpty() || path == "/")
            candidates_ = {wellKnown, address};
        else
            candidates_ = {address, wellKnown};
    }

    void TryNext() {
        if (candidates_.isEmpty())
            return Fail(fallback_ ? fallback_ : MakeDavError(TDavErrorKind::NotCalDav, address_));
        const QUrl url = candidates_.takeFirst();
        client_->Transport()->Send(
            CollectionPropfind(url, 0), [this](const TDavError& error, const TDavAnswer& answer) {
                if (error)
                    return Fail(error);
                if (answer.status == 401)
                    return Fail(StatusError(answer));
                const std::optional<TMultistatus> multistatus =
                    answer.status == 207 ? ReadMultistatus(answer.body, nullptr) : std::nullopt;
                if (!multistatus || multistatus->responses.isEmpty()) {
                    // Not here: a server error is worth telling if nothing else answers.
                    if (answer.status >= 500)
                        fallback_ = StatusError(answer);
                    return TryNext();
                }
                Read(answer.url, multistatus->responses.first());
            });
    }

private:
    void Read(const QUrl& url, const TDavResponse& response) {
        if (IsCalendar(response)) {
            given_ = CollectionOf(url, response);
            result_.givenCollection = given_->href;
        }
        const TXmlNode* principal = response.Property(DavNs, "current-user-principal");
        const TXmlNode* home = response.Property(CalDavNs, "calendar-home-set");
        if (principal && !principal->Hrefs().isEmpty())
            result_.principal = Resolve(url, principal->Hrefs().first());
        if (home && !home->Hrefs().isEmpty())
            return ListHome(Resolve(url, home->Hrefs().first()), false);
        if (!result_.principal.isEmpty() && result_.principal != url)
            return AskPrincipal();
        if (given_)
            return Succeed();
        // A plain collection may be a home that names itself nowhere.
        if (IsCollection(response))
            return ListHome(url, true);
        TryNext();
    }

    void AskPrincipal() {
        client_->Transport()->Send(
            CollectionPropfind(result_.principal, 0),
            [this](const TDavError& error, const TDavAnswer& answer) {
                if (error)
                    return Fail(error);
                if (answer.status != 207)
                    return given_ ? Succeed() : Fail(StatusError(answer));
                const auto multistatus = ReadMultistatus(answer.body, nullptr);
                const TXmlNode* home =
                    multistatus && !multistatus->responses.isEmpty()
                        ? multistatus->responses.first().Property(CalDavNs, "calendar-home-set")
                        : nullptr;
                if (home && !home->Hrefs().isEmpty())
                    return ListHome(Resolve(answer.url, home->Hrefs().first()), false);
                given_ ? Succeed() : TryNext();
            });
    }

    void ListHome(const QUrl& home, bool guessed) {
        client_->ListCollections(
            home, [this, home, guessed](const TDavResult<QList<TCollection>>& listed) {
                if (!listed.Ok())
                    return guessed ? TryNext() : Fail(listed.error);
                if (listed.value.isEmpty() && guessed)
                    return given_ ? Succeed() : TryNext();
                result_.home = AsCollection(home);
                result_.collections = listed.value;
                Succeed();
            });
    }

    void Succeed() {
        if (given_) {
            const bool listed = std::any_of(
                result_.collections.begin(), result_.collections.end(),
                [this](const TCollection& collection) { return collection.href == given_->href; });
            if (!listed)
                result_.collections.append(*given_);
        }
        Finish({{}, result_});
    }

    void Fail(const TDavError& error) { Finish({error, {}}); }

    void Finish(const TDavResult<TDiscovery>& result) {
        TCalDavClient::Done<TDiscovery> done = std::move(done_);
        deleteLater();
        done(result);
    }

    static QUrl Resolve(const QUrl& url, const QString& href) {
        return HrefUrl(url, CanonicalHref(url, href));
    }

    TCalDavClient* client_;
    QUrl address_;
    TCalDavClient::Done<TDiscovery> done_;
    QList<QUrl> candidates_;
    TDavError fallback_;
    std::optional<TCollection> given_;
    TDiscovery result_;
};

} // namespace

void TCalDavClient::Discover(const QUrl& address, Done<TDiscovery> done) {
    (new TDiscoveryRun(this, address, std::move(done)))->TryNext();
}
