// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEventLoop>
#include <optional>

// Waits in a local event loop for the result of an asynchronous operation that hands its result
// to a callback: start receives that callback. For the command line and for tests; needs a
// QCoreApplication.
template <class Result, class Start> Result WaitFor(Start start) {
    std::optional<Result> result;
    QEventLoop loop;
    start([&](const Result& r) {
        result = r;
        loop.quit();
    });
    if (!result)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return *result;
}
