// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Asks in the desktop's file dialog for the name of a file to save; empty when the user
// cancels. Every such question goes through here, so that a test can answer it.
QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                        const QString& filter);

// Test seam: while answers are queued no dialog opens; each question takes the next answer (a
// file name, or empty for a cancelled dialog) and is recorded as "caption: proposed" for the
// test to read.
void QueueSaveFileNameAnswer(const QString& answer);
QStringList AskedSaveFileNames();
// Takes back the answers no question used and forgets the questions asked; returns how many
// answers were left.
int DropSaveFileNameAnswers();
