// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/Sound.h"

#include <QApplication>
#include <QFile>
#include <QSoundEffect>
#include <QUrl>

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

// Only a file that starts like a WAV file goes to the player: the player never finishes
// loading a file too short to hold the header, and the next sound would then wait for it
// for ever.
bool LooksLikeWav(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(12);
    return header.size() == 12 && header.startsWith("RIFF") && header.mid(8, 4) == "WAVE";
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
