#pragma once

#include "app/common/MainWindowServices.h"
#include "store/varUnit.h"

#include <QWidget>
#include <array>
#include <thread>
#include <vector>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class TBalloonWindow;
class TDM;
class TForm2;
class TForm3;
class TForm12;
class TForm14;
class TForm15;
class TForm17;
class TFrameController;
class TMyLabel;

// How the program was started.
struct TStartOptions {
    // Any command-line argument starts the program quietly in the notification area.
    bool startedWithArgument = false;
    // Without a notification area the window minimizes where it would hide.
    bool trayAvailable = true;
};

// The main window: the frame around the docked task list, the menu labels, the category
// filter and the tray icon.
class TForm1 : public QWidget, public TMainWindowServices {
    Q_OBJECT

public:
    TForm1(TDM& dm, const TStartOptions& options, QWidget* parent = nullptr);
    ~TForm1() override;

    // Whether the window is shown when the event loop starts.
    bool TrayIcon1Startup() const { return !options_.startedWithArgument; }
    // Shows the window unless the program was started with an argument.
    void ShowAtStartup();
    // Copies the database into its backup folder once a day, after the window is up. The copy
    // and its integrity check run off the window's thread; DailyBackupFinished follows.
    void ScheduleDailyBackup();
    void TakeDailyBackup();

    void LoadCategoryMenu();
    void Label6Click();
    void c1Click(QAction* Sender);
    void All1Click();
    void EditCategory1Click();
    void HelpClick();
    void OptionsClick();
    void AboutClick();
    void Exit1Click();
    void ShowOrganizer();
    // A line from another program on the socket: "show" from a second start, "reload" from
    // the command-line tools.
    void RemoteRequest(const QString& line);
    // The private close-editor request: 0 closes an open task editor like its own close
    // button; any other value does nothing.
    void WMCloseEditor(qintptr lParam);

    // The reminder check: the task editor and the reminder popup pause it while they are
    // shown and resume it when they close.
    void PauseReminderCheck() override;
    void ResumeReminderCheck() override;
    // Starts the check once the records are loaded, the first time they are: a start whose
    // load failed begins it at the first load that succeeds.
    void StartReminderCheck();
    int32_t CategoryShown() const override { return ShownCategory; }
    void ReloadTaskList() override;
    void Timer3Timer();
    void Timer4Timer();
    void TrayIcon1BalloonHintClick();
    // Whether reminders show on the tray icon or in a balloon window of our own.
    bool UsesTrayBalloons() const;

    bool ExitRequested = false;
    bool MainShown = false;
    bool ListShown = false;
    int32_t ShownCategory = 0;
    std::vector<TMyRec1> MenuCategories;
    std::array<QAction*, 10> CategoryItems{};
    // Position in the task list's AllTasks of the task announced last; -1: start at the first.
    int32_t ReminderPos = -1;
    // The task announced last, which a click on the balloon works on.
    int32_t ReminderTaskId = 0;
    // Scans for due reminders every 10 s.
    QTimer* Timer3 = nullptr;
    // Takes a shown balloon down after 10 s.
    QTimer* Timer4 = nullptr;

    TForm2* Form2 = nullptr;
    QWidget* Panel1 = nullptr;
    QMenu* cpm = nullptr;
    QAction* All1 = nullptr;
    QAction* EditCategory1 = nullptr;
    TMyLabel* Label6 = nullptr;
    TMyLabel* LabelOptions = nullptr;
    TMyLabel* LabelHelp = nullptr;
    TMyLabel* LabelAbout = nullptr;
    TMyLabel* LabelExit = nullptr;
    QSystemTrayIcon* TrayIcon1 = nullptr;
    QMenu* TrayMenu = nullptr;
    QAction* ShowOrganizer1 = nullptr;
    QAction* Exit1 = nullptr;
    TFrameController* Frame = nullptr;
    // The windows the main window shows, once they exist.
    TForm3* Form3 = nullptr;
    TForm12* Form12 = nullptr;
    TForm14* Form14 = nullptr;
    TForm15* Form15 = nullptr;
    TForm17* Form17 = nullptr;
    // The balloon window used where the tray shows no balloons.
    TBalloonWindow* Balloon = nullptr;

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
    void CreateCategoryMenu();
    void CreateTrayIcon();
    void CreateTimers();
    void ShowBalloon(const QString& fullTitle, const QString& fullText);
    void HideBalloon();
    void HideIntoTray();
    void FormClose();
    void CheckLoadedCategoryItem();
    void LoadAtStartup();
    void OfferBackupForLostDatabase();
    bool OfferSoundBackup(const QString& problem);
    void DailyBackupDone(const QString& failure, bool damaged);
    void ReportBackupFailure(const QString& failure, bool damaged);
    void ShowFromAnotherStart();
    void ReloadFromOutside();

    TDM& dm_;
    bool reloadWaiting_ = false;
    bool reminderCheckStarted_ = false;
    // Whether this run has told of a database that failed its integrity check.
    bool damageTold_ = false;
    std::thread backupThread_;
    TStartOptions options_;
};
