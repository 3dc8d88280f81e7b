// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/varUnit.h"

#include <functional>
#include <utility>
#include <vector>

// The plain exchange sort the list order is defined by: neighbours swap when their
// comparison is not 0 and differs from SortOrder. Quadratic; the yardstick for SortTasks.
inline void
ReferenceExchangeSort(std::vector<TMyRec2>& tasks,
                      const std::function<int(const TMyRec2&, const TMyRec2&)>& compare) {
    const size_t n = tasks.size();
    for (size_t k = 0; k < n; ++k)
        for (size_t i = n - 1; i > k; --i) {
            const int r = compare(tasks[i - 1], tasks[i]);
            if (r != 0 && r != SortOrder)
                std::swap(tasks[i - 1], tasks[i]);
        }
}
