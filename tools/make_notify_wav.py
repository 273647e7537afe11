#!/usr/bin/env python3
"""Writes assets/notify.wav, the reminder chime: two soft bell tones, a fifth
apart, each a few decaying partials. Run it again only to change the sound."""
import math
import struct
import sys
import wave

RATE = 22050
LENGTH = 1.1  # seconds


def bell(t, start, freq):
    if t < start:
        return 0.0
    t -= start
    attack = min(1.0, t / 0.004)
    partials = ((1.0, 1.0, 3.0), (2.0, 0.35, 5.0), (3.01, 0.15, 8.0), (4.2, 0.06, 11.0))
    return attack * sum(a * math.exp(-d * t) * math.sin(2 * math.pi * freq * m * t)
                        for m, a, d in partials)


def main(path):
    frames = bytearray()
    for n in range(int(RATE * LENGTH)):
        t = n / RATE
        v = 0.42 * bell(t, 0.0, 987.77) + 0.42 * bell(t, 0.16, 1318.51)  # B5, E6
        fade = min(1.0, (LENGTH - t) / 0.05)
        frames += struct.pack('<h', int(max(-1.0, min(1.0, v * fade)) * 32000))
    with wave.open(path, 'wb') as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(bytes(frames))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'assets/notify.wav')
