// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/varUnit.h"

#include <QList>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Points the program folder (TOLVEK_HOME), the settings folder (XDG_CONFIG_HOME) and the cache
// (XDG_CACHE_HOME) at a fresh temporary folder, so that a test never touches a real user's
// data.
class TTestHome {
public:
    TTestHome();
    QString Path() const { return dir_.path(); }
    QString DatabasePath() const { return dir_.path() + "/db/data.db"; }

private:
    QTemporaryDir dir_;
};

// Runs SQL on the database file on a connection of its own, as another program could.
void Exec(const QString& path, const QString& sql);
// The first column of the first row of a query: an integer, a real, a text or, for NULL or
// no row, an invalid variant.
QVariant Scalar(const QString& path, const QString& sql);
int RowCount(const QString& path, const QString& table);

// One t_task row for a test; the columns a test leaves out get the table's defaults.
struct TTaskRow {
    int id = 0;
    std::string name;
    int category = 1;
    int priority = 1;
    int done = 0;
    int due = 0;
    double dateDue = 0;
    int reminder = 0;
    double datetimeReminder = 0;
    // A note row for the task, which then has intMemo 1.
    std::optional<std::string> note = std::nullopt;
};

// Writes the rows into the database file behind the program's back, on a connection of
// its own, as another program could.
void InsertTasks(const QString& databasePath, const std::vector<TTaskRow>& rows);

// A short silent WAV file: the RIFF header and 80 samples of 16-bit mono sound at 8 kHz.
void WriteWave(const QString& path);

// A message box that no test answered would wait for a click that never comes: every window
// test program fails on it at once instead, with the box's text. In force from the start.
void FailOnUnansweredMessageBoxes();

// For every test's cleanup(): fails the test when a modal window is still open (and closes it,
// so that the next test starts without it), when queued message box answers were left over,
// or when an error was caught by the application object's last net instead of by the
// handler that raised it.
void VerifyCleanEnd();
// For the test of the last net itself: what it caught so far was meant to reach it.
void AcknowledgeLastNetCatches();

// The texts of a menu's visible items, "-" for a separator.
QStringList VisibleTexts(const QMenu* menu);

// Runs check on the modal window as soon as one is open, then closes it. The check runs
// within the event loop that opened the window.
void WhenModalOpens(const std::function<void(QWidget&)>& check);

// The ids of the tasks, in their order.
std::vector<int> Ids(const std::vector<TMyRec2>& tasks);

// Takes the addresses the program asks the desktop to open, in place of the desktop's opener:
// QDesktopServices::setUrlHandler("file", &opened, "Open").
class TOpenedUrls : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url) { urls.append(url); }
};
