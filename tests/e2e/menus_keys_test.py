#!/usr/bin/env python3
"""Keys on the table after the menus were used from the keyboard: the table has
its keys back as soon as a menu closes, while the menu bar's keyboard mode has
the arrows for the menus."""

from stock_test import ring_pixels, visible_state
from tarvo_e2e import GameTestCase, main


class MenusThenKeysTest(GameTestCase):
    def ringed_stock(self):
        game, _ = self.dealt_game()
        game.key("Tab")
        return game, game.wait_view(lambda v: ring_pixels(v) > 300)

    def assert_return_turns_the_stock(self, game):
        """Return turns a card only while the focus is on the stock."""
        state = visible_state(game.settle())
        game.key("Return")
        game.wait_view(lambda v: visible_state(v) != state)

    def test_a_menu_opened_and_closed_from_the_keyboard_then_keys(self):
        game, _ = self.ringed_stock()
        game.key("alt+g", "Escape", "Escape")
        self.assert_return_turns_the_stock(game)

    def test_alt_alone_gives_the_arrows_to_the_menus_until_escape(self):
        game, _ = self.ringed_stock()
        # Left on the table would take the focus off the stock.
        game.key("alt", "Left", "Escape")
        self.assert_return_turns_the_stock(game)


if __name__ == "__main__":
    main()
