#!/usr/bin/env python3
"""Writes the alarm sounds into assets/: one short tone pattern per propagation mode
(mode name + ".wav") and wwc.wav for the chat. 16-bit mono PCM at 22050 Hz, made here from
sine waves so the program ships sounds of its own making. Run from anywhere:

    python3 scripts/make_sounds.py [output-folder]
"""

import math
import os
import struct
import sys
import wave

RATE = 22050
VOLUME = 0.45

# Each alarm: a list of (frequency in Hz, milliseconds); frequency 0 is a pause. The patterns
# differ in pitch and rhythm so that the modes can be told apart by ear.
PATTERNS = {
    "ES": [(880, 90), (0, 40), (1175, 90), (0, 40), (1568, 160)],
    "AU": [(330, 220), (0, 60), (330, 220)],
    "FAI": [(1319, 70), (0, 50), (1319, 70), (0, 50), (1319, 70)],
    "IONO": [(523, 120), (659, 120), (784, 120)],
    "EME": [(440, 350), (0, 150), (440, 120)],
    "F2": [(698, 150), (0, 50), (523, 250)],
    "MS": [(2093, 40), (0, 30), (2093, 40)],
    "TROPO": [(392, 300)],
    "wwc": [(988, 80), (0, 40), (784, 80), (0, 40), (988, 80)],
}


def samples(pattern):
    out = []
    for freq, ms in pattern:
        count = RATE * ms // 1000
        # A short fade at both ends keeps the tone free of clicks.
        fade = min(count // 4, RATE // 200)
        for i in range(count):
            if freq == 0:
                out.append(0)
                continue
            gain = 1.0
            if fade and i < fade:
                gain = i / fade
            elif fade and i >= count - fade:
                gain = (count - 1 - i) / fade
            value = VOLUME * gain * math.sin(2 * math.pi * freq * i / RATE)
            out.append(int(round(value * 32767)))
    return out


def write(path, pattern):
    data = samples(pattern)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack("<%dh" % len(data), *data))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets")
    os.makedirs(target, exist_ok=True)
    for name, pattern in PATTERNS.items():
        write(os.path.join(target, name + ".wav"), pattern)


if __name__ == "__main__":
    main()
