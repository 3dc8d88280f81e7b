// SPDX-License-Identifier: GPL-3.0-or-later

#include "options/Autostart.h"

#include "store/settings/ProgramInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <stdexcept>
#include <string>

namespace {

const char* const EntryName = "Tolvek Organizer";

#ifdef Q_OS_WIN
QSettings RunKey() {
    return QSettings(R"(HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run)",
                     QSettings::NativeFormat);
}
#else
QString AutostartExec(const QString& executablePath) {
    // Inside the double quotes of an Exec key, ", `, $ and \ take a backslash; the key's value
    // then doubles every backslash, and a literal % is written %%.
    QString quoted;
    for (const QChar c : QFileInfo(executablePath).absoluteFilePath()) {
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        else if (c == '\\')
            quoted += "\\\\\\";
        else if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return "\"" + quoted + "\" /ws";
}
#endif

} // namespace

QString AutostartEntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/autostart/tolvek-organizer.desktop";
}

void AddAutostartEntry(const QString& executablePath) {
#ifdef Q_OS_WIN
    RunKey().setValue(EntryName, "\"" + QDir::toNativeSeparators(executablePath) + "\" /ws");
#else
    // The same icon as the menu entry's, so that the desktop's list of programs started at
    // log-on shows the program as the menu does.
    const QByteArray text = QString("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n"
                                    "Icon=%3\nTerminal=false\nX-GNOME-Autostart-enabled=true\n")
                                .arg(EntryName, AutostartExec(executablePath), ProgramFileName)
                                .toUtf8();
    // Written whole or not at all, so that a failure leaves no entry half written.
    QSaveFile entry(AutostartEntryPath());
    if (!QDir().mkpath(QFileInfo(AutostartEntryPath()).path()) ||
        !entry.open(QIODevice::WriteOnly) || entry.write(text) != text.size() || !entry.commit())
        throw std::runtime_error(std::string("Failed to set data for '") + EntryName + "'");
#endif
}

void RemoveAutostartEntry() {
#ifdef Q_OS_WIN
    RunKey().remove(EntryName);
#else
    QFile::remove(AutostartEntryPath());
#endif
}
