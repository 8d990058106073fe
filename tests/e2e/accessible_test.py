#!/usr/bin/env python3
"""The game as a screen reader meets it: the accessible tree read over AT-SPI
from the running game on a private Xvfb, session bus and accessibility bus,
checked against what the screen shows, and the events a move sends.

Needs Debian's python3 with python3-pyatspi. Accessibility is switched on as
a screen reader does it: the org.a11y.Status properties on the session bus.
"""

import os
import re
import subprocess
import sys
import time

from tarvo_e2e import (HUMAN_CLICK_GAP_S, STOCK, GameTestCase, main, value_of,
                       wait_until)

SUITS = ["Denari", "Coppe", "Bastoni", "Spade"]
ON_STOCK = (STOCK[0] + 32, STOCK[1] + 60)
PLACE = re.compile(r"(Column \d|\w+ foundation|Stock pile|Stock)(,|$)")


def card_name(card):
    return "%d of %s" % (value_of(card), SUITS[(card - 1) // 10])


def fits(card, column):
    """Whether the rules let `card` go on `column` (a list of card ids)."""
    if not column:
        return True
    top = column[-1]
    return value_of(top) == value_of(card) + 1 and (top <= 20) != (card <= 20)


class Buses:
    """A private session bus with the accessibility bus started on it."""

    def __init__(self, env):
        self.bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
        self.address = self.bus.stdout.readline().decode().strip()
        if not self.address:
            raise RuntimeError("the session bus did not start")
        self.env = dict(env, DBUS_SESSION_BUS_ADDRESS=self.address)
        # The game joins the accessibility bus only when it is there already.
        subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply",
                        "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
                       env=self.env, check=True, stdout=subprocess.DEVNULL, timeout=20)

    def screen_reader(self, on):
        for prop in ("ScreenReaderEnabled", "IsEnabled"):
            subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply",
                            "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                            "string:org.a11y.Status", "string:" + prop,
                            "variant:boolean:" + ("true" if on else "false")],
                           env=self.env, check=True, stdout=subprocess.DEVNULL, timeout=20)

    def stop(self):
        # The bus launcher and the registry end with the bus they hang on.
        self.bus.terminate()
        self.bus.wait(5)
        self.bus.stdout.close()


class AccessibleTest(GameTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.runtime = os.path.join(cls.workdir, "run")
        os.mkdir(cls.runtime, 0o700)
        cls.buses = Buses(dict(cls.xvfb.env, XDG_RUNTIME_DIR=cls.runtime, HOME=cls.workdir))
        # The client library finds the buses through our environment.
        os.environ.update(DISPLAY=cls.xvfb.display, DBUS_SESSION_BUS_ADDRESS=cls.buses.address,
                          XDG_RUNTIME_DIR=cls.runtime)
        global pyatspi, GLib
        import pyatspi
        from gi.repository import GLib

    @classmethod
    def tearDownClass(cls):
        cls.buses.stop()
        super().tearDownClass()

    def setUp(self):
        self.events = []
        self.listening = []

    def tearDown(self):
        for kinds in self.listening:
            pyatspi.Registry.deregisterEventListener(self.record, *kinds)

    # -- AT-SPI ----------------------------------------------------------------

    def record(self, event):
        try:
            child = event.any_data.name if "children-changed" in event.type else None
            self.events.append((event.type, event.source.getRoleName(), event.source.name,
                                event.detail1, child))
        except Exception:  # the source may be gone already
            pass

    def listen(self, *kinds):
        pyatspi.Registry.registerEventListener(self.record, *kinds)
        self.listening.append(kinds)

    def pump(self, seconds):
        """Lets AT-SPI events come in for a while."""
        context = GLib.MainContext.default()
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if not context.iteration(False):
                time.sleep(0.01)

    def wait_event(self, predicate, timeout=5.0):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            self.pump(0.05)
            if any(predicate(e) for e in self.events):
                return True
        return False

    def start_accessible_game(self, screen_reader=True):
        self.buses.screen_reader(screen_reader)
        return self.start_game(extra_env={"DBUS_SESSION_BUS_ADDRESS": self.buses.address})

    def on_the_bus(self, game):
        desktop = pyatspi.Registry.getDesktop(0)
        return any(app is not None and app.get_process_id() == game.proc.pid
                   for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)))

    def table_of(self, game):
        """The accessible object of the table in the game's window."""
        def find():
            desktop = pyatspi.Registry.getDesktop(0)
            for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
                if app is None or app.get_process_id() != game.proc.pid:
                    continue
                return pyatspi.findDescendant(app, lambda o: o.name == "Table"
                                              and o.getRoleName() == "filler")
            return None

        table = wait_until(find, timeout=20, interval=0.2)
        self.assertIsNotNone(table, "no accessible table in the game")
        return table

    @staticmethod
    def children(table):
        return [table.getChildAtIndex(i) for i in range(table.childCount)]

    def places(self, table):
        return {o.name.split(",")[0]: o for o in self.children(table)
                if o.getRoleName() in ("filler", "push button") and PLACE.match(o.name)}

    # -- tests -----------------------------------------------------------------

    def test_the_tree_names_every_place_as_the_screen_shows_it(self):
        game = self.start_accessible_game()
        view = game.start_dealt()
        view = game.settle()
        table = self.table_of(game)
        places = self.places(table)
        self.assertEqual(sorted(places), sorted(
            ["Column %d" % c for c in range(1, 8)]
            + ["%s foundation" % s for s in SUITS] + ["Stock pile", "Stock"]))

        for c, cards in view.columns().items():
            # An ace dealt alone in column 7 has gone up and left it empty.
            self.assertEqual(places["Column %d" % c].name, "Column %d, %s" % (
                c, "%d card%s, top %s" % (len(cards), "" if len(cards) == 1 else "s",
                                          card_name(cards[-1])) if cards else "empty"))
        self.assertEqual(places["Stock"].name, "Stock, 12 cards left")
        self.assertEqual(places["Stock"].getRoleName(), "push button")
        for suit, top in view.foundations().items():
            self.assertEqual(places["%s foundation" % SUITS[suit - 1]].name,
                             "%s foundation, %s" % (SUITS[suit - 1],
                                                    "up to 1" if top else "empty"))

        # Every card whose band a player can read is named: all the column
        # cards and the aces up; the stock's cards are not.
        readable = {card_name(c) for cards in view.columns().values() for c in cards}
        readable |= {card_name(top) for top in view.foundations().values() if top}
        below = self.children(table) + [c for o in places.values() for c in self.children(o)]
        cards = [o for o in below if re.fullmatch(r"\d+ of \w+|covered card", o.name)]
        # Fillers, whose role a screen reader does not speak.
        self.assertEqual({o.getRoleName() for o in cards}, {"filler"})
        self.assertEqual(len(cards), 40)
        self.assertEqual({o.name for o in cards} - {"covered card"}, readable)

        # A column's children are its cards from the top edge down.
        self.assertEqual([o.name for o in self.children(places["Column 1"])],
                         [card_name(c) for c in view.column(1)])

        # The place's box on the screen is where the screen shows the column.
        first = places["Column 1"].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.assertEqual((first.x, first.y, first.width), (game.origin[0], game.origin[1], 64))

    def test_a_screen_reader_switched_on_after_the_window_finds_the_game(self):
        game = self.start_accessible_game(screen_reader=False)
        game.start_dealt()
        game.settle()
        self.assertFalse(self.on_the_bus(game), "on the bus with no screen reader")
        self.buses.screen_reader(True)
        self.assertEqual(len(self.places(self.table_of(game))), 13)

    def test_a_stock_click_renames_the_places_and_is_announced(self):
        game = self.start_accessible_game()
        game.start_dealt()
        table = self.table_of(game)
        self.listen("object:property-change:accessible-name", "object:state-changed:showing",
                    "object:state-changed:focused", "focus:", "object:children-changed")
        self.pump(0.5)  # the game learns that someone listens
        for n in range(1, 4):
            self.events.clear()
            before = game.settle()
            game.click(*ON_STOCK)
            self.assertTrue(self.wait_event(
                lambda e: e[0] == "object:state-changed:showing" and e[1] == "notification"
                and e[2].startswith("Turned ")), "no announcement after click %d: %s"
                % (n, self.events))
            self.assertTrue(self.wait_event(
                lambda e: e[0] == "object:property-change:accessible-name"
                and e[2] == "Stock, %d cards left" % (12 - n)), self.events)
            view = game.settle()
            turned = view.pile_top()
            if turned == before.pile_top():  # an ace went up instead
                turned = [c for s, c in view.foundations().items()
                          if c != before.foundations()[s]][0]
            news = [e[2] for e in self.events if e[1] == "notification"]
            self.assertTrue(news[-1].startswith("Turned %s" % card_name(turned)), news)
            # The turned card leaves the table's own children for its place's,
            # so that a review of the tree never shows it twice or nowhere.
            self.assertTrue(self.wait_event(
                lambda e: e[0] == "object:children-changed:add" and e[1] == "filler"
                and e[4] == card_name(turned)), self.events)
            self.assertIn(("object:children-changed:remove", "filler", "Table"),
                          [e[:3] for e in self.events if e[4] == card_name(turned)])
            self.assertEqual(self.places(table)["Stock"].name, "Stock, %d cards left" % (12 - n))
            time.sleep(HUMAN_CLICK_GAP_S)
        print("AT-SPI events after a stock click: %s" % sorted({e[:2] for e in self.events}),
              file=sys.stderr)
        # The accessible objects go with the window, cleanly, while someone listens.
        game.close_button()
        self.assertEqual(game.wait_exit(), 0, game.stderr_text())

    def test_the_keys_move_the_focus_and_the_names_follow(self):
        game = self.start_accessible_game()
        game.start_dealt()
        self.table_of(game)
        self.listen("object:state-changed:focused", "focus:",
                    "object:property-change:accessible-name")
        self.pump(0.5)

        def focused(pattern):
            return lambda e: (e[0] == "object:state-changed:focused" and e[3] == 1
                              and re.fullmatch(pattern, e[2]))

        game.key("Tab")  # the first Tab after the deal goes to the stock
        self.assertTrue(self.wait_event(focused(r"Stock, 12 cards left")), self.events)
        self.assertTrue(any(e[0] == "focus:" for e in self.events), self.events)
        self.events.clear()
        game.key("Return")  # turns a card; the focused stock's name follows
        self.assertTrue(self.wait_event(
            lambda e: e[0] == "object:property-change:accessible-name" and e[1] == "push button"
            and e[2] == "Stock, 11 cards left"), self.events)
        self.events.clear()
        game.key("shift+Tab")  # back to the pile, or past an ace gone up to column 7
        self.assertTrue(self.wait_event(
            focused(r"Stock pile, 1 card, top .*|Column 7, .*")), self.events)
        self.events.clear()
        game.key("Left")
        self.assertTrue(self.wait_event(focused(r"(Column [1-7]|\w+ foundation), .*")),
                        self.events)
        # A drop refused says its reason, once, and not also "goes back".
        self.listen("object:state-changed:showing")
        columns = game.settle().columns()
        src, dst = next((a, b) for a in columns for b in columns if a != b and columns[a]
                        and not fits(columns[a][-1], columns[b]))
        game.key(str(src), "space", str(dst))
        self.pump(0.5)
        self.events.clear()
        game.key("space")
        self.assertTrue(self.wait_event(
            lambda e: e[1] == "notification" and "cannot go" in e[2]), self.events)
        self.pump(0.5)
        shown = [e for e in self.events
                 if e[0] == "object:state-changed:showing" and e[1] == "notification"]
        self.assertEqual(len(shown), 1, shown)
        # The rules opened from the keyboard are a named text that takes the
        # focus; Escape puts them away and the table has the keys again.
        self.events.clear()
        game.key("alt+r", "Return")
        self.assertTrue(self.wait_event(focused(r"Rules")), self.events)
        self.events.clear()
        game.key("Escape", "Tab")
        self.assertTrue(self.wait_event(focused(r"(Column [1-7]|\w+ foundation|Stock.*), .*")),
                        self.events)

    def test_each_undo_is_announced_once(self):
        game = self.start_accessible_game()
        game.start_dealt()
        self.table_of(game)
        self.listen("object:state-changed:showing")
        self.pump(0.5)

        def news():
            return [e[2] for e in self.events if e[1] == "notification"]

        def told(pattern, timeout=5.0):
            """The first notification since the last clear that starts with
            `pattern`. Its text is read when the event comes in: a late event
            reads the latest text, so wait for the words, not for any event."""
            found = []

            def match(e):
                if e[1] == "notification" and re.match(pattern, e[2]):
                    found.append(e[2])
                return bool(found)

            self.assertTrue(self.wait_event(match, timeout=timeout), news())
            return found[0]

        def hint():
            """The hint's words; its thread runs at idle priority, so give it time."""
            self.events.clear()
            game.key("h")
            return told("Move |Turn the stock|This deal |The game is won|No hint", timeout=60)

        # Three moves as the hint tells them, so that column moves come too,
        # on a deal that can be won.
        said = hint()
        for _ in range(4):
            if re.match("Move |Turn ", said):
                break
            game.key("F2")
            self.pump(1.0)
            said = hint()
        for move in range(3):
            if move > 0:
                said = hint()
            self.assertRegex(said, "^(Move |Turn )")
            # "onto 5 of Spade, column 2" or "to column 7, empty"
            column = re.search(r"column (\d)", said)
            game.key(*(["space", column.group(1), "space"] if column else ["Return"]))
            # The move landed: the card to its place, or the card turned.
            card = re.match(r"Move (\d+ of \w+) ", said)
            told(re.escape(card.group(1)) + " to " if card else "Turned ")
            self.pump(0.5)
        # One announcement per undo; then the history is empty, and says so.
        for n in range(1, 5):
            self.events.clear()
            game.key("ctrl+z")
            told("Undone: " if n < 4 else "Nothing to undo")
            self.pump(0.5)
            self.assertEqual(len(news()), 1, "Ctrl+Z number %d: %s" % (n, news()))
        game.close_button()
        self.assertEqual(game.wait_exit(), 0, game.stderr_text())

if __name__ == "__main__":
    main()
