// SPDX-License-Identifier: GPL-3.0-or-later
// The background syncs of the organizer against Radicale on loopback: when they come, that
// they never overlap, what they tell, and that the quit never waits for the network.
#include "store/db/TableAccess.h"
#include "store/records/TaskWrite.h"
#include "store/sync/SyncAccount.h"
#include "sync/SyncScheduler.h"
#include "tests/sync/CalDavTestServer.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TSyncSchedulerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TCalDavTestServer> server_;
    std::unique_ptr<QTemporaryDir> folder_;
    int lists_ = 0;

    TProgramFolders Folders() const { return {folder_->path().toStdString(), {}}; }
    std::string DatabasePath() const { return TDM(Folders()).DatabasePath(); }

    // A database with that many tasks in Work, and its account syncing Work with a new list,
    // the password coming from a command.
    TSyncAccount Prepare(int tasks, int scheduleMinutes = 0) {
        TDM dm(Folders());
        dm.DataModuleCreate();
        InTransaction(dm, [&](TTableCursor&) {
            for (int n = 0; n < tasks; ++n) {
                TTaskEdit task = NewTaskEdit();
                task.strName = "Task " + std::to_string(n);
                task.intCategory = 2;
                AppendTaskRows(dm, task, 0);
            }
        });
        const std::string id = "scheduled-" + std::to_string(++lists_);
        server_->Device({"mkcol", "Work", "--id", id});
        TSyncAccount account;
        account.server = server_->Url();
        account.user = server_->User();
        account.lists = {"/" + server_->User() + "/" + id + "/"};
        account.scheduleMinutes = scheduleMinutes;
        account.passwordCommand = "printf %s '" + server_->Password() + "'";
        WriteSyncAccount(SyncSettingsPath(), DatabasePath(), account);
        return account;
    }
    static TSyncTimings Quick() {
        TSyncTimings timings;
        timings.startupDelayMs = 0;
        timings.changeDelayMs = 50;
        timings.minuteMs = 20;
        timings.stopWaitMs = 2000;
        return timings;
    }
    // Counts the syncs that started and ended, and keeps the last result.
    struct TCounts {
        int started = 0;
        int finished = 0;
        TSyncResult last;
    };
    static void Count(TSyncScheduler& scheduler, TCounts& counts) {
        QObject::connect(&scheduler, &TSyncScheduler::SyncStarted, [&] { ++counts.started; });
        QObject::connect(&scheduler, &TSyncScheduler::SyncFinished, [&](const TSyncResult& result) {
            ++counts.finished;
            counts.last = result;
        });
    }

private slots:
    void initTestCase() {
        server_ = std::make_unique<TCalDavTestServer>("radicale");
        if (!server_->Ready())
            QSKIP(server_->SkipReason().c_str());
    }
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
        qputenv("XDG_CONFIG_HOME", folder_->filePath("config").toUtf8());
    }
    void cleanupTestCase() { server_.reset(); }

    void changesCloseTogetherMakeOneSyncAndChangesDuringItOneMore() {
        Prepare(200);
        TSyncScheduler scheduler(Folders(), Quick());
        TCounts counts;
        Count(scheduler, counts);
        // Asked for again and again while the first sync runs: one more, after it.
        connect(&scheduler, &TSyncScheduler::SyncStarted, this, [&] {
            if (counts.started == 1)
                for (int n = 0; n < 5; ++n) {
                    scheduler.LocalChange();
                    scheduler.SyncNow();
                }
        });
        for (int n = 0; n < 5; ++n)
            scheduler.LocalChange();
        QCOMPARE(counts.started, 0);
        QTRY_COMPARE_WITH_TIMEOUT(counts.finished, 2, 60000);
        QVERIFY(counts.last.errors.empty());
        QCOMPARE(counts.last.Summary(),
                 std::string("0 up, 0 down, 0 conflicts, 0 deleted, 0 held"));
        QTest::qWait(300);
        QCOMPARE(counts.started, 2);
        QVERIFY(!scheduler.Busy());
    }

    void withoutSyncAfterChangeAChangeWaitsForTheNextSync() {
        TSyncAccount account = Prepare(1);
        account.syncAfterChange = false;
        WriteSyncAccount(SyncSettingsPath(), DatabasePath(), account);
        TSyncScheduler scheduler(Folders(), Quick());
        TCounts counts;
        Count(scheduler, counts);
        scheduler.LocalChange();
        QTest::qWait(300);
        QCOMPARE(counts.started, 0);
    }

    void theScheduleComesBackUntilTheAccountIsRemoved() {
        Prepare(1, 5);
        TSyncScheduler scheduler(Folders(), Quick());
        TCounts counts;
        Count(scheduler, counts);
        QCOMPARE(scheduler.Phase(), TSyncPhase::Idle);
        // Five minutes of 20 ms each.
        QTRY_VERIFY_WITH_TIMEOUT(counts.finished >= 2, 30000);
        QVERIFY(counts.last.errors.empty());
        RemoveSyncAccount(SyncSettingsPath(), DatabasePath());
        scheduler.AccountChanged();
        QTRY_VERIFY(!scheduler.Busy());
        const int finished = counts.finished;
        QTest::qWait(400);
        QCOMPARE(counts.finished, finished);
        QCOMPARE(scheduler.Phase(), TSyncPhase::NoAccount);
        QCOMPARE(SyncHint(&scheduler), QString("Tolvek Organizer"));
        scheduler.SyncNow();
        QVERIFY(!scheduler.Busy());
    }

    void aStartedSchedulerSyncsANewAccountAtOnce() {
        TSyncScheduler scheduler(Folders(), Quick());
        TCounts counts;
        Count(scheduler, counts);
        scheduler.Start();
        QTest::qWait(100);
        QCOMPARE(counts.started, 0);
        QCOMPARE(scheduler.Phase(), TSyncPhase::NoAccount);
        Prepare(3);
        scheduler.AccountChanged();
        QTRY_COMPARE_WITH_TIMEOUT(counts.finished, 1, 30000);
        QCOMPARE(counts.last.counts.up, 3);
    }

    void aPasswordThatCannotBeHadIsTheProblemUntilOneForThisRunIsGiven() {
        TSyncAccount account = Prepare(2);
        account.passwordCommand = "echo 'no keyring here' >&2; exit 3";
        WriteSyncAccount(SyncSettingsPath(), DatabasePath(), account);
        TSyncScheduler scheduler(Folders(), Quick());
        TCounts counts;
        Count(scheduler, counts);
        QStringList problems;
        connect(&scheduler, &TSyncScheduler::ProblemChanged, this,
                [&](const QString& problem) { problems << problem; });
        scheduler.SyncNow();
        QTRY_COMPARE_WITH_TIMEOUT(counts.finished, 1, 30000);
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.front().contains("no keyring here"), qPrintable(problems.front()));
        QString reason = problems.front();
        if (reason.endsWith('.'))
            reason.chop(1);
        QCOMPARE(SyncHint(&scheduler), "Tolvek Organizer \u2014 not synced yet (" + reason + ")");

        scheduler.SetPasswordForThisRun(QString::fromStdString(server_->Password()));
        scheduler.SyncNow();
        QTRY_COMPARE_WITH_TIMEOUT(counts.finished, 2, 30000);
        QVERIFY(counts.last.errors.empty());
        QCOMPARE(counts.last.counts.up, 2);
        QCOMPARE(problems.last(), QString());
        QCOMPARE(SyncHint(&scheduler), QString("Tolvek Organizer"));
        QVERIFY(scheduler.LastSuccess().isValid());
        QVERIFY(qAbs(scheduler.LastSuccess().secsTo(QDateTime::currentDateTime())) < 60);

        // A wrong password: the hint keeps the time of the last sync that went through.
        scheduler.SetPasswordForThisRun("wrong");
        scheduler.SyncNow();
        QTRY_COMPARE_WITH_TIMEOUT(counts.finished, 3, 30000);
        QVERIFY(!counts.last.errors.empty());
        QVERIFY2(SyncHint(&scheduler)
                     .startsWith("Tolvek Organizer \u2014 not synced since " +
                                 scheduler.LastSuccess().toString("HH:mm") + " ("),
                 qPrintable(SyncHint(&scheduler)));
    }

    void theQuitStopsASyncUnderWayWithoutWaitingForIt() {
        Prepare(400);
        auto scheduler = std::make_unique<TSyncScheduler>(Folders(), Quick());
        TCounts counts;
        Count(*scheduler, counts);
        scheduler->SyncNow();
        QTRY_VERIFY_WITH_TIMEOUT(scheduler->Phase() == TSyncPhase::Running, 10000);
        QTest::qWait(300);
        QElapsedTimer quit;
        quit.start();
        scheduler.reset();
        QVERIFY2(quit.elapsed() < 2500, qPrintable(QString::number(quit.elapsed())));
        QCOMPARE(counts.finished, 0);

        // The next run goes on from where the stopped sync left.
        TSyncScheduler next(Folders(), Quick());
        Count(next, counts);
        next.SyncNow();
        QTRY_COMPARE_WITH_TIMEOUT(counts.finished, 1, 60000);
        QVERIFY(counts.last.errors.empty());
        QVERIFY(counts.last.counts.up < 400);
    }
};

QTEST_GUILESS_MAIN(TSyncSchedulerTest)
#include "tst_SyncScheduler.moc"
