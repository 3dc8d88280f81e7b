// SPDX-License-Identifier: GPL-3.0-or-later
// Where the account's password comes from: a command of the user's, or the desktop's secret
// store, which here is missing on purpose (the test never reaches a real user's keyring).
#include "sync/Credentials.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TCredentialsTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QTemporaryDir busFolder_;
    QProcess bus_;

    // A session bus of the test's own on which nothing keeps secrets, as on a desktop without
    // a keyring; without dbus-daemon, no bus at all. Either way no real keyring is ever asked.
    QByteArray PrivateBus() {
        const QString config = busFolder_.filePath("bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(QString("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                           "<policy context=\"default\"><allow send_destination=\"*\" "
                           "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                           "</policy></busconfig>")
                       .arg(busFolder_.path())
                       .toUtf8());
        file.close();
        bus_.setStandardErrorFile(QProcess::nullDevice());
        bus_.start("dbus-daemon", {"--config-file=" + config, "--print-address=1", "--nofork"});
        if (!bus_.waitForStarted(10000) || !bus_.waitForReadyRead(10000))
            return {};
        return bus_.readLine().trimmed();
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid() && busFolder_.isValid());
        QByteArray address = PrivateBus();
        if (address.isEmpty())
            address = "unix:path=" + folder_.filePath("no-bus").toUtf8();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "HOME"})
            qputenv(name, folder_.path().toUtf8());
    }

    void cleanupTestCase() {
        bus_.kill();
        bus_.waitForFinished(10000);
    }

    void thePasswordIsTheFirstLineTheCommandPrints() {
        const TPasswordResult two = RunPasswordCommandNow("printf 'fïrst pw 1\\nsecond\\n'");
        QVERIFY2(two.Ok(), qPrintable(two.message));
        QCOMPARE(two.password, QString("fïrst pw 1"));
        QCOMPARE(RunPasswordCommandNow("printf 'crlf\\r\\n'").password, QString("crlf"));
        QCOMPARE(RunPasswordCommandNow("printf 'no line end'").password, QString("no line end"));
        // Through the shell: pipes and variables work as typed.
        QCOMPARE(RunPasswordCommandNow("X=secret; echo \"$X\" | tr a-z A-Z").password,
                 QString("SECRET"));
        // Nothing waits on standard input.
        QCOMPARE(RunPasswordCommandNow("cat; echo after-input").password, QString("after-input"));
    }

    void aCommandThatFailsOrPrintsNothingIsSaidSo() {
        const TPasswordResult failed = RunPasswordCommandNow("echo 'vault is locked' >&2; exit 3");
        QCOMPARE(failed.error, TSecretErrorKind::CommandFailed);
        QVERIFY(failed.password.isEmpty());
        QVERIFY2(failed.message.contains("exit status 3") &&
                     failed.message.contains("vault is locked"),
                 qPrintable(failed.message));
        // A command that fails after printing something gives no password.
        QCOMPARE(RunPasswordCommandNow("echo half; exit 1").error, TSecretErrorKind::CommandFailed);

        const TPasswordResult silent = RunPasswordCommandNow("true");
        QCOMPARE(silent.error, TSecretErrorKind::CommandFailed);
        QVERIFY(silent.message.contains("printed no password"));
        QCOMPARE(RunPasswordCommandNow("echo").error, TSecretErrorKind::CommandFailed);
        QCOMPARE(RunPasswordCommandNow("no-such-command-here").error,
                 TSecretErrorKind::CommandFailed);
    }

    void aCommandThatHangsIsStopped() {
        QElapsedTimer clock;
        clock.start();
        const TPasswordResult hung =
            RunPasswordCommandNow("sleep 30; echo late", std::chrono::milliseconds(300));
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(hung.error, TSecretErrorKind::CommandFailed);
        QVERIFY2(hung.message.contains("too long"), qPrintable(hung.message));
    }

    void withoutASecretStoreEveryCallSaysSo() {
        const QString key = SecretKey("https://dav.example.org/", "alice");
        QCOMPARE(key, QString("alice@https://dav.example.org/"));
        QElapsedTimer clock;
        clock.start();
        for (const TPasswordResult& result :
             {WriteSecretNow(key, "secret"), ReadSecretNow(key), DeleteSecretNow(key)}) {
            QVERIFY2(result.error == TSecretErrorKind::NoSecretStore, qPrintable(result.message));
            QVERIFY2(result.message.contains("No secret store answers") &&
                         result.message.contains("command"),
                     qPrintable(result.message));
            QVERIFY(result.password.isEmpty());
        }
        QVERIFY(clock.elapsed() < 30000);
        // Nothing was written in its place.
        QCOMPARE(
            QDir(folder_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
    }
};

QTEST_GUILESS_MAIN(TCredentialsTest)
#include "tst_Credentials.moc"
