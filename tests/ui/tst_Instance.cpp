// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/InstanceServer.h"
#include "app/Unit1.h"
#include "store/DmUnit.h"
#include "tasklist/Unit2.h"
#include "tests/ui/ProgramRig.h"
#include "tests/ui/TestSupport.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <memory>

// One program per database: the real program started beside a main window made here, which
// plays the program already running.
class TestInstance : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    TProgramRig main_;
    std::unique_ptr<TInstanceServer> server_;
    std::vector<std::unique_ptr<QProcess>> processes_;

    // The running program: its main window hidden in the tray, its socket listening.
    TForm1& Run() {
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        DM = dm_.get();
        main_ = TProgramRig(*dm_, TStartOptions{true, true});
        server_ = std::make_unique<TInstanceServer>(QString::fromStdString(dm_->DatabasePath()));
        connect(server_.get(), &TInstanceServer::lineReceived, main_.get(), &TForm1::RemoteRequest);
        if (!server_->Listen())
            qFatal("the test's own program could not listen");
        return *main_;
    }

    // The real program on a folder, with or without the start-at-log-on argument.
    QProcess& Start(const QString& folder, bool atLogOn) {
        auto& process = processes_.emplace_back(std::make_unique<QProcess>());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TOLVEK_HOME", folder);
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
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Instance.moc"
