#!/usr/bin/env python3
"""The stock: every click turns one card, at a hand's pace and at double-click pace."""

import time

from tarvo_e2e import (HUMAN_CLICK_GAP_S, STOCK, GameTestCase, main,
                       value_of)

STOCK_CARDS = 12
ON_STOCK = (STOCK[0] + 32, STOCK[1] + 60)
FOCUS_YELLOW = (255, 221, 0)
# The focus ring's band lies within 4 pixels around the stock.
STOCK_RING = (STOCK[0] - 4, STOCK[1] - 4, 64 + 8, 102 + 8)


def ring_pixels(view):
    left, top, width, height = STOCK_RING
    return view.shot.count(FOCUS_YELLOW, view.origin[0] + left, view.origin[1] + top, width,
                           height)


def visible_state(view):
    return view.pile_top(), tuple(view.foundations().values())


class StockTest(GameTestCase):
    def turned_card(self, before, after):
        """The card a click turned: the new pile top, or the ace that went up."""
        if after[0] != before[0]:
            return after[0]
        ups = [a for a, b in zip(after[1], before[1]) if a != b]
        self.assertEqual(len(ups), 1, "one click moved %s" % (ups,))
        self.assertEqual(value_of(ups[0]), 1)
        return ups[0]

    def test_twelve_clicks_at_a_hands_pace_turn_twelve_cards_then_hide_the_stock(self):
        game, view = self.dealt_game()
        on_table = {card for cards in view.columns().values() for card in cards}
        state = visible_state(view)
        turned = []
        for n in range(1, STOCK_CARDS + 1):
            game.click(*ON_STOCK)
            clicked = time.monotonic()
            game.wait_view(lambda v: visible_state(v) != state)
            view = game.settle()
            turned.append(self.turned_card(state, visible_state(view)))
            state = visible_state(view)
            self.assertEqual(view.stock_shown(), n < STOCK_CARDS, "after click %d" % n)
            # The next click comes after the double-click interval.
            time.sleep(max(0.0, clicked + HUMAN_CLICK_GAP_S - time.monotonic()))

        self.assertEqual(len(set(turned)), STOCK_CARDS, turned)
        self.assertFalse(set(turned) & on_table)
        view = game.settle()
        self.assertTrue(view.stock_area_green())
        self.assertEqual(view.pile_top(), [c for c in turned if value_of(c) != 1][-1])
        # The exhausted stock does not turn over again.
        game.click(*ON_STOCK)
        time.sleep(HUMAN_CLICK_GAP_S)
        self.assertEqual(visible_state(game.settle()), state)

    def test_a_quick_second_click_on_the_stock_turns_a_card_too(self):
        game, view = self.dealt_game()
        for pair in range(1, STOCK_CARDS // 2 + 1):
            game.double_click(*ON_STOCK)
            view = game.settle()
            # Eleven or fewer turned keep the stock; the twelfth hides it.
            self.assertEqual(view.stock_shown(), pair < STOCK_CARDS // 2, "after pair %d" % pair)
            time.sleep(HUMAN_CLICK_GAP_S)
        self.assertTrue(view.stock_area_green())

    def test_from_the_keyboard_tab_rings_the_stock_and_return_and_space_turn_it(self):
        game, view = self.dealt_game()
        self.assertEqual(ring_pixels(view), 0)
        game.key("Tab")
        view = game.wait_view(lambda v: ring_pixels(v) > 300)
        for key in ("Return", "space"):
            state = visible_state(view)
            game.key(key)
            view = game.wait_view(lambda v: visible_state(v) != state)
            self.turned_card(state, visible_state(view))
        # A press on the bare table puts the ring away.
        game.click(300, 440)
        game.wait_view(lambda v: ring_pixels(v) == 0)


if __name__ == "__main__":
    main()
