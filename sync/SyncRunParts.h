// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sync of one database as RunSync drives it; shared by its two source files, not for other
// code.

#include "store/sync/SyncApply.h"
#include "store/sync/SyncPlan.h"
#include "sync/BlockingCalDav.h"
#include "sync/SyncRun.h"

#include <map>
#include <memory>
#include <set>
#include <string>

class TSyncRun {
public:
    TSyncRun(TDM& dm, const TSyncAccount& account, const TDavOptions& options,
             const TSyncRequest& request);
    TSyncResult Run();

private:
    // SyncRun.cpp: the lists and their changes.
    void ReadCollections();
    void MapLists();
    void ReadKnown();
    void FindChanges(const std::string& list);
    void FetchChanged(TListFindings& findings, const QStringList& hrefs);
    void Merge();
    void Finish();

    // SyncUploads.cpp: what goes to the server.
    enum class TSendOutcome {
        // The server took it: answer holds the resource's href, ETag and text.
        Sent,
        // The task is to be tried again: its server version was merged in, or the server lost
        // it.
        Again,
        Failed,
    };
    void Upload();
    // Deletes the resources that moves left behind.
    void RemoveGone();
    TSendOutcome Send(const TUploadJob& job, TResource& answer);
    TSendOutcome Settle(const QUrl& url, const TResource& resource, const QByteArray& text,
                        TResource& answer);
    // Merges the server's version at url, or the resource, into the task.
    TSendOutcome TakeServerVersion(const TUploadJob& job, const QUrl& url);
    TSendOutcome TakeServerItem(const TUploadJob& job, const TServerResource& resource);
    // The list holds the task's UID under another name: that resource is merged in.
    TSendOutcome FindByUid(const TUploadJob& job);

    // What went wrong with a list or a request; a fault of the connection or the account
    // stops every list.
    void Fail(const std::string& list, const TDavError& error);
    void Error(const std::string& message);
    bool Stopped();
    QUrl UrlOf(const std::string& href) const;

    TDM& dm_;
    const TSyncAccount& account_;
    const TSyncRequest& request_;
    TBlockingCalDav client_;
    QUrl base_;
    std::time_t now_;
    TSyncResult result_;
    bool fatal_ = false;

    std::map<std::string, TSyncListRow> lists_;
    std::map<std::string, TCollection> collections_;
    std::set<std::string> failed_;
    std::map<std::string, int32_t> categoryOfList_;
    std::vector<TListFindings> findings_;
    std::map<std::string, std::string> newTokens_;
    std::set<std::string> unfinished_;
    // The ETags the state knows, by href.
    // The state as the sync found it.
    std::vector<TSyncTaskRow> state_;
    std::map<std::string, std::string> knownEtags_;
    std::map<std::string, std::vector<std::string>> knownInList_;
    // By list, the hrefs sent after the list's token was read.
    std::map<std::string, std::vector<std::string>> sentAfterToken_;
    int64_t generation_ = 0;
    // The resources a move left behind, as read with the state, and their hrefs.
    std::vector<TSyncGoneRow> goneRows_;
    std::set<std::string> gone_;
    // The lists this sync changed on the server, and whether the last request changed one.
    std::set<std::string> sentTo_;
    bool changedServer_ = false;
    std::unique_ptr<TSyncApplier> applier_;
};

// Resources fetched in one calendar-multiget.
inline constexpr qsizetype FetchBatch = 100;

// The text of a Qt string, and back.
inline std::string ToStd(const QString& text) {
    return text.toStdString();
}
inline QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}
