// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/ui/TestSupport.h"

#include "tests/SqlFile.h"

#include "app/Application.h"
#include "uikit/MessageBox.h"

#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <sqlite3.h>
#include <utility>

namespace {

const bool UnansweredBoxesFail = (FailOnUnansweredMessageBoxes(), true);

} // namespace

namespace {

int caughtBefore = 0;

} // namespace

void AcknowledgeLastNetCatches() {
    caughtBefore = TApplication::CaughtByNotify();
}

void FailOnUnansweredMessageBoxes() {
    SetUnansweredMessageBoxHandler([](const QString& box) {
        QTest::qFail(qPrintable("A message box opened with no answer queued: " + box), __FILE__,
                     __LINE__);
        return QMessageBox::Cancel;
    });
}

void VerifyCleanEnd() {
    const int caught = TApplication::CaughtByNotify() - caughtBefore;
    caughtBefore = TApplication::CaughtByNotify();
    if (caught > 0)
        QTest::qFail(qPrintable(QString("%1 error(s) crossed Qt's frames up to the application "
                                        "object")
                                    .arg(caught)),
                     __FILE__, __LINE__);
    // An answer no box took would answer a box of the next test.
    if (const int left = DropQueuedMessageBoxAnswers())
        QTest::qFail(qPrintable(QString("%1 queued message box answer(s) were not used").arg(left)),
                     __FILE__, __LINE__);
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    const QString name = modal->objectName() + " \"" + modal->windowTitle() + "\"";
    modal->close();
    modal->hide();
    QTest::qFail(qPrintable("A modal window is still open: " + name), __FILE__, __LINE__);
}

TTestHome::TTestHome() {
    QDir(dir_.path()).mkpath("config");
    qputenv("TOLVEK_HOME", dir_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (dir_.path() + "/config").toUtf8());
    qputenv("XDG_CACHE_HOME", (dir_.path() + "/cache").toUtf8());
}

void Exec(const QString& path, const QString& sql) {
    TSqlFile(path.toStdString()).Exec(sql.toStdString());
}

// The first column of the first row of a query: an integer, a real, a text or, for NULL or
// no row, an invalid variant.
QVariant Scalar(const QString& path, const QString& sql) {
    QVariant value;
    bool first = true;
    TSqlFile file(path.toStdString(), SQLITE_OPEN_READONLY);
    file.ForEachRow(sql.toStdString(), [&](sqlite3_stmt* statement) {
        if (!std::exchange(first, false))
            return;
        switch (sqlite3_column_type(statement, 0)) {
        case SQLITE_INTEGER:
            value = static_cast<qlonglong>(sqlite3_column_int64(statement, 0));
            break;
        case SQLITE_FLOAT:
            value = sqlite3_column_double(statement, 0);
            break;
        case SQLITE_TEXT:
            value =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                                  sqlite3_column_bytes(statement, 0));
            break;
        default:
            break;
        }
    });
    return value;
}

int RowCount(const QString& path, const QString& table) {
    return Scalar(path, "SELECT COUNT(*) FROM " + table).toInt();
}

void InsertTasks(const QString& databasePath, const std::vector<TTaskRow>& rows) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(databasePath.toStdString().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    QCOMPARE(
        sqlite3_prepare_v2(db,
                           "INSERT INTO t_task (id, strName, intCategory, intPriority, intDone,"
                           " intDue, dateDue, intReminder, datetimeReminder, intMemo)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                           -1, &insert, nullptr),
        SQLITE_OK);
    for (const TTaskRow& row : rows) {
        sqlite3_bind_int(insert, 1, row.id);
        sqlite3_bind_text(insert, 2, row.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, row.category);
        sqlite3_bind_int(insert, 4, row.priority);
        sqlite3_bind_int(insert, 5, row.done);
        sqlite3_bind_int(insert, 6, row.due);
        sqlite3_bind_double(insert, 7, row.dateDue);
        sqlite3_bind_int(insert, 8, row.reminder);
        sqlite3_bind_double(insert, 9, row.datetimeReminder);
        sqlite3_bind_int(insert, 10, row.note ? 1 : 0);
        QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    QCOMPARE(sqlite3_prepare_v2(db, "INSERT INTO t_note (idTask, strNote) VALUES (?, ?)", -1,
                                &insert, nullptr),
             SQLITE_OK);
    for (const TTaskRow& row : rows) {
        if (!row.note)
            continue;
        sqlite3_bind_int(insert, 1, row.id);
        sqlite3_bind_text(insert, 2, row.note->c_str(), -1, SQLITE_TRANSIENT);
        QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

void WriteWave(const QString& path) {
    const QByteArray samples(160, '\0');
    QByteArray wave;
    QDataStream out(&wave, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples.size());
    out.writeRawData(samples.constData(), static_cast<int>(samples.size()));
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(wave), wave.size());
}

QStringList VisibleTexts(const QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        if (action->isVisible())
            texts << (action->isSeparator() ? "-" : action->text());
    return texts;
}

std::vector<int> Ids(const std::vector<TMyRec2>& tasks) {
    std::vector<int> ids;
    for (const TMyRec2& task : tasks)
        ids.push_back(task.id);
    return ids;
}

void WhenModalOpens(const std::function<void(QWidget&)>& check) {
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, check] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        poll->stop();
        poll->deleteLater();
        check(*modal);
        modal->close();
    });
    poll->start(10);
}
