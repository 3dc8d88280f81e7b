// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// Every message box of the program goes through here, so that a test can answer them.

// "Error" box with the error icon and an OK button.
void ShowErrorBox(QWidget* parent, const QString& text);
// "Confirm" box with the information icon and Yes and No buttons; true for Yes.
bool AskConfirm(QWidget* parent, const QString& text);
// The same box with buttons that say what each answer does; true for the first (answered
// QMessageBox::Yes in tests). The second, which should change nothing, is the default.
bool AskChoice(QWidget* parent, const QString& text, const QString& yesText, const QString& noText);

// Test seam: while answers are queued, boxes are not shown; each takes the next answer
// (QMessageBox::Yes, No or Ok) and is recorded as "caption: text" for the test to read.
void QueueMessageBoxAnswer(QMessageBox::StandardButton answer);
QStringList ShownMessageBoxes();
void ClearShownMessageBoxes();
// Takes back the answers no box used; returns how many there were.
int DropQueuedMessageBoxAnswers();
// Test seam: when set, a box that would open with no answer queued goes to the handler
// instead (with its "caption: text"), so that a test fails rather than waiting for a click
// that never comes.
void SetUnansweredMessageBoxHandler(
    std::function<QMessageBox::StandardButton(const QString& box)> handler);
