#!/usr/bin/env python3
"""Two quick clicks a few pixels apart on two different widgets, as a hand makes
them on the real X server: the second does what a plain click there does, never
a double click of the card pressed first, and a double click of the second
widget that follows is its own."""

from cards_test import DEALS_TO_TRY, GRAB, deal_with_a_column_move, new_deal, top_place
from tarvo_e2e import (PILE, STOCK, GameTestCase, column_left, main, row_top, suit_of,
                       value_of)

QUICK_S = "0.1"  # well inside the double-click interval


class QuickClicksTest(GameTestCase):
    def quick_pair(self, game, first, second):
        """Click at `first`, then 100 ms later at `second` (table pixels), in one
        xdotool run so that the X server stamps them as a hand would."""
        (x1, y1), (x2, y2) = game.screen_point(*first), game.screen_point(*second)
        game.xdo("mousemove", str(x1), str(y1), "click", "1", "sleep", QUICK_S,
                 "mousemove", str(x2), str(y2), "click", "1")
        return game.settle()

    def new_deal(self, game, old):
        return new_deal(game, old)

    def test_the_stock_then_the_card_just_turned(self):
        game, view = self.dealt_game()
        # Near the stock's top edge, then 4 px higher on the card it turned; an
        # ace goes up and leaves nothing there, so go on to a card that stays.
        for _ in range(12):
            before = view
            view = self.quick_pair(game, (STOCK[0] + 20, STOCK[1] + 2),
                                   (STOCK[0] + 20, STOCK[1] - 2))
            self.assertEqual(view.columns(), before.columns())
            if view.pile_top():
                break
        self.assertNotEqual(view.pile_top(), 0, "the stock turned nothing but aces")
        self.assertNotEqual(view.pile_top(), before.pile_top())

    def test_a_drag_the_bare_table_then_the_dragged_card(self):
        game, view = self.dealt_game()
        view, move = deal_with_a_column_move(game, view)
        self.assertIsNotNone(move, "no deal with a column move in %d deals" % DEALS_TO_TRY)
        i, j = move
        start, target = top_place(i, view.column(i)), top_place(j, view.column(j))
        game.drag((start[0] + GRAB[0], start[1] + GRAB[1]),
                  (target[0] + GRAB[0], target[1] + GRAB[1] + 25))
        dropped = game.wait_view(lambda v: len(v.column(j)) == len(view.column(j)) + 1)
        dropped = game.settle()
        bottom = target[1] + 25 + 101  # the dropped card's last row
        after = self.quick_pair(game, (target[0] + 30, bottom + 3), (target[0] + 30, bottom - 1))
        self.assertEqual(after.columns(), dropped.columns())
        self.assertEqual(after.foundations(), dropped.foundations())

    def test_a_card_then_its_neighbour_in_the_next_column(self):
        game, view = self.dealt_game()
        # Best where the first card could go up: a double click of it would send it there.
        pair = None
        for _ in range(DEALS_TO_TRY):
            columns, found = view.columns(), view.foundations()
            pairs = [c for c in range(1, 7) if columns[c] and columns[c + 1]
                     and abs(len(columns[c]) - len(columns[c + 1])) <= 3]
            ready = [c for c in pairs if value_of(columns[c][-1]) > 1
                     and found[suit_of(columns[c][-1])] == columns[c][-1] - 1]
            pair = (ready or pairs or [None])[0]
            if ready:
                break
            view = self.new_deal(game, view)
        self.assertIsNotNone(pair)
        columns = view.columns()
        y = row_top(max(len(columns[pair]), len(columns[pair + 1]))) + 10
        after = self.quick_pair(game, (column_left(pair) + 62, y), (column_left(pair) + 66, y))
        self.assertEqual(after.columns(), columns)
        self.assertEqual(after.foundations(), view.foundations())

    def test_the_bare_table_then_a_double_click_on_the_card_above(self):
        game, view = self.dealt_game()
        ready = None
        for _ in range(DEALS_TO_TRY):
            found = view.foundations()
            ready = [(c, cards[-1]) for c, cards in view.columns().items()
                     if cards and value_of(cards[-1]) > 1
                     and found[suit_of(cards[-1])] == cards[-1] - 1]
            if ready:
                break
            view = self.new_deal(game, view)
        self.assertTrue(ready, "no card ready to go up in %d deals" % DEALS_TO_TRY)
        column, card = ready[0]
        left, top = top_place(column, view.column(column))
        bottom = top + 101  # the card's last row
        # Qt pairs the table's press with the card's first one (4 px apart,
        # 250 ms later); the card's own second press 150 ms on is its double click.
        table = game.screen_point(left + 30, bottom + 4)
        on_card = game.screen_point(left + 30, bottom)
        game.xdo("mousemove", str(table[0]), str(table[1]), "click", "1", "sleep", "0.25",
                 "mousemove", str(on_card[0]), str(on_card[1]),
                 "click", "--repeat", "2", "--delay", "150", "1")
        after = game.wait_view(lambda v: v.foundations()[suit_of(card)] == card)
        self.assertNotIn(card, after.column(column))


if __name__ == "__main__":
    main()
