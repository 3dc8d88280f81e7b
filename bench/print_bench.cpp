// SPDX-License-Identifier: GPL-3.0-or-later

// The task report over 10,000 tasks, each with a note of one to three lines, in 10 categories:
// the time to order and paginate it, and to lay out and show one page in the preview window
// shown at "Whole Page" in a 1280 by 1024 window. Every report kind.

#include "bench/BenchData.h"
#include "bench/WidgetBench.h"
#include "preview/Preview.h"
#include "printing/Unit19.h"
#include "store/DmUnit.h"
#include "tests/ui/WindowControls.h"
#include "uikit/FrameController.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

constexpr int TaskCount = 10000;

std::vector<TMyRec2> ReportTasks() {
    std::vector<TMyRec2> tasks(TaskCount);
    for (int i = 0; i < TaskCount; ++i) {
        TMyRec2& task = tasks[static_cast<size_t>(i)];
        task.id = i + 1;
        task.strName = "Task number " + std::to_string(i + 1) + ": call about the figures";
        task.intCategory = 1 + i % 10;
        task.intImg = task.intCategory;
        task.intPos = 11 - task.intCategory;
        task.intPriority = i % 2;
        task.intDone = i % 3 == 0 ? 1 : 0;
        task.intDue = i % 4 == 0 ? 1 : 0;
        task.dateDue = 45000 + i % 365;
        task.intReminder = i % 5 == 0 ? 1 : 0;
        task.intMemo = 1;
        task.strNote = "A note of task " + std::to_string(i + 1);
        if (i % 2 == 0)
            task.strNote += "\nwith a second line that is long enough to wrap once in the name "
                            "column of a portrait page";
    }
    return tasks;
}

// The kinds: 0 one category, 1 all categories, 2 separated, 3 one category per page.
TPrintJob Job(int kind) {
    TPrintJob job;
    job.Tasks = ReportTasks();
    job.AllCategories = kind != 0;
    job.CategoryName = "Category 1";
    job.SeparateCategories = kind >= 2;
    job.CategoryPerPage = kind == 3;
    job.ShowCategory = kind == 1;
    return job;
}

struct TShownPreview {
    TForm19 window;

    explicit TShownPreview(int kind) {
        DM = &BenchDatabase(10);
        window.PrintJob = Job(kind);
        window.PrintJob.PreviewMode = true;
        window.show();
        // The first showing fills the work area; the view is restored to the size measured.
        window.Frame->Image_MaxClick();
        window.resize(1280, 1024);
        WaitExposed(window);
    }
    void Show(int page) {
        window.DrawReportPage(page);
        PrintPreview1(window)->PaperPreview()->repaint();
    }
};

void BM_PaginateReport(benchmark::State& state) {
    TShownPreview preview(int(state.range(0)));
    for (auto _ : state)
        preview.window.PaginateReport();
    state.counters["pages"] = preview.window.Layout.PageCount;
}
BENCHMARK(BM_PaginateReport)->ArgName("kind")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Ordering by category and paginating, as the set-up does before the first page.
void BM_SortAndPaginate(benchmark::State& state) {
    TShownPreview preview(int(state.range(0)));
    const std::vector<TMyRec2> listOrder = preview.window.PrintJob.Tasks;
    for (auto _ : state) {
        state.PauseTiming();
        preview.window.PrintJob.Tasks = listOrder;
        state.ResumeTiming();
        preview.window.SortByCategory();
        preview.window.PaginateReport();
    }
}
BENCHMARK(BM_SortAndPaginate)->ArgName("kind")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// One page laid out and painted: the first, one in the middle or the last, coming from
// another page.
void BM_ShowPage(benchmark::State& state) {
    TShownPreview preview(int(state.range(0)));
    preview.window.SortByCategory();
    preview.window.PaginateReport();
    const int pages = preview.window.Layout.PageCount;
    const int page = std::max(1, int(state.range(1)) * pages / 2);
    for (auto _ : state) {
        state.PauseTiming();
        preview.Show(page == 1 ? 2 : 1);
        state.ResumeTiming();
        preview.Show(page);
    }
    state.counters["page"] = page;
    state.counters["kB_recorded"] = PrintPreview1(preview.window)->Page(1).size() / 1e3;
}
BENCHMARK(BM_ShowPage)
    ->ArgNames({"kind", "place"})
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

} // namespace
