// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/InstanceServer.h"
#include "app/Unit1.h"
#include "store/DmUnit.h"
#include "store/instance/InstanceSocket.h"
#include "tasklist/Unit2.h"
#include "tests/ui/ProgramRig.h"
#include "tests/ui/TestSupport.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include <QLocalSocket>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// One program per database: the real program started beside a main window made here, which
// plays the program already running.
class TestInstance : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    TProgramRig main_;
    std::unique_ptr<TInstanceServer> server_;
    std::vector<std::unique_ptr<QProcess>> processes_;

    // The running program: its main window hidden in the tray (or minimized, as started at
    // log-on without one), its socket listening.
    TForm1& Run(const TStartOptions& start = TStartOptions{true, true}) {
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        DM = dm_.get();
        main_ = TProgramRig(*dm_, start);
        main_->ShowAtStartup();
        server_ = std::make_unique<TInstanceServer>(QString::fromStdString(dm_->DatabasePath()));
        connect(server_.get(), &TInstanceServer::lineReceived, main_.get(), &TForm1::RemoteRequest);
        if (!server_->Listen())
            qFatal("the test's own program could not listen");
        return *main_;
    }

    // The real program on a folder, with or without the start-at-log-on argument, and with
    // the activation token a launcher gave it.
    QProcess& Start(const QString& folder, bool atLogOn, const QString& activationToken = {}) {
        auto& process = processes_.emplace_back(std::make_unique<QProcess>());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TOLVEK_HOME", folder);
        environment.remove("XDG_ACTIVATION_TOKEN");
        if (!activationToken.isEmpty())
            environment.insert("XDG_ACTIVATION_TOKEN", activationToken);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(ORGANIZER_EXE, atLogOn ? QStringList{"/ws"} : QStringList{});
        if (!process->waitForStarted(5000))
            qFatal("cannot start %s", ORGANIZER_EXE);
        return *process;
    }

    // Whether the process ends within ms milliseconds, the event loop running meanwhile.
    static bool EndsWithin(QProcess& process, int ms) {
        QElapsedTimer clock;
        clock.start();
        while (process.state() != QProcess::NotRunning && clock.elapsed() < ms)
            QTest::qWait(10);
        return process.state() == QProcess::NotRunning;
    }

    static QString DatabaseOf(const QString& folder) { return folder + "/db/data.db"; }

private slots:
    void init() {
        home_ = std::make_unique<TTestHome>();
        // Sockets of this test only, in its own folder.
        qputenv("XDG_RUNTIME_DIR", home_->Path().toUtf8());
        qputenv("XDG_CACHE_HOME", (home_->Path() + "/cache").toUtf8());
    }
    void cleanup() {
        VerifyCleanEnd();
        for (auto& process : processes_) {
            process->kill();
            process->waitForFinished(5000);
        }
        processes_.clear();
        server_.reset();
        main_.reset();
        DM = nullptr;
        dm_.reset();
        home_.reset();
    }

    void aSecondStartHandsOverAndTheRunningProgramShowsItsWindow() {
        TForm1& main = Run();
        QVERIFY(!main.MainShown);
        QProcess& second = Start(home_->Path(), false);
        QVERIFY(EndsWithin(second, 1000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY(main.MainShown);
        QVERIFY(main.isVisible());
        // Asked again while shown, it stays shown and comes to the front.
        QProcess& third = Start(home_->Path(), false);
        QVERIFY(EndsWithin(third, 1000));
        QVERIFY(main.isVisible());
    }

    void aSecondStartHandsOverItsActivationToken() {
        TForm1& main = Run(TStartOptions{true, false, true});
        QVERIFY(main.isMinimized());
        QVERIFY(!main.MainShown);
        QSignalSpy lines(server_.get(), &TInstanceServer::lineReceived);
        QProcess& second = Start(home_->Path(), false, "launcher-token_0123:abc");
        QVERIFY(EndsWithin(second, 1000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(lines.count(), 1);
        QCOMPARE(lines.front().front().toString(), QString("show launcher-token_0123:abc"));
        // The window comes back un-minimized and active, and the token, used once, is not left
        // for the programs this one starts later.
        QTRY_VERIFY(main.MainShown);
        QVERIFY(main.isVisible());
        QVERIFY(!main.isMinimized());
        QTRY_VERIFY(main.isActiveWindow());
        QVERIFY(qEnvironmentVariableIsEmpty("XDG_ACTIVATION_TOKEN"));
        // Asked again with the window in front, it stays as it is.
        QProcess& third = Start(home_->Path(), false, "second-token");
        QVERIFY(EndsWithin(third, 1000));
        QTRY_COMPARE(lines.count(), 2);
        QCOMPARE(lines.back().front().toString(), QString("show second-token"));
        QTest::qWait(TForm1::ActivationWaitMs + 100);
        QVERIFY(main.isVisible());
        QVERIFY(!main.isMinimized());
        QVERIFY(qEnvironmentVariableIsEmpty("XDG_ACTIVATION_TOKEN"));
    }

    void theFirstWindowComesUpWithTheLaunchersToken() {
        TStartOptions start{false, false, true};
        start.activationToken = "first-token";
        TForm1& main = Run(start);
        QVERIFY(main.isVisible());
        QTRY_VERIFY(main.isActiveWindow());
        QVERIFY(qEnvironmentVariableIsEmpty("XDG_ACTIVATION_TOKEN"));
    }

    void aTokenALineCannotCarryIsLeftOut() {
        QCOMPARE(ShowRequest(QString()), QString("show"));
        QCOMPARE(ShowRequest("kwin-1234"), QString("show kwin-1234"));
        QCOMPARE(ShowRequest("two words"), QString("show"));
        QCOMPARE(ShowRequest("line\nbreak"), QString("show"));
        QCOMPARE(ShowRequest(QString::fromUtf8("t\xc3\xb6ken")), QString("show"));
        QCOMPARE(ShowRequest(QString(TInstanceServer::MaxLineLength - 5, 'x')).size(),
                 TInstanceServer::MaxLineLength);
        QCOMPARE(ShowRequest(QString(TInstanceServer::MaxLineLength - 4, 'x')), QString("show"));
        QString token;
        QVERIFY(IsShowRequest("show", &token));
        QCOMPARE(token, QString());
        QVERIFY(IsShowRequest("show kwin-1234", &token));
        QCOMPARE(token, QString("kwin-1234"));
        QVERIFY(!IsShowRequest("reload", &token));
        QVERIFY(!IsShowRequest("shown", &token));
        QVERIFY(!IsShowRequest("show a b", &token));
    }

    void aStartAtLogOnOnlyEnds() {
        TForm1& main = Run();
        QProcess& second = Start(home_->Path(), true);
        QVERIFY(EndsWithin(second, 1000));
        QCOMPARE(second.exitCode(), 0);
        QTest::qWait(100);
        QVERIFY(!main.MainShown);
    }

    void programsOnTwoFoldersRunSideBySide() {
        Run();
        QTemporaryDir other;
        QDir(other.path()).mkpath("config");
        QProcess& second = Start(other.path(), true);
        QVERIFY(!EndsWithin(second, 1500));
        QVERIFY(HandOverToRunningProgram(DatabaseOf(other.path()), QString()));
    }

    void aKilledProgramDoesNotBlockTheNextStart() {
        QProcess& first = Start(home_->Path(), true);
        QTRY_VERIFY(HandOverToRunningProgram(DatabaseOf(home_->Path()), QString()));
        ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(5000));
        QVERIFY(!HandOverToRunningProgram(DatabaseOf(home_->Path()), QString()));

        QProcess& next = Start(home_->Path(), true);
        QVERIFY(!EndsWithin(next, 1000));
        QVERIFY(HandOverToRunningProgram(DatabaseOf(home_->Path()), QString()));
    }

    void aTaskAddedFromTheCommandLineShowsInTheList() {
        TForm1& main = Run();
        QCOMPARE(main.Form2->AllTasks.size(), size_t(0));
        QCOMPARE(QProcess::execute(TOLVEK_TASKS, {"add", "from the phone", "--high"}), 0);
        QTRY_COMPARE(main.Form2->ShownTasks.size(), size_t(1));
        QCOMPARE(main.Form2->ShownTasks[0].strName, std::string("from the phone"));
        QCOMPARE(main.Form2->ShownTasks[0].intPriority, 0);
    }

    void everyChangeFromTheCommandLineShowsInTheList() {
        TForm1& main = Run();
        const auto tasks = [&](const QStringList& arguments) {
            return QProcess::execute(TOLVEK_TASKS, arguments);
        };
        QCOMPARE(tasks({"add", "first"}), 0);
        QCOMPARE(tasks({"add", "second"}), 0);
        QTRY_COMPARE(main.Form2->AllTasks.size(), size_t(2));
        QCOMPARE(tasks({"edit", "1", "--name", "renamed", "--high"}), 0);
        QTRY_COMPARE(main.Form2->AllTasks[0].strName, std::string("renamed"));
        QCOMPARE(main.Form2->AllTasks[0].intPriority, 0);
        QCOMPARE(tasks({"done", "2"}), 0);
        QTRY_COMPARE(main.Form2->AllTasks[1].intDone, 1);
        QCOMPARE(tasks({"undone", "2"}), 0);
        QTRY_COMPARE(main.Form2->AllTasks[1].intDone, 0);
        QCOMPARE(tasks({"delete", "1"}), 0);
        QTRY_COMPARE(main.Form2->AllTasks.size(), size_t(1));
        QCOMPARE(main.Form2->ShownTasks.size(), size_t(1));
        QCOMPARE(main.Form2->ShownTasks[0].strName, std::string("second"));
    }

    // Asked for its usage or version, the program answers and ends, with no display to show
    // anything on and without making a database.
    void helpAndVersionPrintAndEnd() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        environment.insert("TOLVEK_HOME", home_->Path());
        for (const QString& argument : {QString("--version"), QString("--help"), QString("-h")}) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(ORGANIZER_EXE, {argument, "/ws"});
            QVERIFY(process.waitForFinished(10000));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), 0);
            const QString out = QString::fromUtf8(process.readAllStandardOutput());
            if (argument == "--version")
                QCOMPARE(out, QString("tolvek-organizer 2.01\n"));
            else
                QVERIFY2(out.startsWith("Usage: tolvek-organizer") && out.contains("--version"),
                         qPrintable(out));
        }
        QVERIFY(!QFile::exists(DatabaseOf(home_->Path())));
    }

    void theReloadWaitsForAnOpenModalWindow() {
        TForm1& main = Run();
        QDialog editor;
        editor.setModal(true);
        editor.show();
        QCOMPARE(QProcess::execute(TOLVEK_TASKS, {"add", "later"}), 0);
        QTest::qWait(500);
        QVERIFY(main.Form2->AllTasks.empty());
        editor.close();
        QTRY_COMPARE(main.Form2->AllTasks.size(), size_t(1));
    }

    void aSecondStartThroughALinkReachesTheSameProgram() {
        TForm1& main = Run();
        QTemporaryDir other;
        const QString link = other.path() + "/link";
        QVERIFY(QFile::link(home_->Path(), link));
        QProcess& second = Start(link, false);
        QVERIFY(EndsWithin(second, 1000));
        QTRY_VERIFY(main.MainShown);
    }

    void aSocketFolderOpenToOthersIsNeverUsedAndSaidSo() {
        qunsetenv("XDG_RUNTIME_DIR");
        const QString folder = home_->Path() + "/cache/tolvek-organizer";
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        TInstanceServer server(home_->DatabasePath());
        QVERIFY(!server.Listen());
        QVERIFY2(server.Problem().contains("can be written by other users"),
                 qPrintable(server.Problem()));
        QVERIFY(!HandOverToRunningProgram(home_->DatabasePath(), "show"));
        QCOMPARE(QDir(folder).entryList(QDir::System | QDir::Files), QStringList());
    }

    void theServerListensAgainAfterAConnectionItCouldNotAccept() {
        Run();
        QSignalSpy lines(server_.get(), &TInstanceServer::lineReceived);
        const std::string database = dm_->DatabasePath();
        const std::string path = InstanceSocketPath(database);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(client >= 0);
        // No file descriptor is left for the server to accept the connection with.
        rlimit saved{};
        ::getrlimit(RLIMIT_NOFILE, &saved);
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        rlimit tight = saved;
        tight.rlim_cur = static_cast<rlim_t>(lowestFree);
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
        const int connected =
            ::connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        QTest::qWait(200);
        ::setrlimit(RLIMIT_NOFILE, &saved);
        ::close(client);
        QCOMPARE(connected, 0);

        QTRY_VERIFY(NotifyRunningProgram(database, "reload"));
        QTRY_VERIFY(lines.count() > 0);
        // A socket file someone removed is made again.
        QVERIFY(QFile::remove(QString::fromStdString(path)));
        QTRY_VERIFY(NotifyRunningProgram(database, "reload"));
    }

    void reloadsThatComeTogetherAreOneAndAnEndlessLineIsCutOff() {
        TForm1& main = Run();
        QSignalSpy loads(main.Form2, &TForm2::TasksLoaded);
        const QString path = QString::fromStdString(InstanceSocketPath(dm_->DatabasePath()));
        QLocalSocket client;
        client.connectToServer(path);
        QVERIFY(client.waitForConnected(1000));
        client.write(QByteArray("reload\n").repeated(2000));
        QVERIFY(client.waitForBytesWritten(1000));
        QTRY_COMPARE(loads.count(), 1);
        QTest::qWait(400);
        QCOMPARE(loads.count(), 1);

        QLocalSocket endless;
        endless.connectToServer(path);
        QVERIFY(endless.waitForConnected(1000));
        endless.write(QByteArray(64 * 1024, 'x'));
        QTRY_COMPARE(endless.state(), QLocalSocket::UnconnectedState);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Instance.moc"
