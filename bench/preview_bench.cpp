// SPDX-License-Identifier: GPL-3.0-or-later

// The page preview control against Qt's own print preview widget, on 500 report-like pages
// (text, lines and up to 19 pictures of 16 by 16 each) shown as whole pages in a 1280 by 1024
// view: the time to the first page shown, to show page 250 and then page 1 again, to show any
// one page, and the memory each holds once the pages are recorded.

#include "bench/WidgetBench.h"
#include "preview/Preview.h"
#include "resources/Pictures.h"

#include <QGraphicsView>
#include <QPaintEvent>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>

namespace {

constexpr int PageCount = 500;
constexpr QSize ViewSize(1280, 1024);

// Bytes of heap in use: small blocks and mapped large ones.
double HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

QFont Font(int pixels, bool bold = false) {
    QFont font("Arial");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

const QPixmap* Icons() {
    static const QPixmap icons[3] = {HighPriorityPicture(), CategoryIcon(3), ReminderPicture()};
    return icons;
}

// One page of a task report on an A4 page of 794 by 1123 screen pixels.
// At most `pictures` of the row's priority, category and reminder pictures are drawn, the
// densest report having 19 on a page: on ours fitted in their cells as the report draws them,
// on Qt's straight onto its printer.
void DrawReportPage(QPainter& canvas, int page, int pages, int pictures, TPrintPreview* preview) {
    const QPixmap* icons = Icons();
    int drawn = 0;
    const auto picture = [&](bool wanted, int column, int y) {
        if (wanted && drawn < pictures) {
            const QRect cell(541 + 41 * column, y, 40, 26);
            if (preview)
                preview->DrawGraphicFitted(cell, icons[column], 1, 1);
            else
                canvas.drawPixmap(QRect(cell.left() + 12, y + 5, 16, 16), icons[column]);
            ++drawn;
        }
    };
    canvas.setFont(Font(21, true));
    canvas.drawText(QPoint(94, 60), "Tolvek Organizer");
    canvas.setFont(Font(16));
    canvas.drawText(QPoint(600, 60), "2026-12-09");
    canvas.drawLine(94, 66, 700, 66);
    for (int row = 0; row < 36; ++row) {
        const int y = 70 + row * 27;
        canvas.drawText(
            QRect(98, y, 440, 26), Qt::AlignVCenter,
            QString("Task %1 of page %2: call about the quarterly figures").arg(row + 1).arg(page));
        picture(row % 4 == 0, 0, y);
        picture(row % 6 == 0, 1, y);
        picture(row % 9 == 0, 2, y);
        canvas.drawText(QRect(660, y, 40, 26), Qt::AlignCenter, "none");
        canvas.drawLine(94, y + 26, 700, y + 26);
        for (int x : {540, 581, 622, 663})
            canvas.drawLine(x, y, x, y + 26);
    }
    canvas.drawText(QPoint(94, 1090), "www.tolvek.example");
    canvas.drawText(QPoint(650, 1090), QString("%1/%2").arg(page).arg(pages));
}

// Ours, shown at "whole page" in the view, with the 500 pages recorded.
struct TOurs {
    TPrintPreview preview;

    TOurs(int pages, bool tempFile, int pictures = 19) {
        preview.resize(ViewSize);
        preview.SetUnits(mmPixel);
        preview.SetUseTempFile(tempFile);
        preview.show();
        WaitExposed(preview);
        preview.BeginDoc();
        for (int page = 1; page <= pages; ++page) {
            if (page > 1)
                preview.NewPage();
            DrawReportPage(*preview.PageCanvas(), page, pages, pictures, &preview);
        }
        preview.EndDoc();
        Show(1);
    }
    void Show(int page) {
        preview.SetShownPage(page);
        preview.PaperPreview()->repaint();
    }
};

// Qt's widget, drawing the same pages on its printer through paintRequested.
struct TQts {
    QPrinter printer{QPrinter::HighResolution};
    std::unique_ptr<QPrintPreviewWidget> widget;

    TQts(int pages, bool, int pictures = 19) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        widget = std::make_unique<QPrintPreviewWidget>(&printer);
        QObject::connect(widget.get(), &QPrintPreviewWidget::paintRequested,
                         [pages, pictures](QPrinter* on) {
                             QPainter canvas(on);
                             // The same drawing in screen pixels as on ours.
                             canvas.scale(on->resolution() / 96.0, on->resolution() / 96.0);
                             for (int page = 1; page <= pages; ++page) {
                                 if (page > 1)
                                     on->newPage();
                                 DrawReportPage(canvas, page, pages, pictures, nullptr);
                             }
                         });
        widget->setViewMode(QPrintPreviewWidget::SinglePageView);
        widget->setZoomMode(QPrintPreviewWidget::FitInView);
        widget->resize(ViewSize);
        widget->show();
        WaitExposed(*widget);
        widget->updatePreview();
        Show(1);
    }
    void Show(int page) {
        widget->setCurrentPage(page);
        QWidget* view = widget->findChild<QGraphicsView*>()->viewport();
        view->repaint();
    }
};

// From nothing to the first page painted: recording every page and the first paint. The
// memory is what the widget holds then, over what the heap held before.
template <typename Preview> void FirstPageShown(benchmark::State& state, bool tempFile) {
    const int pages = int(state.range(0));
    const int pictures = int(state.range(1));
    double held = 0;
    for (auto _ : state) {
        const double before = HeapInUse();
        auto preview = std::make_unique<Preview>(pages, tempFile, pictures);
        held = HeapInUse() - before;
        state.PauseTiming();
        preview.reset();
        state.ResumeTiming();
    }
    state.counters["held_MB"] = held / 1e6;
    state.counters["held_kB_per_page"] = held / pages / 1e3;
    if constexpr (std::is_same_v<Preview, TOurs>) {
        TOurs ours(pages, tempFile, pictures);
        qint64 recorded = 0;
        for (int page = 1; page <= pages; ++page)
            recorded += ours.preview.Page(page).size();
        state.counters["recorded_kB_per_page"] = double(recorded) / pages / 1e3;
    }
}

void BM_OursFirstPageShown(benchmark::State& state) {
    FirstPageShown<TOurs>(state, false);
}
void BM_OursInTempFileFirstPageShown(benchmark::State& state) {
    FirstPageShown<TOurs>(state, true);
}
void BM_QtFirstPageShown(benchmark::State& state) {
    FirstPageShown<TQts>(state, false);
}
BENCHMARK(BM_OursFirstPageShown)
    ->ArgNames({"pages", "pictures"})
    ->ArgsProduct({{100, 500}, {19, 4, 0}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_OursInTempFileFirstPageShown)
    ->ArgNames({"pages", "pictures"})
    ->ArgsProduct({{100, 500}, {19, 4, 0}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_QtFirstPageShown)
    ->ArgNames({"pages", "pictures"})
    ->ArgsProduct({{100, 500}, {19, 4, 0}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

template <typename Preview> void Page250ThenPage1(benchmark::State& state, Preview& preview) {
    for (auto _ : state) {
        preview.Show(250);
        preview.Show(1);
    }
}

void BM_OursPage250ThenPage1(benchmark::State& state) {
    TOurs ours(PageCount, false);
    Page250ThenPage1(state, ours);
}
void BM_QtPage250ThenPage1(benchmark::State& state) {
    TQts qts(PageCount, false);
    Page250ThenPage1(state, qts);
}
BENCHMARK(BM_OursPage250ThenPage1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtPage250ThenPage1)->Unit(benchmark::kMillisecond);

// Any one page: the page named, coming from another one.
void BM_OursShowPage(benchmark::State& state) {
    TOurs ours(PageCount, state.range(1) != 0);
    const int page = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        ours.Show(page == 1 ? 2 : 1);
        state.ResumeTiming();
        ours.Show(page);
    }
}
BENCHMARK(BM_OursShowPage)
    ->ArgNames({"page", "tempfile"})
    ->ArgsProduct({{1, 250, 500}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

} // namespace
