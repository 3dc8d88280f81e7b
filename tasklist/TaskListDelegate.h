// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStyledItemDelegate>

#include <functional>

class TTaskListModel;

// Paints the cells of the task list: the background (the selection colour on the selected
// row, with or without the keyboard focus, and never a focus rectangle), the check box in
// front of "Tasks", then the cell itself through VDTDrawNode. A click on the check box
// toggles it.
class TTaskListDelegate : public QStyledItemDelegate {
public:
    // measureItem answers the height of every row.
    TTaskListDelegate(const TTaskListModel& model, std::function<int()> measureItem,
                      QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    const TTaskListModel& model_;
    std::function<int()> measureItem_;
};
