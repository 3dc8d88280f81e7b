// SPDX-License-Identifier: GPL-3.0-or-later

#include "tasklist/Unit2.h"

#include "store/exchange/IcalExchange.h"
#include "uikit/MessageBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

// Tasks from other programs: an iCalendar file dropped on the list is imported, after a
// question, into the database and shown at once.

namespace {

QStringList IcalFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && url.toLocalFile().endsWith(".ics", Qt::CaseInsensitive))
            files << url.toLocalFile();
    return files;
}

} // namespace

bool TForm2::VDTDragOver(QDropEvent* event) {
    if (IcalFiles(event->mimeData()).isEmpty())
        return false;
    event->acceptProposedAction();
    return true;
}

void TForm2::VDTDragDrop(const QMimeData* data) {
    bool imported = false;
    const auto showImported = [&] {
        if (!imported)
            return;
        emit CategoriesChanged();
        LoadTasks(LoadedCategory);
    };
    try {
        for (const QString& file : IcalFiles(data)) {
            // The whole file is read before the question, so that the count is what will come
            // in.
            const std::vector<TImportedTask> tasks = ReadIcalFile(file.toStdString());
            const QString question = QString("Import %1 tasks from %2?")
                                         .arg(tasks.size())
                                         .arg(QFileInfo(file).fileName());
            if (!AskConfirm(this, question))
                continue;
            ImportTasks(dm_, tasks, 0);
            imported = true;
        }
    } catch (...) {
        // A later file that cannot be read leaves the earlier ones imported: the list shows
        // them before the error is told.
        showImported();
        throw;
    }
    showImported();
}
