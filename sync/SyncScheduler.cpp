// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/SyncScheduler.h"

#include "store/db/StoreError.h"
#include "sync/Credentials.h"
#include "sync/SyncSetup.h"

#include <QThread>
#include <atomic>

// What the worker thread hands back. The thread writes it; the window's thread reads it once
// the thread finished. The scheduler may be gone by then (a quit that did not wait).
struct TSyncJob {
    std::atomic<bool> stop = false;
    TSyncResult result;
    QDateTime lastSuccess;
};

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

TSyncResult Failure(const QString& reason) {
    TSyncResult result;
    result.errors.push_back(reason.toStdString());
    return result;
}

QDateTime ReadLastSuccess(TDM& dm) {
    try {
        const std::string seconds = ReadSyncValue(dm, LastSuccessKey);
        if (!seconds.empty())
            return QDateTime::fromSecsSinceEpoch(std::stoll(seconds));
    } catch (const std::exception&) {
        // A value that cannot be read only leaves the hint without a time.
    }
    return {};
}

} // namespace

TSyncScheduler::TSyncScheduler(TProgramFolders folders, TSyncTimings timings, QObject* parent)
    : QObject(parent), folders_(std::move(folders)), databasePath_(TDM(folders_).DatabasePath()),
      timings_(timings) {
    startTimer_.setSingleShot(true);
    changeTimer_.setSingleShot(true);
    connect(&startTimer_, &QTimer::timeout, this, &TSyncScheduler::SyncNow);
    connect(&changeTimer_, &QTimer::timeout, this, &TSyncScheduler::SyncNow);
    connect(&scheduleTimer_, &QTimer::timeout, this, &TSyncScheduler::SyncNow);
    AccountChanged();
}

TSyncScheduler::~TSyncScheduler() {
    if (!worker_)
        return;
    job_->stop = true;
    disconnect(worker_, nullptr, this, nullptr);
    if (worker_->wait(timings_.stopWaitMs)) {
        delete worker_;
        return;
    }
    // Stuck in a request that has not timed out: the thread ends with the process, and
    // cleans up after itself should the program live on.
    connect(worker_, &QThread::finished, worker_, &QObject::deleteLater);
}

TSyncPhase TSyncScheduler::Phase() const {
    if (!HasAccount())
        return TSyncPhase::NoAccount;
    return running_ ? TSyncPhase::Running : TSyncPhase::Idle;
}

void TSyncScheduler::AccountChanged() {
    accountError_.clear();
    try {
        account_ = ReadSyncAccount(SyncSettingsPath(), databasePath_);
    } catch (const StoreError& error) {
        account_.reset();
        accountError_ = Q(error.what());
    }
    const int minutes = account_ ? account_->scheduleMinutes : 0;
    if (minutes > 0)
        scheduleTimer_.start(minutes * timings_.minuteMs);
    else
        scheduleTimer_.stop();
    if (!account_ || !account_->syncAfterChange)
        changeTimer_.stop();
    if (!HasAccount()) {
        again_ = false;
        answer_.reset();
        if (job_)
            job_->stop = true;
        if (!problem_.isEmpty()) {
            problem_.clear();
            emit ProblemChanged(problem_);
        }
    }
    emit StateChanged();
    if (started_ && HasAccount())
        SyncNow();
}

void TSyncScheduler::Start() {
    started_ = true;
    startTimer_.start(timings_.startupDelayMs);
}

void TSyncScheduler::LocalChange() {
    if (account_ && account_->syncAfterChange)
        changeTimer_.start(timings_.changeDelayMs);
}

void TSyncScheduler::SyncNow() {
    Run({});
}

void TSyncScheduler::SetPasswordForThisRun(const QString& password) {
    runPassword_ = password;
}

void TSyncScheduler::ConfirmDeletions() {
    TSyncRequest answer;
    answer.confirmDeletions = true;
    Run(answer);
}

void TSyncScheduler::KeepDeleted() {
    TSyncRequest answer;
    answer.keepDeleted = true;
    Run(answer);
}

void TSyncScheduler::Run(const TSyncRequest& answer) {
    if (!HasAccount())
        return;
    if (answer.confirmDeletions || answer.keepDeleted)
        answer_ = answer;
    if (running_) {
        again_ = true;
        return;
    }
    const TSyncRequest request = answer_.value_or(answer);
    answer_.reset();
    running_ = true;
    again_ = false;
    startTimer_.stop();
    changeTimer_.stop();
    emit SyncStarted();
    emit StateChanged();
    if (!account_) {
        // Reported from the event loop, as a sync that ran would be.
        QTimer::singleShot(0, this, [this] { Finished(Failure(accountError_), lastSuccess_); });
        return;
    }
    const TSyncAccount account = *account_;
    if (!runPassword_.isEmpty()) {
        RunWithPassword(account, runPassword_, request);
        return;
    }
    auto done = [this, account, request](const TPasswordResult& got) {
        if (got.Ok())
            RunWithPassword(account, got.password, request);
        else
            Finished(Failure(got.message), lastSuccess_);
    };
    ReadAccountPassword(account, this, done);
}

void TSyncScheduler::RunWithPassword(const TSyncAccount& account, const QString& password,
                                     const TSyncRequest& answer) {
    const TDavOptions options = AccountOptions(account, password);
    job_ = std::make_shared<TSyncJob>();
    worker_ = QThread::create([job = job_, folders = folders_, account, options, answer] {
        TDM dm(folders);
        TSyncRequest request = answer;
        request.stop = &job->stop;
        job->result = RunSync(dm, account, options, request);
        job->lastSuccess = ReadLastSuccess(dm);
    });
    worker_->setObjectName("Sync");
    connect(worker_, &QThread::finished, this, [this] {
        worker_->wait();
        delete worker_;
        worker_ = nullptr;
        Finished(job_->result, job_->lastSuccess);
    });
    worker_->start(QThread::LowPriority);
}

void TSyncScheduler::Finished(const TSyncResult& result, const QDateTime& lastSuccess) {
    running_ = false;
    if (lastSuccess.isValid())
        lastSuccess_ = lastSuccess;
    const QString problem = result.errors.empty() ? QString() : Q(result.errors.front());
    const bool problemChanged = problem != problem_;
    problem_ = problem;
    emit SyncFinished(result);
    if (result.counts.changedHere)
        emit TasksChanged();
    if (!result.held.empty())
        emit DeletionsHeld(result.held);
    if (problemChanged)
        emit ProblemChanged(problem_);
    emit StateChanged();
    if (again_ || answer_)
        Run({});
}

QString SyncHint(const TSyncScheduler* scheduler) {
    const QString name = "Tolvek Organizer";
    if (!scheduler || !scheduler->HasAccount() || scheduler->Problem().isEmpty())
        return name;
    const QDateTime since = scheduler->LastSuccess();
    const QString when =
        since.isValid() ? "not synced since " + since.toString("HH:mm") : QString("not synced yet");
    // A hint is one line, and the reason a part of its sentence.
    QString reason = scheduler->Problem().section('\n', 0, 0).trimmed();
    if (reason.endsWith('.'))
        reason.chop(1);
    return name + " \u2014 " + when + " (" + reason + ")";
}
