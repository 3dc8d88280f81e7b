// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/Unit1.h"
#include "tasklist/Unit2.h"
#include "tests/ui/TaskEditorRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"

#include <QMimeData>
#include <QTreeView>
#include <QUrl>

namespace {

const char* const TwoTodos = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
                             "BEGIN:VTODO\r\nUID:a@test\r\nSUMMARY:Buy stamps\r\n"
                             "CATEGORIES:Errands\r\nEND:VTODO\r\n"
                             "BEGIN:VTODO\r\nUID:b@test\r\nSUMMARY:Call the bank\r\n"
                             "CATEGORIES:Work\r\nPRIORITY:1\r\nEND:VTODO\r\n"
                             "END:VCALENDAR\r\n";

} // namespace

// An iCalendar file dropped on the task list.
class TestTaskListDrop : public QObject {
    Q_OBJECT

    std::unique_ptr<TEditorRig> rig_;
    TForm2* list_ = nullptr;

    QString File(const QString& name, const QByteArray& bytes) const {
        const QString path = rig_->home.Path() + "/" + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    // Drags the files over the list and drops them; whether the list took the drag.
    bool Drop(const QStringList& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files)
            urls << QUrl::fromLocalFile(file);
        data.setUrls(urls);
        QWidget* target = VDT(*list_)->viewport();
        const QPoint at(40, 40);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }

private slots:
    void init() {
        rig_ = std::make_unique<TEditorRig>();
        InsertTasks(rig_->Db(), {{.id = 1, .name = "one"}});
        list_ = rig_->main->Form2;
        list_->LoadTasks(0);
        rig_->main->show();
    }
    void cleanup() {
        VerifyCleanEnd();
        rig_.reset();
    }

    void aDroppedFileIsImportedAfterTheQuestion() {
        QueueMessageBoxAnswer(QMessageBox::Yes);
        QVERIFY(Drop({File("tasks.ics", TwoTodos)}));
        QCOMPARE(ShownMessageBoxes(), QStringList{"Confirm: Import 2 tasks from tasks.ics?"});
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{1, 2, 3}));
        QCOMPARE(list_->ShownTasks[1].strName, std::string("Buy stamps"));
        QCOMPARE(list_->ShownTasks[1].strCategory, std::string("Errands"));
        QCOMPARE(list_->ShownTasks[2].strCategory, std::string("Work"));
        QCOMPARE(list_->ShownTasks[2].intPriority, 0);
        // The new category is in the filter menu at once.
        QCOMPARE(rig_->main->MenuCategories.size(), size_t(4));
        QCOMPARE(rig_->main->MenuCategories.back().strName, std::string("Errands"));
    }

    void noImportsNothing() {
        QueueMessageBoxAnswer(QMessageBox::No);
        QVERIFY(Drop({File("tasks.ics", TwoTodos)}));
        QCOMPARE(RowCount(rig_->Db(), "t_task"), 1);
        QCOMPARE(list_->ShownTasks.size(), size_t(1));
    }

    void otherFilesAreNotTaken() {
        QVERIFY(!Drop({File("tasks.txt", TwoTodos)}));
        QCOMPARE(RowCount(rig_->Db(), "t_task"), 1);
    }

    void aFileThatIsNotICalendarSaysWhyAndImportsNothing() {
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QVERIFY(Drop({File("broken.ics", QByteArray(TwoTodos).left(120))}));
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY(ShownMessageBoxes().front().startsWith("Error: "));
        QCOMPARE(RowCount(rig_->Db(), "t_task"), 1);
    }

    void aBrokenFileAfterAGoodOneLeavesTheGoodOneShown() {
        QueueMessageBoxAnswer(QMessageBox::Yes);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QVERIFY(Drop({File("tasks.ics", TwoTodos), File("broken.ics", "not a calendar")}));
        QCOMPARE(ShownMessageBoxes().size(), 2);
        QVERIFY(ShownMessageBoxes().back().startsWith("Error: "));
        QCOMPARE(RowCount(rig_->Db(), "t_task"), 3);
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{1, 2, 3}));
        QCOMPARE(rig_->main->MenuCategories.size(), size_t(4));
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestTaskListDrop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TaskListDrop.moc"
