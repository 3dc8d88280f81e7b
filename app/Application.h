// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QApplication>

// The application object. Handlers catch their own errors (uikit/Reporting.h); notify is
// only the last net: an error that still reaches it ends that event's handling, its text is
// shown in an error box and the event loop goes on with the next event.
class TApplication : public QApplication {
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // How many errors the last net caught: an error that got this far crossed Qt's frames.
    static int CaughtByNotify();
};
