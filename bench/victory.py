#!/usr/bin/env python3
"""How soon the player hears the victory tune: a deal that can be won (Shift+F2)
played to its end from the keys as H tells it (its words read over AT-SPI),
on a private Xvfb, through a private PulseAudio (or PipeWire) null sink whose
monitor is recorded; the delay from the press of the last move's key to the
victory tune's first note at the sink, found by its shape as the game renders
it. Also the first deal's "Play": from the table first seen dealt (a
screenshot every few tens of ms, so an upper bound) to the music at the sink.

    /usr/bin/python3 bench/victory.py [--games 3] [--server pulseaudio]

Needs Debian's python3 with python3-pyatspi, and the optimised build:
cmake --preset default && cmake --build --preset default.
"""

import argparse
import array
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import wave

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests/e2e"))
sys.path.insert(0, os.path.join(ROOT, "bench"))

from accessible_test import Buses  # noqa: E402
from latency import (COMMAND_GOAL_MS, Releases, add_server_arguments,  # noqa: E402
                     monotonic_of_x_time, start_server, verdict)
from sound_servers import RATE, correlation  # noqa: E402
from tarvo_e2e import Game, Xvfb  # noqa: E402

HEAD_MS = 30           # the tune's first note, from its onset
SEARCH_MS = 1000       # how late the tune may start
DECIMATE = 8           # a coarse search first, then the exact sample
MIN_CORRELATION = 0.6
MOVES_AT_MOST = 400


def tune_head(render_bin, tune):
    """The tune's first HEAD_MS from its first sound, mono as the recorder takes it."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "tune.wav")
        subprocess.run([render_bin, tune, path, "1", str(RATE)], check=True,
                       stdout=subprocess.DEVNULL)
        with wave.open(path) as w:
            stereo = array.array("h", w.readframes(RATE * 5))
    mono = array.array("h", ((stereo[i] + stereo[i + 1]) // 2 for i in range(0, len(stereo), 2)))
    onset = next(i for i, v in enumerate(mono) if abs(v) > 64)
    return mono[onset:onset + RATE * HEAD_MS // 1000]


def find_head(samples, head):
    """Index in samples where the head first fits (the best fit near the first coarse
    one at MIN_CORRELATION), or None: a later note of the tune may fit as well."""
    coarse_s, coarse_h = samples[::DECIMATE], head[::DECIMATE]
    first = next((i for i in range(0, max(1, len(coarse_s) - len(coarse_h)))
                  if correlation(coarse_s, coarse_h, i) >= MIN_CORRELATION), None)
    if first is None:
        return None
    lo, hi = max(0, (first - 1) * DECIMATE), min(len(samples) - len(head), (first + 2) * DECIMATE)
    exact = max(range(lo, hi + 1), key=lambda i: correlation(samples, head, i))
    return exact if correlation(samples, head, exact) >= MIN_CORRELATION else None


class Player:
    """Plays the game from the keys as H says, reading its words over AT-SPI."""

    HINT = re.compile(r"^(Move |Turn |The game is won|This deal|No deal)")

    def __init__(self, releases):
        import pyatspi
        from gi.repository import GLib
        self.game, self.releases, self.pyatspi = None, releases, pyatspi
        self.context = GLib.MainContext.default()
        self.news = []
        pyatspi.Registry.registerEventListener(self.record, "object:state-changed:showing")

    def record(self, event):
        try:
            if event.source.getRoleName() == "notification":
                self.news.append(event.source.name)
        except Exception:  # the source may be gone already
            pass

    def said(self, keys, done, timeout=60.0, quiet_s=0.15):
        """Presses keys; the announcements until one satisfies done and quiet_s passes
        without another."""
        self.news = []
        self.game.key(*keys)
        end = time.monotonic() + timeout
        last = None
        while time.monotonic() < end:
            count = len(self.news)
            if not self.context.iteration(False):
                time.sleep(0.01)
            if len(self.news) != count:
                last = time.monotonic()
            if any(done(n) for n in self.news) and time.monotonic() - last >= quiet_s:
                break
        return self.news

    def hint(self):
        found = [n for n in self.said(["h"], self.HINT.match) if self.HINT.match(n)]
        return found[-1] if found else ""

    def close(self):
        self.pyatspi.Registry.deregisterEventListener(self.record, "object:state-changed:showing")


def won_at(player):
    """Plays a winnable deal to its end; the monotonic time of the last move's key, or
    None if the hints did not win it."""
    hint = ""
    for _ in range(5):
        player.said(["shift+F2"], lambda n: n.startswith("New game"))
        hint = player.hint()
        if hint.startswith(("Move ", "Turn ")):
            break
    for _ in range(MOVES_AT_MOST):
        if not hint.startswith(("Move ", "Turn ")):
            return None
        column = re.search(r"(?:, column|to column) (\d)", hint)
        keys = ["space", column.group(1), "space"] if column else ["Return"]
        player.releases.drain()
        news = player.said(keys, lambda n: True, timeout=10)
        if os.environ.get("VERBOSE"):
            print("  %s -> %s" % (hint, news), file=sys.stderr)
        if any("you have won" in n for n in news):
            return monotonic_of_x_time(player.releases.next_return()) if not column else None
        hint = player.hint()
    return None


def heard_at(monitor, head, since):
    """Monotonic time the head was first played at the sink after since; None if not."""
    begin = max(0, monitor.index_at(since) - RATE * 5 // 1000)
    end = begin + RATE * SEARCH_MS // 1000 + len(head)
    if not monitor.wait_samples(end, timeout=10):
        raise RuntimeError("the recording stalled")
    found = find_head(monitor.samples(begin, end), head)
    if os.environ.get("DUMP"):
        with wave.open(os.environ["DUMP"], "w") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(monitor.samples(begin, end).tobytes())
    if found is None:
        return None
    at = begin + found
    return monitor.clock_offset(at, at + RATE) + at / RATE


def dealt_after(game):
    """The moment of the last screenshot before the table showed its deal: the
    deal came after it."""
    before = time.monotonic()
    end = before + 30
    while time.monotonic() < end:
        taken = time.monotonic()
        try:
            if game.view().stock_shown():
                return before
        except Exception:  # the window not ready yet
            pass
        before = taken
    raise RuntimeError("no deal on the table")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--games", type=int, default=3)
    add_server_arguments(parser)
    args = parser.parse_args()
    binary = os.path.join(args.build_dir, "src/app/tarvo")

    heads = {tune: tune_head(os.path.join(args.build_dir, "src/audio/tarvo-render-sound"),
                             os.path.join(os.path.dirname(binary), "Music", tune))
             for tune in ("7carte.mid", "borvio2.mid")}

    firsts, victories = [], []
    # One display and one accessibility bus for every game: the client library
    # stays with the bus it first met.
    xvfb = Xvfb()
    runtime = tempfile.mkdtemp(prefix="tarvo-victory-")
    buses = Buses(dict(xvfb.env, XDG_RUNTIME_DIR=runtime, HOME=runtime))
    buses.screen_reader(True)
    os.environ.update(DISPLAY=xvfb.display, DBUS_SESSION_BUS_ADDRESS=buses.address,
                      XDG_RUNTIME_DIR=runtime)
    releases = Releases(xvfb.display)
    player = Player(releases)
    try:
        for _ in range(args.games):
            server = start_server(args)
            monitor = server.monitor()
            game = Game(xvfb, binary, extra_env=dict(server.client_env(),
                                                     DBUS_SESSION_BUS_ADDRESS=buses.address))
            player.game = game
            try:
                game.wait_mapped()
                game.find_table()
                dealt = dealt_after(game)
                heard = heard_at(monitor, heads["7carte.mid"], dealt)
                firsts.append(None if heard is None else 1000 * (heard - dealt))
                pressed = won_at(player)
                if pressed is None:
                    print("  a deal not won from the hints", file=sys.stderr)
                    continue
                heard = heard_at(monitor, heads["borvio2.mid"], pressed)
                victories.append(None if heard is None else 1000 * (heard - pressed))
            finally:
                game.stop()
                monitor.stop()
                server.stop()
    finally:
        player.close()
        releases.close()
        buses.stop()
        xvfb.stop()
        shutil.rmtree(runtime, ignore_errors=True)

    def line(name, delays):
        found = [d for d in delays if d is not None]
        if not found:
            print("  %-26s nothing measured" % name)
            return float("inf")
        print("  %-26s %6.1f %6.1f %6.1f ms  (%d of %d)" % (
            name, min(found), statistics.median(found), max(found), len(found), len(delays)))
        return max(found) if len(found) == len(delays) else float("inf")

    print("%s, load average %.1f, through the %s null sink (min  median  max)" % (
        time.strftime("%Y-%m-%d %H:%M"), os.getloadavg()[0], args.server))
    worst_first = line("first deal's music", firsts)
    worst_victory = line("victory tune", victories)
    print()
    verdict("the first deal's music heard within %d ms, %s (an upper bound)" % (
        COMMAND_GOAL_MS, args.server), "%.0f ms" % worst_first, worst_first <= COMMAND_GOAL_MS)
    verdict("the victory tune heard within %d ms, every time, %s" % (
        COMMAND_GOAL_MS, args.server), "%.0f ms" % worst_victory, worst_victory <= COMMAND_GOAL_MS)


if __name__ == "__main__":
    main()
