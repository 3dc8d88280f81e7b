// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/records/TaskArrays.h"
#include "store/varUnit.h"

#include <QAbstractTableModel>

#include <functional>
#include <string>
#include <vector>

// The rows of the task list. The model owns no task: row i reads entry i of the window's
// ShownTasks only when the row is painted, and the number of rows is set explicitly, so a
// reload costs nothing per row until the rows are drawn.
//
// Each row has a check box whose state is the row's own, not the record's: it is read from
// the record when the row is first needed after the row count was set (InitNode), and
// afterwards only a click or a re-initialisation changes it.
//
// It follows the changes of the task records' owner: a reset sets the row count afresh, an
// inserted or removed row keeps the other rows' boxes, and a changed row is initialised
// again unless its box already agrees with the record.
//
// The cells are drawn by the list's delegate from the records; what a screen reader says of
// them is the model's accessible text: the "Tasks" cell reads as the whole task, the others
// as what their picture or date shows.
class TTaskListModel : public QAbstractTableModel, public TRowListener {
    Q_OBJECT

public:
    explicit TTaskListModel(const std::vector<TMyRec2>& tasks, QObject* parent = nullptr);

    // Runs for a row the first time its check box is needed; it sets the box with SetChecked.
    std::function<void(int row)> InitNode;
    // The name of a task's category as it is now (UTF-8); when it gives none, the name the
    // record was loaded with is said.
    std::function<std::string(int32_t category)> CategoryName;

    // Sets the number of rows; every row will be initialised again from its record.
    void SetRowCount(int count);
    // Forgets that the row was initialised, so that its check box is read again from its
    // record when the row is next painted.
    void ReinitRow(int row);
    // Sets a row's check box and raises doneToggled, whether a click or InitNode set it.
    void SetChecked(int row, bool checked);

    // The record of a row, or nullptr for a row without record.
    const TMyRec2* Task(int row) const;

    // The header's sort column (-1 for none) and its direction.
    int SortColumn() const { return sortColumn_; }
    Qt::SortOrder SortDirection() const { return sortDirection_; }
    void SetSort(int column, Qt::SortOrder direction);

    void RowsReset() override;
    void RowInserted(int row) override;
    void RowRemoved(int row) override;
    void RowChanged(int row) override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The check box of a row changed: by a click, or while the row is initialised from its
    // record (the window's SettingCheck tells the two apart).
    void doneToggled(int row, bool checked);

private:
    enum TCheck : signed char { NotInitialised, Unchecked, Checked };

    // What a screen reader says of a row: "Call the plumber, not done, high priority,
    // Personal, due 2026-12-20".
    QString RowText(const TMyRec2& task) const;
    QString CellText(const TMyRec2& task, int column) const;
    QString CategoryText(const TMyRec2& task) const;

    const std::vector<TMyRec2>& tasks_;
    std::vector<TCheck> checks_;
    int sortColumn_ = -1;
    Qt::SortOrder sortDirection_ = Qt::AscendingOrder;
};
