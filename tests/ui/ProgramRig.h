// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The program's windows made as the program makes them, by its own factory, over a data
// module. It holds them as a unique_ptr holds the main window: `->`, `*` and get() reach the
// main window, reset() ends them all.

#include "app/ProgramWindows.h"

#include <memory>

class TProgramRig {
public:
    TProgramRig() = default;
    TProgramRig(TDM& dm, const TStartOptions& start)
        : windows_(std::make_unique<TProgramWindows>(dm, start)) {}

    TProgramWindows& Windows() const { return *windows_; }
    TForm1& operator*() const { return windows_->MainWindow(); }
    TForm1* operator->() const { return get(); }
    TForm1* get() const { return windows_ ? &windows_->MainWindow() : nullptr; }
    void reset() { windows_.reset(); }

private:
    std::unique_ptr<TProgramWindows> windows_;
};
