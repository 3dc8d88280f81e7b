// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/Reporting.h"

#include "uikit/MessageBox.h"

#include <exception>

void ShowCaughtError(QWidget* parent) {
    try {
        throw;
    } catch (const std::exception& error) {
        ShowErrorBox(parent, QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(parent, "An unexpected error stopped the last action.");
    }
}

void RunReportingErrors(QWidget* parent, const std::function<void()>& work) {
    try {
        work();
    } catch (...) {
        ShowCaughtError(parent);
    }
}
