// SPDX-License-Identifier: GPL-3.0-or-later

// A due reminder on Wayland without a notification server: the program's windows made inside a
// desktop session of their own (desktop_session.sh --weston), on weston's headless back end,
// with a session bus on which no server answers. The balloon window must be on the screen,
// as the compositor's own screenshot shows it.

#include "tests/ui/ReminderRig.h"
#include "tests/ui/TaskEditorRig.h"
#include "tests/ui/TestSupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>

namespace {

// The balloon window's background.
const QColor BalloonColour(255, 255, 225);

// The compositor's picture of its whole screen, taken by weston-screenshooter.
QImage Screenshot() {
    QDir folder(qEnvironmentVariable("NOTIFY_TEST_DIR") + "/shots");
    folder.removeRecursively();
    folder.mkpath(".");
    QProcess shooter;
    shooter.setWorkingDirectory(folder.path());
    shooter.start("weston-screenshooter", {});
    if (!shooter.waitForFinished(10000) || shooter.exitCode() != 0)
        qWarning() << "weston-screenshooter failed:" << shooter.readAllStandardError();
    const QStringList shots = folder.entryList({"*.png"}, QDir::Files);
    return shots.isEmpty() ? QImage() : QImage(folder.filePath(shots.front()));
}

// Where the screenshot has the balloon's background.
QRect BalloonArea(const QImage& screen) {
    QRect area;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (screen.pixelColor(x, y) == BalloonColour)
                area |= QRect(x, y, 1, 1);
    return area;
}

// The balloon's area on the screen once it is there (shown) or gone (not shown), as the
// compositor puts the latest pictures on the screen; where it last was after 2 s without.
QRect AwaitBalloonArea(bool shown) {
    QRect area;
    for (int attempt = 0; attempt < 20; ++attempt) {
        area = BalloonArea(Screenshot());
        if (area.isEmpty() != shown)
            break;
        QTest::qWait(100);
    }
    return area;
}

} // namespace

class TestWaylandBalloon : public TReminderTestBase {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != "wayland")
            QSKIP("runs inside desktop_session.sh --weston");
    }

    void init() { SetUpRig(FixedNow()); }

    void cleanup() {
        VerifyCleanEnd();
        TearDownRig();
    }

    void dueReminderBalloonIsOnTheScreen_data() {
        QTest::addColumn<bool>("mainShown");
        QTest::newRow("main window minimized") << false;
        // A balloon placed against the main window's corner falls off the screen.
        QTest::newRow("main window shown") << true;
    }

    void dueReminderBalloonIsOnTheScreen() {
        QFETCH(bool, mainShown);
        TForm1& main = Start({DueRow(1, "Call the plumber", "the tap drips")}, false, true);
        if (mainShown) {
            main.ShowOrganizer();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
        }
        const QImage before = Screenshot();
        QVERIFY(!before.isNull());
        QVERIFY(AwaitBalloonArea(false).isEmpty());

        main.Reminders->Timer3Timer();
        QVERIFY(!main.Reminders->UsesDesktopNotifications());
        QVERIFY(BalloonUp());
        QVERIFY(QTest::qWaitForWindowExposed(main.Reminders->Balloon));
        const QRect shown = AwaitBalloonArea(true);
        QVERIFY2(!shown.isEmpty(), "the balloon is not on the screen");
        QCOMPARE(shown.width(), main.Reminders->Balloon->width() - 2);
        QCOMPARE(shown.height(), main.Reminders->Balloon->height() - 2);
        QVERIFY(QRect(QPoint(0, 0), before.size()).contains(shown));

        main.Reminders->Timer4Timer();
        QVERIFY(!BalloonUp());
    }
};

QTEST_MAIN(TestWaylandBalloon)
#include "tst_WaylandBalloon.moc"
