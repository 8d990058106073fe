#!/usr/bin/env python3
"""How fast the game ends, and what a hostile sound file costs it, measured on the
real window (private Xvfb, optimised build).

    bench/ends_and_files.py [--runs 3] [--build-dir build/default] [--only ends|files]
                            [--files-through dummy|pulseaudio|pipewire]

Ends: from EXIT (the Return key on it) or the close button (WM_DELETE_WINDOW, the message a
window manager sends) to the process gone, the game playing its music through a
private PulseAudio or PipeWire server that answers, or that was stopped with
SIGSTOP a second before.

Files: the game started from a folder where one of its sound files (or the
soundfont, through TARVO_SOUNDFONT) is a FIFO, a folder, a device, a FLAC whose
header claims 60 s of 8 channels at 655 kHz, or a tune of a million events
(refused) or of 190000 (played);
exec to the window mapped, CPU over 10 s after the deal, RSS, and EXIT to gone;
played to SDL's dummy driver, or through a private server (then the music is
synthesised and the server's CPU is counted too). Each goal met or MISSED.
"""

import argparse
import os
import resource
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests/e2e"))

from peers import MapWatcher  # noqa: E402
from sound_servers import SERVERS, cpu_seconds  # noqa: E402
from tarvo_e2e import Game, Xvfb, wait_until  # noqa: E402

CPU_S = 10.0
# What a hostile file may cost at most.
GOALS = {"mapped ms": 1000, "CPU s / 10 s": 1.0, "RSS MB": 300, "EXIT ms": 1000}


def rss_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def exit_keys(game):
    """Opens the menu and picks "EXIT"; the clock starts at the last key."""
    game.key("alt+g", "Down")
    return lambda: game.xdo("key", "--clearmodifiers", "Return")


def close_button(game):
    return game.close_button


def ended_after_ms(game, leave):
    last_step = leave(game)
    asked = time.monotonic()
    last_step()
    status = game.wait_exit(20)
    took = 1000 * (time.monotonic() - asked)
    if status != 0:
        raise RuntimeError("ended with %s: %s" % (status, game.stderr_text()))
    return took


def ends(xvfb, binary, runs):
    rows = []
    for name in ("pulseaudio", "pipewire"):
        for state in ("answering", "stopped"):
            for way, leave in (("EXIT", exit_keys), ("close button", close_button)):
                figures = []
                for _ in range(runs):
                    server = SERVERS[name]().start()
                    game = Game(xvfb, binary, extra_env=server.client_env())
                    try:
                        game.wait_mapped()
                        time.sleep(4.5)  # the title pause, the deal, the music playing
                        if not wait_until(lambda: server.sink_inputs() > 0, timeout=5):
                            raise RuntimeError("no stream on " + name)
                        if state == "stopped":
                            server.freeze()
                            time.sleep(1.0)
                        figures.append(ended_after_ms(game, leave))
                    finally:
                        server.freeze(False)
                        game.stop()
                        server.stop()
                rows.append(("%s, server %s, %s" % (name, state, way), figures))
    return rows


def flac_claiming(path, seconds, rate=655350, channels=8):
    """A short FLAC whose STREAMINFO claims `seconds` of sound."""
    subprocess.run(["sox", "-n", "-r", str(rate), "-c", str(channels), "-b", "16", path,
                    "trim", "0", "0.02"], check=True)
    with open(path, "r+b") as f:
        f.seek(21)
        low = f.read(1)[0] & 0xF0
        total = int(seconds * rate)
        f.seek(21)
        f.write(bytes([low | (total >> 32) & 0x0F]) + struct.pack(">I", total & 0xFFFFFFFF))


def midi_flood(path, status, data2, length_ticks, division, events=1_000_000):
    track = bytearray()
    for i in range(events):
        track += bytes([0, status, i % 128]) + (b"" if status & 0xF0 == 0xC0 else bytes([data2]))
    track += bytes([length_ticks, 0xFF, 0x2F, 0])
    with open(path, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, division))
        f.write(b"MTrk" + struct.pack(">I", len(track)) + track)


def files(xvfb, binary, runs, through, matching=""):
    server = SERVERS[through]().start() if through in SERVERS else None
    try:
        return files_to(xvfb, binary, runs, server, matching)
    finally:
        if server:
            server.stop()


def files_to(xvfb, binary, runs, server, matching):
    work = tempfile.mkdtemp(prefix="tarvo-files-")
    soundfont = None
    for folder in ("/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"):
        if os.path.exists(folder):
            soundfont = folder
            break
    made = {}

    def fifo(name):
        path = os.path.join(work, name)
        if not os.path.exists(path):
            os.mkfifo(path)
        return path

    made["flac"] = os.path.join(work, "wide.flac")
    flac_claiming(made["flac"], 60)
    made["programs"] = os.path.join(work, "programs.mid")
    midi_flood(made["programs"], 0xC0, 0, 3, 250)
    made["notes"] = os.path.join(work, "notes.mid")
    midi_flood(made["notes"], 0x90, 100, 96, 48)
    # As many as a tune may hold: these open and play.
    made["some programs"] = os.path.join(work, "some-programs.mid")
    midi_flood(made["some programs"], 0xC0, 0, 3, 250, 190_000)
    made["some notes"] = os.path.join(work, "some-notes.mid")
    midi_flood(made["some notes"], 0x90, 100, 96, 48, 190_000)
    os.mkdir(os.path.join(work, "folder"))

    cases = [
        ("nothing hostile", None, None),
        ("a FIFO for carta.wav", "carta.wav", fifo("fifo-wav")),
        ("a folder for carta.wav", "carta.wav", os.path.join(work, "folder")),
        ("/dev/zero for carta.wav", "carta.wav", "/dev/zero"),
        ("a FLAC claiming 60 s of 8 ch at 655 kHz for carta.wav", "carta.wav", made["flac"]),
        ("a FIFO for 7carte.mid", "Music/7carte.mid", fifo("fifo-mid")),
        ("a 6 ms tune of a million program changes", "Music/7carte.mid", made["programs"]),
        ("a 2 s tune of a million notes", "Music/7carte.mid", made["notes"]),
        ("a 6 ms tune of 190000 program changes", "Music/7carte.mid", made["some programs"]),
        ("a 2 s tune of 190000 notes", "Music/7carte.mid", made["some notes"]),
        ("a FIFO for the soundfont", "soundfont", fifo("fifo-sf2")),
        ("/dev/zero for the soundfont", "soundfont", "/dev/zero"),
        ("a folder for the soundfont", "soundfont", os.path.join(work, "folder")),
    ]
    rows = []
    try:
        for label, place, source in (c for c in cases if matching in c[0]):
            figures = {"mapped ms": [], "CPU s / 10 s": [], "RSS MB": [], "EXIT ms": []}
            if server:
                figures["server CPU s / 10 s"] = []
            for _ in range(runs):
                folder = tempfile.mkdtemp(prefix="game-", dir=work)
                game_bin = os.path.join(folder, "tarvo")
                shutil.copy2(binary, game_bin)
                here = os.path.dirname(binary)
                shutil.copytree(os.path.join(here, "Music"), os.path.join(folder, "Music"))
                shutil.copy2(os.path.join(here, "carta.wav"), folder)
                env = server.client_env() if server else {"SDL_AUDIODRIVER": "dummy"}
                if place == "soundfont":
                    env["TARVO_SOUNDFONT"] = source
                elif place is not None:
                    target = os.path.join(folder, place)
                    os.unlink(target)
                    if os.path.isdir(source) or not os.path.isfile(source):
                        os.symlink(source, target)
                    else:
                        shutil.copy2(source, target)
                watcher = MapWatcher(xvfb.display)
                started = time.monotonic()
                game = Game(xvfb, game_bin, extra_env=env)
                try:
                    mapped_at, _ = watcher.wait(20)
                    figures["mapped ms"].append(1000 * (mapped_at - started))
                    game.wait_mapped(20)
                    time.sleep(4.0)  # the title pause and the deal
                    before = cpu_seconds(game.proc.pid)
                    server_before = server_cpu(server)
                    time.sleep(CPU_S)
                    figures["CPU s / 10 s"].append(cpu_seconds(game.proc.pid) - before)
                    if server:
                        figures["server CPU s / 10 s"].append(server_cpu(server) - server_before)
                    figures["RSS MB"].append(rss_mb(game.proc.pid))
                    figures["EXIT ms"].append(ended_after_ms(game, exit_keys))
                finally:
                    watcher.close()
                    game.stop()
                    shutil.rmtree(folder, ignore_errors=True)
            rows.append((label, figures))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return rows


def server_cpu(server):
    if not server:
        return 0.0
    return sum(cpu_seconds(p.pid) for p in server.procs if p.poll() is None)


def verdicts(rows):
    """Each goal against the worst case of every file."""
    for key, limit in GOALS.items():
        label, worst = max(((label, max(figures[key])) for label, figures in rows),
                           key=lambda pair: pair[1])
        print("    %-58s %8.2f  %s" % ("%s at most %s, every file (worst: %s)" % (
            key, limit, label[:30]), worst, "met" if worst <= limit else "MISSED"))


def summary(values):
    if len(values) == 1:
        return "%.0f" % values[0] if values[0] >= 10 else "%.2f" % values[0]
    fmt = "%.0f" if max(values) >= 10 else "%.2f"
    return (fmt + " (" + fmt + "-" + fmt + ")") % (statistics.median(values), min(values),
                                                   max(values))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build/default"))
    parser.add_argument("--only", choices=("ends", "files"))
    parser.add_argument("--files-through", choices=["dummy"] + sorted(SERVERS), default="dummy",
                        help="where the game plays while a file is hostile")
    parser.add_argument("--files-matching", default="",
                        help="only the hostile files whose label holds this text")
    args = parser.parse_args()
    binary = os.path.join(args.build_dir, "src/app/tarvo")
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
    xvfb = Xvfb()
    try:
        print("%s, load average %.1f, median (min-max) of %d runs" % (
            time.strftime("%Y-%m-%d %H:%M"), os.getloadavg()[0], args.runs))
        if args.only in (None, "ends"):
            print()
            print("| how the game ends | ms to gone |")
            print("| --- | --- |")
            rows = ends(xvfb, binary, args.runs)
            for label, figures in rows:
                print("| %s | %s |" % (label, summary(figures)))
            for label, figures in rows:
                limit = 1000 if "stopped" in label else 300
                print("    %-58s %6.0f ms  %s" % ("gone within %d ms, %s" % (limit, label),
                                                max(figures),
                                                "met" if max(figures) <= limit else "MISSED"))
        if args.only in (None, "files"):
            rows = files(xvfb, binary, args.runs, args.files_through, args.files_matching)
            print()
            print("Hostile files, playing through " + args.files_through)
            print("| file | " + " | ".join(rows[0][1]) + " |")
            print("|" + " --- |" * (1 + len(rows[0][1])))
            for label, figures in rows:
                print("| %s | %s |" % (label, " | ".join(summary(v) for v in figures.values())))
            verdicts(rows)
    finally:
        xvfb.stop()


if __name__ == "__main__":
    main()
