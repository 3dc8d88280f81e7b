// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/Unit1.h"
#include "reminders/ReminderCheck.h"
#include "store/DmUnit.h"
#include "store/dates/dateUnit.h"
#include "store/db/Backup.h"
#include "tasklist/Unit2.h"
#include "tests/ui/ProgramRig.h"
#include "tests/ui/TestSupport.h"
#include "uikit/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <memory>

namespace {

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

// The program started on a database file that another program or a disk has damaged.
class TestDamagedStart : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    TProgramRig main_;

    QString Db() const { return home_->DatabasePath(); }
    QStringList DamagedFiles() const {
        return QDir(home_->Path() + "/db").entryList({"data.db.damaged-*"}, QDir::Files);
    }
    // What each kind of damage does to a good file.
    void Damage(const QString& kind) {
        if (kind == "truncated") {
            Exec(Db(), "INSERT INTO t_note (idTask, strNote) SELECT id, hex(randomblob(3000)) "
                       "FROM t_task");
            WriteBytes(Db(), Bytes(Db()).left(3 * 4096 + 100));
        } else if (kind == "text") {
            WriteBytes(Db(), "Shopping list\nmilk\nbread\n");
        } else if (kind == "missing table") {
            Exec(Db(), "DROP TABLE t_note");
        } else if (kind == "missing column") {
            Exec(Db(), "ALTER TABLE t_category DROP COLUMN intImg");
        } else if (kind == "unreadable value") {
            Exec(Db(), "UPDATE t_task SET intDone = 'yes' WHERE id = 2");
        }
    }
    TForm1& Start() {
        main_ = TProgramRig(*dm_, TStartOptions{true, true});
        return *main_;
    }

private slots:
    void init() {
        SetNowSource([] { return EncodeDateTime({{2026, 12, 9}, 10, 0, 0}); });
        home_ = std::make_unique<TTestHome>();
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        DM = dm_.get();
        InsertTasks(Db(), {{.id = 1, .name = "kept in the backup"}, {.id = 2, .name = "two"}});
        TakeDailyBackup(Db().toStdString(), "2026-12-01");
        InsertTasks(Db(), {{.id = 3, .name = "after the backup"}});
        ClearShownMessageBoxes();
    }
    void cleanup() {
        VerifyCleanEnd();
        main_.reset();
        DM = nullptr;
        dm_.reset();
        home_.reset();
        SetNowSource(nullptr);
    }

    void everyDamageIsReportedAndTouchesNothing_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("restorable");
        QTest::newRow("truncated") << "truncated" << true;
        QTest::newRow("text") << "text" << true;
        QTest::newRow("missing table") << "missing table" << true;
        QTest::newRow("missing column") << "missing column" << true;
        QTest::newRow("unreadable value") << "unreadable value" << false;
    }
    void everyDamageIsReportedAndTouchesNothing() {
        QFETCH(QString, kind);
        QFETCH(bool, restorable);
        Damage(kind);
        const QByteArray damaged = Bytes(Db());
        QueueMessageBoxAnswer(QMessageBox::Ok);
        if (restorable)
            QueueMessageBoxAnswer(QMessageBox::No);
        TForm1& main = Start();
        QTest::qWait(0);

        const QStringList boxes = ShownMessageBoxes();
        QVERIFY(!boxes.isEmpty());
        QVERIFY(boxes.front().startsWith("Error: "));
        QCOMPARE(boxes.front().contains("passes its integrity check is of 2026-12-01"), restorable);
        if (restorable)
            QCOMPARE(boxes.value(1), QString("Confirm: Restore the backup of 2026-12-01?"));
        else
            QCOMPARE(boxes.size(), 1);
        QVERIFY(main.Form2->AllTasks.empty());
        QCOMPARE(Bytes(Db()), damaged);
        QVERIFY(DamagedFiles().isEmpty());
        // Nothing is built on the file the list could not show, and no copy pushes out the good
        // one.
        main.MakeTodaysBackup();
        QCOMPARE(Backups(Db().toStdString(), "2026-12-09").size(), size_t(1));
        ClearShownMessageBoxes();
    }

    void yesPutsTheBackupInPlaceAndKeepsTheDamagedFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("text") << "text";
        QTest::newRow("missing table") << "missing table";
    }
    void yesPutsTheBackupInPlaceAndKeepsTheDamagedFile() {
        QFETCH(QString, kind);
        Damage(kind);
        const QByteArray damaged = Bytes(Db());
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QueueMessageBoxAnswer(QMessageBox::Yes);
        TForm1& main = Start();
        QCOMPARE(ShownMessageBoxes().size(), 2);
        QCOMPARE(Ids(main.Form2->AllTasks), (std::vector<int>{1, 2}));
        QCOMPARE(main.Form2->ShownTasks.size(), size_t(2));
        QCOMPARE(main.Reminders->Timer3->isActive(), true);
        QCOMPARE(DamagedFiles().size(), 1);
        QCOMPARE(Bytes(home_->Path() + "/db/" + DamagedFiles().front()), damaged);
        QCOMPARE(main.MenuCategories.size(), size_t(3));
        ClearShownMessageBoxes();
    }

    void withoutABackupOnlyTheErrorIsShown() {
        QDir(home_->Path() + "/db/backup").removeRecursively();
        Damage("text");
        QueueMessageBoxAnswer(QMessageBox::Ok);
        Start();
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY(!ShownMessageBoxes().front().contains("backup"));
        QCOMPARE(Bytes(Db()), QByteArray("Shopping list\nmilk\nbread\n"));
        ClearShownMessageBoxes();
    }
};

// The backups as the running program takes them, and the way back when the file is found
// damaged, when a restore was cut short, or when the file is gone.
class TestBackupRecovery : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    TProgramRig main_;

    QString Db() const { return home_->DatabasePath(); }
    std::string DbPath() const { return Db().toStdString(); }
    QString Copy(const QString& date) const {
        return home_->Path() + "/db/backup/data-" + date + ".db";
    }
    TForm1& Start() {
        main_ = TProgramRig(*dm_, TStartOptions{true, true});
        return *main_;
    }
    // Takes the daily copy as the program does after its start, and waits for its outcome.
    static void TakeBackup(TForm1& main) {
        QSignalSpy done(&main, &TForm1::DailyBackupFinished);
        main.MakeTodaysBackup();
        QVERIFY(done.wait(10000));
    }
    static void DamageAnIndex(const QString& db) {
        // An index that no longer agrees with its table: the list still loads.
        Exec(db, "PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = 'CREATE INDEX "
                 "t_task_intCategory ON t_task (intPriority)' WHERE name = "
                 "'t_task_intCategory'");
    }

private slots:
    void init() {
        SetNowSource([] { return EncodeDateTime({{2026, 12, 9}, 10, 0, 0}); });
        home_ = std::make_unique<TTestHome>();
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        DM = dm_.get();
        ClearShownMessageBoxes();
    }
    void cleanup() {
        VerifyCleanEnd();
        main_.reset();
        DM = nullptr;
        dm_.reset();
        home_.reset();
        ClearShownMessageBoxes();
        SetNowSource(nullptr);
    }

    void aCopyFromAWrongClockIsNeverOfferedFirst() {
        InsertTasks(Db(), {{.id = 1, .name = "one"}});
        TakeDailyBackup(DbPath(), "2099-01-01");
        InsertTasks(Db(), {{.id = 2, .name = "two"}, {.id = 3, .name = "three"}});
        TakeDailyBackup(DbPath(), "2026-12-08");
        WriteBytes(Db(), "damaged");
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QueueMessageBoxAnswer(QMessageBox::Yes);
        TForm1& main = Start();
        QCOMPARE(ShownMessageBoxes().value(1),
                 QString("Confirm: Restore the backup of 2026-12-08?"));
        QCOMPARE(Ids(main.Form2->AllTasks), (std::vector<int>{1, 2, 3}));
        QVERIFY(QFile::exists(Copy("2099-01-01")));
    }

    void aDatabaseThatFailsTheCheckIsNotCopiedAndTheUserIsToldOnce() {
        InsertTasks(Db(), {{.id = 1, .name = "in the backup", .category = 2}});
        TakeDailyBackup(DbPath(), "2026-12-08");
        InsertTasks(Db(), {{.id = 2, .name = "after it", .category = 3}});
        DamageAnIndex(Db());
        TForm1& main = Start();
        QCOMPARE(main.Form2->AllTasks.size(), size_t(2));
        QVERIFY(ShownMessageBoxes().isEmpty());

        QueueMessageBoxAnswer(QMessageBox::Ok);
        QueueMessageBoxAnswer(QMessageBox::No);
        TakeBackup(main);
        QTRY_COMPARE(ShownMessageBoxes().size(), 2);
        QVERIFY(ShownMessageBoxes()[0].contains("not copied into the backups"));
        QVERIFY(ShownMessageBoxes()[0].contains("passes its integrity check is of 2026-12-08"));
        QVERIFY(!QFile::exists(Copy("2026-12-09")));
        // Told once a run.
        TakeBackup(main);
        QTest::qWait(300);
        QCOMPARE(ShownMessageBoxes().size(), 2);

        // Yes, at the next start, brings the sound copy back and the list shows it.
        main_.reset();
        ClearShownMessageBoxes();
        TForm1& next = Start();
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QueueMessageBoxAnswer(QMessageBox::Yes);
        TakeBackup(next);
        QTRY_COMPARE(Ids(next.Form2->AllTasks), (std::vector<int>{1}));
        QVERIFY(!IntegrityProblem(DbPath()));
    }

    void theNewestSoundCopyIsOfferedOrNoneSaidPlainly() {
        InsertTasks(Db(), {{.id = 1, .name = "one"}});
        TakeDailyBackup(DbPath(), "2026-12-07");
        InsertTasks(Db(), {{.id = 2, .name = "two"}});
        TakeDailyBackup(DbPath(), "2026-12-08");
        const QByteArray newest = Bytes(Copy("2026-12-08"));
        WriteBytes(Copy("2026-12-08"), newest.left(newest.size() / 2) + QByteArray(500, 'x'));
        WriteBytes(Db(), "damaged");
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QueueMessageBoxAnswer(QMessageBox::Yes);
        TForm1& main = Start();
        QVERIFY(ShownMessageBoxes()[0].contains("passes its integrity check is of 2026-12-07"));
        QCOMPARE(Ids(main.Form2->AllTasks), (std::vector<int>{1}));

        main_.reset();
        ClearShownMessageBoxes();
        WriteBytes(Copy("2026-12-07"), "no database");
        WriteBytes(Db(), "damaged again");
        QueueMessageBoxAnswer(QMessageBox::Ok);
        Start();
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY(
            ShownMessageBoxes()[0].contains("passes its integrity check: none can be restored"));
    }

    void aRestoreCutShortIsFinishedAndSaidSo() {
        InsertTasks(Db(), {{.id = 1, .name = "kept"}});
        TakeDailyBackup(DbPath(), "2026-12-08");
        QFile::copy(Copy("2026-12-08"), Db() + ".restoring");
        QFile::rename(Db(), Db() + ".damaged-20261209-095900");
        QueueMessageBoxAnswer(QMessageBox::Ok);
        TForm1& main = Start();
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY(ShownMessageBoxes()[0].contains("cut short; it is finished now"));
        QVERIFY(ShownMessageBoxes()[0].contains(".damaged-20261209-095900"));
        QCOMPARE(Ids(main.Form2->AllTasks), (std::vector<int>{1}));
    }

    void aGoneDatabaseIsOfferedBackOrStartedAnewKeepingEveryFile_data() {
        QTest::addColumn<bool>("restore");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void aGoneDatabaseIsOfferedBackOrStartedAnewKeepingEveryFile() {
        QFETCH(bool, restore);
        InsertTasks(Db(), {{.id = 1, .name = "kept"}});
        TakeDailyBackup(DbPath(), "2026-12-08");
        QFile::remove(Db());
        QueueMessageBoxAnswer(restore ? QMessageBox::Yes : QMessageBox::No);
        TForm1& main = Start();
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY(ShownMessageBoxes()[0].contains("Restore the backup of 2026-12-08?"));
        QCOMPARE(main.Form2->AllTasks.size(), size_t(restore ? 1 : 0));
        QVERIFY(QFile::exists(Copy("2026-12-08")));
        QCOMPARE(main.MenuCategories.size(), size_t(3));
    }

    void theReminderCheckStartsAtTheFirstLoadThatSucceeds() {
        InsertTasks(Db(), {{.id = 1, .name = "due", .reminder = 1, .datetimeReminder = 1.0}});
        Exec(Db(), "UPDATE t_task SET intDone = 'yes' WHERE id = 1");
        QueueMessageBoxAnswer(QMessageBox::Ok);
        TForm1& main = Start();
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY(!main.Reminders->Timer3->isActive());
        Exec(Db(), "UPDATE t_task SET intDone = 0 WHERE id = 1");
        main.ReloadTaskList();
        QVERIFY(main.Reminders->Timer3->isActive());
        QCOMPARE(main.Reminders->ReminderPos, -1);
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderTaskId, 1);
        QVERIFY(main.Reminders->Timer4->isActive());
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestDamagedStart test;
    TestBackupRecovery recovery;
    return QTest::qExec(&test, argc, argv) | QTest::qExec(&recovery, argc, argv);
}

#include "tst_DamagedStart.moc"
