#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the reminder sounds that ship with Tolvek Organizer.

Every sound is synthesised here from sine waves, so the WAV files are entirely our own.
Run it from anywhere; the files land next to this script:

    python3 resources/make_sounds.py
"""

import math
import struct
import wave
from pathlib import Path

RATE = 22050
FADE_SECONDS = 0.01  # a short ramp at every start and end, so that nothing clicks


def tone(frequency, seconds, decay, partials=((1.0, 1.0),)):
    """A struck tone: partials of (frequency ratio, loudness) dying away at rate `decay`."""
    count = int(RATE * seconds)
    samples = []
    for i in range(count):
        t = i / RATE
        phase = 2 * math.pi * frequency * t
        value = sum(level * math.sin(phase * ratio) for ratio, level in partials)
        samples.append(value * math.exp(-decay * t))
    return faded(samples)


def beep(frequency, seconds):
    """A plain, steady beep."""
    count = int(RATE * seconds)
    return faded([math.sin(2 * math.pi * frequency * i / RATE) for i in range(count)])


def faded(samples):
    ramp = min(int(RATE * FADE_SECONDS), len(samples) // 2)
    for i in range(ramp):
        gain = i / ramp
        samples[i] *= gain
        samples[-1 - i] *= gain
    return samples


def mix(length_seconds, *parts):
    """Lays (start second, samples) parts over each other on one track."""
    track = [0.0] * int(RATE * length_seconds)
    for start, samples in parts:
        offset = int(RATE * start)
        for i, value in enumerate(samples[: len(track) - offset]):
            track[offset + i] += value
    return track


def write(name, samples, loudness):
    peak = max(abs(s) for s in samples) or 1.0
    frames = b"".join(struct.pack("<h", round(s / peak * loudness * 32767)) for s in samples)
    with wave.open(str(Path(__file__).resolve().parent.parent / "sound" / name), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


# Bell-like partials: a fundamental with a few quieter, slightly inharmonic overtones.
BELL = ((1.0, 1.0), (2.01, 0.45), (3.02, 0.2), (4.17, 0.1))


def chime():
    """Two soft bell tones, a falling major third."""
    return mix(1.0, (0.0, tone(784.0, 0.55, 5.0, BELL)), (0.42, tone(622.3, 0.58, 5.5, BELL)))


def alarm():
    """Three short, even beeps."""
    return mix(1.0, *((0.05 + 0.3 * n, beep(1046.5, 0.18)) for n in range(3)))


def ding():
    """One bright ding."""
    return tone(1318.5, 0.6, 7.0, BELL)


if __name__ == "__main__":
    write("chime.wav", chime(), 0.6)
    write("alarm.wav", alarm(), 0.55)
    write("ding.wav", ding(), 0.6)
