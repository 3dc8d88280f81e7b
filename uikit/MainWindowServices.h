// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>

// What the windows below the main window need of it, handed to them when they are made, so
// that they need not know the main window itself.
class TMainWindowServices {
public:
    // The reminder check stops while the editor or the popup is shown and goes on after.
    virtual void PauseReminderCheck() = 0;
    virtual void ResumeReminderCheck() = 0;
    // The category the main window's filter shows, 0 for all.
    virtual int32_t CategoryShown() const = 0;
    // Reads the task list again with the category it shows, for a change that found its task
    // gone from the file.
    virtual void ReloadTaskList() = 0;
    // Brings the main window back from the notification area, as "Show Organizer" does;
    // nothing when it is shown.
    virtual void ShowOrganizer() = 0;
    // The name of a category as the category menu has it now (UTF-8); empty when the menu
    // does not know it, or where no menu is kept.
    virtual std::string CategoryName(int32_t) const { return {}; }

protected:
    ~TMainWindowServices() = default;
};
