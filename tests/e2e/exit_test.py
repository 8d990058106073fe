#!/usr/bin/env python3
"""Leaving the game: "EXIT" and the close button end the program with status 0,
also in the middle of the title pause."""

from tarvo_e2e import GameTestCase, main


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


if __name__ == "__main__":
    main()
