// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/InstanceServer.h"
#include "app/ProgramWindows.h"
#include "store/DmUnit.h"
#include "uikit/Activation.h"
#include "uikit/MessageBox.h"
#include "uikit/Reporting.h"

#include <QSystemTrayIcon>

int main(int argc, char* argv[]) {
    if (const std::optional<int> answered = AnswerWithoutStarting(argc, argv))
        return *answered;
    TApplication application(argc, argv);

    TDM dataModule(ResolveProgramFolders(TApplication::applicationDirPath().toStdString()));
    // A second start on the same database hands over: without an argument the running
    // program shows its window, with the token the launcher gave this start to bring a window
    // forward (Wayland); with one (the start at log-on) this start just ends.
    const QString database = QString::fromStdString(dataModule.DatabasePath());
    const QString activationToken = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    // The token is for this start's window alone, never for the programs it opens later.
    qunsetenv("XDG_ACTIVATION_TOKEN");
    if (HandOverToRunningProgram(database, argc > 1 ? QString() : ShowRequest(activationToken)))
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
    start.tokenActivation = PlacedByCompositor();
    start.activationToken = activationToken;
    start.desktopNotifications = true;
    start.backgroundSync = true;
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
