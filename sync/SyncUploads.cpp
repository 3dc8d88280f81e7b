// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/db/StoreError.h"
#include "store/db/TableAccess.h"
#include "sync/DavHref.h"
#include "sync/SyncRunParts.h"

namespace {

// Tasks whose jobs are made in one transaction and whose answers are kept in one.
constexpr size_t UploadBatch = 50;
// A task the server changes again each time it is sent is tried this often in one sync.
constexpr int UploadRounds = 3;

} // namespace

void TSyncRun::Upload() {
    RemoveGone();
    std::vector<std::string> candidates = applier_->UploadCandidates();
    for (int round = 0; round < UploadRounds && !candidates.empty(); ++round) {
        std::vector<std::string> again;
        for (size_t first = 0; first < candidates.size(); first += UploadBatch) {
            const size_t last = std::min(candidates.size(), first + UploadBatch);
            std::vector<TUploadJob> jobs;
            InTransaction(dm_, [&](TTableCursor&) {
                for (size_t k = first; k < last; ++k) {
                    try {
                        if (std::optional<TUploadJob> job = applier_->UploadJob(candidates[k]))
                            jobs.push_back(std::move(*job));
                    } catch (const StoreError& error) {
                        result_.warnings.push_back("A task (" + candidates[k] +
                                                   ") cannot be sent: " + error.what());
                    }
                }
            });
            std::vector<std::pair<const TUploadJob*, TResource>> sent;
            for (const TUploadJob& job : jobs) {
                if (Stopped())
                    break;
                TResource answer;
                changedServer_ = false;
                const TSendOutcome outcome = Send(job, answer);
                if (changedServer_)
                    sentTo_.insert(job.list);
                switch (outcome) {
                case TSendOutcome::Sent:
                    sent.emplace_back(&job, std::move(answer));
                    break;
                case TSendOutcome::Again:
                    again.push_back(job.uid);
                    break;
                case TSendOutcome::Failed:
                    break;
                }
            }
            // What the server took is kept even when the sync stops here.
            InTransaction(dm_, [&](TTableCursor&) {
                for (const auto& [job, answer] : sent)
                    applier_->Sent(*job, ToStd(answer.href), ToStd(answer.etag),
                                   answer.data.toStdString());
            });
            if (Stopped())
                return;
        }
        candidates = std::move(again);
    }
    if (!candidates.empty())
        Error(std::to_string(candidates.size()) +
              " tasks could not be sent: the server changed them again each time. The next sync "
              "tries again.");
    RemoveGone();
}

void TSyncRun::RemoveGone() {
    for (const TSyncGoneRow& gone : ReadGoneResources(dm_)) {
        if (failed_.contains(gone.list))
            continue;
        if (Stopped())
            return;
        const TDavResult<TNothing> deleted = client_.Delete(UrlOf(gone.href), ToQ(gone.etag));
        if (deleted.Ok()) {
            sentTo_.insert(gone.list);
        } else if (deleted.error.kind == TDavErrorKind::PreconditionFailed) {
            result_.warnings.push_back("The old copy " + gone.href +
                                       " of a moved task was changed on the server after the "
                                       "move; it was left there.");
        } else if (deleted.error.kind != TDavErrorKind::NotFound) {
            Fail({}, deleted.error);
            continue;
        }
        InTransaction(dm_, [&](TTableCursor&) { DeleteGoneResource(dm_, gone.href); });
    }
}

TSyncRun::TSendOutcome TSyncRun::Send(const TUploadJob& job, TResource& answer) {
    const QByteArray text = QByteArray::fromStdString(job.text);
    QUrl url = UrlOf(job.href);
    TDavError error;
    switch (job.kind) {
    case TUploadKind::Create: {
        if (job.href.empty())
            url = NewResourceUrl(UrlOf(job.list), ToQ(job.uid));
        const TDavResult<TResource> created = client_.Create(url, text);
        changedServer_ = created.Ok();
        if (created.Ok())
            return Settle(url, created.value, text, answer);
        // Something is there already: a copy an earlier sync sent before it was stopped.
        if (created.error.kind == TDavErrorKind::PreconditionFailed)
            return TakeServerVersion(job, url);
        if (created.error.kind == TDavErrorKind::UidConflict)
            return FindByUid(job);
        error = created.error;
        break;
    }
    case TUploadKind::Update: {
        const TDavResult<TResource> updated = client_.Update(url, text, ToQ(job.etag));
        changedServer_ = updated.Ok();
        if (updated.Ok())
            return Settle(url, updated.value, text, answer);
        if (updated.error.kind == TDavErrorKind::PreconditionFailed)
            return TakeServerVersion(job, url);
        // Deleted there, edited here: the edit wins, and the task goes up as new.
        if (updated.error.kind == TDavErrorKind::NotFound) {
            InTransaction(dm_, [&](TTableCursor&) { applier_->Lost(job); });
            return TSendOutcome::Again;
        }
        error = updated.error;
        break;
    }
    case TUploadKind::Delete: {
        const TDavResult<TNothing> deleted = client_.Delete(url, ToQ(job.etag));
        changedServer_ = deleted.Ok();
        if (deleted.Ok() || deleted.error.kind == TDavErrorKind::NotFound) {
            answer.href = ToQ(job.href);
            return TSendOutcome::Sent;
        }
        // Edited there, deleted here: the edit wins.
        if (deleted.error.kind == TDavErrorKind::PreconditionFailed)
            return TakeServerVersion(job, url);
        error = deleted.error;
        break;
    }
    }
    Fail({}, error);
    return TSendOutcome::Failed;
}

TSyncRun::TSendOutcome TSyncRun::Settle(const QUrl& url, const TResource& resource,
                                        const QByteArray& text, TResource& answer) {
    answer = {resource.href, resource.etag, text};
    if (!answer.etag.isEmpty())
        return TSendOutcome::Sent;
    // Without the new ETag the next change could not be sent safely: read it.
    const TDavResult<TResource> read = client_.Get(url);
    if (!read.Ok() || read.value.etag.isEmpty())
        return TSendOutcome::Again;
    answer.etag = read.value.etag;
    answer.data = read.value.data;
    return TSendOutcome::Sent;
}

TSyncRun::TSendOutcome TSyncRun::TakeServerVersion(const TUploadJob& job, const QUrl& url) {
    const TDavResult<TResource> read = client_.Get(url);
    if (!read.Ok()) {
        if (read.error.kind != TDavErrorKind::NotFound) {
            Fail({}, read.error);
            return TSendOutcome::Failed;
        }
        // Gone meanwhile: an update goes up as new, a create tries again, a deletion is done.
        if (job.kind == TUploadKind::Update)
            InTransaction(dm_, [&](TTableCursor&) { applier_->Lost(job); });
        return TSendOutcome::Again;
    }
    return TakeServerItem(job, {job.list, ToStd(read.value.href), ToStd(read.value.etag),
                                read.value.data.toStdString()});
}

TSyncRun::TSendOutcome TSyncRun::TakeServerItem(const TUploadJob& job,
                                                const TServerResource& resource) {
    TServerItem item{resource, {}};
    try {
        item.todo = ReadServerTodo(resource.text);
    } catch (const StoreError&) {
    }
    if (item.todo.uid != job.uid) {
        Error("The server holds something else than the task " + job.uid + " at " + resource.href +
              "; the task was not sent.");
        return TSendOutcome::Failed;
    }
    InTransaction(dm_, [&](TTableCursor&) { applier_->TakeServer(job.uid, item); });
    return TSendOutcome::Again;
}

TSyncRun::TSendOutcome TSyncRun::FindByUid(const TUploadJob& job) {
    // The list holds the UID under another name: that resource is the task's.
    const QUrl list = UrlOf(job.list);
    const TDavResult<QList<TResource>> listed = client_.ListEtags(list);
    if (!listed.Ok()) {
        Fail({}, listed.error);
        return TSendOutcome::Failed;
    }
    QStringList unknown;
    for (const TResource& resource : listed.value)
        if (!knownEtags_.contains(ToStd(resource.href)))
            unknown.append(resource.href);
    for (qsizetype first = 0; first < unknown.size(); first += FetchBatch) {
        const TDavResult<TMultiget> got = client_.Multiget(list, unknown.mid(first, FetchBatch));
        if (!got.Ok()) {
            Fail({}, got.error);
            return TSendOutcome::Failed;
        }
        for (const TResource& resource : got.value.found) {
            const std::string text = resource.data.toStdString();
            if (HoldsTodo(text) && TodoUid(text) == job.uid)
                return TakeServerItem(job,
                                      {job.list, ToStd(resource.href), ToStd(resource.etag), text});
        }
    }
    Error("The server refused the task " + job.uid +
          " as a copy of another to-do, which it does not show.");
    return TSendOutcome::Failed;
}
