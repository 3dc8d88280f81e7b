// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/Unit1.h"
#include "reminders/ReminderCheck.h"
#include "store/DmUnit.h"
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
        QCOMPARE(boxes.front().contains("The newest backup is of 2026-12-01"), restorable);
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
        QCOMPARE(NewestBackup(Db().toStdString())->date, std::string("2026-12-01"));
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

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestDamagedStart test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DamagedStart.moc"
