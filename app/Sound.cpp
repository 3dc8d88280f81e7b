#include "app/Sound.h"

#include <QApplication>
#include <QFileInfo>
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

void PlaySoundFile(const QString& path) {
    if (!QFileInfo(path).isFile()) {
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
