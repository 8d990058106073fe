#!/usr/bin/env python3
"""Keys on the table after the menus and panels were used from the keyboard:
the table has its keys back as soon as a menu closes or a panel goes, while
the menu bar's keyboard mode has the arrows and a panel the scroll keys."""

from stock_test import ring_pixels, visible_state
from tarvo_e2e import RULES_PANEL, GameTestCase, main


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

    def test_a_panel_opened_and_scrolled_from_the_keyboard_then_escape_then_keys(self):
        game, _ = self.ringed_stock()
        game.key("alt+r", "Return")
        shown = game.wait_view(lambda v: v.panel_shown(*RULES_PANEL))
        top = shown.region(*RULES_PANEL)
        game.key("Next")  # Page Down: the panel's, not the table's
        game.wait_view(lambda v: v.region(*RULES_PANEL) != top)
        game.key("Escape")
        game.wait_view(lambda v: not v.any_panel_yellow())
        self.assert_return_turns_the_stock(game)


if __name__ == "__main__":
    main()
