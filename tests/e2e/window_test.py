#!/usr/bin/env python3
"""The window: its size and place, the title pause, the dealt table, F2."""

import time

from tarvo_e2e import (CARD_H, CARD_W, GREEN, PILE, SCREEN_H, SCREEN_W, STOCK, WINDOW_OUTER,
                       GameTestCase, column_left, main, value_of, wait_until)

CENTRED = (SCREEN_W // 2 - WINDOW_OUTER[0] // 2, SCREEN_H // 2 - WINDOW_OUTER[1] // 2)


class DealtTableChecks:
    def assert_fresh_deal(self, view):
        """A whole deal: a ladder of 28 cards less the aces that went up, the stock back."""
        columns = view.columns()
        foundations = view.foundations()
        aces_up = [card for card in foundations.values() if card]
        self.assertTrue(all(value_of(card) == 1 for card in aces_up), foundations)
        self.assertTrue(all(foundations[s] in (0, 10 * (s - 1) + 1) for s in foundations))
        for suit, card in foundations.items():
            # An outline shows wherever no ace covers it.
            self.assertEqual(view.outline_shown(suit), card == 0, "foundation %d" % suit)
        for c, cards in columns.items():
            self.assertLessEqual(len(cards), 8 - c, "column %d" % c)
            if cards:
                self.assertNotEqual(value_of(cards[-1]), 1, "an ace left on top of column %d" % c)
        seen = [card for cards in columns.values() for card in cards] + aces_up
        self.assertEqual(len(seen), 28, columns)
        self.assertEqual(len(set(seen)), 28, "a card shown twice")
        self.assertTrue(view.stock_shown())
        self.assertEqual(view.pile_top(), 0)
        self.assertTrue(view.all_of(GREEN, PILE[0], PILE[1], CARD_W, STOCK[1] - PILE[1]))
        # The cloth between the ladder's foot and the bottom edge, and beside the stock.
        self.assertTrue(view.all_of(GREEN, 0, 7 * 25 + CARD_H + 2, 440, 40))
        self.assertTrue(view.all_of(GREEN, 610, 0, 8, 440))


class WindowTest(GameTestCase, DealtTableChecks):
    def test_window_is_centred_at_620_by_480_and_deals_after_the_title_pause(self):
        game = self.start_game()
        game.wait_mapped()
        self.assertEqual(game.geometry(), CENTRED + WINDOW_OUTER)
        game.find_table()
        mapped = time.monotonic()

        during = game.view()
        self.assertFalse(game.dealt(during), "dealt before the title pause ended")
        # The title picture, not the bare cloth, over the table; the outlines are over it.
        self.assertFalse(during.all_of(GREEN, 250, 200, 60, 20))
        self.assertTrue(all(during.outline_shown(s) for s in range(1, 5)))
        self.assertEqual(during.card_at(0, 0), 0)
        # "shuffle cards" is off during the pause: F2 neither deals early nor twice.
        game.key("F2")
        time.sleep(max(0.0, mapped + 1.5 - time.monotonic()))
        self.assertFalse(game.dealt(game.view()), "F2 dealt during the title pause")

        view = game.wait_view(game.dealt, timeout=30)
        self.assert_fresh_deal(game.settle())
        self.assertEqual(game.geometry(), CENTRED + WINDOW_OUTER)
        # A table card shows the black border round its face.
        self.assertEqual(view.at(column_left(1), 0), (0, 0, 0))

    def test_f2_deals_anew_and_brings_the_window_back_to_the_centre(self):
        game, view = self.dealt_game()
        for _ in range(3):
            before = game.view().shot.data
            game.click(STOCK[0] + 30, STOCK[1] + 50)
            self.assertTrue(wait_until(lambda: game.view().shot.data != before))
        old = game.settle()
        self.assertTrue(old.pile_top() or any(old.foundations().values()))
        game.xdo("windowmove", str(game.window), "40", "30")
        self.assertTrue(wait_until(lambda: game.geometry()[:2] == (40, 30)))

        game.key("F2")
        self.assertTrue(wait_until(lambda: game.geometry() == CENTRED + WINDOW_OUTER),
                        "not back at the centre: %s" % (game.geometry(),))
        game.find_table()
        new = game.wait_view(lambda v: v.pile_top() == 0 and game.dealt(v))
        new = game.settle()
        self.assert_fresh_deal(new)
        self.assertNotEqual(new.columns(), old.columns(), "the same deal again")


    def test_shuffle_cards_from_the_game_menu_deals_anew(self):
        game, view = self.dealt_game()
        before = view.columns()
        game.key("alt+g", "Return")  # the first item, "shuffle cards"
        game.wait_view(lambda v: v.columns() != before and game.dealt(v))
        self.assert_fresh_deal(game.settle())


if __name__ == "__main__":
    main()
