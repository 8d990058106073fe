#!/usr/bin/env python3
"""How late the card rustle comes, as a player hears it: the stock clicked with
xdotool on a private Xvfb, the game playing through a private PulseAudio (or
PipeWire) null sink whose monitor is recorded; per click, the delay from the
release (its X event time) to the rustle's first sample taken by the sink,
which includes the period the output stream queues.

    bench/latency.py [--clicks 12] [--quiet-clicks 6] [--commands 6] [--server pulseaudio]

Three rounds: with the music playing, with the music off, and after a quiet
spell (the music off and 5 s with nothing playing before each click). Then
"Music" off and on through the menu, on 1 s and 5 s after off (when the
music's stream has closed): from the press of Return to the music stopped
or heard at the sink. Prints min, median and max in milliseconds, within
the sink's 2 ms block, and each goal met or MISSED. Build the optimised game first:
cmake --preset default && cmake --build --preset default.
"""

import argparse
import ctypes
import os
import random
import re
import select
import statistics
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests/e2e"))

from sound_servers import (RATE, SERVERS, SILENT_RMS, WINDOW, find_rustle, high_band,  # noqa: E402
                           read_template, rms, silent, windows_rms)
from tarvo_e2e import STOCK, Game, Xvfb, wait_until  # noqa: E402

ON_STOCK = (STOCK[0] + 32, STOCK[1] + 60)
STOCK_CARDS = 12
GAP_S = (0.6, 0.9)       # past the double-click interval, never in step with the stream
QUIET_S = 5.0            # past the engine's 4 s of idle before it closes the output
SEARCH_MS = 400          # how late the rustle may start
COMMAND_SEARCH_MS = 1000  # how late a music command may be heard
DROP_DB = 12             # the music this much down: stopped, not a quiet bar
COMMAND_GOAL_MS = 200
RUSTLE_GOAL_MS = 10
BEFORE_MS = 300          # the music heard before the release: the level to beat


class Releases:
    """Button releases of any device on the screen, with their X event time, read
    from XInput 2 raw events: they reach us whoever holds the pointer grab."""

    GENERIC_EVENT = 35
    XI_RAW_KEY_PRESS = 13
    XI_RAW_BUTTON_RELEASE = 16
    RETURN_KEYCODE = 36
    XI_ALL_MASTER_DEVICES = 1

    class EventMask(ctypes.Structure):
        _fields_ = [("deviceid", ctypes.c_int), ("mask_len", ctypes.c_int),
                    ("mask", ctypes.POINTER(ctypes.c_ubyte))]

    class Cookie(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("extension", ctypes.c_int), ("evtype", ctypes.c_int),
                    ("cookie", ctypes.c_uint), ("data", ctypes.c_void_p)]

    class RawEvent(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("extension", ctypes.c_int), ("evtype", ctypes.c_int),
                    ("time", ctypes.c_ulong), ("deviceid", ctypes.c_int),
                    ("sourceid", ctypes.c_int), ("detail", ctypes.c_int)]

    def __init__(self, display):
        x = ctypes.CDLL("libX11.so.6")
        xi = ctypes.CDLL("libXi.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XQueryExtension.argtypes = [ctypes.c_void_p, ctypes.c_char_p] + \
            [ctypes.POINTER(ctypes.c_int)] * 3
        for name in ("XPending", "XConnectionNumber", "XCloseDisplay"):
            getattr(x, name).argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XGetEventData.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XFreeEventData.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        xi.XIQueryVersion.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 2
        xi.XISelectEvents.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                      ctypes.POINTER(self.EventMask), ctypes.c_int]
        self.x = x
        self.dpy = x.XOpenDisplay(display.encode())
        opcode, event, error = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        if not self.dpy or not x.XQueryExtension(self.dpy, b"XInputExtension", opcode, event,
                                                 error):
            raise RuntimeError("no XInput on " + display)
        self.opcode = opcode.value
        # From 2.1 on, raw events come to us even while another client holds a grab.
        major, minor = ctypes.c_int(2), ctypes.c_int(2)
        xi.XIQueryVersion(self.dpy, major, minor)
        bits = (ctypes.c_ubyte * 4)()
        for kind in (self.XI_RAW_BUTTON_RELEASE, self.XI_RAW_KEY_PRESS):
            bits[kind >> 3] |= 1 << (kind & 7)
        mask = self.EventMask(self.XI_ALL_MASTER_DEVICES, len(bits),
                              ctypes.cast(bits, ctypes.POINTER(ctypes.c_ubyte)))
        xi.XISelectEvents(self.dpy, x.XDefaultRootWindow(self.dpy), ctypes.byref(mask), 1)
        x.XSync(self.dpy, 0)

    def next_release(self, timeout=5.0):
        """X event time (ms) of the next left-button release."""
        return self.next_event(self.XI_RAW_BUTTON_RELEASE, 1, timeout)

    def next_return(self, timeout=5.0):
        """X event time (ms) of the next press of Return: a menu command's moment."""
        return self.next_event(self.XI_RAW_KEY_PRESS, self.RETURN_KEYCODE, timeout)

    def drain(self):
        """Forgets the events so far, such as the Return of an earlier command."""
        event = (ctypes.c_long * 24)()
        self.x.XSync(self.dpy, 0)
        while self.x.XPending(self.dpy):
            self.x.XNextEvent(self.dpy, ctypes.addressof(event))

    def next_event(self, kind, wanted, timeout):
        end = time.monotonic() + timeout
        event = (ctypes.c_long * 24)()
        while True:
            while self.x.XPending(self.dpy):
                self.x.XNextEvent(self.dpy, ctypes.addressof(event))
                cookie = self.Cookie.from_buffer(event)
                if cookie.type != self.GENERIC_EVENT or cookie.extension != self.opcode:
                    continue
                if not self.x.XGetEventData(self.dpy, ctypes.addressof(event)):
                    continue
                raw = self.RawEvent.from_address(cookie.data)
                stamp, detail = raw.time, raw.detail
                self.x.XFreeEventData(self.dpy, ctypes.addressof(event))
                if cookie.evtype == kind and detail == wanted:
                    return stamp
            left = end - time.monotonic()
            if left <= 0:
                raise RuntimeError("no X event %d seen" % kind)
            select.select([self.x.XConnectionNumber(self.dpy)], [], [], left)

    def close(self):
        self.x.XCloseDisplay(self.dpy)


def monotonic_of_x_time(stamp_ms):
    """Xvfb stamps events with CLOCK_MONOTONIC in milliseconds, modulo 2^32."""
    now_ms = time.monotonic() * 1000
    wraps = round((now_ms - stamp_ms) / 2 ** 32)
    return (stamp_ms + wraps * 2 ** 32) / 1000


def rustle_delay_ms(monitor, template, released_at):
    """Milliseconds from the release to the rustle's first sample at the sink.

    Samples that had arrived by the release were played before it, so the
    search starts there. The sink's clock is read from the chunks just after
    the rustle, so a sink that stopped while nothing played (PipeWire's does)
    is placed in time as well as one that never stops."""
    first = max(0, monitor.index_at(released_at) - RATE * 5 // 1000)
    last = first + SEARCH_MS * RATE // 1000
    if not monitor.wait_samples(last + len(template) + RATE, timeout=10):
        raise RuntimeError("the recording stalled")
    before = monitor.samples(max(0, first - BEFORE_MS * RATE // 1000), first)
    found = find_rustle(monitor.samples(first, last + len(template)), template,
                        baseline=rms(high_band(before)) if len(before) > 1 else None)
    if found is None:
        return None
    at = first + found
    played_at = monitor.clock_offset(at, at + RATE) + at / RATE
    return 1000 * (played_at - released_at)


class StockClicks:
    """Clicks on the stock, a new deal whenever it runs out, each with its delay."""

    def __init__(self, game, releases, monitor, template):
        self.game, self.releases, self.monitor, self.template = game, releases, monitor, template
        self.turned = 0

    def round(self, clicks, gap):
        delays = []
        for _ in range(clicks):
            if self.turned == STOCK_CARDS:
                self.game.key("F2")
                time.sleep(1.0)
                self.turned = 0
            time.sleep(gap())
            self.game.click(*ON_STOCK)
            released = monotonic_of_x_time(self.releases.next_release())
            self.turned += 1
            delay = rustle_delay_ms(self.monitor, self.template, released)
            if delay is None:
                print("  click %d: no rustle found" % (len(delays) + 1), file=sys.stderr)
            delays.append(delay)
        return delays


def change_delay_ms(monitor, commanded_at, heard):
    """Milliseconds from a music command to the first 10 ms at the sink that shows
    it: for "off", the music DROP_DB below its level before the command (the
    notes released; their reverb then dies away); for "on", sound well above
    what rang before."""
    first = max(0, monitor.index_at(commanded_at) - RATE * 5 // 1000)
    last = first + COMMAND_SEARCH_MS * RATE // 1000
    if not monitor.wait_samples(last + RATE, timeout=10):
        raise RuntimeError("the recording stalled")
    before = sorted(windows_rms(monitor.samples(max(0, first - BEFORE_MS * RATE // 1000), first)))
    if not before:
        return None
    if heard:
        threshold = max(10 * before[-1], 10 * SILENT_RMS)
    else:
        threshold = before[len(before) // 2] * 10 ** (-DROP_DB / 20)
    for k, level in enumerate(windows_rms(monitor.samples(first, last))):
        if (level > threshold) if heard else (level < threshold):
            at = first + k * WINDOW
            played_at = monitor.clock_offset(at, at + RATE) + at / RATE
            return 1000 * (played_at - commanded_at)
    return None


def music_commands(game, releases, monitor, rounds, rest):
    """"Music" off and on through the menu, rest seconds apart; each delay from the
    press of Return that carries the command out to the change at the sink."""
    off, on = [], []
    for _ in range(rounds):
        for heard, delays in ((False, off), (True, on)):
            releases.drain()
            game.key("alt+o", "Down", "Return")
            commanded = monotonic_of_x_time(releases.next_return())
            delays.append(change_delay_ms(monitor, commanded, heard))
            time.sleep(rest if not heard else 1.5)
    return off, on


def stream_latency(server):
    """The server's own word on our stream: what it holds queued, and the sink's part."""
    out = server.pactl("list", "sink-inputs", check=False).stdout.decode()
    figures = re.findall(r"(Buffer|Sink) Latency: (\d+) usec", out)
    return ", ".join("%s %.1f ms" % (name.lower(), int(us) / 1000) for name, us in figures)


def summary(delays, what="clicks"):
    found = [d for d in delays if d is not None]
    if not found:
        return "nothing found in %d %s" % (len(delays), what)
    text = "%5.1f  %5.1f  %5.1f ms  (%d %s" % (min(found), statistics.median(found),
                                             max(found), len(found), what)
    missed = len(delays) - len(found)
    return text + (", %d not found)" % missed if missed else ")")


def verdict(text, figure, met):
    print("    %-62s %-9s %s" % (text, figure, "met" if met else "MISSED"))


def add_server_arguments(parser):
    """The sound server to play through and the build to run, as the benches share them."""
    parser.add_argument("--server", choices=sorted(SERVERS), default="pulseaudio")
    parser.add_argument("--graph-rate", type=int,
                        help="PipeWire: run the graph at this rate (default: PipeWire's own, 48000)")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build/default"))


def start_server(args):
    return (SERVERS[args.server](args.graph_rate) if args.graph_rate
            else SERVERS[args.server]()).start()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--clicks", type=int, default=12, help="per round, music on and off")
    parser.add_argument("--quiet-clicks", type=int, default=6, help="after a quiet spell")
    parser.add_argument("--commands", type=int, default=6,
                        help="\"Music\" off and on, per round (0: none)")
    add_server_arguments(parser)
    args = parser.parse_args()
    binary = os.path.join(args.build_dir, "src/app/tarvo")
    template = read_template(os.path.join(os.path.dirname(binary), "carta.wav"))

    server = start_server(args)
    xvfb = Xvfb()
    monitor = server.monitor()
    releases = Releases(xvfb.display)
    game = Game(xvfb, binary, extra_env=server.client_env())
    rustles, commands = [], []
    try:
        game.wait_mapped()
        game.find_table()
        game.wait_view(lambda v: v.stock_shown(), timeout=30)
        time.sleep(1.0)  # the music under way

        def music_toggle():
            game.key("alt+o", "Down", "Return")

        def gap():
            return random.uniform(*GAP_S)

        clicks = StockClicks(game, releases, monitor, template)
        if args.clicks:
            rustles.append(("music playing", clicks.round(args.clicks, gap)))
        stated = stream_latency(server)
        music_toggle()
        wait_until(lambda: silent(monitor.samples(monitor.received() - RATE // 2)), timeout=10)
        if args.clicks:
            rustles.append(("music off", clicks.round(args.clicks, gap)))
        if args.quiet_clicks:
            rustles.append(("after %.0f s of quiet" % QUIET_S,
                            clicks.round(args.quiet_clicks, lambda: QUIET_S)))
        if args.commands:
            music_toggle()
            time.sleep(1.5)
            for rest in (1.0, QUIET_S):
                off, on = music_commands(game, releases, monitor, args.commands, rest)
                commands.append(("off", rest, off))
                commands.append(("on, %.0f s after off" % rest, rest, on))
    finally:
        releases.close()
        game.stop()
        monitor.stop()
        xvfb.stop()
        server.stop()

    load = os.getloadavg()[0]
    print("%s, load average %.1f, card rustle from the release to the %s null sink%s "
          "(min  median  max)" % (time.strftime("%Y-%m-%d"), load, args.server,
                                  ", graph at %d Hz" % args.graph_rate if args.graph_rate else ""))
    for name, delays in rustles:
        print("  %-22s %s" % (name, summary(delays)))
    print("  the server's stream latency with the music playing: " + (stated or "no stream"))
    if commands:
        print("\"Music\" from the press of Return to the change at the sink (min  median  max)")
        for name, _, delays in commands:
            print("  %-22s %s" % (name, summary(delays, "commands")))
    print()
    for name, delays in rustles:
        found = [d for d in delays if d is not None]
        median = statistics.median(found) if found else float("inf")
        verdict("rustle within %d ms median, %s, %s" % (RUSTLE_GOAL_MS, name, args.server),
                "%.1f ms" % median, median <= RUSTLE_GOAL_MS)
    for name, _, delays in commands:
        worst = max((d for d in delays if d is not None), default=float("inf"))
        if None in delays:
            worst = float("inf")
        verdict("\"Music\" %s heard within %d ms, every time, %s" % (
            name, COMMAND_GOAL_MS, args.server), "%.0f ms" % worst, worst <= COMMAND_GOAL_MS)


if __name__ == "__main__":
    main()
