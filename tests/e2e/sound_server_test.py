#!/usr/bin/env python3
"""The game through a real sound server started for the test (PulseAudio, or
PipeWire with TARVO_SOUND_SERVER=pipewire), in the server's own protocol or
through the SDL driver TARVO_SDL_DRIVER names, heard at the server's null sink:
the music and the card rustle arrive; a server killed mid-game leaves the game
answering clicks without spinning; once a server is back, the next play is
heard again, whichever way the player asks for it; EXIT and the close button
end the game at once, also when the server has stopped answering."""

import os
import time

from sound_servers import (RATE, SERVERS, cpu_seconds, find_rustle, read_template, silent,
                           sounding)
from tarvo_e2e import STOCK, GameTestCase, main, wait_until

SERVER = os.environ.get("TARVO_SOUND_SERVER", "pulseaudio")
SDL_DRIVER = os.environ.get("TARVO_SDL_DRIVER")
ON_STOCK = (STOCK[0] + 32, STOCK[1] + 60)
MUSIC_S = 1.0            # this much sound in a row is the music, not a rustle
HEAR_TIMEOUT_S = 5.0
TAIL_TIMEOUT_S = 8.0     # notes release and the reverb rings out after "pause"
SPIN_WINDOW_S = 3.0
# A spin would burn the whole window; the music alone, rendered for nothing
# in the sanitised build, stays far below this.
SPIN_CPU_S = 0.5
# The game ends within 0.3 s of EXIT, 1 s with a stopped server (optimised
# build); this bound only tells a game that ends from one that waits.
EXIT_BOUND_S = 3.0


class SoundServerTest(GameTestCase):
    def setUp(self):
        self.server = SERVERS[SERVER]()
        self.addCleanup(self.server.stop)
        self.server.start()
        self.rustle = read_template(os.path.join(os.path.dirname(self.game_bin), "carta.wav"))

    # -- listening ---------------------------------------------------------------

    def listen(self):
        monitor = self.server.monitor()
        self.addCleanup(monitor.stop)
        return monitor

    def assert_music(self, monitor, since, what):
        first = monitor.index_at(since)
        width = int(MUSIC_S * RATE)

        def heard():
            samples = monitor.samples(first)
            return any(sounding(samples[i:i + width])
                       for i in range(0, len(samples) - width + 1, width // 4))

        self.assertTrue(wait_until(heard, timeout=HEAR_TIMEOUT_S + MUSIC_S, interval=0.25),
                        "no music at the sink " + what)

    def assert_rustle(self, monitor, since, what):
        first = monitor.index_at(since)
        found = wait_until(lambda: find_rustle(monitor.samples(first), self.rustle) is not None,
                           timeout=HEAR_TIMEOUT_S, interval=0.25)
        self.assertTrue(found, "no card rustle at the sink " + what)

    def wait_silent(self, monitor):
        half = RATE // 2
        quiet = wait_until(lambda: monitor.received() > half
                           and silent(monitor.samples(monitor.received() - half)),
                           timeout=TAIL_TIMEOUT_S, interval=0.25)
        self.assertTrue(quiet, "the music did not stop")

    # -- playing -----------------------------------------------------------------

    def toggle_music(self, game):
        game.key("alt+o", "Down", "Return")  # Options: "Card rustle", then "Music"

    def turn_stock(self, game):
        view = game.view()
        before = view.pile_top(), view.foundations()
        game.click(*ON_STOCK)
        game.wait_view(lambda v: (v.pile_top(), v.foundations()) != before)

    def game_on_this_server(self):
        env = self.server.client_env()
        if SDL_DRIVER:
            env["SDL_AUDIODRIVER"] = SDL_DRIVER
        game = self.start_game(extra_env=env)
        game.start_dealt()
        return game

    # -- tests -------------------------------------------------------------------

    def test_music_and_rustle_arrive_and_a_killed_server_leaves_the_game_playable(self):
        monitor = self.listen()
        game = self.game_on_this_server()
        self.assert_music(monitor, game.started, "after the deal")

        self.toggle_music(game)
        self.wait_silent(monitor)
        clicked = time.monotonic()
        self.turn_stock(game)
        self.assert_rustle(monitor, clicked, "after a stock click with the music off")

        self.toggle_music(game)
        self.assert_music(monitor, time.monotonic(), "after \"Music\" was checked again")

        monitor.stop()
        self.server.kill()
        before = cpu_seconds(game.proc.pid)
        started = time.monotonic()
        self.turn_stock(game)  # still answers: the screen changes
        time.sleep(max(0.0, started + SPIN_WINDOW_S - time.monotonic()))
        self.assertLess(cpu_seconds(game.proc.pid) - before, SPIN_CPU_S,
                        "the game spins without its server")
        self.assertIsNone(game.proc.poll(), game.stderr_text())

        game.close_button()
        self.assertEqual(game.wait_exit(20), 0, game.stderr_text())

    # The engine notices the lost device and opens the output again on the
    # next play, without waiting for a quiet spell.
    def test_a_later_play_is_heard_once_the_server_is_back(self):
        game = self.game_on_this_server()
        self.server.kill()
        cases = [
            ("a stock click", lambda: self.turn_stock(game), self.assert_rustle),
            ("\"Music\" off and on",
             lambda: (self.toggle_music(game), self.toggle_music(game)), self.assert_music),
            ("F2", lambda: game.key("F2"), self.assert_music),
        ]
        for what, play, expect in cases:
            with self.subTest(what):
                self.server.start()
                monitor = self.listen()
                asked = time.monotonic()
                play()
                expect(monitor, asked, "after %s with the server back" % what)
                monitor.stop()
                self.server.kill()
        self.assertIsNone(game.proc.poll(), game.stderr_text())

    def test_exit_and_the_close_button_end_the_game_also_with_a_stopped_server(self):
        ways = [("EXIT", lambda game: game.key("alt+g", "Down", "Return")),
                ("the close button", lambda game: game.close_button())]
        for server_state in ("answering", "stopped"):
            for way, leave in ways:
                with self.subTest(way=way, server=server_state):
                    game = self.game_on_this_server()
                    self.assertTrue(wait_until(lambda: self.server.sink_inputs() > 0),
                                    "the music never reached the server")
                    if server_state == "stopped":
                        self.server.freeze()
                        # The sound thread is caught waiting on the server.
                        time.sleep(1.5)
                    asked = time.monotonic()
                    leave(game)
                    status = game.wait_exit(20)
                    took = time.monotonic() - asked
                    self.server.freeze(False)
                    print("%s, server %s: ended after %.0f ms" % (way, server_state, took * 1000))
                    self.assertEqual(status, 0, game.stderr_text())
                    self.assertLess(took, EXIT_BOUND_S)


if __name__ == "__main__":
    main()
