#include "options/Autostart.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

const char* const EntryName = "Tolvek Organizer";

#ifdef Q_OS_WIN
QSettings RunKey() {
    return QSettings(R"(HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run)",
                     QSettings::NativeFormat);
}
#endif

} // namespace

QString AutostartEntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/autostart/tolvek-organizer.desktop";
}

void AddAutostartEntry(const QString& executablePath) {
    const QString command = "\"" + QDir::toNativeSeparators(executablePath) + "\" /ws";
#ifdef Q_OS_WIN
    RunKey().setValue(EntryName, command);
#else
    QDir().mkpath(QFileInfo(AutostartEntryPath()).path());
    QFile entry(AutostartEntryPath());
    if (!entry.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    entry.write(QString("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n"
                        "X-GNOME-Autostart-enabled=true\n")
                    .arg(EntryName, command)
                    .toUtf8());
#endif
}

void RemoveAutostartEntry() {
#ifdef Q_OS_WIN
    RunKey().remove(EntryName);
#else
    QFile::remove(AutostartEntryPath());
#endif
}
