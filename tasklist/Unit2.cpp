// SPDX-License-Identifier: GPL-3.0-or-later

#include "tasklist/Unit2.h"

#include "resources/Pictures.h"
#include "store/funUnit.h"
#include "tasklist/BitBtn.h"
#include "tasklist/TaskListDelegate.h"
#include "tasklist/TaskListPainting.h"
#include "uikit/Controls.h"
#include "uikit/MainWindowServices.h"
#include "uikit/Reporting.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShortcut>
#include <QTreeView>

#include <array>
#include <optional>

namespace {

const std::array<int, 5> DesignedWidths = {300, 40, 40, 40, 90};

TBitBtn* MakeBitBtn(QWidget* parent, const char* name, const QPixmap& glyph, const QString& caption,
                    int spacing) {
    auto* button = new TBitBtn(glyph, caption, spacing, parent);
    button->setObjectName(name);
    button->setFont(WindowFont());
    return button;
}

} // namespace

TForm2::TForm2(TDM& dm, TTaskArrays& tasks, TForm17& taskEditor, TForm18& printSettings,
               const TMainWindowServices& mainWindow, QWidget* parent)
    : QWidget(parent), tasks_(tasks), AllTasks(tasks_.AllTasks()), ShownTasks(tasks_.ShownTasks()),
      dm_(dm), taskEditor_(taskEditor), printSettings_(printSettings), mainWindow_(mainWindow),
      vdt_(new QTreeView(this)),
      bitBtn1_(MakeBitBtn(this, "BitBtn1", AddPicture(), QStringLiteral("Add"), 8)),
      bitBtn2_(MakeBitBtn(this, "BitBtn2", EditPicture(), QStringLiteral("Edit"), 8)),
      bitBtn3_(MakeBitBtn(this, "BitBtn3", DeletePicture(), QStringLiteral("Delete"), 4)),
      bitBtn4_(MakeBitBtn(this, "BitBtn4", PrintPicture(), QStringLiteral("Print..."), 6)) {
    setObjectName("Form2");
    resize(686, 451);
    vdt_->setObjectName("VDT");

    tasks_.SetListener(&model_);
    model_.InitNode = [this](int row) { VDTInitNode(row); };
    model_.CategoryName = [this](int32_t category) { return mainWindow_.CategoryName(category); };
    vdt_->setAccessibleName("Tasks");
    vdt_->setAccessibleDescription("Enter or F2 edits the task, Insert adds one, Delete deletes "
                                   "it, Space marks it done or not done");
    vdt_->setModel(&model_);
    vdt_->setItemDelegate(new TTaskListDelegate(
        model_, [this] { return VDTMeasureItem(); }, vdt_));
    vdt_->setRootIsDecorated(false);
    vdt_->setItemsExpandable(false);
    vdt_->setIndentation(0);
    vdt_->setUniformRowHeights(true);
    vdt_->setSelectionMode(QAbstractItemView::SingleSelection);
    vdt_->setSelectionBehavior(QAbstractItemView::SelectRows);
    vdt_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vdt_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    vdt_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    vdt_->setFrameShape(QFrame::NoFrame);

    // The header only shows the sort state; the rows are ordered by VDTHeaderClick alone, as
    // the view's own sorting stays off.
    QHeaderView* header = vdt_->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setHighlightSections(false);
    for (int column = 0; column < static_cast<int>(DesignedWidths.size()); ++column)
        header->resizeSection(column, DesignedWidths[static_cast<size_t>(column)]);

    ConnectReporting(header, &QHeaderView::sectionClicked, this, &TForm2::VDTHeaderClick);
    connect(vdt_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TForm2::VDTFocusChanged);
    vdt_->installEventFilter(this);
    vdt_->viewport()->installEventFilter(this);
    vdt_->viewport()->setAcceptDrops(true);

    ConnectReporting(bitBtn1_, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
    ConnectReporting(bitBtn2_, &QPushButton::clicked, this, &TForm2::BitBtn2Click);
    ConnectReporting(bitBtn3_, &QPushButton::clicked, this, &TForm2::BitBtn3Click);
    ConnectReporting(bitBtn4_, &QPushButton::clicked, this, &TForm2::BitBtn4Click);
    ConnectReporting(&model_, &TTaskListModel::doneToggled, this, &TForm2::VDTChecked);
    CreateKeys();
}

void TForm2::CreateKeys() {
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Insert), QKeySequence(Qt::CTRL | Qt::Key_N)}) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        ConnectReporting(shortcut, &QShortcut::activated, this, &TForm2::BitBtn1Click);
    }
}

void TForm2::FormCreate(const std::function<void()>& startReminderCheck) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(212, 208, 200));
    setPalette(colours);
    setAutoFillBackground(true);
    LoadTasks(0);
    startReminderCheck();
}

void TForm2::LoadTasks(int32_t category) {
    const int32_t order = model_.SortDirection() == Qt::AscendingOrder ? -1 : 1;
    tasks_.Load(category, model_.SortColumn(), order);
    if (!ShownTasks.empty())
        FocusRow(0);
    LoadedCategory = category;
    emit TasksLoaded();
}

void TForm2::ReloadKeepingFocus() {
    std::optional<int32_t> focusedId;
    if (const TMyRec2* task = model_.Task(FocusedRow()))
        focusedId = task->id;
    LoadTasks(LoadedCategory);
    if (!focusedId)
        return;
    if (const int row = FindTask(ShownTasks, *focusedId); row >= 0)
        FocusRow(row);
}

void TForm2::VDTHeaderClick(int column) {
    // Clicking the sort column reverses it; any other column starts ascending. Captions
    // follow the sort column by themselves (the model left-aligns it and centres the rest).
    const Qt::SortOrder direction =
        column == model_.SortColumn() && model_.SortDirection() == Qt::AscendingOrder
            ? Qt::DescendingOrder
            : Qt::AscendingOrder;
    model_.SetSort(column, direction);
    // The header flips its arrow on a click by its own rule before telling us; show ours.
    vdt_->header()->setSortIndicator(column, direction);

    std::optional<int32_t> focusedId;
    if (const TMyRec2* task = model_.Task(vdt_->currentIndex().row()))
        focusedId = task->id;
    const int row =
        tasks_.SortByColumn(column, direction == Qt::AscendingOrder ? -1 : 1, focusedId);
    if (row >= 0)
        FocusRow(row);
}

void TForm2::ReinitNode(int row) {
    model_.ReinitRow(row);
}

void TForm2::paintEvent(QPaintEvent*) {
    FormPaint();
}

void TForm2::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == vdt_ && event->type() == QEvent::Resize)
        VDTResize();
    if (watched == vdt_ && event->type() == QEvent::KeyPress) {
        bool taken = false;
        RunReportingErrors(this, [&] { taken = VDTKeyDown(*static_cast<QKeyEvent*>(event)); });
        if (taken)
            return true;
    }
    // A double click anywhere in the list edits the focused task, also below the last row.
    if (watched == vdt_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        RunReportingErrors(this, [this] { VDTDblClick(); });
        return true;
    }
    if (watched == vdt_->viewport() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove))
        return VDTDragOver(static_cast<QDropEvent*>(event));
    if (watched == vdt_->viewport() && event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!VDTDragOver(drop))
            return false;
        RunReportingErrors(this, [this, drop] { VDTDragDrop(drop->mimeData()); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm2::FormShow() {
    vdt_->setFocus();
}

void TForm2::FormPaint() {
    QPainter painter(this);
    DrawTaskListFrame(painter, size());
}

void TForm2::FormResize() {
    // The list follows every edge, the buttons the right and bottom ones.
    const int W = width();
    const int H = height();
    vdt_->setGeometry(3, 9, W - 7, H - 73);
    bitBtn1_->setGeometry(W - 388, H - 45, 75, 25);
    bitBtn2_->setGeometry(W - 298, H - 45, 75, 25);
    bitBtn3_->setGeometry(W - 208, H - 45, 75, 25);
    bitBtn4_->setGeometry(W - 118, H - 45, 75, 25);
    // The frame is drawn for the whole size, so all of it has to be painted again.
    update();
}

void TForm2::VDTInitNode(int row) {
    SettingCheck = 1;
    model_.SetChecked(row, ShownTasks[static_cast<size_t>(row)].intDone != 0);
    SettingCheck = 0;
}

int TForm2::VDTMeasureItem() const {
    return RowHeight;
}

void TForm2::VDTFocusChanged(const QModelIndex& current) {
    // Keyboard navigation moves the focus; the selection goes with it.
    if (current.isValid())
        vdt_->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
}

void TForm2::VDTResize() {
    // "Tasks" takes whatever the other columns leave, less room for the scroll bar.
    QHeaderView* header = vdt_->header();
    int others = 0;
    for (int column = 1; column < model_.columnCount(); ++column)
        others += header->sectionSize(column);
    header->resizeSection(0, vdt_->width() - others - 16);
}

void TForm2::FocusRow(int row) {
    vdt_->setCurrentIndex(model_.index(row, 0));
}
