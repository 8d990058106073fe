#!/usr/bin/env python3
"""Leaving the game: "EXIT" and the close button end the program with status 0,
also in the middle of the title pause, and with a FIFO in place of the card
sound."""

import os
import shutil
import tempfile
import time

from tarvo_e2e import Game, GameTestCase, main

# Generous for the sanitised build: a window held by the FIFO never maps.
MAPPED_WITHIN_S = 10.0


class ExitTest(GameTestCase):
    def assert_ends_cleanly(self, game):
        status = game.wait_exit(20)
        self.assertIsNotNone(status, "still running")
        self.assertEqual(status, 0, game.stderr_text())

    def test_exit_from_the_game_menu(self):
        game, _ = self.dealt_game()
        game.key("alt+g", "Down", "Return")  # "shuffle cards", then "EXIT"
        self.assert_ends_cleanly(game)

    def test_close_button(self):
        game, _ = self.dealt_game()
        game.close_button()
        self.assert_ends_cleanly(game)

    def test_close_button_during_the_title_pause(self):
        game = self.start_game()
        game.wait_mapped()
        game.find_table()
        self.assertFalse(game.dealt(game.view()))
        game.close_button()
        self.assert_ends_cleanly(game)

    def test_exit_during_the_title_pause(self):
        game = self.start_game()
        game.wait_mapped()
        game.find_table()
        # "shuffle cards" is disabled during the pause: Down lands on "EXIT" all the same.
        game.key("alt+g", "Down", "Return")
        self.assert_ends_cleanly(game)

    def test_a_fifo_for_the_card_sound_holds_neither_the_window_nor_the_exit(self):
        folder = tempfile.mkdtemp(prefix="tarvo-e2e-fifo-")
        self.addCleanup(shutil.rmtree, folder, True)
        binary = os.path.join(folder, "tarvo")
        shutil.copy2(self.game_bin, binary)
        shutil.copytree(os.path.join(os.path.dirname(self.game_bin), "Music"),
                        os.path.join(folder, "Music"))
        os.mkfifo(os.path.join(folder, "carta.wav"))
        game = Game(self.xvfb, binary, self.faces)
        self.addCleanup(game.stop)
        game.wait_mapped(MAPPED_WITHIN_S)
        game.start_dealt()
        asked = time.monotonic()
        game.key("alt+g", "Down", "Return")
        self.assert_ends_cleanly(game)
        print("EXIT with a FIFO for carta.wav: ended after %.0f ms"
              % (1000 * (time.monotonic() - asked)))


if __name__ == "__main__":
    main()
