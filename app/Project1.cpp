// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/InstanceServer.h"
#include "app/ProgramWindows.h"
#include "store/DmUnit.h"
#include "uikit/Reporting.h"

#include <QSystemTrayIcon>

int main(int argc, char* argv[]) {
    if (const std::optional<int> answered = AnswerWithoutStarting(argc, argv))
        return *answered;
    TApplication application(argc, argv);

    TDM dataModule(ResolveProgramFolders(TApplication::applicationDirPath().toStdString()));
    // A second start on the same database hands over: without an argument the running
    // program shows its window; with one (the start at log-on) this start just ends.
    const QString database = QString::fromStdString(dataModule.DatabasePath());
    if (HandOverToRunningProgram(database, argc > 1 ? QString() : QStringLiteral("show")))
        return 0;
    TInstanceServer instanceServer(database);
    instanceServer.Listen();
    DM = &dataModule;
    RunReportingErrors(nullptr, [&] { dataModule.DataModuleCreate(); });

    TStartOptions start;
    start.startedWithArgument = argc > 1;
    start.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    TProgramWindows windows(dataModule, start);
    TForm1& mainWindow = windows.MainWindow();
    QObject::connect(&instanceServer, &TInstanceServer::lineReceived, &mainWindow,
                     &TForm1::RemoteRequest);

    mainWindow.ShowAtStartup();
    mainWindow.ScheduleDailyBackup();
    const int exitCode = TApplication::exec();
    DM = nullptr;
    return exitCode;
}
