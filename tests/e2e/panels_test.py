#!/usr/bin/env python3
"""The rules and information panels: opened with the access keys, hidden by a
press of any button on the bare table."""

import time

from tarvo_e2e import (INFO_PANEL_LEFT_PX, INFO_PANEL_SIZE, RULES_PANEL, STOCK, GameTestCase,
                       main)

INFO_PANEL = (INFO_PANEL_LEFT_PX, 0) + INFO_PANEL_SIZE
BARE_TABLE = (300, 440)  # below the longest column a deal can make, left of the foundations


class PanelsTest(GameTestCase):
    def open_panel(self, game, keys, panel):
        game.key(*keys)
        game.wait_view(lambda v: v.panel_shown(*panel))
        return game.settle()

    def hide_with(self, game, button, panel):
        """Presses xdotool's button 1 (left), 2 (middle) or 3 (right) on the bare table."""
        game.click(*BARE_TABLE, button=button)
        view = game.wait_view(lambda v: not v.any_panel_yellow())
        self.assertFalse(view.panel_shown(*panel))
        return view

    def test_rules_panels_open_from_the_keyboard_and_hide_on_a_press_of_any_button(self):
        game, dealt = self.dealt_game()
        table = dealt.region(*RULES_PANEL)

        english = self.open_panel(game, ["alt+r", "Return"], RULES_PANEL)
        self.assertFalse(english.panel_shown(*INFO_PANEL), "two panels at once")
        # Choosing English again leaves it shown.
        game.key("alt+r", "Return")
        time.sleep(0.3)
        self.assertTrue(game.settle().panel_shown(*RULES_PANEL))
        self.assertEqual(self.hide_with(game, 1, RULES_PANEL).region(*RULES_PANEL), table)

        italian = self.open_panel(game, ["alt+r", "Down", "Return"], RULES_PANEL)
        self.assertNotEqual(italian.region(*RULES_PANEL), english.region(*RULES_PANEL),
                            "the Italian rules read like the English ones")
        self.assertEqual(self.hide_with(game, 3, RULES_PANEL).region(*RULES_PANEL), table)

        self.open_panel(game, ["alt+r", "Down", "Return"], RULES_PANEL)
        self.assertEqual(self.hide_with(game, 2, RULES_PANEL).region(*RULES_PANEL), table)

    def test_info_panel_toggles_stays_over_a_stock_turn_and_hides_on_a_press(self):
        game, dealt = self.dealt_game()
        table = dealt.region(*INFO_PANEL)

        self.open_panel(game, ["alt+i"], INFO_PANEL)
        game.key("alt+i")
        view = game.wait_view(lambda v: not v.any_panel_yellow())
        self.assertEqual(view.region(*INFO_PANEL), table)

        shown = self.open_panel(game, ["alt+i"], INFO_PANEL)
        # Italian over the information panel replaces it.
        game.key("alt+r", "Down", "Return")
        view = game.wait_view(lambda v: v.panel_shown(*RULES_PANEL))
        self.assertNotEqual(view.region(*INFO_PANEL), shown.region(*INFO_PANEL))
        self.hide_with(game, 1, RULES_PANEL)

        self.open_panel(game, ["alt+i"], INFO_PANEL)
        game.click(STOCK[0] + 32, STOCK[1] + 60)
        game.wait_view(lambda v: (v.pile_top(), v.foundations()) !=
                       (dealt.pile_top(), dealt.foundations()))
        self.assertTrue(game.settle().panel_shown(*INFO_PANEL), "a stock turn hid the panel")
        self.hide_with(game, 2, INFO_PANEL)


if __name__ == "__main__":
    main()
