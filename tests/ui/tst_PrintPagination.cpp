// SPDX-License-Identifier: GPL-3.0-or-later

// The report's pages as plain arithmetic on given heights, and its print order: no printer,
// no screen, no database.

#include "printing/ReportPages.h"
#include "store/funUnit.h"
#include "store/varUnit.h"

#include <QTest>
#include <random>

namespace {

// Rows of 20 (21 with the line), headings the same: a body of 100 holds a heading and three
// rows (84), or four rows under the heading a page starts with (2 * 21 + 3 * 21 = 105 > 100).
constexpr int R = 20;

std::vector<int> NoRoom(size_t count) {
    return std::vector<int>(count, 0);
}

// The exchange sort the report's order is defined by: neighbours swap when the category
// comparison of the left one with the right one is 1.
void ExchangeSortByCategory(std::vector<TMyRec2>& tasks) {
    const size_t n = tasks.size();
    for (size_t i = 0; i < n; ++i)
        for (size_t j = n - 1; j > i; --j)
            if (CompareTasks(tasks[j - 1], tasks[j], 3) == 1)
                std::swap(tasks[j - 1], tasks[j]);
}

std::vector<int> Ids(const std::vector<TMyRec2>& tasks) {
    std::vector<int> ids;
    for (const TMyRec2& task : tasks)
        ids.push_back(task.id);
    return ids;
}

TMyRec2 Task(int id, int position, int done = 0) {
    TMyRec2 task;
    task.id = id;
    task.intCategory = position;
    task.intPos = position;
    task.intDone = done;
    return task;
}

} // namespace

class TestPrintPagination : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        SortOrder = 0;
        DoneBottom = 1;
    }

    void kindsFollowTheJob() {
        TPrintJob job;
        job.AllCategories = false;
        job.SeparateCategories = true;
        job.CategoryPerPage = true;
        QCOMPARE(ReportKind(job), TReportKind::SingleCategory);
        job.AllCategories = true;
        QCOMPARE(ReportKind(job), TReportKind::CategoryPerPage);
        job.CategoryPerPage = false;
        QCOMPARE(ReportKind(job), TReportKind::Separated);
        job.SeparateCategories = false;
        job.CategoryPerPage = true;
        QCOMPARE(ReportKind(job), TReportKind::AllCategories);
    }

    void tasksFillPagesAndRowsNeverSplit() {
        const TPagination pages = PaginateTasks(TReportKind::AllCategories, 100, R, NoRoom(8),
                                                std::vector<int32_t>(8, 1));
        // 42 + 21 + 21 = 84 on the first page; every further page again a heading and three.
        QCOMPARE(pages.PageFirstTask, (std::vector<int>{0, 3, 6}));
        QCOMPARE(pages.PageLastTask, (std::vector<int>{2, 5, 7}));
        QCOMPARE(pages.PageCount, 3);
        // A row that just fits stays: a body of exactly 84 still holds three.
        QCOMPARE(
            PaginateTasks(TReportKind::AllCategories, 84, R, NoRoom(3), std::vector<int32_t>(3, 1))
                .PageCount,
            1);
        QCOMPARE(
            PaginateTasks(TReportKind::AllCategories, 83, R, NoRoom(3), std::vector<int32_t>(3, 1))
                .PageCount,
            2);
    }

    void aBodyThatHoldsNoRowGivesOneTaskPerPage() {
        for (TReportKind kind : {TReportKind::SingleCategory, TReportKind::AllCategories,
                                 TReportKind::Separated, TReportKind::CategoryPerPage}) {
            const TPagination pages =
                PaginateTasks(kind, 10, R, NoRoom(4), std::vector<int32_t>{1, 1, 2, 2});
            QCOMPARE(pages.PageFirstTask, (std::vector<int>{0, 1, 2, 3}));
            QCOMPARE(pages.PageLastTask, (std::vector<int>{0, 1, 2, 3}));
            QCOMPARE(pages.PageCount, 4);
        }
    }

    void aTaskTallerThanTheBodyGetsAPageOfItsOwn() {
        // The second task's note alone is taller than the body.
        const TPagination pages = PaginateTasks(TReportKind::AllCategories, 200, R, {0, 500, 0, 0},
                                                std::vector<int32_t>(4, 1));
        QCOMPARE(pages.PageFirstTask, (std::vector<int>{0, 1, 2}));
        QCOMPARE(pages.PageLastTask, (std::vector<int>{0, 1, 3}));
    }

    void oneCategoryPerPageOpensEachCategoryOnANewPage() {
        const TPagination pages = PaginateTasks(TReportKind::CategoryPerPage, 1000, R, NoRoom(3),
                                                std::vector<int32_t>{1, 2, 3});
        QCOMPARE(pages.PageFirstTask, (std::vector<int>{0, 1, 2}));
        QCOMPARE(pages.PageLastTask, (std::vector<int>{0, 1, 2}));
        QCOMPARE(pages.PageCount, 3);
        // Separated without a page per category, all three share the page.
        QCOMPARE(
            PaginateTasks(TReportKind::Separated, 1000, R, NoRoom(3), std::vector<int32_t>{1, 2, 3})
                .PageCount,
            1);
    }

    void categoriesAreToldApartByIdNotByName() {
        // Categories 2 and 5 are neighbours; whatever their names, a new id is a new category.
        const TPagination perPage = PaginateTasks(TReportKind::CategoryPerPage, 1000, R, NoRoom(3),
                                                  std::vector<int32_t>{2, 2, 5});
        QCOMPARE(perPage.PageFirstTask, (std::vector<int>{0, 2}));
        // Separated, the new category counts a heading: a heading and two rows (63) and the
        // third task's heading and row (42) do not fit 100; without the heading they would.
        QCOMPARE(
            PaginateTasks(TReportKind::Separated, 100, R, NoRoom(3), std::vector<int32_t>{2, 2, 5})
                .PageFirstTask,
            (std::vector<int>{0, 2}));
        QCOMPARE(
            PaginateTasks(TReportKind::Separated, 100, R, NoRoom(3), std::vector<int32_t>{2, 2, 2})
                .PageFirstTask,
            (std::vector<int>{0}));
        // The other kinds pay no heed to categories.
        QCOMPARE(PaginateTasks(TReportKind::AllCategories, 100, R, NoRoom(3),
                               std::vector<int32_t>{2, 2, 5})
                     .PageCount,
                 1);
    }

    void theRoomBelowEveryRowCounts() {
        // Room counted below every row: 5 each still lets three rows fit 100 (99), 6 does not.
        const std::vector<int32_t> same(3, 1);
        QCOMPARE(PaginateTasks(TReportKind::AllCategories, 100, R, std::vector<int>(3, 5), same)
                     .PageCount,
                 1);
        const TPagination pages =
            PaginateTasks(TReportKind::AllCategories, 100, R, std::vector<int>(3, 6), same);
        QCOMPARE(pages.PageFirstTask, (std::vector<int>{0, 2}));
        QCOMPARE(pages.PageLastTask, (std::vector<int>{1, 2}));
    }

    void aPageThatContinuesACategoryStillCountsAHeading() {
        // Heading and three rows fill 84 of 90; the fourth goes over, and its page counts a
        // heading above it whether or not one is drawn there: so again three fit.
        const TPagination pages =
            PaginateTasks(TReportKind::Separated, 90, R, NoRoom(7), std::vector<int32_t>(7, 1));
        QCOMPARE(pages.PageFirstTask, (std::vector<int>{0, 3, 6}));
    }

    void noTaskGivesOnePageWithoutRows() {
        for (TReportKind kind : {TReportKind::SingleCategory, TReportKind::CategoryPerPage}) {
            const TPagination pages = PaginateTasks(kind, 500, R, {}, {});
            QCOMPARE(pages.PageCount, 1);
            QCOMPARE(pages.PageFirstTask, (std::vector<int>{0}));
            QCOMPARE(pages.PageLastTask, (std::vector<int>{-1}));
        }
    }

    void sortByCategoryOnlyForSeparatedReports() {
        TPrintJob job;
        job.Tasks = {Task(1, 3), Task(2, 1), Task(3, 2), Task(4, 1)};
        job.AllCategories = true;
        job.SeparateCategories = false;
        SortByCategory(job);
        QCOMPARE(Ids(job.Tasks), (std::vector<int>{1, 2, 3, 4}));
        job.AllCategories = false;
        job.SeparateCategories = true;
        SortByCategory(job);
        QCOMPARE(Ids(job.Tasks), (std::vector<int>{1, 2, 3, 4}));
        job.AllCategories = true;
        SortByCategory(job);
        // By position; within a category the list order stays.
        QCOMPARE(Ids(job.Tasks), (std::vector<int>{2, 4, 3, 1}));
    }

    void doneTasksSplitFirstInTheDirectionOfTheListSort() {
        TPrintJob job;
        job.AllCategories = job.SeparateCategories = true;
        const std::vector<TMyRec2> list = {Task(1, 2, 1), Task(2, 1, 0), Task(3, 2, 0),
                                           Task(4, 1, 1)};
        DoneBottom = 1;
        SortOrder = 0;
        job.Tasks = list;
        SortByCategory(job);
        QCOMPARE(Ids(job.Tasks), (std::vector<int>{2, 4, 1, 3}));
        SortOrder = -1;
        job.Tasks = list;
        SortByCategory(job);
        QCOMPARE(Ids(job.Tasks), (std::vector<int>{2, 3, 4, 1}));
        SortOrder = 1;
        job.Tasks = list;
        SortByCategory(job);
        QCOMPARE(Ids(job.Tasks), (std::vector<int>{4, 1, 2, 3}));
    }

    void theOrderIsTheExchangeSorts() {
        std::mt19937 random(7);
        for (int round = 0; round < 40; ++round) {
            DoneBottom = round % 3 == 0 ? 0 : 1;
            SortOrder = round % 3 - 1;
            std::vector<TMyRec2> tasks;
            for (int id = 1; id <= 60; ++id)
                tasks.push_back(Task(id, int(random() % 5) + 1, int(random() % 2)));
            TPrintJob job;
            job.AllCategories = job.SeparateCategories = true;
            job.Tasks = tasks;
            SortByCategory(job);
            ExchangeSortByCategory(tasks);
            QCOMPARE(Ids(job.Tasks), Ids(tasks));
        }
    }
};

QTEST_GUILESS_MAIN(TestPrintPagination)

#include "tst_PrintPagination.moc"
