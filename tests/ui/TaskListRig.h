// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The task list window by itself, made with what the program gives it: the task records, the
// task editor and the print settings, under a main window that shows every category.

#include "editor/Unit17.h"
#include "printing/Unit18.h"
#include "printing/Unit19.h"
#include "store/records/TaskArrays.h"
#include "tasklist/Unit2.h"
#include "uikit/MainWindowServices.h"

#include <memory>

class TTaskListRig : private TMainWindowServices {
public:
    explicit TTaskListRig(TDM& dm)
        : tasks_(dm), taskEditor_(dm, *this), printSettings_(tasks_, printPreview_),
          list_(std::make_unique<TForm2>(dm, tasks_, taskEditor_, printSettings_, Services())) {}

    TForm2& List() { return *list_; }

private:
    TMainWindowServices& Services() { return *this; }
    void PauseReminderCheck() override {}
    void ResumeReminderCheck() override {}
    int32_t CategoryShown() const override { return 0; }
    void ReloadTaskList() override {}
    void ShowOrganizer() override {}

    TTaskArrays tasks_;
    TForm17 taskEditor_;
    TForm19 printPreview_;
    TForm18 printSettings_;
    std::unique_ptr<TForm2> list_;
};
