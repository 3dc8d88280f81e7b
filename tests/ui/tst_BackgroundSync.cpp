// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "store/DmUnit.h"
#include "store/sync/SyncAccount.h"
#include "tasklist/Unit2.h"
#include "tests/sync/CalDavTestServer.h"
#include "tests/sync/RadicaleFiles.h"
#include "tests/ui/ProgramRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"
#include "uikit/MessageBox.h"

#include <QtTest>
#include <memory>

// The organizer syncing in the background with Radicale on loopback, python3-caldav being the
// other device: what the windows change goes up, what the device changes comes into the list,
// a server that is gone never opens a box, and held deletions ask once.

class TestBackgroundSync : public QObject {
    Q_OBJECT

    std::unique_ptr<TCalDavTestServer> server_;
    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    TProgramRig form_;
    std::string list_;
    int lists_ = 0;
    int finished_ = 0;

    // Syncs the category Work with a new list named Work, the password from a command.
    void SetUpAccount(const std::string& list = {}) {
        list_ = list;
        if (list_.empty()) {
            const std::string id = "window-" + std::to_string(++lists_);
            server_->Device({"mkcol", "Work", "--id", id});
            list_ = "/" + server_->User() + "/" + id + "/";
        }
        TSyncAccount account;
        account.server = server_->Url();
        account.user = server_->User();
        account.lists = {list_};
        account.scheduleMinutes = 0;
        account.passwordCommand = "printf %s '" + server_->Password() + "'";
        WriteSyncAccount(SyncSettingsPath(), dm_->DatabasePath(), account);
    }
    void Start(bool backgroundSync = true) {
        TStartOptions start;
        start.backgroundSync = backgroundSync;
        start.syncTimings.startupDelayMs = 0;
        start.syncTimings.changeDelayMs = 50;
        form_ = TProgramRig(*dm_, start);
        if (TSyncScheduler* sync = form_->Sync())
            connect(sync, &TSyncScheduler::SyncFinished, this, [this] { ++finished_; });
        form_->ShowAtStartup();
    }
    TSyncScheduler& Sync() { return *form_->Sync(); }
    TFormSync& SyncWindow() { return form_.Windows().SyncWindow(); }
    // Waits until that many syncs finished: false when it took too long, or more did.
    bool WaitForSyncs(int finished) {
        return QTest::qWaitFor([&] { return finished_ >= finished; }, 120000) &&
               finished_ == finished;
    }
    QString OnServer() const {
        return QString::fromStdString(server_->Device({"list", list_}).out);
    }
    // Adds a task through the task editor, as a user does, in the category the list shows.
    void AddInEditor(const QString& name) {
        TForm17& editor = form_.Windows().TaskEditor();
        QTimer::singleShot(0, &editor, [&editor, name] {
            Edit1(editor)->setText(name);
            QTest::mouseClick(BitBtn1(editor), Qt::LeftButton);
        });
        form_->Form2->BitBtn1Click();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const TMyRec2& task : form_->Form2->ShownTasks)
            names.push_back(task.strName);
        return names;
    }
    bool Shows(const std::string& name) const {
        const std::vector<std::string> names = Names();
        return std::find(names.begin(), names.end(), name) != names.end();
    }
    int32_t FocusedId() const {
        const QModelIndex current = VDT(*form_->Form2)->currentIndex();
        return current.isValid() ? form_->Form2->ShownTasks[current.row()].id : -1;
    }
    // Nothing but the main window is on the screen: no box, no balloon window.
    static bool OnlyTheMainWindowShows(const QWidget* main) {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window != main && window->isVisible())
                return false;
        return !QApplication::activeModalWidget();
    }

private slots:
    void initTestCase() {
        server_ = std::make_unique<TCalDavTestServer>("radicale");
        if (!server_->Ready())
            QSKIP(server_->SkipReason().c_str());
    }
    void init() {
        home_ = std::make_unique<TTestHome>();
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        DM = dm_.get();
        finished_ = 0;
        ClearShownMessageBoxes();
    }
    void cleanup() {
        VerifyCleanEnd();
        form_.reset();
        DM = nullptr;
        dm_.reset();
        home_.reset();
    }
    void cleanupTestCase() { server_.reset(); }

    void aTaskAddedHereGoesUpAndADevicesToDoComesInOnSyncNow() {
        SetUpAccount();
        Start();
        QVERIFY(WaitForSyncs(1));
        CategoryItems(*form_)[1]->trigger();
        QCOMPARE(form_->ShownCategory, 2);

        AddInEditor("Buy stamps");
        QVERIFY(WaitForSyncs(2));
        QVERIFY(OnServer().contains("SUMMARY:Buy stamps"));

        server_->Device({"add", list_, "--summary", "Milk from the phone"});
        const int32_t focused = FocusedId();
        QCOMPARE(form_->Form2->ShownTasks.back().id, focused);
        QCOMPARE(VisibleTexts(TrayMenu(*form_)),
                 (QStringList{"Show Organizer", "Sync Now", "-", "Exit"}));
        SyncNow1(*form_)->trigger();
        QVERIFY(WaitForSyncs(3));
        QTRY_VERIFY(Shows("Milk from the phone"));
        QCOMPARE(form_->ShownCategory, 2);
        QVERIFY(CategoryItems(*form_)[1]->isChecked());
        QCOMPARE(FocusedId(), focused);

        // The done mark, set in the list, goes up the same way.
        const std::vector<std::string> names = Names();
        const auto milk = std::find(names.begin(), names.end(), "Milk from the phone");
        form_->Form2->VDTChecked(static_cast<int>(milk - names.begin()), true);
        QVERIFY(WaitForSyncs(4));
        QVERIFY(OnServer().contains("STATUS:COMPLETED"));
        QCOMPARE(ShownMessageBoxes(), QStringList());
    }

    void anAccountSetUpInTheSyncWindowSyncsBothWaysWithoutARestart() {
        // A category of its own, so that no list of the other cases has its name.
        const QString work = QString("Work %1").arg(++lists_);
        Exec(QString::fromStdString(dm_->DatabasePath()),
             "UPDATE t_category SET strName = '" + work + "' WHERE id = 2");
        Start();
        QVERIFY(!SyncNow1(*form_)->isVisible());
        WhenModalOpens([&](QWidget&) {
            TFormSync& window = SyncWindow();
            QTest::keyClicks(EditServer(window), QString::fromStdString(server_->Url()));
            QTest::keyClicks(EditUser(window), QString::fromStdString(server_->User()));
            QTest::keyClicks(EditCommand(window),
                             QString::fromStdString("printf %s '" + server_->Password() + "'"));
            QTest::mouseClick(BitBtnTest(window), Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(BitBtnTest(window)->isEnabled(), 30000);
            const QList<QTreeWidgetItem*> rows =
                ListLists(window)->findItems(work, Qt::MatchExactly, 0);
            QCOMPARE(rows.size(), 1);
            // The lists of the other cases stay out of it.
            for (int row = 0; row < ListLists(window)->topLevelItemCount(); ++row)
                ListLists(window)->topLevelItem(row)->setCheckState(0, Qt::Unchecked);
            rows.front()->setCheckState(0, Qt::Checked);
            QTest::mouseClick(BitBtn1(window), Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 30000);
        });
        Sync1(*form_)->trigger();
        const std::optional<TSyncAccount> account =
            ReadSyncAccount(SyncSettingsPath(), dm_->DatabasePath());
        QVERIFY(account && account->lists.size() == 1);
        list_ = account->lists.front();
        QVERIFY(WaitForSyncs(1));
        QVERIFY(SyncNow1(*form_)->isVisible());

        CategoryItems(*form_)[1]->trigger();
        AddInEditor("Set up in the window");
        QVERIFY(WaitForSyncs(2));
        QVERIFY(OnServer().contains("SUMMARY:Set up in the window"));
        server_->Device({"add", list_, "--summary", "Bread from the phone"});
        SyncNow1(*form_)->trigger();
        QVERIFY(WaitForSyncs(3));
        QTRY_VERIFY(Shows("Bread from the phone"));
        QCOMPARE(ShownMessageBoxes(), QStringList());
    }

    void aServerThatIsGoneOpensNoBoxAndTheHintSaysSinceWhen() {
        SetUpAccount();
        Start();
        QVERIFY(WaitForSyncs(1));
        QCOMPARE(TrayIcon1(*form_)->toolTip(), QString("Tolvek Organizer"));
        const QDateTime synced = Sync().LastSuccess();
        QVERIFY(synced.isValid());

        QVERIFY(server_->Stop());
        CategoryItems(*form_)[1]->trigger();
        AddInEditor("Written on the train");
        QVERIFY(WaitForSyncs(2));
        QVERIFY(OnlyTheMainWindowShows(form_.get()));
        QCOMPARE(ShownMessageBoxes(), QStringList());
        const QString hint = TrayIcon1(*form_)->toolTip();
        QVERIFY2(hint.startsWith("Tolvek Organizer \u2014 not synced since " +
                                 synced.toString("HH:mm") + " ("),
                 qPrintable(hint));
        QVERIFY(!Sync().Problem().isEmpty());
        QString reason = Sync().Problem().section('\n', 0, 0).trimmed();
        if (reason.endsWith('.'))
            reason.chop(1);
        QVERIFY2(hint.endsWith(" (" + reason + ")"), qPrintable(hint));
        // The next background sync fails as quietly.
        SyncNow1(*form_)->trigger();
        QVERIFY(WaitForSyncs(3));
        QVERIFY(OnlyTheMainWindowShows(form_.get()));

        QVERIFY(server_->Start());
        SyncNow1(*form_)->trigger();
        QVERIFY(WaitForSyncs(4));
        QCOMPARE(TrayIcon1(*form_)->toolTip(), QString("Tolvek Organizer"));
        QVERIFY(OnServer().contains("SUMMARY:Written on the train"));
        QCOMPARE(ShownMessageBoxes(), QStringList());
    }

    void aFirstSyncOfAThousandToDosFillsTheList() {
        const std::string list = WriteRadicaleTodos(*server_, "thousand", "Work", 1000);
        QVERIFY(!list.empty());
        SetUpAccount(list);
        Start();
        QVERIFY(WaitForSyncs(1));
        QTRY_COMPARE(form_->Form2->ShownTasks.size(), size_t(1000));
        QVERIFY(Shows("To-do 999"));
        QCOMPARE(form_->MenuCategories[1].strName, std::string("Work"));
        QCOMPARE(ShownMessageBoxes(), QStringList());
    }

    void heldDeletionsAskOnceAndTheAnswerIsCarriedOut_data() {
        QTest::addColumn<bool>("remove");
        QTest::newRow("keep them") << false;
        QTest::newRow("delete them") << true;
    }
    void heldDeletionsAskOnceAndTheAnswerIsCarriedOut() {
        QFETCH(bool, remove);
        SetUpAccount();
        Start();
        QVERIFY(WaitForSyncs(1));
        CategoryItems(*form_)[1]->trigger();
        for (int n = 0; n < 12; ++n)
            AddInEditor(QString("Task %1").arg(n));
        QTRY_VERIFY_WITH_TIMEOUT(finished_ >= 2 && !Sync().Busy(), 60000);
        QCOMPARE(OnServer().count("BEGIN:VTODO"), 12);
        const int before = finished_;

        // The phone deletes more than half of the list at once.
        for (int n = 0; n < 7; ++n) {
            const std::string uid =
                Scalar(home_->DatabasePath(),
                       QString("SELECT strUid FROM t_uid u JOIN t_task t ON t.id = u.idTask "
                               "WHERE t.strName = 'Task %1'")
                           .arg(n))
                    .toString()
                    .toStdString();
            QCOMPARE(server_->Device({"delete", list_, uid}).status, 0);
        }
        // Two syncs find them while a menu is open: one box, once the menu is closed.
        QMenu* menu = cpm(*form_);
        menu->popup(form_->mapToGlobal(QPoint(14, 43)));
        QTRY_VERIFY(QApplication::activePopupWidget());
        SyncNow1(*form_)->trigger();
        SyncNow1(*form_)->trigger();
        QVERIFY(WaitForSyncs(before + 2));
        QCOMPARE(ShownMessageBoxes(), QStringList());
        QueueMessageBoxAnswer(remove ? QMessageBox::Yes : QMessageBox::No);
        menu->close();
        QVERIFY(WaitForSyncs(before + 3));
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY2(ShownMessageBoxes().front().startsWith(
                     "Confirm: The last sync would delete 7 tasks:\n\nTask "),
                 qPrintable(ShownMessageBoxes().front()));
        QVERIFY(ShownMessageBoxes().front().contains("(deleted on the server)"));
        const int left = remove ? 5 : 12;
        QTRY_COMPARE(form_->Form2->ShownTasks.size(), size_t(left));
        QCOMPARE(RowCount(home_->DatabasePath(), "t_task"), left);
        QCOMPARE(OnServer().count("BEGIN:VTODO"), left);
        QTest::qWait(300);
        QCOMPARE(ShownMessageBoxes().size(), 1);
    }

    void theTrayMenuHasSyncNowOnlyWithAnAccount() {
        Start();
        QCOMPARE(VisibleTexts(TrayMenu(*form_)), (QStringList{"Show Organizer", "-", "Exit"}));
        QCOMPARE(TrayIcon1(*form_)->toolTip(), QString("Tolvek Organizer"));
        // Without an account the menu is drawn as it always was.
        QMenu plain;
        QAction* show = plain.addAction("Show Organizer");
        QFont bold = show->font();
        bold.setBold(true);
        show->setFont(bold);
        plain.addSeparator();
        plain.addAction("Exit");
        QMenu* tray = TrayMenu(*form_);
        tray->ensurePolished();
        plain.ensurePolished();
        QCOMPARE(tray->sizeHint(), plain.sizeHint());
        tray->resize(tray->sizeHint());
        plain.resize(plain.sizeHint());
        QCOMPARE(tray->grab().toImage(), plain.grab().toImage());
        QCOMPARE(finished_, 0);

        SetUpAccount();
        Sync().AccountChanged();
        QCOMPARE(VisibleTexts(TrayMenu(*form_)),
                 (QStringList{"Show Organizer", "Sync Now", "-", "Exit"}));
        QVERIFY(!SyncNow1(*form_)->font().bold());
        QVERIFY(WaitForSyncs(1));
    }

    void windowsMadeWithoutBackgroundSyncNeverSync() {
        SetUpAccount();
        Start(false);
        QVERIFY(!form_->Sync());
        QCOMPARE(VisibleTexts(TrayMenu(*form_)), (QStringList{"Show Organizer", "-", "Exit"}));
        QCOMPARE(VisibleTexts(cpm(*form_)).back().remove('&'), QString("Sync..."));
        bool opened = false;
        WhenModalOpens([&](QWidget& window) { opened = &window == &SyncWindow(); });
        Sync1(*form_)->trigger();
        QVERIFY(opened);
        QCOMPARE(finished_, 0);
    }

    void theSyncWindowOpensFromTheMenuAndAsksTheSchedulerForSyncs() {
        SetUpAccount();
        Start();
        QVERIFY(WaitForSyncs(1));
        WhenModalOpens([&](QWidget&) {
            QVERIFY(BitBtnSyncNow(SyncWindow())->isEnabled());
            QTest::mouseClick(BitBtnSyncNow(SyncWindow()), Qt::LeftButton);
            QVERIFY(QTest::qWaitFor([&] { return finished_ == 2; }, 120000));
            QVERIFY(LabelLastSync(SyncWindow())->text().contains("0 held"));
        });
        Sync1(*form_)->trigger();
        QCOMPARE(finished_, 2);

        // A failure while the window is open shows in it, without a box.
        QVERIFY(server_->Stop());
        WhenModalOpens([&](QWidget&) {
            QTest::mouseClick(BitBtnSyncNow(SyncWindow()), Qt::LeftButton);
            QVERIFY(QTest::qWaitFor([&] { return finished_ == 3; }, 120000));
            QVERIFY(LabelProblem(SyncWindow())->text().startsWith("Not in sync: "));
        });
        Sync1(*form_)->trigger();
        QVERIFY(server_->Start());
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestBackgroundSync test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_BackgroundSync.moc"
