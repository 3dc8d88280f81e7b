// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/WidgetBench.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <benchmark/benchmark.h>

void WaitExposed(QWidget& widget) {
    while (!widget.windowHandle() || !widget.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    QCoreApplication::processEvents();
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
