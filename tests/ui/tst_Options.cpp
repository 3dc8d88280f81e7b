// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "options/Autostart.h"
#include "options/Unit12.h"
#include "options/Unit14.h"
#include "store/settings/Settings.h"
#include "store/varUnit.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"
#include "uikit/FrameController.h"
#include "uikit/MessageBox.h"
#include "uikit/MyImage.h"
#include "uikit/myLabel.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <memory>

class TestOptions : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TForm14> options_;

    // What desktop-file-validate says of a desktop entry: nothing when it is valid.
    static QString Validate(const QString& path) {
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(DESKTOP_FILE_VALIDATE, {path});
        if (!validate.waitForFinished(10000))
            return "desktop-file-validate did not finish";
        return QString(validate.readAll()) +
               (validate.exitCode() == 0 ? QString()
                                         : QString("exit code %1").arg(validate.exitCode()));
    }

    static QString EntryText() {
        QFile entry(AutostartEntryPath());
        return entry.open(QIODevice::ReadOnly) ? QString(entry.readAll()) : QString();
    }

    QString Ini() const { return QString::fromStdString(SettingsFilePath()); }
    QByteArray IniText() const {
        QFile file(Ini());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init() {
        home_ = std::make_unique<TTestHome>();
        StartWithWindows = true;
        DoneBottom = 1;
        options_ = std::make_unique<TForm14>();
        ClearShownMessageBoxes();
    }
    void cleanup() {
        VerifyCleanEnd();
        options_.reset();
        home_.reset();
        StartWithWindows = true;
        DoneBottom = 1;
    }

    void showTakesTheSettingsInMemoryAndOkIsFocused() {
        StartWithWindows = false;
        DoneBottom = 2;
        options_->show();
        QVERIFY(!CheckBox1(*options_)->isChecked());
        QVERIFY(!CheckBox2(*options_)->isChecked());
        QCOMPARE(options_->focusWidget(), BitBtn1(*options_));
        QCOMPARE(options_->size(), QSize(350, 273));
        QCOMPARE(CheckBox2(*options_)->geometry(), QRect(56, 107, 252, 17));
    }

    void okWritesBothKeysAndTheAutostartEntry() {
        DoneBottom = 2;
        options_->show();
        QTest::keyClick(BitBtn1(*options_), Qt::Key_Return);
        QVERIFY(!options_->isVisible());
        QCOMPARE(DoneBottom, 0);
        QCOMPARE(IniText(), QByteArray("[general]\r\nStart=1\r\nDoneBottom=0\r\n"));
        QFile entry(AutostartEntryPath());
        QVERIFY(AutostartEntryPath().startsWith(home_->Path()));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString text = entry.readAll();
        QVERIFY(text.contains("Name=Tolvek Organizer\n"));
        QVERIFY(text.contains("Exec=\"" + QCoreApplication::applicationFilePath() + "\" /ws\n"));
        QVERIFY(text.contains("Icon=tolvek-organizer\n"));
        QCOMPARE(Validate(AutostartEntryPath()), QString());

        options_->show();
        QTest::mouseClick(CheckBox1(*options_), Qt::LeftButton, {}, QPoint(6, 8));
        QTest::mouseClick(CheckBox2(*options_), Qt::LeftButton, {}, QPoint(6, 8));
        QTest::mouseClick(BitBtn1(*options_), Qt::LeftButton);
        QVERIFY(!StartWithWindows);
        QCOMPARE(DoneBottom, 1);
        QCOMPARE(IniText(), QByteArray("[general]\r\nStart=0\r\nDoneBottom=1\r\n"));
        QVERIFY(!QFile::exists(AutostartEntryPath()));
        // Removing an entry that is not there is no error.
        options_->show();
        options_->BitBtn1Click();
        QVERIFY(ShownMessageBoxes().isEmpty());
    }

    void theAutostartEntryNamesAnyExecutablePathSoThatItStaysValid() {
        AddAutostartEntry(home_->Path() + "/My \"odd\" $folder\\50%/bin/tolvek-organizer");
        QVERIFY(EntryText().contains(
            "Exec=\"" + home_->Path() +
            "/My \\\\\"odd\\\\\" \\\\$folder\\\\\\\\50%%/bin/tolvek-organizer\" /ws\n"));
        QCOMPARE(Validate(AutostartEntryPath()), QString());
        // A path relative to the working folder is made absolute: log-on starts elsewhere.
        AddAutostartEntry("bin/tolvek-organizer");
        QVERIFY(EntryText().contains("Exec=\"" + QDir::currentPath() +
                                     "/bin/tolvek-organizer\" /ws\n"));
    }

    void cancelEscAndTheClosePictureChangeNothing() {
        for (int way = 0; way < 3; ++way) {
            options_->show();
            CheckBox1(*options_)->setChecked(false);
            CheckBox2(*options_)->setChecked(false);
            if (way == 0)
                QTest::mouseClick(BitBtn2(*options_), Qt::LeftButton);
            else if (way == 1)
                QTest::keyClick(options_.get(), Qt::Key_Escape);
            else
                QTest::mouseClick(options_->Frame->Image_Close(), Qt::LeftButton);
            QVERIFY(!options_->isVisible());
            QVERIFY(StartWithWindows);
            QCOMPARE(DoneBottom, 1);
            QVERIFY(!QFile::exists(Ini()));
            QVERIFY(!QFile::exists(AutostartEntryPath()));
        }
    }

    void aSettingsFileThatCannotBeWrittenKeepsTheWindowOpen() {
        qputenv("XDG_CONFIG_HOME", (home_->Path() + "/no/such/folder").toUtf8());
        options_->show();
        CheckBox2(*options_)->setChecked(false);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QTest::mouseClick(BitBtn1(*options_), Qt::LeftButton);
        QCOMPARE(ShownMessageBoxes(), QStringList{"Error: Unable to write to " + Ini()});
        QVERIFY(options_->isVisible());
        QCOMPARE(DoneBottom, 0);
        QVERIFY(!QFile::exists(AutostartEntryPath()));
    }

    void anAutostartEntryThatCannotBeWrittenIsReportedAndTheWindowStaysOpen_data() {
        QTest::addColumn<QString>("blocker");
        QTest::newRow("its folder is a file") << "folder";
        QTest::newRow("a folder where the entry goes") << "entry";
    }
    void anAutostartEntryThatCannotBeWrittenIsReportedAndTheWindowStaysOpen() {
        QFETCH(QString, blocker);
        const QString folder = QFileInfo(AutostartEntryPath()).path();
        if (blocker == "folder") {
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QDir().mkpath(AutostartEntryPath()));
        }
        options_->show();
        CheckBox1(*options_)->setChecked(true);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QTest::mouseClick(BitBtn1(*options_), Qt::LeftButton);
        QCOMPARE(ShownMessageBoxes(),
                 QStringList{"Error: Failed to set data for 'Tolvek Organizer'"});
        QVERIFY(options_->isVisible());
        QVERIFY(!QFileInfo(AutostartEntryPath()).isFile());
        options_->close();
    }

    void theAboutLinkLightsUpUnderThePointerAndEnterCloses() {
        TForm12 about;
        about.show();
        QCOMPARE(about.size(), QSize(350, 386));
        QCOMPARE(Label2(about)->text(), QString("Version 2.01 Build 1001"));
        QCOMPARE(Label4(about)->pos(), QPoint(56, 273));
        QCOMPARE(Label4(about)->cursor().shape(), Qt::PointingHandCursor);
        for (int pass = 0; pass < 2; ++pass) {
            QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
            QCoreApplication::sendEvent(Label4(about), &enter);
            QCOMPARE(Label4(about)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
            QVERIFY(Label4(about)->font().underline());
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(Label4(about), &leave);
            QCOMPARE(Label4(about)->palette().color(QPalette::WindowText), QColor(0, 0, 0));
            QVERIFY(!Label4(about)->font().underline());
        }
        QCOMPARE(about.focusWidget(), BitBtn1(about));
        QTest::keyClick(BitBtn1(about), Qt::Key_Return);
        QVERIFY(!about.isVisible());
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestOptions test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Options.moc"
