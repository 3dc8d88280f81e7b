// SPDX-License-Identifier: GPL-3.0-or-later
// The sync window against Radicale on loopback, with python3-caldav as the other device: an
// account set up by typing, testing and checking lists; the server's refusal in a person's
// words; a conflict of the log taken back on both sides; the account removed, the tasks kept.

#include "store/DmUnit.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskWrite.h"
#include "store/sync/SyncAccount.h"
#include "sync/SyncRun.h"
#include "sync/SyncSetup.h"
#include "tests/sync/CalDavTestServer.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"
#include "uikit/MessageBox.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <unistd.h>

namespace {

// No test reaches the user's own secret store: with no session bus, none answers, and the
// window offers the password command or a password for this run only.
const bool NoSessionBus =
    (qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tolvek-test-bus"), true);

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QTreeWidgetItem* Row(const TFormSync& form, const QString& name) {
    QTreeWidget* list = ListLists(form);
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        if (list->topLevelItem(row)->text(0) == name)
            return list->topLevelItem(row);
    QTest::qFail(qPrintable("no row " + name), __FILE__, __LINE__);
    return nullptr;
}

} // namespace

class TestSyncWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TCalDavTestServer> server_;
    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<TFormSync> form_;
    int names_ = 0;

    // A name no other test of the server has.
    QString Unique(const QString& name) {
        return QString("%1 %2-%3").arg(name).arg(::getpid() % 10000).arg(++names_);
    }
    // Makes a list on the server; its path, as the account keeps it.
    std::string MakeList(const QString& name) {
        const QString id = name.toLower().replace(' ', '-');
        const TProgramOutput made =
            server_->Device({"mkcol", name.toStdString(), "--id", id.toStdString()});
        if (made.status != 0)
            qWarning("%s", made.err.c_str());
        return QUrl(Q(made.out).trimmed()).path().toStdString();
    }
    // The server's calendars by name: their paths.
    QMap<QString, QString> ServerLists() {
        QMap<QString, QString> lists;
        const TProgramOutput run = server_->Device({"collections"});
        for (const QJsonValue& value :
             QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).array())
            lists[value["name"].toString()] = value["path"].toString();
        return lists;
    }
    QString ServerText(const std::string& list, const std::string& uid) {
        return Q(server_->Device({"show", list, uid}).out);
    }
    std::optional<TSyncAccount> Account() {
        return ReadSyncAccount(SyncSettingsPath(), dm_->DatabasePath());
    }
    TSyncAccount AccountFor(const std::vector<std::string>& lists) const {
        TSyncAccount account;
        account.server = server_->Url();
        account.user = server_->User();
        account.lists = lists;
        return account;
    }
    TSyncResult Sync(const TSyncAccount& account) {
        return RunSync(*dm_, account, AccountOptions(account, Q(server_->Password())), {});
    }
    TMyRec2 TaskNamed(const std::string& name) {
        for (const TMyRec2& task : ReadAllTasks(*dm_))
            if (task.strName == name)
                return task;
        QTest::qFail(("no task " + name).c_str(), __FILE__, __LINE__);
        return {};
    }

    void ShowForm() {
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    void TypeAccount(const QString& password) {
        QTest::keyClicks(EditServer(*form_), Q(server_->Url()));
        QTest::keyClicks(EditUser(*form_), Q(server_->User()));
        QTest::keyClicks(EditPassword(*form_), password);
    }
    // With SYNC_WINDOW_SHOTS naming a folder, the window as it is now goes there as NAME.png, to
    // be looked at.
    void Shot(const QString& name) {
        if (qEnvironmentVariableIsSet("SYNC_WINDOW_SHOTS"))
            form_->grab().save(qEnvironmentVariable("SYNC_WINDOW_SHOTS") + "/" + name + ".png");
    }
    // Waits for the answer of the test that runs.
    void WaitForTest() { QTRY_VERIFY_WITH_TIMEOUT(BitBtnTest(*form_)->isEnabled(), 30000); }

private slots:
    void initTestCase() {
        QVERIFY(NoSessionBus);
        server_ = std::make_unique<TCalDavTestServer>("radicale");
        if (!server_->Ready())
            QSKIP(server_->SkipReason().c_str());
    }
    void cleanupTestCase() { server_.reset(); }

    void init() {
        home_ = std::make_unique<TTestHome>();
        for (const char* name : {"XDG_RUNTIME_DIR", "XDG_DATA_HOME"}) {
            const QString folder = home_->Path() + "/" + name;
            QDir().mkpath(folder);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv(name, folder.toUtf8());
        }
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        DM = dm_.get();
        ClearShownMessageBoxes();
        form_ = std::make_unique<TFormSync>(*dm_);
    }
    void cleanup() {
        form_.reset();
        VerifyCleanEnd();
        DM = nullptr;
        dm_.reset();
        home_.reset();
    }

    void anAccountIsSetUpByTypingTestingAndCheckingLists() {
        // A list of a category's name, another new here, and a category here with no list.
        MakeList("SHOPPING");
        const QString errands = Unique("Errands");
        MakeList(errands);
        const QString garden = Unique("Garden");
        std::vector<TMyRec1> categories = LoadCategories(*dm_);
        AddCategory(*dm_, categories, garden.toStdString(), 4);
        ShowForm();
        QCOMPARE(ComboBoxSchedule(*form_)->currentText(), QString("Every 15 minutes"));
        QVERIFY(CheckBoxAfterChange(*form_)->isChecked());
        QVERIFY(LabelPasswordNote(*form_)->text().startsWith("Kept in the desktop's secret store"));
        QCOMPARE(LabelLastSync(*form_)->text(), QString("No sync account is set up."));

        TypeAccount(Q(server_->Password()));
        QTest::mouseClick(BitBtnTest(*form_), Qt::LeftButton);
        // The window waits for no answer.
        QVERIFY(!BitBtnTest(*form_)->isEnabled());
        QCOMPARE(ListLists(*form_)->topLevelItemCount(), 0);
        QVERIFY(LabelTest(*form_)->text().startsWith("Looking for the task lists at"));
        WaitForTest();
        QVERIFY2(LabelTest(*form_)->text().startsWith("The account works"),
                 qPrintable(LabelTest(*form_)->text()));

        QCOMPARE(Row(*form_, "SHOPPING")->text(1), QString("Shopping"));
        QCOMPARE(Row(*form_, "SHOPPING")->checkState(0), Qt::Checked);
        QCOMPARE(Row(*form_, errands)->text(1), QString("new category"));
        QCOMPARE(Row(*form_, garden)->text(1),
                 QString("only here: check it to make a list of it there"));
        QCOMPARE(Row(*form_, garden)->checkState(0), Qt::Unchecked);
        Shot("lists");

        // Errands and Garden: the category beside each follows the boxes.
        QTreeWidget* list = ListLists(*form_);
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            list->topLevelItem(row)->setCheckState(0, Qt::Unchecked);
        // Space checks the current row, as in every list.
        list->setFocus();
        list->setCurrentItem(Row(*form_, errands));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(Row(*form_, errands)->checkState(0), Qt::Checked);
        Row(*form_, garden)->setCheckState(0, Qt::Checked);
        QCOMPARE(Row(*form_, "SHOPPING")->text(1), QString("not synced"));
        QCOMPARE(Row(*form_, garden)->text(1), garden + ", a new list on the server");
        ComboBoxSchedule(*form_)->setCurrentIndex(ComboBoxSchedule(*form_)->findData(30));
        CheckBoxAfterChange(*form_)->setChecked(false);

        // No secret store answers here: the window says so and stays open.
        QTest::mouseClick(BitBtn1(*form_), Qt::LeftButton);
        QTRY_VERIFY(CheckBoxThisRun(*form_)->isVisible());
        QVERIFY(LabelPasswordNote(*form_)->text().startsWith("No secret store answers"));
        QVERIFY(form_->isVisible());
        QVERIFY(!Account());

        QSignalSpy changed(form_.get(), &TFormSync::AccountChanged);
        QSignalSpy thisRun(form_.get(), &TFormSync::PasswordForThisRun);
        QTest::mouseClick(CheckBoxThisRun(*form_), Qt::LeftButton);
        QTest::mouseClick(BitBtn1(*form_), Qt::LeftButton);
        QTRY_VERIFY(!form_->isVisible());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(thisRun.count(), 1);
        QCOMPARE(thisRun.first().first().toString(), Q(server_->Password()));

        const QMap<QString, QString> onServer = ServerLists();
        QVERIFY2(onServer.contains(garden), "the list of the category was made on the server");
        std::optional<TSyncAccount> account = Account();
        QVERIFY(account);
        QCOMPARE(Q(account->server), Q(server_->Url()));
        QCOMPARE(Q(account->user), Q(server_->User()));
        QCOMPARE(account->scheduleMinutes, 30);
        QVERIFY(!account->syncAfterChange);
        QVERIFY(account->passwordCommand.empty());
        QStringList lists;
        for (const std::string& href : account->lists)
            lists << Q(href);
        lists.sort();
        QStringList expected{onServer[errands], onServer[garden]};
        expected.sort();
        QCOMPARE(lists, expected);

        // Shown again: the password from a command instead, tried by "Test".
        const QString file = home_->Path() + "/password";
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::fromStdString(server_->Password()) + "\n");
        out.close();
        ShowForm();
        QCOMPARE(EditServer(*form_)->text(), Q(server_->Url()));
        QCOMPARE(ComboBoxSchedule(*form_)->currentText(), QString("Every 30 minutes"));
        QVERIFY(EditPassword(*form_)->text().isEmpty());
        QTest::keyClicks(EditCommand(*form_), "cat '" + file + "'");
        QTest::mouseClick(BitBtnTest(*form_), Qt::LeftButton);
        WaitForTest();
        QVERIFY2(LabelTest(*form_)->text().startsWith("The account works"),
                 qPrintable(LabelTest(*form_)->text()));
        QCOMPARE(Row(*form_, garden)->checkState(0), Qt::Checked);
        QCOMPARE(Row(*form_, "SHOPPING")->checkState(0), Qt::Unchecked);
        QTest::mouseClick(BitBtn1(*form_), Qt::LeftButton);
        QTRY_VERIFY(!form_->isVisible());
        account = Account();
        QVERIFY(account);
        QCOMPARE(Q(account->passwordCommand), "cat '" + file + "'");
        QCOMPARE(account->lists.size(), size_t(2));
    }

    void theServersRefusalIsSaidInAPersonsWords() {
        ShowForm();
        TypeAccount("not the password");
        // Enter is OK, which tries a new account first and keeps nothing it refused.
        QTest::keyClick(EditPassword(*form_), Qt::Key_Return);
        WaitForTest();
        QCOMPARE(LabelTest(*form_)->text(),
                 QString("Wrong password: the server did not accept this user name and password."));
        QVERIFY(form_->isVisible());
        QVERIFY(!Account());

        EditServer(*form_)->setText("http://127.0.0.1:9/");
        QTest::mouseClick(BitBtnTest(*form_), Qt::LeftButton);
        WaitForTest();
        QVERIFY2(LabelTest(*form_)->text().startsWith("No network: "),
                 qPrintable(LabelTest(*form_)->text()));
        QCOMPARE(ListLists(*form_)->topLevelItemCount(), 0);

        // Esc closes the window and keeps nothing.
        QTest::keyClick(EditServer(*form_), Qt::Key_Escape);
        QVERIFY(!form_->isVisible());
        QVERIFY(!Account());
    }

    void aConflictOfTheLogIsTakenBackOnBothSides() {
        const QString name = Unique("Fence");
        const std::string list = MakeList(name);
        const std::string uid = "fence-" + std::to_string(::getpid());
        server_->Device({"add", list, "--summary", "Paint the fence", "--uid", uid});
        const TSyncAccount account = AccountFor({list});
        WriteSyncAccount(SyncSettingsPath(), dm_->DatabasePath(), account);
        QVERIFY(Sync(account).errors.empty());

        // Both sides rename the task; the server's edit is the older one and loses.
        TMyRec2 task = TaskNamed("Paint the fence");
        TTaskEdit edit = TaskEditOf(task);
        edit.strName = "Paint the fence here";
        UpdateTask(*dm_, task.id, edit);
        server_->Device({"edit", list, uid, "--set", "SUMMARY:Paint the fence there", "--set",
                         "LAST-MODIFIED:20200101T000000Z"});
        const TSyncResult merged = Sync(account);
        QVERIFY(merged.errors.empty());
        QCOMPARE(merged.counts.conflicts, 1);

        ShowForm();
        QVERIFY2(LabelLastSync(*form_)->text().startsWith("Last sync: "),
                 qPrintable(LabelLastSync(*form_)->text()));
        QVERIFY(LabelLastSync(*form_)->text().contains("1 conflicts"));
        QTreeWidget* log = ListLog(*form_);
        QCOMPARE(log->topLevelItemCount(), 1);
        QTreeWidgetItem* entry = log->topLevelItem(0);
        QCOMPARE(QStringList({entry->text(1), entry->text(2), entry->text(3), entry->text(4)}),
                 QStringList({"Paint the fence here", "name", "Paint the fence here",
                              "Paint the fence there"}));
        QVERIFY(!BitBtnUse(*form_)->isEnabled());
        log->setCurrentItem(entry);
        QVERIFY(BitBtnUse(*form_)->isEnabled());
        Shot("log");

        QSignalSpy asked(form_.get(), &TFormSync::SyncRequested);
        QSignalSpy changed(form_.get(), &TFormSync::TasksChanged);
        QTest::mouseClick(BitBtnUse(*form_), Qt::LeftButton);
        QCOMPARE(asked.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(Q(TaskNamed("Paint the fence there").strName), QString("Paint the fence there"));
        QCOMPARE(LabelWaiting(*form_)->text(), QString("Changes waiting to be sent: 1"));

        const TSyncResult restored = Sync(account);
        QVERIFY(restored.errors.empty());
        QCOMPARE(restored.counts.up, 1);
        QVERIFY(ServerText(list, uid).contains("SUMMARY:Paint the fence there\r\n"));
        form_->Refresh();
        QCOMPARE(LabelWaiting(*form_)->text(), QString("Changes waiting to be sent: 0"));

        // A failed background sync shows with its reason until one goes through.
        form_->SetSyncProblem("127.0.0.1 cannot be reached.");
        QCOMPARE(LabelProblem(*form_)->text(),
                 QString("Not in sync: 127.0.0.1 cannot be reached."));
        form_->Refresh();
        QCOMPARE(LabelProblem(*form_)->text(),
                 QString("Not in sync: 127.0.0.1 cannot be reached."));
        form_->SetSyncProblem(QString());
        QVERIFY(LabelProblem(*form_)->text().isEmpty());
        form_->close();
    }

    void removingTheAccountKeepsTheTasks() {
        const std::string list = MakeList(Unique("Kept"));
        const TSyncAccount account = AccountFor({list});
        WriteSyncAccount(SyncSettingsPath(), dm_->DatabasePath(), account);
        TTaskEdit task = NewTaskEdit();
        task.strName = "Stays";
        InsertTask(*dm_, task);
        const size_t tasks = ReadAllTasks(*dm_).size();
        ShowForm();
        QVERIFY(BitBtnRemove(*form_)->isEnabled());
        QSignalSpy asked(form_.get(), &TFormSync::SyncRequested);
        QTest::mouseClick(BitBtnSyncNow(*form_), Qt::LeftButton);
        QCOMPARE(asked.count(), 1);
        QSignalSpy changed(form_.get(), &TFormSync::AccountChanged);
        QueueMessageBoxAnswer(QMessageBox::No);
        QTest::mouseClick(BitBtnRemove(*form_), Qt::LeftButton);
        QVERIFY(Account());
        QueueMessageBoxAnswer(QMessageBox::Yes);
        QTest::mouseClick(BitBtnRemove(*form_), Qt::LeftButton);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!Account());
        QCOMPARE(ReadAllTasks(*dm_).size(), tasks);
        QVERIFY(EditServer(*form_)->text().isEmpty());
        QVERIFY(!BitBtnRemove(*form_)->isEnabled());
        QVERIFY(!BitBtnSyncNow(*form_)->isEnabled());
        // The password the store would hold goes too; without a store there is none to forget.
        QTest::qWait(50);
        QCOMPARE(ShownMessageBoxes().size(), 2);
        form_->close();
    }
};

QTEST_MAIN(TestSyncWindow)
#include "tst_SyncWindow.moc"
