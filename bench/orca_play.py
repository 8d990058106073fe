#!/usr/bin/python3
"""A deal played and won from the keyboard alone with Orca listening, on a
private Xvfb with a window manager, session bus, accessibility bus, PulseAudio
null sink and speech-dispatcher; what Orca speaks is read from its debug log.
A manual tool, not a test: it takes 10 to 30 minutes, and on a hard deal its
search may not find the win in that time (H tends to shuttle a card between
two places, and the search around it is blind).

    bench/orca_play.py [--game build/default/src/app/tarvo] [--out play.txt] [--minutes 30]

Shift+F2 deals a deal the solver can win. The moves come from H where the hint
leads somewhere new; otherwise from the places' accessible names and children
(read over AT-SPI, as a screen reader's review would), with H as the judge of
whether the deal can still be won and Ctrl+Z to step back. On the way: a
refused drop, a menu opened and closed, the rules read and put away, a peek,
an undo and a redo. Each line of the transcript is a key and what Orca said.
Needs Debian's python3 with python3-pyatspi, orca, openbox, speech-dispatcher,
pulseaudio and xdotool.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests/e2e"))

from tarvo_e2e import Xvfb  # noqa: E402

SPEECH = re.compile(r"SPEECH OUTPUT: '(.*)'(\{.*\})?\s*$")
SUITS = ["Denari", "Coppe", "Bastoni", "Spade"]


class Session:
    """Everything a screen reader needs, private to this run."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="tarvo-orca-")
        self.xvfb = Xvfb(1024, 768)
        run = os.path.join(self.dir, "run")
        os.mkdir(run, 0o700)
        self.env = dict(self.xvfb.env, HOME=self.dir, XDG_RUNTIME_DIR=run,
                        PULSE_SERVER="unix:%s/pulse.sock" % self.dir)
        self.procs = []
        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                              "--print-pid=1"], env=self.env, capture_output=True, text=True,
                             check=True).stdout.split()
        self.env["DBUS_SESSION_BUS_ADDRESS"], self.bus_pid = bus[0], int(bus[1])
        self.spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                    "--system=false", "--use-pid-file=no",
                    "-L", "module-null-sink sink_name=nullsink rate=44100",
                    "-L", "module-native-protocol-unix auth-anonymous=1 socket=%s/pulse.sock"
                    % self.dir], "pulse")
        # A window manager, so that windows are activated and focus events flow.
        self.openbox = self.spawn(["openbox"], "openbox")
        subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply",
                        "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, timeout=20)
        # Orca starts speech-dispatcher itself, which ends on its own after Orca.
        # Orca's debug file is block-buffered unless it is a terminal.
        self.log = os.path.join(self.dir, "orca.log")
        os.mkdir(os.path.join(self.dir, "prefs"))
        self.spawn(["script", "-qfc", "orca -u %s/prefs --debug-file /dev/tty" % self.dir,
                    self.log], "orca-script")
        deadline = time.time() + 30
        while "Screen reader on" not in self.text(0) and time.time() < deadline:
            time.sleep(0.5)

    def spawn(self, args, name):
        with open(os.path.join(self.dir, name + ".out"), "w") as out:
            proc = subprocess.Popen(args, env=self.env, stdout=out, stderr=subprocess.STDOUT,
                                    stdin=subprocess.DEVNULL, start_new_session=True)
        self.procs.append(proc)
        return proc

    def text(self, offset):
        try:
            with open(self.log, "rb") as f:
                f.seek(offset)
                return f.read().decode("utf-8", "replace")
        except FileNotFoundError:
            return ""

    def size(self):
        return os.path.getsize(self.log)

    def stop(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                os.killpg(proc.pid, 15)  # orca runs under script: end the group we started
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    os.killpg(proc.pid, 9)
        os.kill(self.bus_pid, 15)
        self.xvfb.stop()


class Player:
    """Presses keys and hears what Orca says."""

    def __init__(self, session, game_path, transcript):
        self.s, self.out = session, transcript
        env = dict(session.env, ASAN_OPTIONS="detect_leaks=0")
        self.game = subprocess.Popen([game_path], env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        wid = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                              str(self.game.pid)], env=env, capture_output=True,
                             text=True).stdout.split()[0]
        time.sleep(4.5)  # the title pause
        self.xdo("windowactivate", "--sync", wid)
        time.sleep(1.5)

    def xdo(self, *args):
        subprocess.run(["xdotool", *args], env=self.s.env, check=True)

    def note(self, text):
        print(text, flush=True)
        self.out.write(text + "\n")
        self.out.flush()

    def key(self, k, quiet_s=0.7, max_s=6.0, expect=None, up=False):
        """Presses keys (a space between them) and returns what Orca said until it fell quiet."""
        if self.s.openbox.poll() is not None:
            self.note("!! the window manager is gone")
        start = self.s.size()
        self.xdo("keyup" if up else "key", "--delay", "60", *k.split())
        t0 = last = time.time()
        said = []
        while time.time() - t0 < max_s:
            time.sleep(0.1)
            now = [m.group(1) for m in map(SPEECH.search, self.s.text(start).splitlines()) if m]
            if len(now) != len(said):
                said, last = now, time.time()
            if said and time.time() - last > quiet_s and (expect is None or
                                                           any(expect in x for x in said)):
                break
        self.note("%-14s -> %s" % (("up " if up else "") + k,
                                   " | ".join(said) if said else "(silence)"))
        return " | ".join(said)


def card(name):
    v, _, suit = name.partition(" of ")
    return int(v), suit


def short(c):
    return c[1] in ("Denari", "Coppe")


def goes_on(c, column):
    return not column or (column[-1][0] == c[0] + 1 and short(column[-1]) != short(c))


class Table:
    """The table as its accessible tree tells it, read without a key."""

    def __init__(self, pid):
        import pyatspi
        desktop = pyatspi.Registry.getDesktop(0)
        app = next(a for a in (desktop.getChildAtIndex(i) for i in range(desktop.childCount))
                   if a is not None and a.get_process_id() == pid)
        table = pyatspi.findDescendant(app, lambda o: o.name == "Table")
        self.cols, self.found, self.pile, self.stock = {}, {}, None, 0
        for o in (table.getChildAtIndex(i) for i in range(table.childCount)):
            kids = (lambda: [card(o.getChildAtIndex(j).name) for j in range(o.childCount)])
            if o.name.startswith("Column "):
                self.cols[int(o.name[7])] = kids()
            elif " foundation" in o.name:
                m = re.search(r"up to (\d+)", o.name)
                self.found[o.name.split()[0]] = int(m.group(1)) if m else 0
            elif o.name.startswith("Stock pile"):
                self.pile = (kids() or [None])[-1]
            elif o.name.startswith("Stock,"):
                m = re.search(r"(\d+) cards? left", o.name)
                self.stock = int(m.group(1)) if m else 0

    def key(self):
        return (tuple(tuple(self.cols[c]) for c in range(1, 8)), self.pile, self.stock)

    def tops(self):
        """(key of the place, card) for every card that may move."""
        out = [(str(c), self.cols[c][-1]) for c in range(1, 8) if self.cols[c]]
        return out + ([("p", self.pile)] if self.pile else [])

    def moves(self, hinted, last):
        """Moves to try, the likeliest first; the hint's unless it undoes the last one."""
        back = ("col", last[2], last[1]) if last and last[0] == "col" else None
        out = [hinted] if hinted and hinted != back and not hinted[1].startswith("F") else []
        out += [("up", src) for src, c in self.tops() if self.found[c[1]] == c[0] - 1]
        # The pile and the tallest columns first: they have the most to uncover.
        tops = sorted(self.tops(),
                      key=lambda t: -(len(self.cols[int(t[0])]) if t[0].isdigit() else 99))
        out += [("col", src, str(d)) for src, c in tops for d in range(1, 8)
                if str(d) != src and self.cols[d] and goes_on(c, self.cols[d])]
        empty = [str(d) for d in range(1, 8) if not self.cols[d]]
        out += [("col", src, empty[0]) for src, c in tops
                if empty and (src == "p" or len(self.cols[int(src)]) >= 2)]
        out += [("turn", "s")] if self.stock else []
        out += [("col", "F" + s, str(d)) for s, v in self.found.items() if v >= 2
                for d in range(1, 8) if self.cols[d] and goes_on((v, s), self.cols[d])]
        out += [hinted] if hinted else []
        seen, uniq = set(), []
        for m in out:
            if m not in seen and m != back:
                seen.add(m)
                uniq.append(m)
        return uniq

    def hinted(self, text):
        if "Turn the stock" in text:
            return ("turn", "s")
        m = re.search(r"Move (\d+ of \w+) (up to|onto .*?, column (\d)|to column (\d))", text)
        if not m:
            return None
        c = card(m.group(1))
        src = next((k for k, t in self.tops() if t == c), None)
        if self.found.get(c[1]) == c[0]:
            src = "F" + c[1]
        if src is None:
            return None
        return ("up", src) if m.group(2) == "up to" else ("col", src, m.group(3) or m.group(4))


def perform(p, table, move):
    if move[0] in ("up", "turn"):
        p.key(move[1])
        return p.key("Return")
    if move[1].startswith("F"):
        # F goes to the first foundation with a card to take; Down to the next.
        order = [s for s in SUITS if table.found[s] >= 2]
        p.key("f")
        for _ in range(order.index(move[1][1:])):
            p.key("Down")
    else:
        p.key(move[1])
    p.key("space")
    p.key(move[2])
    return p.key("space")


def interludes(p, table, moves, done):
    """The moments a player meets on the way, each once."""
    if "refused" not in done and moves >= 2:
        done.add("refused")
        src = next(str(c) for c in range(1, 8) if table.cols[c])
        p.key(src)
        p.key("space")
        dst = next((c for c in "1234567" if c != src and "cannot go" in p.key(c)), None)
        p.key("space" if dst else "Escape")
    if "menu" not in done and moves >= 4:
        done.add("menu")
        for k in ("alt+o", "Escape", "Escape", "alt+r", "Return", "Page_Down", "Down",
                  "Escape", "Tab"):
            p.key(k, quiet_s=1.5 if k == "Return" else 0.7)
    if "peek" not in done and moves >= 6:
        done.add("peek")
        c = max(range(1, 8), key=lambda c: len(table.cols[c]))
        for k in (str(c), "Up", "Up"):
            p.key(k)
        p.xdo("keydown", "space")
        time.sleep(1.2)
        p.key("space", up=True)
        p.key("r", quiet_s=1.0)
    if "undo" not in done and moves >= 8:
        done.add("undo")
        p.key("ctrl+z")
        p.key("ctrl+y")


def play(p, minutes):
    end = time.time() + 60 * minutes
    p.key("Tab")
    p.key("shift+F2", max_s=15, expect="New game")
    p.key("F1", quiet_s=1.0)
    table = Table(p.game.pid)
    visited, tried, done = {table.key()}, set(), set()
    moves = depth = 0
    last = None
    hint = p.key("h", max_s=20, expect="")
    while "you have won" not in hint and "game is won" not in hint:
        if time.time() > end:
            p.note("?? not won in %d minutes" % minutes)
            return moves
        interludes(p, table, moves, done)
        here = table.key()
        for move in table.moves(table.hinted(hint), last):
            if (here, move) in tried:
                continue
            tried.add((here, move))
            perform(p, table, move)
            after = Table(p.game.pid)
            if after.key() == here:
                continue  # refused
            if after.key() in visited:
                p.key("ctrl+z")
                continue
            hint = p.key("h", max_s=20, expect="")
            if "no longer be won" in hint:
                p.key("ctrl+z")
                continue
            table, last = after, move
            visited.add(table.key())
            moves, depth = moves + 1, depth + 1
            break
        else:
            if depth == 0:
                p.note("?? no move found that keeps the deal winnable")
                return moves
            p.note("-- a dead end: one move back")
            p.key("ctrl+z")
            depth -= 1
            table, last, hint = Table(p.game.pid), None, ""
    p.key("r")
    p.key("Insert+KP_Enter Insert+KP_Enter", quiet_s=1.0)  # Orca reads the status bar
    return moves


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--game", default=os.path.join(ROOT, "build/default/src/app/tarvo"))
    parser.add_argument("--out", default="orca-play.txt")
    parser.add_argument("--keep-log", action="store_true", help="keep Orca's debug log")
    parser.add_argument("--minutes", type=int, default=30,
                        help="give up after this long (the search can wander on a hard deal)")
    args = parser.parse_args()
    # Ended from outside, the session still goes down with us.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    session = Session()
    os.environ.update(session.env)  # the accessibility client finds the buses here
    try:
        with open(args.out, "w") as transcript:
            player = Player(session, args.game, transcript)
            try:
                player.note("moves %d" % play(player, args.minutes))
            finally:
                player.game.terminate()
                player.game.wait(10)
    finally:
        session.stop()
        if args.keep_log:
            print("Orca's log: " + session.log)
        else:
            shutil.rmtree(session.dir, ignore_errors=True)


if __name__ == "__main__":
    main()
