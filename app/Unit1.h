// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/sync/SyncState.h"
#include "store/varUnit.h"
#include "sync/SyncScheduler.h"
#include "uikit/MainWindowServices.h"

#include <QWidget>
#include <array>
#include <functional>
#include <thread>
#include <vector>

class QAction;
class QMenu;
class QSystemTrayIcon;
class TDM;
class TForm2;
class TForm3;
class TForm12;
class TForm14;
class TForm15;
class TForm17;
class TForm18;
class TFormSync;
class TFrameController;
class TMyLabel;
class TReminderCheck;
class TTaskArrays;

// How the program was started.
struct TStartOptions {
    // Any command-line argument starts the program quietly in the notification area.
    bool startedWithArgument = false;
    // Without a notification area the window minimizes where it would hide.
    bool trayAvailable = true;
    // The window system lets a window come forward only with an activation token from the
    // launcher (Wayland): a second start hands its token over, and a window that did not come
    // forward with it is shown anew.
    bool tokenActivation = false;
    // The activation token the launcher gave this start, if any.
    QString activationToken{};
    // Reminders go to the desktop's notification server when one answers on the session bus.
    // Off unless asked for, so that windows made without a desktop session of their own (the
    // tests) never reach the user's desktop.
    bool desktopNotifications = false;
    // Syncs with the database's account in the background, when one is set up. Off unless
    // asked for, for the same reason.
    bool backgroundSync = false;
    TSyncTimings syncTimings{};
};

// The windows the main window and its task list open, each made once before the main window.
struct TOpenedWindows {
    TForm3& reminderPopup;
    TForm12& about;
    TForm14& options;
    TForm15& categoryManager;
    TForm17& taskEditor;
    TForm18& printSettings;
    TFormSync& syncWindow;
};

// The main window: the frame around the docked task list, the menu labels, the category
// filter, the tray icon and the reminder check.
class TForm1 : public QWidget, public TMainWindowServices {
    Q_OBJECT

public:
    // Reads the settings, makes the task list window over the task records, loads it, starts
    // the reminder check and builds the category menu.
    TForm1(TDM& dm, TTaskArrays& tasks, const TStartOptions& options, const TOpenedWindows& windows,
           QWidget* parent = nullptr);
    ~TForm1() override;

    // Whether the window is shown when the event loop starts.
    bool TrayIcon1Startup() const { return !options_.startedWithArgument; }
    // Shows the window unless the program was started with an argument.
    void ShowAtStartup();
    // Copies the database into its backup folder once a day, after the window is up. The copy
    // and its integrity check run off the window's thread; DailyBackupFinished follows.
    void ScheduleDailyBackup();
    void MakeTodaysBackup();

    void LoadCategoryMenu();
    void Label6Click();
    void c1Click(QAction* Sender);
    void All1Click();
    void EditCategory1Click();
    // "Sync..." in the category menu: the account and the state of the sync.
    void Sync1Click();
    void HelpClick();
    void OptionsClick();
    void AboutClick();
    void Exit1Click();
    void ShowOrganizer() override;
    // A line from another program on the socket: "show" (with the launcher's activation
    // token when it had one) from a second start, "reload" from the command-line tools.
    void RemoteRequest(const QString& line);
    // How long a window asked to come forward has to become the active one before it is
    // shown anew.
    static constexpr int ActivationWaitMs = 500;
    // The private close-editor request: 0 closes an open task editor like its own close
    // button; any other value does nothing.
    void WMCloseEditor(qintptr lParam);

    // The reminder check: the task editor and the reminder popup pause it while they are
    // shown and resume it when they close.
    void PauseReminderCheck() override;
    void ResumeReminderCheck() override;
    int32_t CategoryShown() const override { return ShownCategory; }
    std::string CategoryName(int32_t id) const override;
    void ReloadTaskList() override;
    // The background sync; none unless the start asked for it.
    TSyncScheduler* Sync() const { return sync_; }

    bool ExitRequested = false;
    bool MainShown = false;
    bool ListShown = false;
    int32_t ShownCategory = 0;
    std::vector<TMyRec1> MenuCategories;

    TForm2* Form2 = nullptr;
    TFrameController* Frame = nullptr;
    TReminderCheck* Reminders = nullptr;

signals:
    // The daily copy was made, was not needed, or failed (and was reported).
    void DailyBackupFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    void FormCreate();
    void FormShow();
    void CreateMenuLabels();
    void CreateMenuKeys();
    void CreateCategoryMenu();
    void CreateTrayIcon();
    void PlacePanel1();
    void HideIntoTray();
    void FormClose();
    void CheckLoadedCategoryItem();
    void LoadAtStartup();
    void OfferBackupForLostDatabase();
    bool OfferSoundBackup(const QString& problem);
    void DailyBackupDone(const QString& failure, bool damaged);
    void ReportBackupFailure(const QString& failure, bool damaged);
    void ShowFromAnotherStart(const QString& activationToken);
    void ShowAnewUnlessActive();
    void ReloadFromOutside();
    // Runs work once no modal window (the editor, the popup, a message box) and no menu is
    // open, looking every delayMs, the first time after delayMs.
    void WhenNothingIsOpen(int delayMs, std::function<void()> work);
    void StartSync();
    void ConnectSyncWindow();
    void SyncStateChanged();
    void AskAboutHeldDeletions(const std::vector<TSyncHeldRow>& held);

    TDM& dm_;
    TTaskArrays& tasks_;
    bool reloadWaiting_ = false;
    TSyncScheduler* sync_ = nullptr;
    // The deletions to ask about; the box asks once for all that came while it waited or was
    // open.
    std::vector<TSyncHeldRow> heldToAsk_;
    bool heldBoxOpen_ = false;
    // Whether this run has told of a database that failed its integrity check.
    bool damageTold_ = false;
    std::thread backupThread_;
    TStartOptions options_;
    TOpenedWindows windows_;

    // The window's controls are its own; each has its designed name as its object name.
    std::array<QAction*, 10> CategoryItems{};
    QWidget* Panel1 = nullptr;
    QMenu* cpm = nullptr;
    QAction* All1 = nullptr;
    QAction* EditCategory1 = nullptr;
    QAction* Sync1 = nullptr;
    TMyLabel* Label6 = nullptr;
    TMyLabel* LabelOptions = nullptr;
    TMyLabel* LabelHelp = nullptr;
    TMyLabel* LabelAbout = nullptr;
    TMyLabel* LabelExit = nullptr;
    QSystemTrayIcon* TrayIcon1 = nullptr;
    QMenu* TrayMenu = nullptr;
    QAction* ShowOrganizer1 = nullptr;
    QAction* SyncNow1 = nullptr;
    QAction* Exit1 = nullptr;
};
