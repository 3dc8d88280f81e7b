#include "app/Application.h"
#include "app/Unit1.h"
#include "editor/Unit17.h"
#include "reminders/Unit3.h"
#include "store/DmUnit.h"
#include "tasklist/Unit2.h"

#include <QSystemTrayIcon>

int main(int argc, char* argv[]) {
    TApplication application(argc, argv);
    TApplication::setApplicationName("Tolvek Organizer");

    TDM dataModule(ResolveProgramFolder(TApplication::applicationDirPath().toStdString()));
    DM = &dataModule;
    RunReportingErrors(nullptr, [&] { dataModule.DataModuleCreate(); });

    TStartOptions options;
    options.startedWithArgument = argc > 1;
    options.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    TForm1 mainWindow(dataModule, options);

    // Every other window is made once, here, and reused; each starts hidden.
    TForm3 reminderPopup(dataModule, mainWindow);
    TForm17 taskEditor(dataModule, mainWindow);
    mainWindow.Form3 = &reminderPopup;
    mainWindow.Form17 = &taskEditor;
    mainWindow.Form2->Form17 = &taskEditor;

    mainWindow.ShowAtStartup();
    const int exitCode = TApplication::exec();
    DM = nullptr;
    return exitCode;
}
