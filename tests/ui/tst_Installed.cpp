// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/Unit1.h"
#include "categories/Unit15.h"
#include "categories/Unit16.h"
#include "editor/Unit17.h"
#include "options/Unit12.h"
#include "options/Unit14.h"
#include "reminders/Unit3.h"
#include "resources/Pictures.h"
#include "store/DmUnit.h"
#include "store/settings/ProgramFolders.h"
#include "store/settings/ProgramInfo.h"
#include "tasklist/Unit2.h"
#include "tests/ui/ProgramRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"
#include "uikit/MessageBox.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <memory>

namespace {

QImage IconImage(const QIcon& icon) {
    return icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The key=value lines of the menu entry's [Desktop Entry] group.
QMap<QString, QString> MenuEntry() {
    QFile file(MENU_ENTRY);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QMap<QString, QString> keys;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            keys.insert(QString::fromUtf8(line.left(equals)),
                        QString::fromUtf8(line.mid(equals + 1)));
    }
    return keys;
}

} // namespace

// The program as an installed copy sees it: a fake prefix with bin/ and share/tolvek-organizer/,
// the data in XDG_DATA_HOME, and the desktop told who the windows are.
class TestInstalled : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> root_;
    std::unique_ptr<TDM> dm_;
    TProgramRig main_;

    QString Root() const { return root_->path(); }
    QString Share() const { return Root() + "/prefix/share/tolvek-organizer"; }
    void MakeFile(const QString& path) const {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

private slots:
    void init() {
        root_ = std::make_unique<QTemporaryDir>();
        qunsetenv("TOLVEK_HOME");
        qputenv("XDG_DATA_HOME", (Root() + "/data").toUtf8());
        qputenv("XDG_CONFIG_HOME", (Root() + "/config").toUtf8());
        QDir().mkpath(Root() + "/prefix/bin");
        for (const char* name : {"ding.wav", "Alarm.WAV", "chime.wav", "notes.txt"})
            MakeFile(Share() + "/sound/" + QString(name));
        MakeFile(Share() + "/help/Tolvek Organizer Help.html");
        dm_ = std::make_unique<TDM>(ResolveProgramFolders((Root() + "/prefix/bin").toStdString()));
        dm_->DataModuleCreate();
        DM = dm_.get();
        main_ = TProgramRig(*dm_, TStartOptions{true, true});
        ClearShownMessageBoxes();
    }
    void cleanup() {
        VerifyCleanEnd();
        main_.reset();
        DM = nullptr;
        dm_.reset();
        root_.reset();
    }

    void theDatabaseIsCreatedInXdgDataHomeAndNothingInThePrefix() {
        QCOMPARE(QString::fromStdString(dm_->DatabasePath()),
                 Root() + "/data/tolvek-organizer/db/data.db");
        QVERIFY(QFile::exists(Root() + "/data/tolvek-organizer/db/data.db"));
        QVERIFY(QDir(Root() + "/prefix/bin").isEmpty());
        QCOMPARE(QDir(Share()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({"help", "sound"}));
    }

    void theEditorListsTheInstalledSounds() {
        TForm17& editor = main_.Windows().TaskEditor();
        editor.TaskEditorMode = 1;
        editor.show();
        QStringList sounds;
        for (int i = 0; i < ComboBox3(editor)->count(); ++i)
            sounds.append(ComboBox3(editor)->itemText(i));
        QCOMPARE(sounds, QStringList({"Alarm.WAV", "chime.wav", "ding.wav"}));
        editor.close();
    }

    void helpOpensTheInstalledPage() {
        TOpenedUrls opened;
        QDesktopServices::setUrlHandler("file", &opened, "Open");
        main_->HelpClick();
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(opened.urls,
                 QList<QUrl>{QUrl::fromLocalFile(Share() + "/help/Tolvek Organizer Help.html")});
    }

    void theApplicationTellsTheDesktopWhoItIs() {
        QCOMPARE(QCoreApplication::applicationName(), QString(ProgramName));
        QCOMPARE(QCoreApplication::applicationVersion(), QString(ProgramVersion));
        QCOMPARE(QGuiApplication::desktopFileName(), QString(ProgramId));
        // Qt gives every X11 window the application name as its class, and the menu entry
        // names that class so that the desktop matches the windows to the entry.
        const QMap<QString, QString> entry = MenuEntry();
        QCOMPARE(entry.value("StartupWMClass"), QCoreApplication::applicationName());
        QCOMPARE(entry.value("Icon"), QString(ProgramFileName));
        QCOMPARE(entry.value("Exec"), QString(ProgramFileName));
        QCOMPARE(QFileInfo(MENU_ENTRY).fileName(), QString(ProgramId) + ".desktop");
    }

    void everyWindowAndTheTrayIconShowTheProgramIcon() {
        const QImage icon = IconImage(ProgramIcon());
        TProgramWindows& all = main_.Windows();
        const QList<QWidget*> windows{
            main_.get(),           &all.ReminderPopup(),   &all.About(),     &all.Options(),
            &all.CategoryEditor(), &all.CategoryManager(), &all.TaskEditor()};
        for (QWidget* window : windows)
            QVERIFY2(IconImage(window->windowIcon()) == icon, qPrintable(window->objectName()));
        QVERIFY(IconImage(TrayIcon1(*main_)->icon()) == icon);
    }
};

int main(int argc, char* argv[]) {
    TApplication application(argc, argv);
    TestInstalled test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Installed.moc"
