// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/DmUnit.h"
#include "store/dates/dateUnit.h"
#include "store/varUnit.h"
#include "tasklist/BitBtn.h"
#include "tasklist/TaskListPainting.h"
#include "tasklist/Unit2.h"
#include "tests/ui/TaskListRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"

#include <QHeaderView>
#include <QPainter>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

const QColor OuterBorder(185, 185, 185);
const QColor MiddleBorder(145, 145, 145);
const QColor InnerBorder(89, 89, 89);
const QColor CornerGround(200, 200, 200);
const QColor WindowGround(212, 208, 200);
const QColor Selection(245, 235, 225);
const QColor DoneGrey(95, 95, 95);

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// The smallest rectangle around the pixels of the area that differ from the ground colour.
QRect Ink(const QImage& image, const QRect& area, const QColor& ground) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (At(image, x, y) != ground)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

bool Contains(const QImage& image, const QRect& area, const QColor& colour) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (At(image, x, y) == colour)
                return true;
    return false;
}

// The longest horizontal run of pixels of exactly that colour.
int LongestRun(const QImage& image, const QRect& area, const QColor& colour) {
    int longest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int run = 0;
        for (int x = area.left(); x <= area.right(); ++x) {
            run = At(image, x, y) == colour ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

int InkCount(const QImage& image, const QColor& ground) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += At(image, x, y) != ground;
    return count;
}

// One cell drawn alone on a white image of 200 by 40, its content rectangle at content.
QImage DrawCell(const TMyRec2& task, int column, const QRect& content) {
    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    VDTDrawNode(painter, task, column, content, Qt::blue);
    return image;
}

} // namespace

class TestTaskListDrawing : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<TTaskListRig> rig_;
    TForm2* form_ = nullptr;
    QImage shot_;

    // The cell of a row and column in window coordinates.
    QRect Cell(int row, int column) const {
        QTreeView* list = VDT(*form_);
        const QRect cell = list->visualRect(list->model()->index(row, column));
        return cell.translated(list->viewport()->mapTo(form_, QPoint(0, 0)));
    }

    QColor Base() const { return VDT(*form_)->palette().color(QPalette::Base); }

private slots:
    void init() {
        DoneBottom = 1;
        SortOrder = 0;
        home_ = std::make_unique<TTestHome>();
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        const double march = EncodeDate(2007, 3, 1) - 1;
        // Rows, done last: 0 "Plain task" (selected), 1 "Undated task", 2 "Odd icon",
        // 3 "Finished task".
        InsertTasks(home_->DatabasePath(), {{.id = 1,
                                             .name = "Plain task",
                                             .due = 1,
                                             .dateDue = march + 15,
                                             .reminder = 1,
                                             .datetimeReminder = march + 14.5},
                                            {.id = 2,
                                             .name = "Finished task",
                                             .category = 2,
                                             .priority = 0,
                                             .done = 1,
                                             .due = 1,
                                             .dateDue = march + 10},
                                            {.id = 3, .name = "Undated task", .category = 3},
                                            {.id = 4, .name = "Odd icon", .category = 4}});
        Exec(home_->DatabasePath(),
             "INSERT INTO t_category (id, strName, intImg, intPos) VALUES (4, 'Odd', 0, 4)");

        rig_ = std::make_unique<TTaskListRig>(*dm_);
        form_ = &rig_->List();
        form_->FormCreate([] {});
        form_->show();
        shot_ = form_->grab().toImage();
        QCOMPARE(shot_.size(), QSize(686, 451));
    }

    void cleanup() {
        VerifyCleanEnd();
        form_ = nullptr;
        rig_.reset();
        dm_.reset();
        home_.reset();
    }

    // The frame

    void TheCornersFollowTheCornerTable() {
        const int W = 686;
        const int H = 451;
        QCOMPARE(At(shot_, 0, 0), CornerGround);
        QCOMPARE(At(shot_, 7, 0), CornerGround);
        QCOMPARE(At(shot_, 8, 0), OuterBorder);
        QCOMPARE(At(shot_, 8, 1), MiddleBorder);
        QCOMPARE(At(shot_, 8, 2), InnerBorder);
        QCOMPARE(At(shot_, 3, 3), CornerGround);
        QCOMPARE(At(shot_, 4, 4), MiddleBorder);
        QCOMPARE(At(shot_, 0, 8), OuterBorder);
        QCOMPARE(At(shot_, 6, 4), QColor(181, 193, 214));
        // The other corners are its mirror images.
        QCOMPARE(At(shot_, W - 1, 0), CornerGround);
        QCOMPARE(At(shot_, W - 9, 0), OuterBorder);
        QCOMPARE(At(shot_, W - 9, 2), InnerBorder);
        QCOMPARE(At(shot_, W - 5, 4), MiddleBorder);
        QCOMPARE(At(shot_, 0, H - 1), CornerGround);
        QCOMPARE(At(shot_, 8, H - 1), OuterBorder);
        QCOMPARE(At(shot_, 8, H - 3), InnerBorder);
        QCOMPARE(At(shot_, 4, H - 5), MiddleBorder);
        QCOMPARE(At(shot_, W - 1, H - 1), CornerGround);
        QCOMPARE(At(shot_, W - 9, H - 3), InnerBorder);
        // The bottom corners have no band.
        QCOMPARE(At(shot_, 6, H - 5), WindowGround);
        QCOMPARE(At(shot_, W - 7, H - 5), WindowGround);
    }

    void TheBandRowsRunBetweenTheCorners() {
        const int W = 686;
        const QList<QColor> band = {QColor(231, 235, 241), QColor(181, 193, 214),
                                    QColor(185, 197, 216), QColor(190, 201, 219),
                                    QColor(195, 205, 222), QColor(221, 226, 236)};
        for (int row = 3; row <= 8; ++row)
            QCOMPARE(At(shot_, W / 2, row), band[row - 3]);
        QCOMPARE(At(shot_, 8, 3), band[0]);
        QCOMPARE(At(shot_, W - 9, 3), band[0]);
        QCOMPARE(At(shot_, 7, 3), InnerBorder);
        QCOMPARE(At(shot_, 3, 8), band[5]);
        QCOMPARE(At(shot_, W - 4, 8), band[5]);
    }

    void BordersAreThreeShadesFromOutsideIn() {
        const int W = 686;
        const int H = 451;
        const QList<QColor> shades = {OuterBorder, MiddleBorder, InnerBorder};
        for (int inset = 0; inset < 3; ++inset) {
            QCOMPARE(At(shot_, W / 2, inset), shades[inset]);
            QCOMPARE(At(shot_, W / 2, H - 1 - inset), shades[inset]);
            QCOMPARE(At(shot_, inset, H / 2), shades[inset]);
            QCOMPARE(At(shot_, W - 1 - inset, H / 2), shades[inset]);
        }
    }

    void AWhiteLineSeparatesTheListFromTheButtons() {
        const int W = 686;
        const int row = 451 - 63;
        QCOMPARE(At(shot_, 3, row), QColor(Qt::white));
        QCOMPARE(At(shot_, W / 2, row), QColor(Qt::white));
        QCOMPARE(At(shot_, W - 4, row), QColor(Qt::white));
        QCOMPARE(At(shot_, W - 3, row), InnerBorder);
        QCOMPARE(At(shot_, W / 2, row + 1), WindowGround);
        QCOMPARE(At(shot_, 20, 451 - 30), WindowGround);
    }

    void TheFrameFollowsANewSize() {
        form_->resize(800, 500);
        const QImage shot = form_->grab().toImage();
        QCOMPARE(At(shot, 799 - 8, 0), OuterBorder);
        QCOMPARE(At(shot, 400, 500 - 63), QColor(Qt::white));
        QCOMPARE(At(shot, 799, 250), OuterBorder);
    }

    // The rows

    void TheSelectedRowKeepsItsColourWithoutTheFocus() {
        QCOMPARE(VDT(*form_)->currentIndex().row(), 0);
        QCOMPARE(At(shot_, Cell(0, 1).center().x(), Cell(0, 1).center().y()), Selection);
        QCOMPARE(At(shot_, Cell(1, 1).center().x(), Cell(1, 1).center().y()), Base());

        BitBtn1(*form_)->setFocus();
        const QImage shot = form_->grab().toImage();
        QCOMPARE(At(shot, Cell(0, 1).center().x(), Cell(0, 1).center().y()), Selection);
    }

    void ADoneNameIsGreyAndStruckThroughAnOpenOneBlack() {
        QCOMPARE(form_->ShownTasks[3].id, 2);
        const QRect done = Cell(3, 0).adjusted(CheckAreaWidth, 0, -2, -1);
        const QRect open = Cell(1, 0).adjusted(CheckAreaWidth, 0, -2, -1);

        QVERIFY(Contains(shot_, done, DoneGrey));
        QVERIFY(!Contains(shot_, done, Qt::black));
        QVERIFY(LongestRun(shot_, done, DoneGrey) >= Ink(shot_, done, Base()).width() - 2);

        QVERIFY(Contains(shot_, open, Qt::black));
        QVERIFY(LongestRun(shot_, open, Qt::black) < Ink(shot_, open, Base()).width() / 2);
    }

    void NoneStartsFurtherRightThanADate() {
        const QRect dated = Cell(3, 4).adjusted(0, 2, 0, -2);
        const QRect undated = Cell(1, 4).adjusted(0, 2, 0, -2);
        const int dateStart = Ink(shot_, dated, Base()).left() - dated.left();
        const int noneStart = Ink(shot_, undated, Base()).left() - undated.left();
        // The date's left edge is at L + 8, "none"'s at L + 23, L being the cell's left + 4.
        QVERIFY2(dateStart >= 10 && dateStart <= 14, qPrintable(QString::number(dateStart)));
        QVERIFY2(noneStart >= 25 && noneStart <= 29, qPrintable(QString::number(noneStart)));
    }

    void PicturesSitSixRightAndTwoDownInTheirCells() {
        // Leave out the grid lines at the bottom and on the right.
        const auto picture = [&](int row, int column) {
            const QRect cell = Cell(row, column);
            const QColor ground = row == 0 ? Selection : Base();
            return Ink(shot_, cell.adjusted(0, 0, -3, -1), ground);
        };
        for (const auto& [row, column] : {std::pair(3, 1), std::pair(0, 2), std::pair(0, 3)}) {
            const QRect cell = Cell(row, column);
            const QRect expected(cell.left() + 4 + 6, cell.top() + 2, 16, 16);
            const QRect ink = picture(row, column);
            QVERIFY2(!ink.isEmpty() && expected.contains(ink),
                     qPrintable(QString("row %1 column %2").arg(row).arg(column)));
        }
        QVERIFY(picture(0, 1).isEmpty()); // "Normal" has no picture
        QVERIFY(picture(1, 3).isEmpty()); // no reminder
        QCOMPARE(form_->ShownTasks[2].intImg, 0);
        QVERIFY(picture(2, 2).isEmpty()); // an icon number outside 1 to 10
    }

    void TheCheckBoxIsCentredTenPixelsBelowTheRowTop() {
        for (int row = 1; row <= 3; ++row) {
            const QRect cell = Cell(row, 0);
            const QRect box = Ink(
                shot_, QRect(cell.left(), cell.top(), CheckAreaWidth, cell.height() - 1), Base());
            QVERIFY(!box.isEmpty());
            QVERIFY2(std::abs(box.center().y() - (cell.top() + 10)) <= 1,
                     qPrintable(QString::number(box.center().y() - cell.top())));
        }
        const QRect open = Cell(1, 0);
        const QRect done = Cell(3, 0);
        QVERIFY(shot_.copy(open.left(), open.top(), CheckAreaWidth, 19) !=
                shot_.copy(done.left(), done.top(), CheckAreaWidth, 19));
    }

    void GridLinesUseTheButtonFaceColour() {
        const QColor face = VDT(*form_)->palette().color(QPalette::Button);
        const QRect name = Cell(1, 0);
        QCOMPARE(At(shot_, name.left(), name.bottom()), face); // also under the check box
        QCOMPARE(At(shot_, name.right() - 1, name.top()), face);
        QCOMPARE(At(shot_, name.right(), name.top()), Base());
        const QRect due = Cell(1, 4);
        QCOMPARE(At(shot_, due.right() - 1, due.bottom()), face);
        QCOMPARE(At(shot_, due.right() - 1, due.top()), Base());
    }

    void DrawingFollowsTheColumnNotItsPlace() {
        const QImage before = shot_.copy(Cell(1, 4));
        VDT(*form_)->header()->moveSection(4, 0);
        const QImage after = form_->grab().toImage();
        QCOMPARE(Cell(1, 4).left(), VDT(*form_)->viewport()->mapTo(form_, QPoint()).x());
        QCOMPARE(after.copy(Cell(1, 4)), before);
    }

    // One cell drawn alone

    void GridLinesRunUnderTheCheckBoxAndStopBeforeTheRightEdge() {
        const TMyRec2 task;
        const QImage name = DrawCell(task, 0, QRect(22, 10, 100, 20));
        QCOMPARE(At(name, 0, 29), QColor(Qt::blue));
        QCOMPARE(At(name, 121, 29), QColor(Qt::blue));
        QCOMPARE(At(name, 122, 29), QColor(Qt::white));
        QCOMPARE(At(name, 120, 10), QColor(Qt::blue));
        QCOMPARE(At(name, 120, 9), QColor(Qt::white));
        QCOMPARE(At(name, 121, 15), QColor(Qt::white));

        const QImage picture = DrawCell(task, 1, QRect(4, 10, 36, 20));
        QCOMPARE(At(picture, 0, 29), QColor(Qt::blue));
        QCOMPARE(At(picture, 38, 15), QColor(Qt::blue));

        const QImage due = DrawCell(task, 4, QRect(4, 10, 86, 20));
        QCOMPARE(At(due, 0, 29), QColor(Qt::blue));
        QCOMPARE(At(due, 89, 29), QColor(Qt::blue));
        QCOMPARE(At(due, 88, 15), QColor(Qt::white));
    }

    void ALongNameEndsWithAnEllipsis() {
        TMyRec2 task;
        task.intPriority = 1;
        task.strName = "A name far too long for its narrow column";
        const QRect content(22, 10, 100, 20);
        const QImage cut = DrawCell(task, 0, content);
        task.strName += " and more";
        QCOMPARE(DrawCell(task, 0, content), cut);
        task.strName = "A name";
        QVERIFY(DrawCell(task, 0, content) != cut);
        // The text stays left of the cell's right line.
        QVERIFY(Ink(cut, QRect(23, 10, 96, 19), Qt::white).right() < 120);
    }

    void HighPriorityNamesAreBold() {
        TMyRec2 task;
        task.strName = "Priority";
        task.intPriority = 1;
        const int normal = InkCount(DrawCell(task, 0, QRect(22, 10, 150, 20)), Qt::white);
        task.intPriority = 0;
        const int high = InkCount(DrawCell(task, 0, QRect(22, 10, 150, 20)), Qt::white);
        QVERIFY2(high > normal + 20, qPrintable(QString("%1 %2").arg(high).arg(normal)));
    }
};

QTEST_MAIN(TestTaskListDrawing)
#include "tst_TaskListDrawing.moc"
