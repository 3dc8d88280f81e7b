// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the print tests share: a program folder with a database whose categories the report
// looks up, the print preview window over it, tasks made in memory and the page on the
// control as an image.

#include "preview/Preview.h"
#include "printing/Unit19.h"
#include "store/DmUnit.h"
#include "store/dates/dateUnit.h"
#include "store/varUnit.h"
#include "tests/ui/PreviewRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"
#include "uikit/MessageBox.h"

#include <QString>
#include <memory>
#include <string>
#include <vector>

// The report's date: 2007-03-14.
inline double PrintTestNow() {
    return EncodeDate(2007, 3, 14) + 0.5;
}

struct TPrintRig {
    TTestHome home;
    TDM dm{home.Path().toStdString()};
    std::unique_ptr<TForm19> preview;

    TPrintRig() {
        dm.DataModuleCreate();
        DM = &dm;
        SetNowSource(PrintTestNow);
        // Besides Personal, Work and Shopping (icons 1 to 3, positions 1 to 3).
        Exec(home.DatabasePath(), "INSERT INTO t_category (id, strName, intImg, intPos) VALUES"
                                  " (4, 'Garden', 4, 4), (5, 'Work', 5, 5)");
        preview = std::make_unique<TForm19>();
        ClearShownMessageBoxes();
    }
    ~TPrintRig() {
        preview.reset();
        SetNowSource({});
        DM = nullptr;
    }

    // The set-up without showing the window, on the job as it is.
    void SetUp() { preview->FormShow(); }
    // The page the control holds, played at one pixel per layout unit.
    QImage Page() const {
        TPrintPreview& control = *PrintPreview1(*preview);
        return PlayedPage(control, 1, QSize(control.PaperWidth(), control.PaperHeight()));
    }
};

// A task of a category; the categories 1 to 5 above have the icon and position of their
// number, and a task of any other category has neither (the category is gone).
inline TMyRec2 Task(int id, const std::string& name, int category = 1) {
    const bool known = category >= 1 && category <= 5;
    TMyRec2 task;
    task.id = id;
    task.strName = name;
    task.intCategory = category;
    task.intImg = known ? category : 0;
    task.intPos = known ? category : 0;
    task.intPriority = 1;
    return task;
}

inline TMyRec2 WithNote(TMyRec2 task, const std::string& note) {
    task.intMemo = 1;
    task.strNote = note;
    return task;
}

// Forty tasks in list order over four categories, every third with a note of one to three
// lines, every fifth High, every seventh done, some with reminders and due dates.
inline std::vector<TMyRec2> FortyTasks() {
    std::vector<TMyRec2> tasks;
    const int categories[] = {1, 2, 3, 4};
    for (int i = 1; i <= 40; ++i) {
        TMyRec2 task = Task(i,
                            "Task number " + std::to_string(i) +
                                (i % 4 == 0 ? " with a rather long name that goes on" : ""),
                            categories[(i * 7) % 4]);
        if (i % 3 == 0)
            task = WithNote(task, std::string("Note of task ") + std::to_string(i) +
                                      (i % 2 == 0 ? "\nsecond line of the note" : "") +
                                      (i % 9 == 0 ? " and a long line that wraps across the width "
                                                    "of the name column on every paper we use"
                                                  : ""));
        task.intPriority = i % 5 == 0 ? 0 : 1;
        task.intDone = i % 7 == 0 ? 1 : 0;
        task.intReminder = i % 4 == 1 ? 1 : 0;
        if (i % 3 != 1) {
            task.intDue = 1;
            task.dateDue = EncodeDate(2007, 4, i % 28 + 1);
        }
        tasks.push_back(task);
    }
    return tasks;
}
