// SPDX-License-Identifier: GPL-3.0-or-later
// The sync run as the organizer runs it: on a worker thread with a data module of its own,
// while the window's thread goes on with its events and writes tasks itself; and stopped on
// the way, to go on at the next sync.
#include "store/db/TableAccess.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskWrite.h"
#include "sync/SyncRun.h"
#include "tests/sync/CalDavTestServer.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

class TSyncInBackgroundTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TCalDavTestServer> server_;
    QTemporaryDir folder_;
    int lists_ = 0;

    static std::string Errors(const TSyncResult& result) {
        std::string errors;
        for (const std::string& error : result.errors)
            errors += error + "\n";
        return errors;
    }
    TDavOptions Options() const {
        TDavOptions options;
        options.user = QString::fromStdString(server_->User());
        options.password = QString::fromStdString(server_->Password());
        return options;
    }
    // A database of its own with that many tasks in Work, and an account that syncs Work with
    // a new list.
    TSyncAccount Prepare(const QString& name, int tasks) {
        TDM dm(folder_.filePath(name).toStdString());
        dm.DataModuleCreate();
        InTransaction(dm, [&](TTableCursor&) {
            for (int n = 0; n < tasks; ++n) {
                TTaskEdit task = NewTaskEdit();
                task.strName = "Task " + std::to_string(n);
                task.intCategory = 2;
                AppendTaskRows(dm, task, 0);
            }
        });
        const std::string id = "background-" + std::to_string(++lists_);
        const TProgramOutput made = server_->Device({"mkcol", "Work", "--id", id});
        if (made.status != 0)
            qWarning("%s", made.err.c_str());
        TSyncAccount account;
        account.server = server_->Url();
        account.user = server_->User();
        account.lists = {QUrl(QString::fromStdString(made.out).trimmed()).path().toStdString()};
        return account;
    }
    // Runs the sync on a thread of its own, with a data module of that thread's, while this
    // thread's event loop runs; work runs here once the sync is on its way.
    TSyncResult InBackground(const QString& name, const TSyncAccount& account,
                             const TSyncRequest& request, int* ticks,
                             const std::function<void()>& work = {}) {
        TSyncResult result;
        const std::string folder = folder_.filePath(name).toStdString();
        QThread* thread = QThread::create([&, folder] {
            TDM dm(folder);
            result = RunSync(dm, account, Options(), request);
        });
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ++*ticks; });
        tick.start(5);
        if (work)
            QTimer::singleShot(50, work);
        QEventLoop loop;
        QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
        thread->start();
        loop.exec();
        thread->wait();
        delete thread;
        return result;
    }

private slots:
    void initTestCase() {
        server_ = std::make_unique<TCalDavTestServer>("radicale");
        if (!server_->Ready())
            QSKIP(server_->SkipReason().c_str());
        QVERIFY(folder_.isValid());
    }
    void cleanupTestCase() { server_.reset(); }

    void aSyncOnAWorkerThreadLeavesTheWindowsThreadFreeToWrite() {
        const TSyncAccount account = Prepare("worker", 150);
        int ticks = 0;
        // The window's own data module writes a task while the sync runs.
        TDM window(folder_.filePath("worker").toStdString());
        const TSyncResult first = InBackground("worker", account, {}, &ticks, [&] {
            TMyRec2 task = ReadAllTasks(window).front();
            TTaskEdit edit = TaskEditOf(task);
            edit.strName = "Renamed in the window during the sync";
            UpdateTask(window, task.id, edit);
        });
        QVERIFY2(first.errors.empty(), Errors(first).c_str());
        QCOMPARE(first.counts.up, 150);
        QVERIFY(ticks > 0);
        // Whatever the sync had sent of it, the rename goes up with the next one.
        const TSyncResult second = InBackground("worker", account, {}, &ticks);
        QVERIFY2(second.errors.empty(), Errors(second).c_str());
        const TProgramOutput listed = server_->Device({"list", account.lists.front()});
        QVERIFY(
            QString::fromStdString(listed.out).contains("Renamed in the window during the sync"));
        const TSyncResult third = InBackground("worker", account, {}, &ticks);
        QCOMPARE(third.Summary(), std::string("0 up, 0 down, 0 conflicts, 0 deleted, 0 held"));
    }

    void aStoppedSyncStopsAtItsNextRequestAndTheNextOneGoesOn() {
        const TSyncAccount account = Prepare("stopped", 150);
        std::atomic<bool> stop = false;
        TSyncRequest request;
        request.stop = &stop;
        int ticks = 0;
        const TSyncResult stopped =
            InBackground("stopped", account, request, &ticks, [&] { stop = true; });
        QCOMPARE(stopped.ExitCode(), 1);
        QVERIFY(stopped.counts.up < 150);
        QVERIFY(QString::fromStdString(Errors(stopped)).contains("stopped"));
        const TSyncResult next = InBackground("stopped", account, {}, &ticks);
        QVERIFY2(next.errors.empty(), Errors(next).c_str());
        QCOMPARE(next.counts.up + stopped.counts.up, 150);
    }
};

QTEST_GUILESS_MAIN(TSyncInBackgroundTest)
#include "tst_SyncInBackground.moc"
