// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPrinter>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A print job for one of the system's print queues, drawn into a PDF file that goes to the
// spooler when the job ends. Qt hands its own jobs to the spooler without looking at the
// answer, so that a queue that is gone or refuses jobs swallows the pages without a word;
// this job tells the spooler's own message instead.
class TSpoolJob {
public:
    // A job for the printer's queue, drawn at the printer's page layout and resolution; null
    // when the printer is no queue of the spooler (a PDF file, or a platform that has none).
    static std::unique_ptr<TSpoolJob> For(const QPrinter& printer);

    // What the pages are drawn on.
    QPrinter& Device() { return device_; }
    // Hands the drawn file to the queue, on a sheet of the page size the printer was given;
    // when the spooler refuses the job, what to tell the user with the spooler's own words,
    // else empty.
    QString Submit();

private:
    explicit TSpoolJob(const QPrinter& printer);

    QString queue_;
    QTemporaryDir folder_;
    QPrinter device_{QPrinter::HighResolution};
};
