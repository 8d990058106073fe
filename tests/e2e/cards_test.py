#!/usr/bin/env python3
"""Cards under the real pointer: a drag follows it, a drop no rule accepts goes
home, a legal drag lands on the other column, a double click sends the next
card of a suit to its foundation."""

from tarvo_e2e import (PILE, STOCK, GameTestCase, column_left, main, row_top, short_suit,
                       suit_of, value_of)

DEALS_TO_TRY = 40
GRAB = (30, 60)  # where the pointer takes a whole card, from the widget's top-left
ON_STOCK = (STOCK[0] + 32, STOCK[1] + 60)


def top_place(column, cards):
    return column_left(column), row_top(len(cards))


def accepts(lower, upper):
    """A card goes on a column card one value higher of the other suit group."""
    return value_of(lower) + 1 == value_of(upper) and short_suit(lower) != short_suit(upper)


def legal_column_move(view):
    columns = view.columns()
    for i, from_cards in columns.items():
        for j, to_cards in columns.items():
            if i != j and from_cards and to_cards and accepts(from_cards[-1], to_cards[-1]):
                return i, j
    return None


def next_for_foundation(view):
    """A card the player can reach that is the next one of its suit's foundation:
    (card, its table place), or None."""
    foundations = view.foundations()
    reachable = [(cards[-1], top_place(c, cards)) for c, cards in view.columns().items() if cards]
    if view.pile_top():
        reachable.append((view.pile_top(), PILE))
    for card, place in reachable:
        if value_of(card) > 1 and foundations[suit_of(card)] == card - 1:
            return card, place
    return None


def new_deal(game, old):
    game.key("F2")
    game.wait_view(lambda v: v.columns() != old.columns() and v.pile_top() == 0)
    return game.settle()


def deal_with_a_column_move(game, view):
    """Deals anew until a column move is there: (the table, (from, to)), or (table, None)."""
    for _ in range(DEALS_TO_TRY):
        move = legal_column_move(view)
        if move:
            return view, move
        view = new_deal(game, view)
    return view, None


class CardsTest(GameTestCase):
    def new_deal(self, game, old):
        return new_deal(game, old)

    def assert_card_whole_at(self, view, card, left, top):
        self.assertTrue(view.faces.whole_at(view.shot, view.origin[0] + left + 1,
                                            view.origin[1] + top + 1, card),
                        "card %d is not whole at (%d, %d)" % (card, left, top))

    def test_a_dragged_card_follows_the_pointer_and_an_unaccepted_drop_sends_it_home(self):
        game, view = self.dealt_game()
        columns = view.columns()
        c = max(c for c, cards in columns.items() if cards)
        card = columns[c][-1]
        home = top_place(c, columns[c])
        grab = (home[0] + GRAB[0], home[1] + GRAB[1])
        illegal = [j for j, cards in columns.items()
                   if j != c and cards and not accepts(card, cards[-1])]

        drops = {
            "over the stock": (ON_STOCK[0], ON_STOCK[1]),
            "on its own column": (grab[0] + 8, grab[1] + 12),
            "off the window": (-150, 300),
        }
        if illegal:
            j = illegal[0]
            drops["on a column that refuses it"] = (column_left(j) + 30,
                                                    row_top(len(columns[j])) + 80)
        for name, drop in drops.items():
            with self.subTest(drop=name):
                # Half way, the card is under the pointer with the grab point kept.
                middle = (250, 380)
                game.press(*grab)
                game.move_to(middle[0] - 5, middle[1] - 5)
                game.move_to(*middle)
                moving = game.wait_view(lambda v: v.faces.whole_at(
                    v.shot, v.origin[0] + middle[0] - GRAB[0] + 1,
                    v.origin[1] + middle[1] - GRAB[1] + 1, card))
                self.assertNotEqual(moving.column(c), columns[c])
                game.move_to(*drop)
                game.xdo("mouseup", "1")
                back = game.wait_view(lambda v: v.column(c) == columns[c])
                back = game.settle()
                self.assert_card_whole_at(back, card, *home)
                self.assertEqual(back.columns(), columns)

    def test_a_drag_the_rules_accept_puts_the_card_on_the_other_column(self):
        game, view = self.dealt_game()
        view, move = deal_with_a_column_move(game, view)
        self.assertIsNotNone(move, "no deal with a column move in %d deals" % DEALS_TO_TRY)

        i, j = move
        before = view.columns()
        card = before[i][-1]
        start = top_place(i, before[i])
        target = top_place(j, before[j])
        game.drag((start[0] + GRAB[0], start[1] + GRAB[1]),
                  (target[0] + GRAB[0], target[1] + GRAB[1] + 25))
        after = game.wait_view(lambda v: v.column(j) == before[j] + [card])
        after = game.settle()
        self.assert_card_whole_at(after, card, target[0], target[1] + 25)
        # The column it left is shorter, less any ace that went up from under it.
        left_behind = after.column(i)
        self.assertEqual(left_behind, before[i][:len(left_behind)])
        gone_up = before[i][len(left_behind):-1]
        self.assertTrue(all(value_of(c) == 1 for c in gone_up), gone_up)
        for ace in gone_up:
            self.assertEqual(after.foundation(suit_of(ace)), ace)

    def test_a_double_click_sends_the_next_card_of_a_suit_to_its_foundation(self):
        game, view = self.dealt_game()

        # A refusal first: a column top whose predecessor is not up stays put.
        columns = view.columns()
        refused = [(c, cards) for c, cards in columns.items()
                   if cards and view.foundation(suit_of(cards[-1])) != cards[-1] - 1]
        c, cards = refused[0]
        place = top_place(c, cards)
        game.double_click(place[0] + GRAB[0], place[1] + GRAB[1])
        self.assertEqual(game.settle().columns(), columns)

        found = None
        for _ in range(DEALS_TO_TRY):
            found = next_for_foundation(view)
            while not found and view.stock_shown():
                state = (view.pile_top(), view.foundations())
                game.click(*ON_STOCK)
                game.wait_view(lambda v: (v.pile_top(), v.foundations()) != state)
                view = game.settle()
                found = next_for_foundation(view)
            if found:
                break
            view = self.new_deal(game, view)
        self.assertIsNotNone(found, "no next card for a foundation in %d deals" % DEALS_TO_TRY)

        card, (left, top) = found
        game.double_click(left + GRAB[0], top + GRAB[1])
        after = game.wait_view(lambda v: v.foundation(suit_of(card)) == card)
        after = game.settle()
        self.assert_card_whole_at(after, card, 458, 102 * (suit_of(card) - 1))
        if (left, top) == PILE:
            self.assertNotEqual(after.pile_top(), card)
        else:
            c = left // 65 + 1
            self.assertNotIn(card, after.column(c))


if __name__ == "__main__":
    main()
