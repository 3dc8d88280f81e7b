// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/SaveFileName.h"

#include <QApplication>
#include <QFileDialog>
#include <QQueue>

namespace {

QQueue<QString>& QueuedAnswers() {
    static QQueue<QString> answers;
    return answers;
}

QStringList& Asked() {
    static QStringList asked;
    return asked;
}

} // namespace

QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                        const QString& filter) {
    if (!QueuedAnswers().isEmpty()) {
        Asked().append(caption + ": " + proposed);
        return QueuedAnswers().dequeue();
    }
    QWidget* owner = parent ? parent->window() : QApplication::activeWindow();
    return QFileDialog::getSaveFileName(owner, caption, proposed, filter);
}

void QueueSaveFileNameAnswer(const QString& answer) {
    QueuedAnswers().enqueue(answer);
}

QStringList AskedSaveFileNames() {
    return Asked();
}

int DropSaveFileNameAnswers() {
    const int left = static_cast<int>(QueuedAnswers().size());
    QueuedAnswers().clear();
    Asked().clear();
    return left;
}
