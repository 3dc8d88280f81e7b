// SPDX-License-Identifier: GPL-3.0-or-later

#include "tasklist/TaskListDelegate.h"

#include "tasklist/TaskListModel.h"
#include "tasklist/TaskListPainting.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor SelectedRow(245, 235, 225);

// The check box sits in the strip in front of the "Tasks" text, its middle 10 pixels below
// the top of the row.
QRect CheckRect(const QStyleOptionViewItem& option) {
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    const int width = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget);
    const int height = style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget);
    return {option.rect.left() + (CheckAreaWidth - width) / 2, option.rect.top() + 10 - height / 2,
            width, height};
}

} // namespace

TTaskListDelegate::TTaskListDelegate(const TTaskListModel& model, std::function<int()> measureItem,
                                     QObject* parent)
    : QStyledItemDelegate(parent), model_(model), measureItem_(std::move(measureItem)) {}

void TTaskListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const TMyRec2* task = model_.Task(index.row());
    if (!task)
        return;
    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, option.state & QStyle::State_Selected
                                       ? SelectedRow
                                       : option.palette.color(QPalette::Base));

    QRect content = option.rect.adjusted(CellMargin, 0, 0, 0);
    if (index.column() == 0) {
        QStyleOptionViewItem check(option);
        check.rect = CheckRect(option);
        check.state &= ~QStyle::State_HasFocus;
        check.state |= index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked
                           ? QStyle::State_On
                           : QStyle::State_Off;
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, option.widget);
        content = option.rect.adjusted(CheckAreaWidth, 0, 0, 0);
    }
    VDTDrawNode(*painter, *task, index.column(), content, option.palette.color(QPalette::Button));
    painter->restore();
}

QSize TTaskListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), measureItem_()};
}

bool TTaskListDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                    const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (index.column() != 0 || event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton ||
        !CheckRect(option).contains(mouse->position().toPoint()))
        return false;
    const bool checked = index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}
