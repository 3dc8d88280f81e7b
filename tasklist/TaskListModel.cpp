// SPDX-License-Identifier: GPL-3.0-or-later

#include "tasklist/TaskListModel.h"

#include "store/dates/DateText.h"

#include <array>

namespace {

const std::array<const char*, 5> Captions = {"Tasks", "P", "C", "R", "Due Date"};
// The columns' names as a screen reader says them: the one-letter captions spelt out.
const std::array<const char*, 5> SpokenCaptions = {"Tasks", "Priority", "Category", "Reminder",
                                                   "Due Date"};

// The pictures and dates as they are drawn: a done task is one whose mark is exactly 1, and a
// reminder or due date shows only when its flag is above 0.
QString DoneText(const TMyRec2& task) {
    return task.intDone == 1 ? QStringLiteral("done") : QStringLiteral("not done");
}

QString ReminderText(const TMyRec2& task) {
    return task.intReminder > 0
               ? "reminder " + QString::fromStdString(FormatDateMinute(task.datetimeReminder))
               : QStringLiteral("no reminder");
}

QString DueText(const TMyRec2& task) {
    return task.intDue > 0 ? "due " + QString::fromStdString(FormatDate(task.dateDue))
                           : QStringLiteral("no due date");
}

} // namespace

TTaskListModel::TTaskListModel(const std::vector<TMyRec2>& tasks, QObject* parent)
    : QAbstractTableModel(parent), tasks_(tasks) {}

void TTaskListModel::SetRowCount(int count) {
    beginResetModel();
    checks_.assign(static_cast<size_t>(count), NotInitialised);
    endResetModel();
}

void TTaskListModel::RowsReset() {
    SetRowCount(static_cast<int>(tasks_.size()));
}

void TTaskListModel::RowInserted(int row) {
    beginInsertRows({}, row, row);
    checks_.insert(checks_.begin() + row, NotInitialised);
    endInsertRows();
}

void TTaskListModel::RowRemoved(int row) {
    beginRemoveRows({}, row, row);
    checks_.erase(checks_.begin() + row);
    endRemoveRows();
}

void TTaskListModel::RowChanged(int row) {
    const TMyRec2* task = Task(row);
    const TCheck check = checks_.at(static_cast<size_t>(row));
    if (task && check != NotInitialised && (check == Checked) == (task->intDone != 0)) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        return;
    }
    ReinitRow(row);
}

void TTaskListModel::ReinitRow(int row) {
    checks_.at(static_cast<size_t>(row)) = NotInitialised;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TTaskListModel::SetChecked(int row, bool checked) {
    checks_.at(static_cast<size_t>(row)) = checked ? Checked : Unchecked;
    emit doneToggled(row, checked);
}

const TMyRec2* TTaskListModel::Task(int row) const {
    return row >= 0 && static_cast<size_t>(row) < tasks_.size() ? &tasks_[static_cast<size_t>(row)]
                                                                : nullptr;
}

void TTaskListModel::SetSort(int column, Qt::SortOrder direction) {
    sortColumn_ = column;
    sortDirection_ = direction;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int TTaskListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(checks_.size());
}

int TTaskListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Captions.size());
}

QString TTaskListModel::CategoryText(const TMyRec2& task) const {
    std::string name = CategoryName ? CategoryName(task.intCategory) : std::string();
    if (name.empty())
        name = task.strCategory;
    return name.empty() ? QStringLiteral("no category") : QString::fromStdString(name);
}

QString TTaskListModel::RowText(const TMyRec2& task) const {
    QStringList parts{QString::fromStdString(task.strName), DoneText(task)};
    if (task.intPriority == 0)
        parts << QStringLiteral("high priority");
    parts << CategoryText(task);
    if (task.intReminder > 0)
        parts << ReminderText(task);
    parts << DueText(task);
    return parts.join(QStringLiteral(", "));
}

QString TTaskListModel::CellText(const TMyRec2& task, int column) const {
    switch (column) {
    case 0:
        return RowText(task);
    case 1:
        return task.intPriority == 0 ? QStringLiteral("high priority")
                                     : QStringLiteral("normal priority");
    case 2:
        return CategoryText(task);
    case 3:
        return ReminderText(task);
    default:
        return DueText(task);
    }
}

QVariant TTaskListModel::data(const QModelIndex& index, int role) const {
    const TMyRec2* task = Task(index.row());
    if (!task)
        return {};
    if (role == Qt::AccessibleTextRole)
        return CellText(*task, index.column());
    // The check box in front of the name says what it does.
    if (role == Qt::AccessibleDescriptionRole && index.column() == 0)
        return data(index, Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked
                   ? QStringLiteral("Done check box: Space marks the task not done")
                   : QStringLiteral("Done check box: Space marks the task done");
    if (role != Qt::CheckStateRole || index.column() != 0)
        return {};
    const auto row = static_cast<size_t>(index.row());
    if (checks_[row] == NotInitialised && InitNode)
        InitNode(index.row());
    return checks_[row] == Checked ? Qt::Checked : Qt::Unchecked;
}

bool TTaskListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0 || !Task(index.row()))
        return false;
    SetChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags TTaskListModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return index.column() == 0 ? flags | Qt::ItemIsUserCheckable : flags;
}

QVariant TTaskListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(Captions[static_cast<size_t>(section)]);
    if (role == Qt::AccessibleTextRole)
        return QString::fromLatin1(SpokenCaptions[static_cast<size_t>(section)]);
    // "Tasks" is always left-aligned; the others are centred, except the sorted one, which
    // moves its caption left to make room for the sort arrow.
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(section == 0 || section == sortColumn_
                                    ? Qt::AlignLeft | Qt::AlignVCenter
                                    : Qt::AlignCenter);
    return {};
}
