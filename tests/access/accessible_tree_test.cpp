// The accessible tree of the real window, asked in process: every child of
// the table finds its way back to it, the places hold their cards in screen
// order, the places and cards carry the table's names, the focus is the one the keyboard reports,
// and nothing is announced while no assistive technology listens.

#include <QAccessible>
#include <QTest>

#include "access/table_accessible.h"
#include "form_harness.h"
#include "table/table_surface.h"

using namespace tarvo;
using namespace tarvo::testing;

class AccessibleTree : public QObject {
    Q_OBJECT

  private slots:
    void everyChildOfTheTableLeadsBackToIt();
    void namesFollowTheTableAndTheFocus();
};

// Walks the tree below `iface`: every child leads back to its parent at its
// index. Returns how many card widgets were met.
int CheckBelow(QAccessibleInterface* iface) {
    int cards = 0;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (!child || !child->isValid() || child->parent() != iface ||
            iface->indexOfChild(child) != i) {
            qWarning() << "child" << i << "of" << iface->text(QAccessible::Name) << "is lost";
            return -1000;
        }
        cards += qobject_cast<QWidget*>(child->object()) &&
                 child->object()->objectName().startsWith(QLatin1String("Carta"));
        cards += CheckBelow(child);
    }
    return cards;
}

void AccessibleTree::everyChildOfTheTableLeadsBackToIt() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    const Table& t = f.table();
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(f.Surface());
    QVERIFY(table);
    QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Table"));
    // 13 places and the status bar with the notification first; every card
    // once, below a place or the table.
    QCOMPARE(CheckBelow(table), kCardCount);
    QCOMPARE(table->child(13)->role(), QAccessible::StatusBar);
    QCOMPARE(table->child(13)->child(0)->role(), QAccessible::Notification);
    QCOMPARE(table->child(12)->role(), QAccessible::Button);
    // A column's children are its cards from the top edge down, as the screen shows them.
    QAccessibleInterface* column1 = table->child(0);
    QCOMPARE(column1->childCount(), int(t.ColumnHeight(1)));
    for (int16_t row = 1; row <= t.ColumnHeight(1); ++row) {
        QCOMPARE(column1->child(row - 1)->object(), f.Carta[t.Columns[1][row]]);
    }
    // The stock is painted, not a widget: a point on it is the stock all the same.
    const QPoint onStock = f.Surface()->mapToGlobal(QPoint(570, 350));
    QCOMPARE(table->childAt(onStock.x(), onStock.y()), table->child(12));
    // A point on a column's card is that column.
    const QPoint onColumn = f.Surface()->mapToGlobal(QPoint(20, 10));
    QCOMPARE(table->childAt(onColumn.x(), onColumn.y()), column1);
}

void AccessibleTree::namesFollowTheTableAndTheFocus() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    const Table& t = f.table();
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(f.Surface());
    // Each place is named for what it holds and covers its cards on the
    // screen: the columns from the first card to the last, the stock's back.
    struct Case {
        int child;
        QString name;
        QList<QWidget*> covered;
    };
    const int16_t column1Top = TopCard(t, {PlaceKind::Column, 1});
    const Case cases[] = {
        {0,
         QStringLiteral("Column 1, %1 cards, top %2")
             .arg(t.ColumnHeight(1))
             .arg(QString::fromStdString(CardName(column1Top))),
         {f.Carta[t.Columns[1][1]], f.Carta[column1Top]}},
        {6,
         QStringLiteral("Column 7, 1 card, top %1")
             .arg(QString::fromStdString(CardName(t.Columns[7][1]))),
         {f.Carta[t.Columns[7][1]]}},
        {12, QStringLiteral("Stock, 12 cards left"), {}},
    };
    for (const Case& c : cases) {
        QAccessibleInterface* place = table->child(c.child);
        QCOMPARE(place->text(QAccessible::Name), c.name);
        for (QWidget* card : c.covered) {
            const QRect onScreen(card->mapToGlobal(QPoint(0, 0)), card->size());
            QVERIFY2(place->rect().contains(onScreen), qPrintable(c.name));
        }
    }
    const QRect mazzo(f.Surface()->mapToGlobal(f.Surface()->Mazzo().topLeft()),
                      f.Surface()->Mazzo().size());
    QCOMPARE(table->child(12)->rect(), mazzo);
    // Every card of column 1 shows at least its band: each is named; a stock
    // card waiting off the table is not.
    for (int16_t row = 1; row <= t.ColumnHeight(1); ++row) {
        QCOMPARE(table->child(0)->child(row - 1)->text(QAccessible::Name),
                 QString::fromStdString(CardName(t.Columns[1][row])));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(f.Carta[t.Deck[kFirstStockIndex]])
                 ->text(QAccessible::Name),
             QStringLiteral("covered card"));

    // The first Tab puts the focus on the stock, the next one on column 1;
    // a press on the bare table puts it away.
    QTest::keyClick(&f, Qt::Key_Tab);
    QCOMPARE(table->focusChild(), table->child(12));
    QTest::keyClick(&f, Qt::Key_Tab);
    QCOMPARE(table->focusChild(), table->child(0));
    QVERIFY(table->child(0)->state().focused);
    QVERIFY(!table->child(12)->state().focused);
    // Carrying a card, each place says whether it takes it.
    const int16_t held = TopCard(t, {PlaceKind::Column, 1});
    QTest::keyClick(&f, Qt::Key_Space);
    QVERIFY(table->child(0)->text(QAccessible::Name).endsWith(QStringLiteral(", where it lies")));
    for (int16_t col = 2; col <= kColumnCount; ++col) {
        const std::string why = WhyNotOnColumn(t, held, col);
        QVERIFY(table->child(col - 1)
                    ->text(QAccessible::Name)
                    .endsWith(QString::fromStdString(why.empty() ? ", takes " + CardName(held)
                                                                 : ". " + why)));
    }
    QTest::keyClick(&f, Qt::Key_Escape);
    h.Click(f.Surface(), QPoint(300, 440));
    QVERIFY(!table->child(0)->state().focused);
    QVERIFY(table->focusChild() != table->child(0));

    QAccessibleInterface* stock = table->child(12);
    QVERIFY(!stock->state().invisible);
    for (int n = 0; n < 12; ++n)
        f.mazzo_Click();
    QVERIFY(stock->state().invisible);
    QCOMPARE(stock->text(QAccessible::Name), QStringLiteral("Stock, empty"));
    // Offscreen there is no assistive technology: the table is not even watched.
    QVERIFY(!QAccessible::isActive());
    QVERIFY(f.Accessibility().LastAnnouncement().isEmpty());
}

QTEST_MAIN(AccessibleTree)
#include "accessible_tree_test.moc"
