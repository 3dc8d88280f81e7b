// SPDX-License-Identifier: GPL-3.0-or-later

#include "categories/Unit15.h"

#include "categories/Unit16.h"
#include "resources/Pictures.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "uikit/MessageBox.h"
#include "uikit/Reporting.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QTableWidget>
#include <QToolBar>

#include <algorithm>

namespace {

// The picture of "Move up" (pointing up) or "Move down": a green arrow, 16 by 16.
QPixmap ArrowPicture(bool up) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPolygonF arrow(
        {{8, 1.5}, {14.5, 8}, {10.5, 8}, {10.5, 14.5}, {5.5, 14.5}, {5.5, 8}, {1.5, 8}});
    if (!up)
        arrow = QTransform(1, 0, 0, -1, 0, 16).map(arrow);
    painter.setPen(QPen(QColor(30, 110, 30), 1));
    painter.setBrush(QColor(70, 170, 60));
    painter.drawPolygon(arrow);
    return picture;
}

QAction* AddTool(QToolBar* bar, const char* name, const QPixmap& picture, const QString& hint) {
    QAction* action = bar->addAction(QIcon(picture), hint);
    action->setObjectName(name);
    action->setToolTip(hint);
    return action;
}

} // namespace

TForm15::TForm15(TDM& dm, TForm16& editor, QWidget* parent)
    : TSkinnedDialog("Form15", TFrameKind::Dialog, "Edit Category", parent), dm_(dm),
      editor_(editor) {
    FormCreate();
}

void TForm15::FormCreate() {
    setFixedSize(350, 386);
    CreateControls();

    ConnectReporting(ToolButton1, &QAction::triggered, this, &TForm15::ToolButton1Click);
    ConnectReporting(ToolButton2, &QAction::triggered, this, &TForm15::ToolButton2Click);
    ConnectReporting(ToolButton3, &QAction::triggered, this, &TForm15::ToolButton3Click);
    ConnectReporting(ToolButton5, &QAction::triggered, this, &TForm15::ToolButton5Click);
    ConnectReporting(ToolButton6, &QAction::triggered, this, &TForm15::ToolButton6Click);
    ConnectReporting(VST, &QTableWidget::cellDoubleClicked, this, &TForm15::VSTDblClick);
    ConnectReporting(BitBtn1, &QPushButton::clicked, this, &TForm15::BitBtn1Click);
}

void TForm15::CreateControls() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setGeometry(20, 44, 310, 26);
    ToolButton1 = AddTool(ToolBar1, "ToolButton1", AddPicture(), "Add");
    ToolButton2 = AddTool(ToolBar1, "ToolButton2", EditPicture(), "Edit");
    ToolButton3 = AddTool(ToolBar1, "ToolButton3", DeletePicture(), "Delete");
    ToolBar1->addSeparator();
    ToolButton5 = AddTool(ToolBar1, "ToolButton5", ArrowPicture(true), "Move up");
    ToolButton6 = AddTool(ToolBar1, "ToolButton6", ArrowPicture(false), "Move down");

    VST = new QTableWidget(0, 1, this);
    VST->setObjectName("VST");
    VST->setGeometry(20, 72, 310, 264);
    VST->setHorizontalHeaderLabels({"Categories"});
    VST->setAccessibleName("Categories");
    VST->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    VST->horizontalHeader()->setStretchLastSection(true);
    VST->verticalHeader()->hide();
    VST->verticalHeader()->setDefaultSectionSize(18);
    VST->setShowGrid(true);
    VST->setSelectionBehavior(QAbstractItemView::SelectRows);
    VST->setSelectionMode(QAbstractItemView::SingleSelection);
    VST->setEditTriggers(QAbstractItemView::NoEditTriggers);
    VST->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    VST->setIconSize(QSize(16, 16));

    BitBtn1 = new QPushButton("Close", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(255, 346, 75, 25);
    BitBtn1->setDefault(true);
}

void TForm15::FormShow() {
    categories_ = LoadCategories(dm_);
    VST->setRowCount(static_cast<int>(categories_.size()));
    for (int row = 0; row < VST->rowCount(); ++row)
        ShowRow(row);
    if (!categories_.empty())
        FocusRow(0);
    VST->setFocus();
}

void TForm15::ShowRow(int row) {
    const TMyRec1& category = categories_[static_cast<size_t>(row)];
    auto* item = new QTableWidgetItem(QIcon(CategoryIcon(category.intImg)),
                                      QString::fromStdString(category.strName));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    VST->setItem(row, 0, item);
}

// Focusing a row also selects it alone, as the list selects whole rows one at a time.
void TForm15::FocusRow(int row) {
    VST->setCurrentCell(row, 0);
}

int TForm15::FocusedRow() const {
    const int row = VST->currentRow();
    return row >= 0 && row < static_cast<int>(categories_.size()) ? row : -1;
}

void TForm15::ToolButton1Click() {
    if (categories_.size() >= MaxCategories) {
        ShowErrorBox(this, "Error, category number can not exceed 10!");
        return;
    }
    editor_.CategoryEditorMode = 1;
    editor_.exec();
    if (!editor_.CategoryAccepted)
        return;
    AddCategory(dm_, categories_, editor_.CategoryName(), editor_.CategoryIcon);
    const int row = static_cast<int>(categories_.size()) - 1;
    VST->setRowCount(row + 1);
    ShowRow(row);
    FocusRow(row);
}

void TForm15::ToolButton2Click() {
    const int row = FocusedRow();
    if (row < 0) {
        ShowErrorBox(this, "Error, you have not select the category which you want to edit!");
        return;
    }
    editor_.PrepareEdit(categories_[static_cast<size_t>(row)]);
    editor_.exec();
    if (!editor_.CategoryAccepted)
        return;
    EditCategory(dm_, categories_, static_cast<size_t>(row), editor_.CategoryName(),
                 editor_.CategoryIcon);
    ShowRow(row);
}

void TForm15::ToolButton3Click() {
    const int row = FocusedRow();
    if (row < 0) {
        ShowErrorBox(this, "Error, you have not select the category which you want to delete!");
        return;
    }
    if (CategoryInUse(dm_, categories_[static_cast<size_t>(row)].id)) {
        ShowErrorBox(this, "Error, the selected category can not be deleted because it has been "
                           "used by some tasks!");
        return;
    }
    if (!AskConfirm(this, "The selected category will be deleted, all the tasks in this category "
                          "will be deleted also, are you sure?"))
        return;
    DeleteCategory(dm_, categories_, static_cast<size_t>(row));
    VST->removeRow(row);
    if (categories_.empty())
        return;
    FocusRow(std::min(row, static_cast<int>(categories_.size()) - 1));
}

void TForm15::ToolButton5Click() {
    const int row = FocusedRow();
    // Positions out of step with the rows (a table changed by another program) must still
    // never move a category out of the list.
    if (row <= 0 || categories_[static_cast<size_t>(row)].intPos == 1)
        return;
    SwapWithNext(dm_, categories_, static_cast<size_t>(row - 1));
    ShowRow(row - 1);
    ShowRow(row);
    FocusRow(row - 1);
}

void TForm15::ToolButton6Click() {
    const int row = FocusedRow();
    const int count = static_cast<int>(categories_.size());
    if (row < 0 || row + 1 >= count || categories_[static_cast<size_t>(row)].intPos == count)
        return;
    SwapWithNext(dm_, categories_, static_cast<size_t>(row));
    ShowRow(row);
    ShowRow(row + 1);
    FocusRow(row + 1);
}

void TForm15::VSTDblClick() {
    if (FocusedRow() >= 0)
        ToolButton2Click();
}

void TForm15::BitBtn1Click() {
    close();
}

void TForm15::FormClose() {
    VST->setRowCount(0);
    categories_.clear();
}
