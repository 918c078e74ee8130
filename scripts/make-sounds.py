#!/usr/bin/env python3
"""Synthesises Quillmoor's four sound effects into resources/sounds/.

    python3 scripts/make-sounds.py [OUTPUT_FOLDER]

Every effect is 16-bit PCM, mono, 44.1 kHz, made from sine tones and a little
filtered noise, with short fades at both ends so nothing clicks. The output is
deterministic: running the script twice writes the same bytes.
"""

import math
import os
import struct
import sys
import wave

RATE = 44100
PEAK = 0.7  # loudest sample after normalising, as a fraction of full scale


def silence(seconds):
    return [0.0] * int(round(seconds * RATE))


def mix_into(track, sound, at_seconds, gain=1.0):
    """Adds `sound` into `track` starting at `at_seconds`, growing the track if needed."""
    start = int(round(at_seconds * RATE))
    end = start + len(sound)
    if end > len(track):
        track.extend([0.0] * (end - len(track)))
    for i, value in enumerate(sound):
        track[start + i] += value * gain


def bell(freq, seconds, decay, partials=((1.0, 1.0), (2.0, 0.35), (3.0, 0.12))):
    """A soft bell: a few harmonic partials under an exponential decay."""
    out = []
    for i in range(int(round(seconds * RATE))):
        time = i / RATE
        envelope = math.exp(-time * decay)
        value = 0.0
        for ratio, level in partials:
            # higher partials die away faster, which keeps the tone round
            value += level * math.sin(2 * math.pi * freq * ratio * time) * math.exp(-time * decay * (ratio - 1))
        out.append(value * envelope)
    return out


class Noise:
    """A tiny linear congruential generator, so the noise is the same on every run."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x3FFFFFFF - 1.0  # -1 .. 1


def fade(samples, fade_in, fade_out):
    """Raised-cosine fades at both ends."""
    count = len(samples)
    n_in = min(count, int(fade_in * RATE))
    n_out = min(count, int(fade_out * RATE))
    for i in range(n_in):
        samples[i] *= 0.5 - 0.5 * math.cos(math.pi * i / n_in)
    for i in range(n_out):
        samples[count - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / n_out)
    return samples


def normalise(samples, peak=PEAK):
    loudest = max(abs(v) for v in samples) or 1.0
    return [v * peak / loudest for v in samples]


def tick():
    """About 40 ms: a short, bright blip that drops slightly in pitch."""
    out = []
    phase = 0.0
    for i in range(int(0.04 * RATE)):
        time = i / RATE
        freq = 2200 - 700 * (time / 0.04)
        phase += 2 * math.pi * freq / RATE
        out.append(math.sin(phase) * math.exp(-time * 90))
    return fade(normalise(out, 0.55), 0.002, 0.008)


def scan_start():
    """About 0.4 s: three quick notes rising (C6, E6, G6), each ringing on."""
    out = silence(0.4)
    for k, freq in enumerate((1046.5, 1318.5, 1568.0)):
        mix_into(out, bell(freq, 0.4 - k * 0.07, decay=9.0), k * 0.07, gain=0.8 + 0.1 * k)
    return fade(normalise(out[: int(0.4 * RATE)]), 0.003, 0.06)


def scan_done():
    """About 0.5 s: a two-note chime, G5 then C6."""
    out = silence(0.5)
    mix_into(out, bell(784.0, 0.5, decay=7.0), 0.0, gain=0.9)
    mix_into(out, bell(1046.5, 0.38, decay=7.5), 0.12, gain=1.0)
    return fade(normalise(out[: int(0.5 * RATE)]), 0.003, 0.08)


def clean():
    """About 0.8 s: a soft whoosh of filtered noise sweeping up and down, with a sparkle on top."""
    seconds = 0.8
    count = int(seconds * RATE)
    noise = Noise(20240611)
    whoosh = []
    low = band = 0.0
    for i in range(count):
        progress = i / count
        # cutoff rises from 300 Hz to about 3.5 kHz and back down
        cutoff = 300 + 3200 * math.sin(math.pi * progress) ** 2
        f = 2 * math.sin(math.pi * cutoff / RATE)
        # state-variable filter, band-pass output: a breathy "shh"
        high = noise.next() - low - 0.9 * band
        band += f * high
        low += f * band
        envelope = math.sin(math.pi * progress) ** 1.5
        whoosh.append(band * envelope)
    whoosh = normalise(whoosh, 0.6)

    sparkle = silence(seconds)
    for k, freq in enumerate((2637.0, 3136.0, 3520.0, 3951.1)):
        mix_into(sparkle, bell(freq, 0.3, decay=14.0, partials=((1.0, 1.0), (2.0, 0.15))), 0.32 + k * 0.07, gain=0.35)

    out = [w + s for w, s in zip(whoosh, sparkle[:count])]
    return fade(normalise(out), 0.02, 0.12)


def write_wav(path, samples):
    with wave.open(path, "wb") as wav:
        wav.setnchannels(1)
        wav.setsampwidth(2)
        wav.setframerate(RATE)
        frames = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(v * 32767))))) for v in samples)
        wav.writeframes(frames)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "sounds")
    os.makedirs(target, exist_ok=True)
    for name, make in (("tick", tick), ("scan_start", scan_start), ("scan_done", scan_done), ("clean", clean)):
        path = os.path.join(target, name + ".wav")
        write_wav(path, make())
        print(f"{path}: {os.path.getsize(path)} bytes")


if __name__ == "__main__":
    main()
