// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the task editor tests share: a fresh program folder and database, the program's
// windows with the main window started in the tray, a fixed clock and a few database queries.

#include "app/ProgramWindows.h"
#include "editor/Unit17.h"
#include "reminders/ReminderCheck.h"
#include "store/DmUnit.h"
#include "store/dates/dateUnit.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"
#include "uikit/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QVariant>
#include <QtTest>

#include <memory>
#include <sqlite3.h>

// The clock of every editor test: 2007-03-14 10:15:30, so tomorrow is 2007-03-15.
inline double FixedNow() {
    return EncodeDate(2007, 3, 14) + (10 * 3600 + 15 * 60 + 30) / 86400.0;
}

struct TEditorRig {
    TTestHome home;
    TDM dm{home.Path().toStdString()};
    std::unique_ptr<TProgramWindows> windows;
    TForm1* main = nullptr;
    TForm17* editor = nullptr;

    TEditorRig() {
        dm.DataModuleCreate();
        DM = &dm;
        SetNowSource(FixedNow);
        windows = std::make_unique<TProgramWindows>(dm, TStartOptions{true, true});
        main = &windows->MainWindow();
        editor = &windows->TaskEditor();
        ClearShownMessageBoxes();
    }
    ~TEditorRig() {
        editor = nullptr;
        main = nullptr;
        windows.reset();
        SetNowSource({});
        DM = nullptr;
    }

    QString Db() const { return home.DatabasePath(); }
    QVariant Task(int id, const QString& column) const {
        return Scalar(Db(), QString("SELECT %1 FROM t_task WHERE id = %2").arg(column).arg(id));
    }
    QVariant NoteOf(int taskId, const QString& column = "strNote") const {
        return Scalar(Db(),
                      QString("SELECT %1 FROM t_note WHERE idTask = %2").arg(column).arg(taskId));
    }
    // Puts empty files (and folders, for names ending in "/") into the sound folder.
    void MakeSounds(const QStringList& names) const {
        QDir folder(home.Path());
        folder.mkpath("sound");
        for (const QString& name : names) {
            if (name.endsWith('/')) {
                folder.mkpath("sound/" + name);
                continue;
            }
            QFile file(folder.filePath("sound/" + name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }

    void ShowAdd() {
        editor->TaskEditorMode = 1;
        editor->show();
    }
    void ShowEdit(const TMyRec2& task) {
        editor->PrepareEdit(task);
        editor->show();
    }
    void TypeName(const QString& text) const { QTest::keyClicks(Edit1(*editor), text); }
    void ClickOk() const { QTest::mouseClick(BitBtn1(*editor), Qt::LeftButton); }
    void Click(QCheckBox* box) const {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
};
