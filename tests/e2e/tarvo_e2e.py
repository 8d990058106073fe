"""Drives the real Tarvo window on a private Xvfb: start it, press keys and
buttons with the real pointer, and read the table back from the screen.

The program prints nothing, so every check reads pixels. Places come from the
table's fixed geometry (pixels from the top-left of the area under the menu
bar) plus the window's position on the screen. Cards are told apart by their
top band, compared with the faces that tarvo-pictures renders from the same
picture code the game uses.
"""

import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
# LeakSanitizer's tracer (GCC 12's libasan) crashing at exit: not the game's
# fault, nor a thread's. By then only the main thread is left (with
# LSAN_OPTIONS=verbosity=1:log_threads=1 it is the one thread processed). Its
# dynamic TLS block for libjpeg (8 bytes, loaded by Qt's JPEG plugin for the
# title picture) comes from malloc; the sanitizer's __tls_get_addr hook takes
# any block that starts 16 bytes into a page for a glibc 2.19 block with a
# header, and reads start and size from the 16 bytes before it: ASan's own
# chunk header. The tracer then scans "DTLS 10 at 0xdc8-0x800001eca" and dies
# at 0xdc8. Where malloc happens to put that block decides it (2 exits in 20).
# The game runs without that hook (below); should the crash come all the same,
# the exit is still taken as clean.
LSAN_TRACER_CRASH = ("Tracer caught signal 11", "LeakSanitizer has encountered a fatal error")
IMPORT = "/usr/bin/import"    # ImageMagick's: another convert may come first on PATH
CONVERT = "/usr/bin/convert"
SCREEN_W, SCREEN_H = 1024, 768

GREEN = (0, 128, 0)
OLIVE = (128, 128, 0)
PANEL_YELLOW = (255, 255, 192)
BLACK = (0, 0, 0)

WINDOW_OUTER = (620, 480)
CARD_W, CARD_H = 64, 102
COLUMN_PITCH_PX, ROW_PITCH_PX = 65, 25
FOUNDATION_LEFT_PX, FOUNDATION_PITCH_PX = 458, 102
OUTLINE_LEFT_PX = 459
PILE = (540, 204)
STOCK = (540, 305)
RULES_PANEL = (0, 0, 488, 321)
INFO_PANEL_LEFT_PX, INFO_PANEL_SIZE = 130, (201, 81)
TITLE_PAUSE_S = 3.0
# A column card shows this many face rows before the next card covers it.
BAND_ROWS = ROW_PITCH_PX - 1
FACE_W, FACE_H = 62, 100

# Pauses between clicks: longer and shorter than Qt's 400 ms double-click interval.
HUMAN_CLICK_GAP_S = 0.6
DOUBLE_CLICK_GAP_MS = 90


def suit_of(card):
    return (card - 1) // 10 + 1


def value_of(card):
    return (card - 1) % 10 + 1


def short_suit(card):
    return card <= 20


def column_left(c):
    return COLUMN_PITCH_PX * (c - 1)


def row_top(r):
    return ROW_PITCH_PX * (r - 1)


def foundation_top(suit):
    return FOUNDATION_PITCH_PX * (suit - 1)


def binaries():
    """Paths of the game and the picture tool, as CTest hands them over."""
    game = os.environ.get("TARVO_BIN")
    pictures = os.environ.get("TARVO_PICTURES_BIN")
    if not game or not pictures:
        raise unittest.SkipTest("TARVO_BIN and TARVO_PICTURES_BIN must name the built programs")
    return game, pictures


def run(*args, env=None, timeout=20, check=True):
    return subprocess.run(args, env=env, timeout=timeout, check=check,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def wait_until(predicate, timeout=5.0, interval=0.05):
    """Returns the first true value of predicate(), or the last value after timeout."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= end:
            return value
        time.sleep(interval)


class Image:
    """An RGB picture read from ImageMagick's binary PPM."""

    def __init__(self, ppm):
        m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", ppm)
        if not m or m.group(3) != b"255":
            raise ValueError("not an 8-bit PPM")
        self.width, self.height = int(m.group(1)), int(m.group(2))
        self.data = ppm[m.end():]

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def row(self, x, y, width):
        i = 3 * (y * self.width + x)
        return self.data[i:i + 3 * width]

    def block(self, x, y, width, height):
        return b"".join(self.row(x, y + k, width) for k in range(height))

    def all_of(self, colour, x, y, width, height):
        want = bytes(colour) * width
        return all(self.row(x, y + k, width) == want for k in range(height))

    def count(self, colour, x, y, width, height):
        want = bytes(colour)
        n = 0
        for k in range(height):
            row = self.row(x, y + k, width)
            n += sum(1 for i in range(0, len(row), 3) if row[i:i + 3] == want)
        return n


def read_ppm(*convert_args, env=None):
    return Image(run(*convert_args, env=env).stdout)


class Faces:
    """The 40 card faces as the game draws them, for telling cards apart."""

    def __init__(self, pictures_bin, workdir):
        out = os.path.join(workdir, "faces")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        run(pictures_bin, out, env=env, timeout=120)
        files = [os.path.join(out, "face-%02d.png" % i) for i in range(1, 41)]
        # One strip of 40 faces side by side, ids in order.
        strip = read_ppm(CONVERT, *files, "+append", "-depth", "8", "ppm:-")
        self.bands = {}
        self.faces = {}
        for card in range(1, 41):
            x = FACE_W * (card - 1)
            self.bands[strip.block(x, 0, FACE_W, BAND_ROWS)] = card
            self.faces[card] = strip.block(x, 0, FACE_W, FACE_H)

    def band_at(self, shot, x, y):
        """The card whose face starts at screen (x, y), from its top band; 0 for none."""
        if x < 0 or y < 0 or x + FACE_W > shot.width or y + BAND_ROWS > shot.height:
            return 0
        return self.bands.get(shot.block(x, y, FACE_W, BAND_ROWS), 0)

    def whole_at(self, shot, x, y, card):
        return shot.block(x, y, FACE_W, FACE_H) == self.faces[card]


class TableView:
    """What one screenshot shows of the table."""

    def __init__(self, shot, origin, faces):
        self.shot, self.origin, self.faces = shot, origin, faces

    def at(self, x, y):
        """Pixel at table coordinates."""
        return self.shot.pixel(self.origin[0] + x, self.origin[1] + y)

    def all_of(self, colour, x, y, w, h):
        return self.shot.all_of(colour, self.origin[0] + x, self.origin[1] + y, w, h)

    def card_at(self, left, top):
        """Card whose widget lies at (left, top) of the table, 0 for none."""
        return self.faces.band_at(self.shot, self.origin[0] + left + 1, self.origin[1] + top + 1)

    def column(self, c):
        cards = []
        for r in range(1, 16):
            card = self.card_at(column_left(c), row_top(r))
            if not card:
                break
            cards.append(card)
        return cards

    def columns(self):
        return {c: self.column(c) for c in range(1, 8)}

    def foundation(self, suit):
        return self.card_at(FOUNDATION_LEFT_PX, foundation_top(suit))

    def foundations(self):
        return {s: self.foundation(s) for s in range(1, 5)}

    def outline_shown(self, suit):
        """The olive outline, frame and hatch, is there uncovered."""
        top = foundation_top(suit)
        frame = (self.at(OUTLINE_LEFT_PX + 10, top) == OLIVE
                 and self.at(OUTLINE_LEFT_PX + CARD_W - 1, top + 50) == OLIVE
                 and self.at(OUTLINE_LEFT_PX, top + 50) == OLIVE)
        inside = self.shot.count(OLIVE, self.origin[0] + OUTLINE_LEFT_PX + 1,
                                 self.origin[1] + top + 1, CARD_W - 2, CARD_H - 2)
        return frame and 400 < inside < (CARD_W - 2) * (CARD_H - 2) // 2

    def pile_top(self):
        return self.card_at(*PILE)

    def stock_shown(self):
        """The card back: a yellowish frame around a blue field, where green would be."""
        x, y = STOCK[0] + 32, STOCK[1] + 50
        r, g, b = self.at(x, y)
        fr, fg, fb = self.at(STOCK[0] + 2, STOCK[1] + 50)
        return b > r + 40 and fr > 150 and fg > 100 and fb < 120

    def stock_area_green(self):
        # The top row of the stock lies under a turned card at 204..305.
        return self.all_of(GREEN, STOCK[0], STOCK[1] + 1, CARD_W, CARD_H - 1)

    def cards_in_columns(self):
        return sum(len(cards) for cards in self.columns().values())

    def panel_shown(self, left, top, width, height):
        """A light yellow panel covers the rectangle: yellow just inside its left and top
        edges, where text never reaches, and none beyond its right and bottom edges."""
        x0, y0 = self.origin[0] + left, self.origin[1] + top
        inside = (self.shot.all_of(PANEL_YELLOW, x0 + 1, y0 + 1, 2, height - 2)
                  and self.shot.all_of(PANEL_YELLOW, x0 + 1, y0 + 1, width - 30, 2))
        outside = self.shot.count(PANEL_YELLOW, x0 + width, y0, 3, height) == 0 \
            and self.shot.count(PANEL_YELLOW, x0, y0 + height, width, 3) == 0
        return inside and outside

    def any_panel_yellow(self):
        return self.shot.count(PANEL_YELLOW, self.origin[0], self.origin[1],
                               RULES_PANEL[2], RULES_PANEL[3]) > 0

    def region(self, left, top, width, height):
        return self.shot.block(self.origin[0] + left, self.origin[1] + top, width, height)


class WmDelete:
    """Sends WM_DELETE_WINDOW, the close button's request, with no window manager."""

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]

    @staticmethod
    def send(display_name, window):
        xlib = ctypes.CDLL("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                    ctypes.c_void_p]
        xlib.XFlush.argtypes = [ctypes.c_void_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        dpy = xlib.XOpenDisplay(display_name.encode())
        if not dpy:
            raise RuntimeError("cannot open display " + display_name)
        try:
            event = (ctypes.c_long * 24)()  # an XEvent is 24 longs
            msg = WmDelete.ClientMessage.from_buffer(event)
            msg.type = 33  # ClientMessage
            msg.window = window
            msg.message_type = xlib.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
            msg.format = 32
            msg.l[0] = xlib.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
            msg.l[1] = 0  # CurrentTime
            xlib.XSendEvent(dpy, window, 0, 0, ctypes.addressof(event))
            xlib.XFlush(dpy)
        finally:
            xlib.XCloseDisplay(dpy)


class Xvfb:
    """A private X server on the first free display; only our own processes are ended."""

    def __init__(self, width=SCREEN_W, height=SCREEN_H):
        self.width, self.height = width, height
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class Game:
    """One run of the program on an Xvfb."""

    def __init__(self, xvfb, binary, faces=None, extra_env=None):
        self.xvfb, self.faces = xvfb, faces
        self.tmp = tempfile.mkdtemp(prefix="tarvo-e2e-")
        runtime = os.path.join(self.tmp, "run")
        os.mkdir(runtime, 0o700)
        env = dict(xvfb.env, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime,
                   HOME=self.tmp, SDL_AUDIODRIVER="dummy")
        # Qt's X connection reads unterminated strings with strndup, which the
        # strict string checks of the unit tests flag inside Qt itself.
        # Without the __tls_get_addr hook (LSAN_TRACER_CRASH above) the leak
        # check runs at every exit. It only loses dynamic TLS blocks as roots:
        # the main thread, alone at exit, had just libjpeg's, with no pointer.
        env["ASAN_OPTIONS"] = (os.environ.get("ASAN_OPTIONS", "")
                               + ":strict_string_checks=0:intercept_tls_get_addr=0")
        env["LSAN_OPTIONS"] = "suppressions=" + os.path.join(HERE, "lsan.supp")
        for name, value in (extra_env or {}).items():
            if value is None:
                env.pop(name, None)  # None unsets: a test may want SDL's own choice
            else:
                env[name] = value
        self.started = time.monotonic()
        self._stderr = None
        self.proc = subprocess.Popen([binary], env=env, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE)
        self.window = None
        self.origin = None

    # -- process ---------------------------------------------------------------

    def xdo(self, *args, timeout=20):
        return run("xdotool", *args, env=self.xvfb.env, timeout=timeout).stdout.decode()

    def wait_mapped(self, timeout=30):
        """Waits until the window is mapped; returns its id."""
        out = run("timeout", str(timeout), "xdotool", "search", "--sync", "--onlyvisible",
                  "--pid", str(self.proc.pid), "--name", "Tarvo", env=self.xvfb.env,
                  timeout=timeout + 5, check=False).stdout.decode().split()
        if not out:
            raise AssertionError("the window never mapped; stderr: " + self.stderr_text())
        self.window = int(out[0])
        return self.window

    def geometry(self):
        out = self.xdo("getwindowgeometry", "--shell", str(self.window))
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def wait_exit(self, timeout=15):
        try:
            status = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None
        # The sanitizer failing (above), not the game, whose exit had already
        # run; no leak was found, none was looked for.
        text = self.stderr_text() if status != 0 else ""
        if all(m in text for m in LSAN_TRACER_CRASH) and "ERROR: LeakSanitizer" not in text:
            print("note: LeakSanitizer's tracer crashed at exit; taken as a clean exit",
                  file=sys.stderr)
            return 0
        return status

    def stderr_text(self):
        if self.proc.poll() is None:
            return "(still running)"
        if self._stderr is None:
            self._stderr = self.proc.stderr.read().decode(errors="replace")[-3000:]
        return self._stderr

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for stream in (self.proc.stdout, self.proc.stderr):
            stream.close()
        shutil.rmtree(self.tmp, ignore_errors=True)

    # -- screen ----------------------------------------------------------------

    def shot(self):
        self.last_shot = Image(run(IMPORT, "-window", "root", "-depth", "8", "ppm:-",
                                   env=self.xvfb.env).stdout)
        return self.last_shot

    def save_last_shot(self, path):
        shot = getattr(self, "last_shot", None)
        if shot is not None:
            header = b"P6 %d %d 255\n" % (shot.width, shot.height)
            subprocess.run([CONVERT, "ppm:-", path], input=header + shot.data, check=False)

    def menu_bar_height(self, shot=None):
        """First row of table green under the window top, right of the title picture."""
        shot = shot or self.shot()
        x, y, _, h = self.geometry()
        probe = x + WINDOW_OUTER[0] - 3
        for dy in range(0, min(h, 60)):
            if shot.pixel(probe, y + dy) == GREEN:
                return dy
        raise AssertionError("no table green under the window top")

    def find_table(self):
        """Top-left of the table on the screen, once the window is there."""
        x, y, _, _ = self.geometry()
        self.origin = (x, y + wait_until(lambda: self._bar_or_none(), timeout=10))
        return self.origin

    def _bar_or_none(self):
        try:
            return self.menu_bar_height()
        except AssertionError:
            return None

    def view(self):
        return TableView(self.shot(), self.origin, self.faces)

    def wait_view(self, predicate, timeout=5.0):
        """The first view for which predicate holds; fails with the last one otherwise."""
        last = [None]

        def probe():
            last[0] = self.view()
            return predicate(last[0])

        if not wait_until(probe, timeout=timeout):
            raise AssertionError("the table never reached the expected state")
        return last[0]

    def settle(self, timeout=5.0):
        """The view once three shots in a row agree: the game has drawn what it was sent."""
        views = [self.view()]

        def still():
            time.sleep(0.08)
            views.append(self.view())
            return len(views) >= 3 and views[-1].shot.data == views[-2].shot.data \
                == views[-3].shot.data

        wait_until(still, timeout=timeout, interval=0)
        return views[-1]

    def dealt(self, view):
        """The table after a deal: cards in the columns and the stock back."""
        return view.stock_shown() and view.card_at(0, 0) != 0

    def start_dealt(self):
        """Maps the window, waits out the title pause and returns the dealt table."""
        self.wait_mapped()
        self.find_table()
        return self.wait_view(self.dealt, timeout=TITLE_PAUSE_S + 20)

    # -- input -----------------------------------------------------------------

    def screen_point(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    def move_to(self, x, y):
        # No --sync: it waits for ever when the pointer is already there. The
        # server handles our fake moves and clicks in the order we send them.
        sx, sy = self.screen_point(x, y)
        self.xdo("mousemove", str(sx), str(sy))

    def click(self, x, y, button=1):
        self.move_to(x, y)
        self.xdo("click", str(button))

    def double_click(self, x, y):
        self.move_to(x, y)
        self.xdo("click", "--repeat", "2", "--delay", str(DOUBLE_CLICK_GAP_MS), "1")

    def press(self, x, y, button=1):
        self.move_to(x, y)
        self.xdo("mousedown", str(button))

    def drag(self, start, end, steps=12):
        """Left-drags from start to end (table pixels) through a few moves, as a hand would."""
        self.press(*start)
        for k in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * k // steps
            y = start[1] + (end[1] - start[1]) * k // steps
            sx, sy = self.screen_point(x, y)
            self.xdo("mousemove", str(sx), str(sy))
            time.sleep(0.01)
        self.xdo("mouseup", "1")

    def key(self, *keys):
        """Keys to the game window, each pressed and released in turn."""
        self.xdo("windowfocus", "--sync", str(self.window))
        for k in keys:
            self.xdo("key", "--clearmodifiers", k)
            time.sleep(0.15)  # a menu opened by the key needs a moment to show

    def close_button(self):
        WmDelete.send(self.xvfb.display, self.window)


class GameTestCase(unittest.TestCase):
    """One Xvfb for the test file, one fresh game per test."""

    faces = None

    @classmethod
    def setUpClass(cls):
        cls.game_bin, cls.pictures_bin = binaries()
        cls.workdir = tempfile.mkdtemp(prefix="tarvo-e2e-faces-")
        cls.xvfb = Xvfb()
        if cls.faces is None:
            GameTestCase.faces = Faces(cls.pictures_bin, cls.workdir)

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.stop()
        shutil.rmtree(cls.workdir, ignore_errors=True)

    def start_game(self, **kw):
        game = Game(self.xvfb, self.game_bin, self.faces, **kw)
        self.addCleanup(game.stop)
        self.addCleanup(self._keep_screen_of_failure, game)
        return game

    def _keep_screen_of_failure(self, game):
        result = getattr(getattr(self, "_outcome", None), "result", None)
        failed = result is not None and any(
            test is self for test, _ in result.failures + result.errors)
        folder = os.environ.get("TARVO_E2E_ARTIFACTS")
        if folder and failed:
            os.makedirs(folder, exist_ok=True)
            game.save_last_shot(os.path.join(folder, self.id().split(".")[-1] + ".png"))

    def dealt_game(self):
        game = self.start_game()
        return game, game.start_dealt()


def main():
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    unittest.main(verbosity=2)
