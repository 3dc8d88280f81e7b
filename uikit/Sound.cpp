// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/Sound.h"

#include <QApplication>
#include <QFile>
#include <QSoundEffect>
#include <QUrl>

#ifdef Q_OS_WIN
#include <QFileInfo>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QSoundEffect& SoundPlayer() {
    static QSoundEffect* player = [] {
        auto* effect = new QSoundEffect(qApp);
        QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
            if (effect->status() == QSoundEffect::Error)
                QApplication::beep();
        });
        return effect;
    }();
    return *player;
}

namespace {

// Only a regular file that starts like a WAV file goes to the player: the player never
// finishes loading a file too short to hold the header, and the next sound would then wait for
// it for ever. The file is opened without waiting, so that a FIFO or a device put in its place
// never holds up the window.
bool LooksLikeWav(const QString& path) {
    QByteArray header(12, '\0');
#ifdef Q_OS_WIN
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) ||
        file.read(header.data(), header.size()) != header.size())
        return false;
#else
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool read =
        ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        ::read(fd, header.data(), static_cast<size_t>(header.size())) == header.size();
    ::close(fd);
    if (!read)
        return false;
#endif
    return header.startsWith("RIFF") && header.mid(8, 4) == "WAVE";
}

} // namespace

void PlaySoundFile(const QString& path) {
    if (!LooksLikeWav(path)) {
        QApplication::beep();
        return;
    }
    // The sound is read again unless it is the one already loaded, so that a file that has
    // changed or failed before gets another chance.
    QSoundEffect& player = SoundPlayer();
    const QUrl source = QUrl::fromLocalFile(path);
    if (player.source() != source || player.status() != QSoundEffect::Ready) {
        player.setSource(QUrl());
        player.setSource(source);
    }
    player.play();
}
