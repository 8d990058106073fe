#!/usr/bin/env python3
"""Tarvo against a bare Qt 6 window and, where installed, Aisleriot (sol) and
KPatience (kpat), each measured from outside on a private Xvfb.

    bench/peers.py [--runs 5] [--build-dir build/default] [--install-peers]
                   [--audio none,alsa,pulseaudio,pipewire,dummy] [--mapped-only] [--same-home]

Per program and run: milliseconds from exec to the window mapped and to cards
on the table; RSS and PSS after settling; CPU seconds over the title pause,
over 10 idle seconds (Tarvo with its music on, then off), and over 20 mouse
drags across the table; with a private sound server, its CPU over the same
spans, and over 10 s of music with a press on the stock every 3 s. Prints
median (min-max) over the runs. Build the optimised game first:
cmake --preset default && cmake --build --preset default.

Every program runs under a private D-Bus session, as on a desktop, in each
audio environment asked for (see AUDIO below); --mapped-only measures only
the start, which is what the environment changes.
"""

import argparse
import ctypes
import os
import re
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

IMPORT = "/usr/bin/import"
SCREEN = (1024, 768)
GREEN = (0, 128, 0)
IDLE_S = 10.0
SETTLE_S = 2.0
MUSIC_TAIL_S = 5.0
PRESS_EVERY_S = 3.0
DRAGS = 20
DRAG_STEPS = 30
LIGHT_FOR_CARDS = 8000  # light pixels that only card faces on the table give
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests/e2e"))

from sound_servers import SERVERS, SessionBus, cpu_seconds  # noqa: E402


# -- X: the moment a top-level window maps ----------------------------------------

class MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong),
                ("window", ctypes.c_ulong), ("override_redirect", ctypes.c_int)]


class WindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("rest", ctypes.c_char * 256)]


class MapWatcher:
    """Watches the root window for the first ordinary window that maps."""

    MAP_NOTIFY = 19
    SUBSTRUCTURE_NOTIFY_MASK = 1 << 19

    def __init__(self, display):
        x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        for name in ("XDefaultRootWindow",):
            getattr(x, name).restype = ctypes.c_ulong
            getattr(x, name).argtypes = [ctypes.c_void_p]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x = x
        self.dpy = x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open " + display)
        x.XSelectInput(self.dpy, x.XDefaultRootWindow(self.dpy), self.SUBSTRUCTURE_NOTIFY_MASK)
        x.XSync(self.dpy, 0)
        self.fd = x.XConnectionNumber(self.dpy)

    def wait(self, timeout):
        """(monotonic time, window id) of the first ordinary window of some size mapped,
        whatever size it takes later."""
        end = time.monotonic() + timeout
        event = (ctypes.c_long * 24)()
        while time.monotonic() < end:
            while self.x.XPending(self.dpy):
                self.x.XNextEvent(self.dpy, ctypes.addressof(event))
                now = time.monotonic()
                mapped = MapEvent.from_buffer(event)
                if mapped.type != self.MAP_NOTIFY or mapped.override_redirect:
                    continue
                attrs = WindowAttributes()
                self.x.XGetWindowAttributes(self.dpy, mapped.window, ctypes.byref(attrs))
                if attrs.width >= 100 and attrs.height >= 100:
                    return now, mapped.window
            select.select([self.fd], [], [], max(0.0, end - time.monotonic()))
        raise RuntimeError("no window mapped in %.0f s" % timeout)

    def close(self):
        self.x.XCloseDisplay(self.dpy)


# -- processes, screen, input ---------------------------------------------------

def memory_mb(pid):
    values = {}
    with open("/proc/%d/smaps_rollup" % pid) as f:
        for line in f:
            m = re.match(r"(\w+):\s+(\d+) kB", line)
            if m:
                values[m.group(1)] = int(m.group(2)) / 1024
    return values["Rss"], values["Pss"]


class Screen:
    def __init__(self, env):
        self.env = env

    def shot(self, x, y, w, h):
        ppm = subprocess.run([IMPORT, "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y),
                              "-depth", "8", "ppm:-"], env=self.env, check=True,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
        m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        return int(m.group(1)), int(m.group(2)), ppm[m.end():]

    def xdo(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def geometry(self, window):
        out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", str(window)],
                             env=self.env, check=True, stdout=subprocess.PIPE).stdout.decode()
        v = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(v["X"]), int(v["Y"]), int(v["WIDTH"]), int(v["HEIGHT"])


def pixels_at_least(data, level):
    """RGB pixels with every channel >= level, fast enough to poll with: a bit per channel."""
    table = bytes(1 if i >= level else 0 for i in range(256))
    r, g, b = (int.from_bytes(data[k::3].translate(table), "big") for k in range(3))
    return (r & g & b).bit_count()


# -- the programs -----------------------------------------------------------------

class Program:
    name = ""
    title_pause = False
    has_music = False
    has_cards = True
    # Card faces are at least this light in every channel; the cloth is not.
    card_level = 200

    def argv(self):
        raise NotImplementedError

    def available(self):
        return shutil.which(self.argv()[0]) is not None or os.path.isfile(self.argv()[0])

    def drag_path(self, screen, window):
        """Start and end of a drag, in screen pixels."""
        x, y, w, h = screen.geometry(window)
        return (x + w // 4, y + h // 3), (x + 3 * w // 4, y + 2 * h // 3)

    def music_off(self, screen, window):
        pass

    def press(self, screen, window):
        """A button pressed and released where it readies the program's card sound."""


class Tarvo(Program):
    name = "Tarvo"
    title_pause = True
    has_music = True
    card_level = 255  # pure white faces; the title's light letters are not

    def __init__(self, build_dir):
        self.binary = os.path.join(build_dir, "src/app/tarvo")

    def argv(self):
        return [self.binary]

    def table_origin(self, screen, window):
        x, y, w, h = screen.geometry(window)
        _, _, column = screen.shot(x + w - 3, y, 1, 60)
        bar = next(k for k in range(60) if tuple(column[3 * k:3 * k + 3]) == GREEN)
        return x, y + bar

    def drag_path(self, screen, window):
        # The top card of the rightmost column that has one, over the stock,
        # where no rule accepts it: it goes home after every drag.
        ox, oy = self.table_origin(screen, window)
        _, _, data = screen.shot(ox, oy, 456, 200)
        for c in range(7, 0, -1):
            rows = [r for r in range(8) if data[3 * (25 * r * 456 + 65 * (c - 1)):][:3]
                    == b"\0\0\0"]
            if rows:
                return (ox + 65 * (c - 1) + 30, oy + 25 * max(rows) + 60), (ox + 570, oy + 380)
        return (ox + 30, oy + 60), (ox + 570, oy + 380)

    def press(self, screen, window):
        # The stock: a click turns a card, with its rustle.
        ox, oy = self.table_origin(screen, window)
        screen.xdo("mousemove", ox + 572, oy + 264, "click", 1)

    def music_off(self, screen, window):
        # Options: "Card rustle", then "Music".
        screen.xdo("windowfocus", "--sync", window)
        for key in ("alt+o", "Down", "Return"):
            screen.xdo("key", key)
            time.sleep(0.2)


class BareQt(Program):
    name = "bare Qt 6 window"
    has_cards = False

    def __init__(self, build_dir):
        self.binary = os.path.join(build_dir, "bench/bare_qt_window")

    def argv(self):
        return [self.binary]


def game_path(name):
    """Debian puts games in /usr/games, which a root shell's PATH may lack."""
    return shutil.which(name) or shutil.which(name, path="/usr/games") or name


class Aisleriot(Program):
    name = "Aisleriot (sol)"

    def drag_path(self, screen, window):
        # Klondike at 800x600: the face-up card of the seventh column, which
        # no rule accepts on the cloth below the third column.
        x, y, w, h = screen.geometry(window)
        return (x + w * 742 // 800, y + h * 487 // 600), (x + w * 285 // 800, y + h * 520 // 600)

    def argv(self):
        return [game_path("sol"), "--variation", "klondike"]


class KPatience(Program):
    name = "KPatience (kpat)"

    def drag_path(self, screen, window):
        # Klondike at 717x538: the face-up card of the seventh column, onto
        # the bare cloth below the third.
        x, y, w, h = screen.geometry(window)
        return (x + w * 632 // 717, y + h * 390 // 538), (x + w * 300 // 717, y + h * 470 // 538)

    def argv(self):
        return [game_path("kpat"), "--gametype", "klondike"]


# -- audio environments ---------------------------------------------------------------

class Audio:
    """What a program finds for sound; env() gives what a run adds to its environment."""

    def __init__(self, key, label):
        self.key, self.label = key, label
        self.bus = None

    def start(self):
        self.bus = SessionBus()

    def env(self, home):
        return {"DBUS_SESSION_BUS_ADDRESS": self.bus.address}

    def stop(self):
        self.bus.stop()

    def server_cpu(self):
        """CPU seconds of the sound server so far; None without one."""
        return None


class BareAlsa(Audio):
    """ALSA with a device that takes everything: its default pcm is the null plugin."""

    def env(self, home):
        with open(os.path.join(home, ".asoundrc"), "w") as f:
            f.write("pcm.!default {\n    type null\n}\n")
        return super().env(home)


class SdlDummy(Audio):
    def env(self, home):
        return dict(super().env(home), SDL_AUDIODRIVER="dummy")


class PrivateServer(Audio):
    def start(self):
        self.server = SERVERS[self.key]()
        self.server.start()
        if self.server.bus is None:
            super().start()

    def env(self, home):
        env = {} if self.server.bus else super().env(home)
        env.update(self.server.client_env())
        return env

    def stop(self):
        self.server.stop()
        if self.bus:
            super().stop()

    def server_cpu(self):
        return sum(cpu_seconds(p.pid) for p in self.server.procs if p.poll() is None)


AUDIO = {
    # This machine has no sound card: the default is also "no device at all".
    "none": Audio("none", "no sound server, no sound card"),
    "alsa": BareAlsa("alsa", "bare ALSA, null pcm"),
    "pulseaudio": PrivateServer("pulseaudio", "PulseAudio, private daemon"),
    "pipewire": PrivateServer("pipewire", "PipeWire, private daemon"),
    "dummy": SdlDummy("dummy", "SDL dummy driver"),
}


# -- one run ----------------------------------------------------------------------

def cards_shown(program, screen, window):
    # The middle of the window: no menu, tool or status bar there.
    x, y, w, h = screen.geometry(window)
    _, _, data = screen.shot(x, y + h // 4, w, h // 2)
    return pixels_at_least(data, program.card_level) >= LIGHT_FOR_CARDS


def one_run(program, display, env, audio, mapped_only=False, home=None):
    """One run in a fresh home folder, or in `home` kept from run to run."""
    kept = home is not None
    home = home or tempfile.mkdtemp(prefix="peers-home-")
    runtime = os.path.join(home, "run")
    os.makedirs(runtime, 0o700, exist_ok=True)
    run_env = dict(env, HOME=home, XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=home + "/config",
                   XDG_CACHE_HOME=home + "/cache", XDG_DATA_HOME=home + "/data",
                   QT_QPA_PLATFORM="xcb", NO_AT_BRIDGE="1", GTK_A11Y="none")
    run_env.pop("SDL_AUDIODRIVER", None)
    for name, value in audio.env(home).items():
        if value is None:
            run_env.pop(name, None)
        else:
            run_env[name] = value
    screen = Screen(env)
    watcher = MapWatcher(display)
    figures = {}
    start = time.monotonic()
    proc = subprocess.Popen(program.argv(), env=run_env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        mapped_at, window = watcher.wait(60)
        figures["map_ms"] = 1000 * (mapped_at - start)
        if mapped_only:
            return figures
        cpu_at_map = cpu_seconds(proc.pid)
        if program.has_cards:
            end = time.monotonic() + 60
            while not cards_shown(program, screen, window):
                if time.monotonic() > end:
                    raise RuntimeError(program.name + ": no cards on the table")
                time.sleep(0.01)
            figures["cards_ms"] = 1000 * (time.monotonic() - start)
            if program.title_pause:
                figures["pause_cpu"] = cpu_seconds(proc.pid) - cpu_at_map
        time.sleep(SETTLE_S)
        figures["rss_mb"], figures["pss_mb"] = memory_mb(proc.pid)

        def measure(key, action=None):
            """CPU of the program, and of the sound server if there is one, over IDLE_S."""
            before, server_before = cpu_seconds(proc.pid), audio.server_cpu()
            end = time.monotonic() + IDLE_S
            while action and time.monotonic() + PRESS_EVERY_S < end:
                action()
                time.sleep(PRESS_EVERY_S)
            time.sleep(max(0.0, end - time.monotonic()))
            figures[key] = cpu_seconds(proc.pid) - before
            if server_before is not None:
                figures["server_" + key] = audio.server_cpu() - server_before

        measure("idle_music_cpu" if program.has_music else "idle_cpu")
        if program.has_music:
            measure("press_music_cpu", lambda: program.press(screen, window))
            program.music_off(screen, window)
            # Notes release and the reverb rings out before the game is idle.
            time.sleep(MUSIC_TAIL_S)
            measure("idle_cpu")

        (x0, y0), (x1, y1) = program.drag_path(screen, window)
        script = ["mousemove", x0, y0]
        before = cpu_seconds(proc.pid)
        for _ in range(DRAGS):
            script += ["mousemove", x0, y0, "mousedown", 1]
            for k in range(1, DRAG_STEPS + 1):
                script += ["mousemove", x0 + (x1 - x0) * k // DRAG_STEPS,
                           y0 + (y1 - y0) * k // DRAG_STEPS, "sleep", "0.01"]
            script += ["mouseup", 1, "sleep", "0.05"]
        screen.xdo(*script)
        time.sleep(0.5)
        figures["drag_cpu"] = cpu_seconds(proc.pid) - before
    finally:
        watcher.close()
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
        if not kept:
            shutil.rmtree(home, ignore_errors=True)
    return figures


# -- table ------------------------------------------------------------------------

COLUMNS = [
    ("map_ms", "mapped ms", "%.0f"),
    ("cards_ms", "cards ms", "%.0f"),
    ("rss_mb", "RSS MB", "%.1f"),
    ("pss_mb", "PSS MB", "%.1f"),
    ("pause_cpu", "title pause CPU s", "%.3f"),
    ("idle_cpu", "idle 10 s CPU s", "%.2f"),
    ("idle_music_cpu", "idle, music on CPU s", "%.2f"),
    ("server_idle_music_cpu", "server, music on CPU s", "%.2f"),
    ("press_music_cpu", "music on, a press every 3 s CPU s", "%.2f"),
    ("server_press_music_cpu", "server, the same CPU s", "%.2f"),
    ("server_idle_cpu", "server, idle CPU s", "%.2f"),
    ("drag_cpu", "20 drags CPU s", "%.2f"),
]


def summary(values, fmt):
    if not values:
        return "-"
    if len(values) == 1:
        return fmt % values[0]
    return (fmt + " (" + fmt + "-" + fmt + ")") % (statistics.median(values), min(values),
                                                   max(values))


def table(results):
    """results: {(program name, audio label): [figures of each run]}."""
    head = ["program", "audio"] + [label for _, label, _ in COLUMNS]
    rows = [head, ["---"] * len(head)]
    for (name, audio), runs in results.items():
        rows.append([name, audio] + [summary([r[key] for r in runs if key in r], fmt)
                                     for key, _, fmt in COLUMNS])
    return "\n".join("| " + " | ".join(row) + " |" for row in rows)


def targets(results):
    def med(runs, key):
        values = [r[key] for r in runs if key in r]
        return statistics.median(values) if values else None

    checks = []
    for (name, audio), tarvo in results.items():
        if name != Tarvo.name:
            continue
        if med(tarvo, "server_idle_music_cpu") is not None:
            checks.append(("music at most 0.2 CPU s per 10 s, game and server, " + audio,
                           med(tarvo, "idle_music_cpu") + med(tarvo, "server_idle_music_cpu"),
                           0.2, "%.2f s"))
        bare = results.get((BareQt.name, audio))
        if not bare:
            continue
        checks.append(("mapped within 10 ms of the bare window, " + audio,
                       med(tarvo, "map_ms") - med(bare, "map_ms"), 10, "%+.0f ms"))
        if med(tarvo, "rss_mb") is None:
            continue
        checks += [
            ("RSS within 25 MB of the bare window",
             med(tarvo, "rss_mb") - med(bare, "rss_mb"), 25, "%+.1f MB"),
            ("idle with the music off at 0.00 CPU s", med(tarvo, "idle_cpu"), 0.005, "%.3f s"),
        ]
        checks += [
            ("title pause under 0.05 CPU s", med(tarvo, "pause_cpu"), 0.05, "%.3f s"),
            ("20 drags at most twice the bare window",
             med(tarvo, "drag_cpu") / max(med(bare, "drag_cpu"), 1e-9), 2.0, "x%.2f"),
        ]
    lines = []
    for text, value, limit, fmt in checks:
        lines.append("%-66s %-10s %s" % (text, fmt % value, "met" if value <= limit else "MISSED"))
    return "\n".join(lines)


def start_xvfb():
    read_fd, write_fd = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                             "%dx%dx24" % SCREEN, "-nolisten", "tcp", "-noreset"],
                            pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as pipe:
        number = pipe.readline().strip()
    if not number:
        proc.kill()
        raise RuntimeError("Xvfb did not start")
    return proc, ":" + number


def install_peers():
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(sudo + ["apt-get", "update", "-qq"], env=env, check=True)
    subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "--no-install-recommends",
                           "aisleriot", "kpat"], env=env, check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build/default"))
    parser.add_argument("--install-peers", action="store_true",
                        help="apt-get install aisleriot and kpat first")
    parser.add_argument("--only", help="comma-separated: tarvo,bare,sol,kpat")
    parser.add_argument("--audio", default="none",
                        help="comma-separated: " + ",".join(AUDIO))
    parser.add_argument("--mapped-only", action="store_true",
                        help="only exec to the window mapped")
    parser.add_argument("--same-home", action="store_true",
                        help="one home folder for all runs of a program, as a player has")
    args = parser.parse_args()
    if args.install_peers:
        install_peers()

    programs = {"tarvo": Tarvo(args.build_dir), "bare": BareQt(args.build_dir),
                "sol": Aisleriot(), "kpat": KPatience()}
    chosen = args.only.split(",") if args.only else list(programs)
    xvfb, display = start_xvfb()
    env = dict(os.environ, DISPLAY=display)
    results = {}
    try:
        for audio in (AUDIO[key] for key in args.audio.split(",")):
            audio.start()
            try:
                for key in chosen:
                    program = programs[key]
                    if not program.available():
                        print("skipped %s: not found (%s)" % (program.name, program.argv()[0]),
                              file=sys.stderr)
                        continue
                    runs = []
                    home = tempfile.mkdtemp(prefix="peers-home-") if args.same_home else None
                    for n in range(args.runs):
                        runs.append(one_run(program, display, env, audio, args.mapped_only,
                                            home))
                        print("%s, %s, run %d: %s" % (program.name, audio.label, n + 1, ", ".join(
                            "%s %.3f" % kv for kv in runs[-1].items())), file=sys.stderr)
                    results[(program.name, audio.label)] = runs
                    if home:
                        shutil.rmtree(home, ignore_errors=True)
            finally:
                audio.stop()
    finally:
        xvfb.terminate()
        xvfb.wait()

    cpu = open("/proc/cpuinfo").read()
    model = re.search(r"model name\s*:\s*(.*)", cpu)
    print("%s, %s, %d cores, load average %.1f, Xvfb %dx%d, median (min-max) of %d runs" % (
        time.strftime("%Y-%m-%d"), model.group(1) if model else "unknown CPU",
        os.cpu_count(), os.getloadavg()[0], SCREEN[0], SCREEN[1], args.runs))
    print()
    print(table(results))
    report = targets(results)
    if report:
        print()
        print(report)


if __name__ == "__main__":
    main()
