// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/ProgramWindows.h"
#include "bench/BenchData.h"
#include "tasklist/Unit2.h"
#include "tests/ui/WindowControls.h"

#include <QDir>
#include <QPaintEvent>
#include <QTreeView>
#include <benchmark/benchmark.h>

namespace {

// Tells when the list's rows were painted for the first time.
class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// From nothing to a painted main window over 100,000 tasks: the program's windows, settings,
// the load of every task, note and category, the category menu, the frame and the first paint
// of the rows.
void BM_StartupToFirstPaint(benchmark::State& state) {
    TDM& dm = BenchDatabase(static_cast<int>(state.range(0)));
    DM = &dm;
    for (auto _ : state) {
        TProgramWindows windows(dm, TStartOptions{false, false});
        TForm1& form = windows.MainWindow();
        FirstPaint paint;
        VDT(*form.Form2)->viewport()->installEventFilter(&paint);
        form.ShowAtStartup();
        while (!paint.painted)
            QCoreApplication::processEvents();
        benchmark::DoNotOptimize(form.Form2->ShownTasks.size());
    }
}
BENCHMARK(BM_StartupToFirstPaint)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never read or write a real user's settings.
    const QString config = QDir::temp().filePath("tolvek-bench-config");
    QDir().mkpath(config);
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    TApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
