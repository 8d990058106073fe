#!/usr/bin/env python3
"""Writes Tarvo's sound files: two tunes and the card rustle.

    tools/make_sounds.py [OUTPUT_DIR]     (default: assets/sounds)

  Music/7carte.mid   background tarantella in A minor, 6/8, about 78 s, loops
  Music/borvio2.mid  victory tune in A major, about 9 s
  carta.wav          card rustle, 0.26 s, 44.1 kHz, 16-bit mono

All of it is composed and synthesised here, with the standard library only,
and the output is the same on every run (the randomness is seeded).
"""

import math
import os
import random
import struct
import sys

# --- MIDI -------------------------------------------------------------------

PPQ = 480  # ticks per quarter note
EIGHTH = PPQ // 2
BAR = 6 * EIGHTH  # a bar of 6/8

NOTE_NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}

# General MIDI programs and drum keys we use.
STEEL_GUITAR = 25  # the closest GM voice to a mandolin, played with tremolo
ACCORDION = 21
NYLON_GUITAR = 24
ACOUSTIC_BASS = 32
TAMBOURINE = 54
LOW_FLOOR_TOM = 41  # stands in for the tammorra, the frame drum
DRUMS = 9  # channel 10

CHORDS = {  # name: (root pitch class, intervals)
    "Am": (9, (0, 3, 7)),
    "A": (9, (0, 4, 7)),
    "A7": (9, (0, 4, 7, 10)),
    "E7": (4, (0, 4, 7, 10)),
    "E": (4, (0, 4, 7)),
    "Dm": (2, (0, 3, 7)),
    "D": (2, (0, 4, 7)),
    "G7": (7, (0, 4, 7, 10)),
    "Gm": (7, (0, 3, 7)),
    "C": (0, (0, 4, 7)),
    "C7": (0, (0, 4, 7, 10)),
    "F": (5, (0, 4, 7)),
    "F#m": (6, (0, 3, 7)),
    "Bb": (10, (0, 4, 7)),
}


def pitch(name):
    """'C#5' -> 73, 'Bb4' -> 70 (C4 is 60)."""
    value = NOTE_NAMES[name[0]]
    rest = name[1:]
    while rest and rest[0] in "#b":
        value += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return value + 12 * (int(rest) + 1)


def parse_melody(text):
    """'E5/1 A5/2 r/3 | ...' -> [(pitch or None, eighths)]; bars must hold 6 eighths."""
    notes = []
    for bar_number, bar in enumerate(text.split("|"), 1):
        total = 0
        for token in bar.split():
            name, eighths = token.split("/")
            notes.append((None if name == "r" else pitch(name), int(eighths)))
            total += int(eighths)
        if total != 6:
            raise ValueError(f"bar {bar_number} holds {total} eighths: {bar!r}")
    return notes


def parse_chords(text):
    """'Am Am E7 Am|E7 ...' -> one or two chords per bar ('Am|E7' splits a bar)."""
    bars = []
    for token in text.split():
        bars.append(token.split("|"))
    return bars


class Track:
    def __init__(self, name, channel=0):
        self.name = name
        self.channel = channel
        self.events = []  # (tick, order, bytes); order puts note-offs first

    def meta(self, tick, kind, data):
        self.events.append((tick, 1, bytes([0xFF, kind]) + vlq(len(data)) + data))

    def message(self, tick, *data):
        status = data[0] | self.channel
        order = 0 if (status & 0xF0) == 0x80 else 2
        self.events.append((tick, order, bytes([status, *data[1:]])))

    def setup(self, program, volume, pan, reverb):
        self.message(0, 0xC0, program)
        self.message(0, 0xB0, 7, volume)
        self.message(0, 0xB0, 10, pan)
        self.message(0, 0xB0, 91, reverb)

    def note(self, tick, key, length, velocity):
        velocity = max(1, min(127, velocity))
        self.message(tick, 0x90, key, velocity)
        self.message(tick + max(1, length), 0x80, key, 0)

    def chunk(self, end_tick):
        events = [(0, 1, bytes([0xFF, 0x03]) + vlq(len(self.name)) + self.name.encode())]
        events += sorted(self.events, key=lambda e: (e[0], e[1]))
        events.append((end_tick, 3, bytes([0xFF, 0x2F, 0])))
        data = bytearray()
        now = 0
        for tick, _, payload in events:
            if tick > end_tick:
                raise ValueError(f"{self.name}: event at {tick} after the end {end_tick}")
            data += vlq(tick - now) + payload
            now = tick
        return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def write_midi(path, tracks, end_tick):
    data = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    for track in tracks:
        data += track.chunk(end_tick)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def conductor(dotted_quarter_bpm, key_sharps, minor, title):
    track = Track(title)
    us_per_quarter = round(60_000_000 / (dotted_quarter_bpm * 1.5))
    track.meta(0, 0x51, us_per_quarter.to_bytes(3, "big"))
    track.meta(0, 0x58, bytes([6, 3, 36, 8]))  # 6/8, a click every dotted quarter
    track.meta(0, 0x59, bytes([key_sharps & 0xFF, 1 if minor else 0]))
    return track


class Players:
    """The band: each method writes one part from a start bar."""

    def __init__(self, rng):
        self.rng = rng
        self.lead = Track("Mandolin", 0)
        self.lead.setup(STEEL_GUITAR, 112, 44, 40)
        self.accordion = Track("Accordion", 1)
        self.accordion.setup(ACCORDION, 84, 88, 50)
        self.guitar = Track("Guitar", 2)
        self.guitar.setup(NYLON_GUITAR, 96, 76, 30)
        self.bass = Track("Bass", 3)
        self.bass.setup(ACOUSTIC_BASS, 110, 64, 20)
        self.drums = Track("Tammorra and tambourine", DRUMS)
        self.drums.message(0, 0xB0, 7, 92)
        self.drums.message(0, 0xB0, 91, 30)

    def tracks(self):
        return [self.lead, self.accordion, self.guitar, self.bass, self.drums]

    def humanise(self, velocity, spread=6):
        return velocity + self.rng.randint(-spread, spread)

    def melody(self, track, bar, text, velocity, transpose=0, tremolo=True):
        """Plays a melody; on the mandolin, notes of a dotted quarter or more are
        picked in tremolo, as a mandolin sustains them."""
        tick = bar * BAR
        for key, eighths in parse_melody(text):
            length = eighths * EIGHTH
            if key is not None:
                key += transpose
                beat_accent = 8 if tick % (3 * EIGHTH) == 0 else 0
                if tremolo and eighths >= 3:
                    stroke = EIGHTH // 2
                    for i, t in enumerate(range(tick, tick + length, stroke)):
                        v = velocity - 6 + (6 if i % 2 == 0 else -4) - (i // 4)
                        track.note(t, key, stroke - 10, self.humanise(v, 3))
                else:
                    track.note(tick, key, int(length * 0.85), self.humanise(velocity + beat_accent))
            tick += length

    def chord_keys(self, chord, low, high):
        root, intervals = CHORDS[chord]
        classes = {(root + i) % 12 for i in intervals}
        return [k for k in range(low, high + 1) if k % 12 in classes]

    def oom_pa(self, bar, chords, velocity=70, bass_velocity=92):
        """The tarantella beat: bass on each dotted quarter, guitar chords on the
        two eighths after it."""
        for b, names in enumerate(chords):
            start = (bar + b) * BAR
            for half in range(2):
                name = names[min(half, len(names) - 1)]
                root, intervals = CHORDS[name]
                t = start + half * 3 * EIGHTH
                # Root first, then the fifth below when the chord holds the bar.
                if half == 0 or len(names) > 1:
                    bass_key = 40 + (root - 4) % 12
                else:
                    bass_key = 40 + (root + 7 - 4) % 12
                self.bass.note(t, bass_key, 3 * EIGHTH - 40, self.humanise(bass_velocity))
                keys = self.chord_keys(name, 55, 67)
                for k in range(1, 3):
                    v = velocity + (4 if k == 1 else -6)
                    for key in keys:
                        self.guitar.note(t + k * EIGHTH + 4 * keys.index(key), key,
                                         EIGHTH - 30, self.humanise(v, 4))

    def accordion_chords(self, bar, chords, velocity=56):
        """Held chords, breathing at each dotted quarter."""
        for b, names in enumerate(chords):
            start = (bar + b) * BAR
            for half in range(2):
                name = names[min(half, len(names) - 1)]
                for key in self.chord_keys(name, 60, 72):
                    self.accordion.note(start + half * 3 * EIGHTH, key, 3 * EIGHTH - 30,
                                        self.humanise(velocity, 3))

    def tambourine(self, bar, bars, full=True):
        pattern = [100, 46, 62, 88, 46, 62] if full else [84, 0, 40, 72, 0, 40]
        for b in range(bars):
            start = (bar + b) * BAR
            for i, v in enumerate(pattern):
                if v:
                    self.drums.note(start + i * EIGHTH, TAMBOURINE, 60, self.humanise(v, 5))
            self.drums.note(start, LOW_FLOOR_TOM, 120, self.humanise(64 if full else 52, 4))
            self.drums.note(start + 3 * EIGHTH, LOW_FLOOR_TOM, 120, self.humanise(50, 4))


# The background tune. Bars of melody are separated by '|'; each holds six
# eighths. A minor, with a turn to C major and one to D minor.
A_MELODY = (
    "E5/1 A5/1 A5/1 A5/1 B5/1 C6/1 | B5/1 A5/1 G#5/1 A5/3 |"
    "D6/1 C6/1 B5/1 B5/1 A5/1 G#5/1 | A5/1 G#5/1 A5/1 E5/3 |"
    "F5/1 A5/1 D6/1 D6/1 C6/1 D6/1 | E6/1 C6/1 A5/1 A5/1 G#5/1 A5/1 |"
    "B5/1 G#5/1 E5/1 D6/1 C6/1 B5/1 | A5/3 r/1 E5/1 G#5/1 |"
    "A5/1 C6/1 E6/1 E6/1 D6/1 C6/1 | B5/1 A5/1 G#5/1 A5/3 |"
    "F5/1 A5/1 D6/1 C6/1 B5/1 A5/1 | G#5/1 B5/1 E6/1 D6/1 C6/1 B5/1 |"
    "C6/1 B5/1 A5/1 E6/1 D6/1 C6/1 | B5/1 A5/1 G#5/1 E5/1 F5/1 G#5/1 |"
    "A5/1 E5/1 C5/1 B4/1 D5/1 G#5/1 | A5/3 r/3"
)
A_CHORDS = "Am Am E7 Am Dm Am E7 Am Am Am Dm E7 Am E7 Am|E7 Am"

B_MELODY = (
    "G5/1 E5/1 G5/1 C6/2 G5/1 | E5/1 G5/1 C6/1 E6/3 |"
    "D6/1 B5/1 D6/1 F6/2 D6/1 | E6/1 D6/1 C6/1 G5/3 |"
    "A5/1 C6/1 F6/1 F6/1 E6/1 D6/1 | E6/1 C6/1 G5/1 E6/1 D6/1 C6/1 |"
    "B5/1 C6/1 D6/1 F6/1 E6/1 D6/1 | C6/3 G5/3 |"
    "G5/1 E5/1 G5/1 C6/2 G5/1 | E6/1 G6/1 E6/1 Bb5/1 G5/1 E5/1 |"
    "F5/1 A5/1 C6/1 F6/2 E6/1 | D6/1 C6/1 A5/1 F5/3 |"
    "E5/1 G5/1 C6/1 B5/1 D6/1 F6/1 | E6/3 C6/1 B5/1 A5/1 |"
    "G#5/1 B5/1 D6/1 F6/1 E6/1 D6/1 | C6/1 B5/1 A5/1 G#5/3"
)
B_CHORDS = "C C G7 C F C G7 C C C7 F F C|G7 C|Am E7 E7"

C_MELODY = (
    "A5/3 D6/2 C6/1 | A5/3 F5/3 |"
    "E5/2 G5/1 C#6/2 E6/1 | D6/3 A5/3 |"
    "Bb5/3 D6/2 Bb5/1 | A5/3 F5/2 A5/1 |"
    "G5/2 E5/1 C#5/2 E5/1 | D5/6 |"
    "F5/1 A5/1 D6/1 F6/3 | E6/1 D6/1 C6/1 G5/3 |"
    "F6/1 D6/1 Bb5/1 D6/2 C6/1 | A5/3 C#6/3 |"
    "D6/1 F6/1 A6/1 F6/1 D6/1 A5/1 | Bb5/1 D6/1 G6/1 E6/1 C#6/1 A5/1 |"
    "D6/1 A5/1 F5/1 E5/1 G#5/1 B5/1 | D6/1 C6/1 B5/1 G#5/3"
)
C_CHORDS = "Dm Dm A7 Dm Gm Dm A7 Dm Dm C Bb A7 Dm Gm|A7 Dm|E7 E7"


def background_tune(rng):
    """Intro, A, B, A, C, A: 82 bars of tarantella, about 78 s. It ends on the
    tonic and the intro's vamp leads back in, so the loop has no seam."""
    band = Players(rng)
    bar = 0
    # Intro: the beat alone, then the dominant to call the tune in.
    band.oom_pa(bar, parse_chords("Am E7"), velocity=66)
    band.tambourine(bar, 2, full=False)
    bar += 2

    def section_a(bar, strong):
        band.melody(band.lead, bar, A_MELODY, 92 if strong else 86)
        if strong:
            band.melody(band.accordion, bar, A_MELODY, 62, transpose=-12, tremolo=False)
        band.oom_pa(bar, parse_chords(A_CHORDS))
        band.tambourine(bar, 16)

    section_a(bar, strong=False)
    bar += 16
    # B: the accordion takes the tune, in the relative major.
    band.melody(band.accordion, bar, B_MELODY, 90, tremolo=False)
    band.oom_pa(bar, parse_chords(B_CHORDS))
    band.tambourine(bar, 16)
    bar += 16
    section_a(bar, strong=False)
    bar += 16
    # C: a singing strain in D minor, mandolin tremolo over held accordion.
    band.melody(band.lead, bar, C_MELODY, 84)
    band.accordion_chords(bar, parse_chords(C_CHORDS))
    band.oom_pa(bar, parse_chords(C_CHORDS), velocity=58, bass_velocity=84)
    band.tambourine(bar, 16, full=False)
    bar += 16
    section_a(bar, strong=True)
    bar += 16

    tracks = [conductor(126, 0, True, "7 carte")] + band.tracks()
    return tracks, bar * BAR


VICTORY_MELODY = (
    "E5/1 A5/1 C#6/1 E6/2 C#6/1 | A5/1 C#6/1 E6/1 A6/3 |"
    "F#6/1 E6/1 D6/1 A5/1 D6/1 F#6/1 | E6/1 C#6/1 A5/1 E6/3 |"
    "D6/1 F#6/1 A6/1 G#6/1 E6/1 B5/1 | C#6/1 E6/1 A6/1 A6/1 F#6/1 C#6/1 |"
    "D6/1 F#6/1 A6/1 B6/1 G#6/1 E6/1 | D6/1 C#6/1 B5/1 E6/1 D6/1 B5/1 |"
    "A6/6 | A6/1 r/5"
)
VICTORY_CHORDS = "A A D A D|E A|F#m D|E7 E7 A A"


def victory_tune(rng):
    """Eight bars of A major fanfare and a held final chord: about 9 s."""
    band = Players(rng)
    band.melody(band.lead, 0, VICTORY_MELODY, 100)
    band.melody(band.accordion, 0, VICTORY_MELODY, 72, transpose=-12, tremolo=False)
    chords = parse_chords(VICTORY_CHORDS)
    band.oom_pa(0, chords[:8], velocity=76, bass_velocity=100)
    band.tambourine(0, 8)
    # The close: everyone on the tonic, a tambourine roll, a last struck chord.
    final = 8 * BAR
    for key in band.chord_keys("A", 57, 76):
        band.accordion.note(final, key, BAR - 40, 80)
    for key in band.chord_keys("A", 52, 69):
        band.guitar.note(final, key, BAR - 40, 84)
        band.guitar.note(final + BAR, key, 2 * EIGHTH, 96)
    band.bass.note(final, 33, BAR - 40, 104)
    band.bass.note(final + BAR, 33, 2 * EIGHTH, 110)
    for i in range(12):
        band.drums.note(final + i * EIGHTH // 2, TAMBOURINE, 40, 50 + 4 * i)
    band.drums.note(final + BAR, TAMBOURINE, 60, 120)
    band.drums.note(final + BAR, LOW_FLOOR_TOM, 200, 100)
    # End on the last beat of the final bar: room for the chord to ring.
    end = final + 2 * BAR
    tracks = [conductor(140, 3, False, "Borvio")] + band.tracks()
    return tracks, end


# --- The card rustle ---------------------------------------------------------

RATE = 44100


class Biquad:
    """A second-order filter from the audio EQ cookbook."""

    def __init__(self, kind, freq, q):
        w = 2 * math.pi * freq / RATE
        alpha = math.sin(w) / (2 * q)
        cos = math.cos(w)
        if kind == "bandpass":
            b = (alpha, 0.0, -alpha)
        elif kind == "highpass":
            b = ((1 + cos) / 2, -(1 + cos), (1 + cos) / 2)
        else:  # lowpass
            b = ((1 - cos) / 2, 1 - cos, (1 - cos) / 2)
        a0 = 1 + alpha
        self.b = [x / a0 for x in b]
        self.a = [-2 * cos / a0, (1 - alpha) / a0]
        self.x1 = self.x2 = self.y1 = self.y2 = 0.0

    def __call__(self, x):
        y = (self.b[0] * x + self.b[1] * self.x1 + self.b[2] * self.x2
             - self.a[0] * self.y1 - self.a[1] * self.y2)
        self.x2, self.x1, self.y2, self.y1 = self.x1, x, self.y1, y
        return y


def card_rustle(rng):
    """A card sliding off the pile and landing: papery noise in the 2-6 kHz
    band, grainy as paper is, a snap where the card lands flat, and a soft
    low tap of the table under it."""
    seconds = 0.26
    n = int(RATE * seconds)
    snap_at = int(0.018 * RATE)
    # Grains of friction: short bursts, denser at first.
    grains = [0.0] * n
    t = 0
    while t < n:
        length = rng.randint(int(0.002 * RATE), int(0.007 * RATE))
        strength = rng.uniform(0.4, 1.0)
        for i in range(length):
            if t + i < n:
                grains[t + i] += strength * math.sin(math.pi * i / length)
        t += int(rng.expovariate(1 / (0.004 + 0.05 * t / n)) * RATE) + 1

    slide_band = Biquad("bandpass", 3800, 0.9)
    slide_air = Biquad("highpass", 6500, 0.7)
    snap_high = Biquad("highpass", 1800, 0.7)
    tap = Biquad("bandpass", 240, 4.0)
    out = []
    for i in range(n):
        time = i / RATE
        noise = rng.uniform(-1, 1)
        # The slide: quick onset, then dying away over a fifth of a second.
        slide_env = min(1.0, time / 0.004) * math.exp(-time / 0.055)
        slide = (slide_band(noise) * 2.2 + slide_air(noise) * 0.35) * slide_env * (0.35 + grains[i])
        # The snap: a broadband click with a millisecond's decay.
        snap = 0.0
        since = i - snap_at
        if since >= 0:
            snap_env = math.exp(-since / (0.0012 * RATE))
            snap = snap_high(noise * snap_env) * 1.6 + (0.9 if since == 0 else 0)
        # The table: a damped low knock under the snap.
        knock = tap(1.0 if since == 0 else 0.0) * 9.0
        sample = slide + snap + knock
        # Ten milliseconds of fade so the sound ends in silence.
        fade = min(1.0, (n - 1 - i) / (0.010 * RATE))
        out.append(sample * fade)
    peak = max(abs(x) for x in out)
    gain = 10 ** (-4 / 20) / peak  # peaks at -4 dBFS: present, under the music's loudest
    return [round(x * gain * 32767) for x in out]


def write_wav(path, samples):
    data = struct.pack(f"<{len(samples)}h", *samples)
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16)
    header += b"data" + struct.pack("<I", len(data))
    with open(path, "wb") as f:
        f.write(header + data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "assets", "sounds")
    tracks, end = background_tune(random.Random(7))
    write_midi(os.path.join(out, "Music", "7carte.mid"), tracks, end)
    tracks, end = victory_tune(random.Random(40))
    write_midi(os.path.join(out, "Music", "borvio2.mid"), tracks, end)
    os.makedirs(out, exist_ok=True)
    write_wav(os.path.join(out, "carta.wav"), card_rustle(random.Random(1)))


if __name__ == "__main__":
    main()
