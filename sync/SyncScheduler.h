// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/settings/ProgramFolders.h"
#include "store/sync/SyncAccount.h"
#include "store/sync/SyncState.h"
#include "sync/SyncRun.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

class QThread;
struct TSyncJob;

// When the background syncs come. Tests shorten them; the program keeps the defaults.
struct TSyncTimings {
    // From the start of the event loop to the first sync, so that the window is up first.
    int startupDelayMs = 3000;
    // From a local change to its sync; changes within it make one sync.
    int changeDelayMs = 5000;
    // How long a minute of the schedule lasts.
    int minuteMs = 60000;
    // How long the quit waits for a sync under way to stop at its next request.
    int stopWaitMs = 3000;
};

// Where the background syncs of one database stand, for the tray icon's hint and the sync
// window.
enum class TSyncPhase { NoAccount, Idle, Running };

// The background syncs of one database with its account: at start-up, on the account's
// schedule, shortly after a local change, and when asked. The password is fetched without
// waiting, and the sync itself runs on a worker thread with a data module of its own, so
// that the thread that made the scheduler (the window's) never waits for the network or for
// the writes of a large first sync. One sync at a time: what asks for one while a sync runs
// gets one more after it.
class TSyncScheduler : public QObject {
    Q_OBJECT

public:
    // The folders of the program's data module: the worker makes its own over them.
    explicit TSyncScheduler(TProgramFolders folders, TSyncTimings timings = {},
                            QObject* parent = nullptr);
    // Stops a sync under way at its next request and waits a moment for it; a sync stuck in
    // a request is left to end with the process, so the quit never hangs.
    ~TSyncScheduler() override;

    // An account is set up (also one whose settings cannot be read: its syncs fail and say
    // why).
    bool HasAccount() const { return account_.has_value() || !accountError_.isEmpty(); }
    TSyncPhase Phase() const;
    // The last sync that went through, as the database remembers it; invalid when none did.
    QDateTime LastSuccess() const { return lastSuccess_; }
    // Why the last sync failed; empty when it went through (or none ran yet).
    QString Problem() const { return problem_; }
    // Whether a sync under way or waiting was asked for.
    bool Busy() const { return running_ || again_; }

public slots:
    // Reads the account again: starts syncing a new one, follows a changed schedule, stops
    // for a removed one.
    void AccountChanged();
    // The first sync of the run, once the event loop goes.
    void Start();
    // Something here changed: a sync follows shortly when the account asks for it.
    void LocalChange();
    void SyncNow();
    // The password to use for this run only, instead of the stored one; empty forgets it.
    void SetPasswordForThisRun(const QString& password);
    // The user's answer to deletions held back: carried out, or the tasks given back.
    void ConfirmDeletions();
    void KeepDeleted();

signals:
    void SyncStarted();
    void SyncFinished(const TSyncResult& result);
    // A sync brought something in: the program reads the tasks and categories again.
    void TasksChanged();
    void DeletionsHeld(const std::vector<TSyncHeldRow>& held);
    // The account, the phase, the last success or the problem changed.
    void StateChanged();
    // Why the last sync failed, each time that changes; empty once a sync went through.
    void ProblemChanged(const QString& problem);

private:
    void Run(const TSyncRequest& answer);
    void RunWithPassword(const TSyncAccount& account, const QString& password,
                         const TSyncRequest& answer);
    void Finished(const TSyncResult& result, const QDateTime& lastSuccess);

    TProgramFolders folders_;
    std::string databasePath_;
    TSyncTimings timings_;
    std::optional<TSyncAccount> account_;
    QString accountError_;
    bool started_ = false;
    QString runPassword_;
    QTimer startTimer_;
    QTimer changeTimer_;
    QTimer scheduleTimer_;
    bool running_ = false;
    bool again_ = false;
    // The answer to held deletions waits for the sync that carries it.
    std::optional<TSyncRequest> answer_;
    QDateTime lastSuccess_;
    QString problem_;
    std::shared_ptr<TSyncJob> job_;
    QThread* worker_ = nullptr;
};

// The tray icon's hint: "Tolvek Organizer", or, while an account is set up and the last sync
// failed, "Tolvek Organizer — not synced since HH:MM (reason)", with "not synced yet" when no
// sync of the database ever went through.
QString SyncHint(const TSyncScheduler* scheduler);
