// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/varUnit.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Compares two tasks for the list column of the given kind: 1 name, 2 priority,
// 3 category position, 4 reminder, 5 due date. -1: a comes first in ascending order,
// 0: equal, +1: a comes after b. With DoneBottom 1 and a direction set, done tasks go below
// the others in either direction.
int CompareTasks(const TMyRec2& a, const TMyRec2& b, int kind);

// Orders by the done mark alone: undone before done.
int CompareDone(const TMyRec2& a, const TMyRec2& b);

// Orders tasks in the direction SortOrder gives (-1 ascending, +1 descending); tasks that
// compare equal keep their relative order. Without a direction the order is left alone.
void SortTasks(std::vector<TMyRec2>& tasks,
               const std::function<int(const TMyRec2&, const TMyRec2&)>& compare);

// Orders tasks by a list column as SortTasks with CompareTasks of that kind does, in the same
// order, ties included, and faster: what the list's header and its reload sort with.
void SortTasksByColumn(std::vector<TMyRec2>& tasks, int kind);

// Position of the first task with that id, or -1.
int FindTask(const std::vector<TMyRec2>& tasks, int32_t id);

// x with exactly two decimals and a point: 21 -> "21.00", -1.5 -> "-1.50".
std::string FormatTwoDecimals(double x);

// The name of the category with that id, read from t_category; empty when there is none.
std::string GetCategoryName(int32_t id);
