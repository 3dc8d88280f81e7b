// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/DmUnit.h"
#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/varUnit.h"
#include "tasklist/BitBtn.h"
#include "tasklist/TaskListModel.h"
#include "tasklist/Unit2.h"
#include "tests/ui/TaskListRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"

#include <QFile>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

// Seven tasks of mixed priority, done mark and due date, all in "Personal".
std::vector<TTaskRow> MixedTasks() {
    const double march = EncodeDate(2007, 3, 1) - 1;
    return {
        {.id = 1, .name = "banana", .due = 1, .dateDue = march + 20},
        {.id = 2, .name = "Apple", .priority = 0, .done = 1},
        {.id = 3, .name = "apple", .priority = 0, .due = 1, .dateDue = march + 10},
        {.id = 4, .name = "cherry"},
        {.id = 5, .name = "Date", .done = 1, .due = 1, .dateDue = march + 1},
        {.id = 6, .name = "elder", .priority = 0},
        {.id = 7, .name = "fig", .due = 1, .dateDue = march + 15},
    };
}

} // namespace

class TestTaskList : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<TTaskListRig> rig_;
    TForm2* form_ = nullptr;

    void MakeList() {
        form_ = nullptr;
        rig_ = std::make_unique<TTaskListRig>(*dm_);
        form_ = &rig_->List();
    }

    // A task list window over a fresh database holding the rows, created as the main
    // window creates it, and shown.
    TForm2& Open(const std::vector<TTaskRow>& rows) {
        InsertTasks(home_->DatabasePath(), rows);
        MakeList();
        form_->FormCreate([] {});
        form_->show();
        return *form_;
    }

    TTaskListModel& Rows() { return *qobject_cast<TTaskListModel*>(VDT(*form_)->model()); }
    int CurrentRow() const { return VDT(*form_)->currentIndex().row(); }
    QList<int> SelectedRows() const {
        QList<int> rows;
        for (const QModelIndex& index : VDT(*form_)->selectionModel()->selectedRows())
            rows.append(index.row());
        return rows;
    }

    // Clicks a column header where the user would, whatever place the column has.
    void ClickHeader(int column) {
        QHeaderView* header = VDT(*form_)->header();
        const QPoint middle(header->sectionViewportPosition(column) +
                                header->sectionSize(column) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
    }

    Qt::Alignment CaptionAlignment(int column) {
        return Qt::Alignment(
            Rows().headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
    }

    Qt::CheckState CheckOf(int row) {
        return Rows().index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>();
    }

private slots:
    void init() {
        DoneBottom = 1;
        SortOrder = 0;
        home_ = std::make_unique<TTestHome>();
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
    }

    void cleanup() {
        VerifyCleanEnd();
        form_ = nullptr;
        rig_.reset();
        dm_.reset();
        home_.reset();
    }

    // Loading

    void FirstLoadShowsEveryTaskUndoneFirstAndSelectsTheFirstRow() {
        bool reminderCheckStarted = false;
        InsertTasks(home_->DatabasePath(), MixedTasks());
        MakeList();
        form_->FormCreate([&] { reminderCheckStarted = true; });

        QVERIFY(reminderCheckStarted);
        QCOMPARE(Ids(form_->AllTasks), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{1, 3, 4, 6, 7, 2, 5}));
        QCOMPARE(SortOrder, -1);
        QCOMPARE(Rows().rowCount(), 7);
        QCOMPARE(CurrentRow(), 0);
        QCOMPARE(SelectedRows(), QList<int>{0});
        QCOMPARE(form_->LoadedCategory, 0);
        QCOMPARE(form_->ShownTasks[0].strCategory, std::string("Personal"));
        QCOMPARE(form_->ShownTasks[0].intImg, 1);
    }

    void WithoutDoneBottomTheFirstLoadKeepsIdOrder() {
        DoneBottom = 0;
        Open(MixedTasks());
        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    }

    void OneCategoryShowsItsTasksButAllTasksKeepsEveryTask() {
        Open({{.id = 1, .name = "a", .category = 1},
              {.id = 2, .name = "b", .category = 2},
              {.id = 3, .name = "c", .category = 2},
              {.id = 4, .name = "d", .category = 1}});
        VDT(*form_)->setCurrentIndex(Rows().index(3, 0));

        form_->LoadTasks(2);

        QCOMPARE(Ids(form_->AllTasks), (std::vector<int>{1, 2, 3, 4}));
        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{2, 3}));
        QCOMPARE(Rows().rowCount(), 2);
        QCOMPARE(CurrentRow(), 0);
        QCOMPARE(SelectedRows(), QList<int>{0});
        QCOMPARE(form_->LoadedCategory, 2);
    }

    void ACategoryWithoutTasksLeavesAnEmptyListWithNothingSelected() {
        Open({{.id = 1, .name = "a", .category = 1}});
        form_->LoadTasks(3);

        QCOMPARE(form_->AllTasks.size(), size_t(1));
        QVERIFY(form_->ShownTasks.empty());
        QCOMPARE(Rows().rowCount(), 0);
        QVERIFY(!VDT(*form_)->currentIndex().isValid());
        QVERIFY(SelectedRows().isEmpty());
        QCOMPARE(form_->LoadedCategory, 3);
    }

    void AnEmptyTableGivesAnEmptyList() {
        Open({});
        QVERIFY(form_->AllTasks.empty());
        QVERIFY(form_->ShownTasks.empty());
        QCOMPARE(Rows().rowCount(), 0);
        QVERIFY(SelectedRows().isEmpty());
    }

    void AFailedLoadLeavesNoRowsAndTheCategoryOfTheLastLoad() {
        Open(MixedTasks());
        form_->LoadTasks(2);
        form_->LoadTasks(1);
        QFile file(home_->DatabasePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(4096, 'x'));
        file.close();

        QVERIFY_THROWS_EXCEPTION(StoreError, form_->LoadTasks(0));

        QVERIFY(form_->AllTasks.empty());
        QVERIFY(form_->ShownTasks.empty());
        QCOMPARE(Rows().rowCount(), 0);
        QCOMPARE(form_->LoadedCategory, 1);
    }

    void AFailedFirstLoadDoesNotStartTheReminderCheck() {
        QFile file(home_->DatabasePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(4096, 'x'));
        file.close();
        MakeList();
        bool reminderCheckStarted = false;

        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 form_->FormCreate([&] { reminderCheckStarted = true; }));
        QVERIFY(!reminderCheckStarted);
    }

    void AReloadKeepsTheOrderTheUserChose() {
        std::vector<TTaskRow> rows = MixedTasks();
        rows.push_back({.id = 8, .name = "grape", .category = 2, .due = 1, .dateDue = 39000});
        rows.push_back({.id = 9, .name = "hazel", .category = 2, .due = 1, .dateDue = 39100});
        Open(rows);
        ClickHeader(4);
        ClickHeader(4);

        form_->LoadTasks(2);

        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{9, 8}));
        QCOMPARE(SortOrder, 1);
    }

    // Header clicks

    void PriorityPutsHighFirstThenNormalFirstWithDoneTasksAtTheBottom() {
        Open(MixedTasks());

        ClickHeader(1);
        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{3, 6, 1, 4, 7, 2, 5}));
        QCOMPARE(SortOrder, -1);

        ClickHeader(1);
        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{1, 4, 7, 3, 6, 5, 2}));
        QCOMPARE(SortOrder, 1);
        QCOMPARE(VDT(*form_)->header()->sortIndicatorSection(), 1);
        QCOMPARE(VDT(*form_)->header()->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(Ids(form_->AllTasks), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    }

    void DueDateAscendingPutsDatedTasksFirstAndKeepsTheOthersInTheirOrder() {
        Open(MixedTasks());

        ClickHeader(4);
        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{3, 7, 1, 4, 6, 5, 2}));

        ClickHeader(4);
        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{4, 6, 1, 7, 3, 2, 5}));
    }

    void NamesSortByteByByteCapitalsFirst() {
        DoneBottom = 0;
        Open({{.id = 1, .name = "banana"},
              {.id = 2, .name = "apple"},
              {.id = 3, .name = "Zed"},
              {.id = 4, .name = "Apple"}});

        ClickHeader(0);

        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{4, 3, 2, 1}));
    }

    void CategorySortFollowsCategoryPositionsNotNames() {
        // "Work" (position 2) sorts after "Personal" (1) and before "Shopping" (3), whatever
        // the alphabet says; swapping the positions swaps the order.
        Open({{.id = 1, .name = "s", .category = 3},
              {.id = 2, .name = "w", .category = 2},
              {.id = 3, .name = "p", .category = 1}});
        ClickHeader(2);
        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{3, 2, 1}));
    }

    void ANewColumnStartsAscendingAfterADescendingOne() {
        Open(MixedTasks());
        ClickHeader(1);
        ClickHeader(1);

        ClickHeader(4);

        QCOMPARE(SortOrder, -1);
        QCOMPARE(VDT(*form_)->header()->sortIndicatorSection(), 4);
        QCOMPARE(VDT(*form_)->header()->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{3, 7, 1, 4, 6, 5, 2}));
    }

    void TheSortedCaptionMovesLeftAndTheOthersStayCentred() {
        Open(MixedTasks());
        const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
        QCOMPARE(CaptionAlignment(0), left);
        for (int column = 1; column <= 4; ++column)
            QCOMPARE(CaptionAlignment(column), Qt::Alignment(Qt::AlignCenter));

        ClickHeader(1);
        QCOMPARE(CaptionAlignment(1), left);

        ClickHeader(2);
        QCOMPARE(CaptionAlignment(1), Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(CaptionAlignment(2), left);

        ClickHeader(0);
        QCOMPARE(CaptionAlignment(0), left);
        QCOMPARE(CaptionAlignment(2), Qt::Alignment(Qt::AlignCenter));

        ClickHeader(3);
        QCOMPARE(CaptionAlignment(0), left);
        QCOMPARE(CaptionAlignment(3), left);
    }

    void TheSelectionFollowsTheTaskToItsNewRow() {
        Open(MixedTasks());
        VDT(*form_)->setCurrentIndex(Rows().index(3, 0)); // "elder", id 6
        QCOMPARE(form_->ShownTasks[3].id, 6);

        ClickHeader(1);

        QCOMPARE(CurrentRow(), 1);
        QCOMPARE(form_->ShownTasks[1].id, 6);
        QCOMPARE(SelectedRows(), QList<int>{1});
    }

    void ADraggedColumnKeepsItsKind() {
        Open(MixedTasks());
        VDT(*form_)->header()->moveSection(4, 0);

        ClickHeader(4);

        QCOMPARE(Ids(form_->ShownTasks), (std::vector<int>{3, 7, 1, 4, 6, 5, 2}));
    }

    // Check boxes

    void CheckBoxesAreSetFromTheRecordsWithoutLookingLikeClicks() {
        Open(MixedTasks());
        QSignalSpy toggles(&Rows(), &TTaskListModel::doneToggled);
        QList<int> settingCheckDuringToggles;
        connect(&Rows(), &TTaskListModel::doneToggled, this,
                [&] { settingCheckDuringToggles.append(form_->SettingCheck); });

        for (int row = 0; row < Rows().rowCount(); ++row)
            QCOMPARE(CheckOf(row), form_->ShownTasks[static_cast<size_t>(row)].intDone == 1
                                       ? Qt::Checked
                                       : Qt::Unchecked);

        QCOMPARE(toggles.size(), 7);
        QCOMPARE(settingCheckDuringToggles, QList<int>(7, 1));
        QCOMPARE(form_->SettingCheck, 0);
    }

    void AClickOnTheBoxTogglesItAndMarksTheTaskDone() {
        Open(MixedTasks());
        QTreeView* list = VDT(*form_);
        CheckOf(1); // the row is initialised before the click, as painting would do
        QSignalSpy toggles(&Rows(), &TTaskListModel::doneToggled);
        int settingCheck = -1;
        connect(&Rows(), &TTaskListModel::doneToggled, this,
                [&] { settingCheck = form_->SettingCheck; });
        const QRect cell = list->visualRect(Rows().index(1, 0));

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(11, 10));

        QCOMPARE(toggles.size(), 1);
        QCOMPARE(toggles[0][0].toInt(), 1);
        QCOMPARE(toggles[0][1].toBool(), true);
        QCOMPARE(settingCheck, 0);
        QCOMPARE(CheckOf(1), Qt::Checked);
        QCOMPARE(form_->ShownTasks[1].intDone, 1);

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(60, 10));
        QCOMPARE(toggles.size(), 1);
    }

    // The model on its own, over records the test changes behind its back.
    void ABoxFollowsItsRecordOnlyOnceTheRowIsInitialisedAgain() {
        std::vector<TMyRec2> tasks(3);
        TTaskListModel model(tasks);
        model.InitNode = [&](int row) {
            model.SetChecked(row, tasks[static_cast<size_t>(row)].intDone != 0);
        };
        model.SetRowCount(3);
        const auto check = [&](int row) {
            return model.index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>();
        };
        QCOMPARE(check(0), Qt::Unchecked);
        QCOMPARE(check(2), Qt::Unchecked);
        tasks[0].intDone = 1;
        tasks[2].intDone = 1;
        QCOMPARE(check(0), Qt::Unchecked);

        model.ReinitRow(0);
        QCOMPARE(check(0), Qt::Checked);
        QCOMPARE(check(2), Qt::Unchecked);

        // A reset, as after a load or a header click, reads every box again.
        model.RowsReset();
        QCOMPARE(check(2), Qt::Checked);
    }

    void AHeaderClickKeepsEveryBoxWithItsTask() {
        Open(MixedTasks());
        const QRect cell = VDT(*form_)->visualRect(Rows().index(0, 0));
        QTest::mouseClick(VDT(*form_)->viewport(), Qt::LeftButton, {},
                          cell.topLeft() + QPoint(11, 10));
        QCOMPARE(form_->ShownTasks[0].intDone, 1);

        ClickHeader(1);

        for (int row = 0; row < Rows().rowCount(); ++row)
            QCOMPARE(CheckOf(row), form_->ShownTasks[static_cast<size_t>(row)].intDone == 1
                                       ? Qt::Checked
                                       : Qt::Unchecked);
    }

    // Layout

    void ControlsSitWhereDesignedAndFollowTheEdges() {
        Open({});
        QCOMPARE(form_->size(), QSize(686, 451));
        QCOMPARE(VDT(*form_)->geometry(), QRect(3, 9, 679, 378));
        QCOMPARE(BitBtn1(*form_)->geometry(), QRect(298, 406, 75, 25));
        QCOMPARE(BitBtn2(*form_)->geometry(), QRect(388, 406, 75, 25));
        QCOMPARE(BitBtn3(*form_)->geometry(), QRect(478, 406, 75, 25));
        QCOMPARE(BitBtn4(*form_)->geometry(), QRect(568, 406, 75, 25));
        QCOMPARE(BitBtn1(*form_)->text(), QString("Add"));
        QCOMPARE(BitBtn2(*form_)->text(), QString("Edit"));
        QCOMPARE(BitBtn3(*form_)->text(), QString("Delete"));
        QCOMPARE(BitBtn4(*form_)->text(), QString("Print..."));

        form_->resize(900, 600);

        QCOMPARE(VDT(*form_)->geometry(), QRect(3, 9, 893, 527));
        QCOMPARE(BitBtn4(*form_)->geometry(), QRect(782, 555, 75, 25));
    }

    void TheTasksColumnTakesWhatTheOthersLeave() {
        Open({});
        QHeaderView* header = VDT(*form_)->header();
        QCOMPARE(header->sectionSize(0), 679 - 210 - 16);
        header->resizeSection(4, 120);

        form_->resize(900, 600);

        QCOMPARE(header->sectionSize(0), 893 - 240 - 16);
        QCOMPARE(header->sectionSize(1), 40);
        QCOMPARE(header->sectionSize(4), 120);
    }

    void RowsAreTwentyPixelsHigh() {
        Open(MixedTasks());
        const QRect first = VDT(*form_)->visualRect(Rows().index(0, 0));
        const QRect second = VDT(*form_)->visualRect(Rows().index(1, 0));
        QCOMPARE(first.height(), 20);
        QCOMPARE(second.top() - first.top(), 20);
    }

    void ShowingTheWindowPutsTheFocusIntoTheList() {
        Open({});
        QCOMPARE(form_->focusWidget(), VDT(*form_));
    }

    void KeyboardNavigationMovesTheSelection() {
        Open(MixedTasks());
        QTest::keyClick(VDT(*form_), Qt::Key_Down);
        QTest::keyClick(VDT(*form_), Qt::Key_Down);
        QCOMPARE(CurrentRow(), 2);
        QCOMPARE(SelectedRows(), QList<int>{2});
    }
};

QTEST_MAIN(TestTaskList)
#include "tst_TaskList.moc"
