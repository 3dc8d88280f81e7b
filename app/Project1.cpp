#include "app/Application.h"
#include "app/InstanceServer.h"
#include "app/Unit1.h"
#include "app/common/MessageBox.h"
#include "categories/Unit15.h"
#include "categories/Unit16.h"
#include "editor/Unit17.h"
#include "options/Unit12.h"
#include "options/Unit14.h"
#include "printing/Unit18.h"
#include "printing/Unit19.h"
#include "reminders/Unit3.h"
#include "store/DmUnit.h"
#include "tasklist/Unit2.h"

#include <QSystemTrayIcon>

int main(int argc, char* argv[]) {
    TApplication application(argc, argv);

    TDM dataModule(ResolveProgramFolders(TApplication::applicationDirPath().toStdString()));
    // A second start on the same database hands over: without an argument the running
    // program shows its window; with one (the start at log-on) this start just ends.
    const QString database = QString::fromStdString(dataModule.DatabasePath());
    if (HandOverToRunningProgram(database, argc > 1 ? QString() : QStringLiteral("show")))
        return 0;
    TInstanceServer instanceServer(database);
    // Without a socket of its own the program still runs: only the hand-over is lost.
    if (!instanceServer.Listen() && !instanceServer.Problem().isEmpty())
        ShowErrorBox(nullptr, instanceServer.Problem() +
                                  "\n\nAnother start on the same data or tolvek-tasks cannot "
                                  "reach this program while it runs.");
    // The main window makes the database at its start, where it can ask about a lost one.
    DM = &dataModule;

    TStartOptions start;
    start.startedWithArgument = argc > 1;
    start.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    TForm1 mainWindow(dataModule, start);

    // Every other window is made once, here, and reused; each starts hidden.
    TForm3 reminderPopup(mainWindow, mainWindow.Form2->Tasks());
    TForm12 about;
    TForm14 options;
    TForm16 categoryEditor;
    TForm15 categoryManager(dataModule, categoryEditor);
    TForm17 taskEditor(dataModule, mainWindow);
    TForm18 printSettings(mainWindow.Form2->Tasks());
    TForm19 printPreview;
    mainWindow.Form3 = &reminderPopup;
    mainWindow.Form12 = &about;
    mainWindow.Form14 = &options;
    mainWindow.Form15 = &categoryManager;
    mainWindow.Form17 = &taskEditor;
    mainWindow.Form2->Form17 = &taskEditor;
    mainWindow.Form2->Form18 = &printSettings;
    mainWindow.Form2->MainWindow = &mainWindow;
    printSettings.Form19 = &printPreview;
    QObject::connect(&instanceServer, &TInstanceServer::lineReceived, &mainWindow,
                     &TForm1::RemoteRequest);

    mainWindow.ShowAtStartup();
    mainWindow.ScheduleDailyBackup();
    const int exitCode = TApplication::exec();
    DM = nullptr;
    return exitCode;
}
