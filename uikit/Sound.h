// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QSoundEffect;

// Plays a WAV file without waiting for it. A file that is missing or cannot be played gives
// the system's beep instead; nothing is reported.
void PlaySoundFile(const QString& path);

// The program's one player: a new sound replaces the one still playing.
QSoundEffect& SoundPlayer();
