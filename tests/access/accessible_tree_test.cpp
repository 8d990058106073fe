// The accessible tree of the real window, asked in process: every child of
// the table finds its way back to it, the places and cards carry the table's
// names, the focus is the one the keyboard reports, and nothing is announced
// while no assistive technology listens.

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

void AccessibleTree::everyChildOfTheTableLeadsBackToIt() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(h.form().Surface());
    QVERIFY(table);
    QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Table"));
    // 13 places and the notification, then the widgets: the cards, the panels, the focus ring.
    const auto widgets = h.form().Surface()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(table->childCount(), 14 + widgets.size());
    for (int i = 0; i < table->childCount(); ++i) {
        QAccessibleInterface* child = table->child(i);
        QVERIFY2(child && child->isValid(), qPrintable(QString::number(i)));
        QCOMPARE(child->parent(), table);
        QCOMPARE(table->indexOfChild(child), i);
    }
    QCOMPARE(table->child(13)->role(), QAccessible::Notification);
    QCOMPARE(table->child(12)->role(), QAccessible::Button);
    // The stock is painted, not a widget: a point on it is the stock all the same.
    const QPoint onStock = h.form().Surface()->mapToGlobal(QPoint(570, 350));
    QCOMPARE(table->childAt(onStock.x(), onStock.y()), table->child(12));
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
    // Column 1 holds seven cards, or six with an ace gone up: the bottom one is covered.
    const int16_t bottom = t.Columns[1][1];
    const int16_t top = TopCard(t, {PlaceKind::Column, 1});
    QCOMPARE(QAccessible::queryAccessibleInterface(f.Carta[bottom])->text(QAccessible::Name),
             QStringLiteral("covered card"));
    QCOMPARE(QAccessible::queryAccessibleInterface(f.Carta[top])->text(QAccessible::Name),
             QString::fromStdString(CardName(top)));

    // The first Tab puts the focus on the stock, the next one on column 1;
    // a press on the bare table puts it away.
    QTest::keyClick(&f, Qt::Key_Tab);
    QCOMPARE(table->focusChild(), table->child(12));
    QTest::keyClick(&f, Qt::Key_Tab);
    QCOMPARE(table->focusChild(), table->child(0));
    QVERIFY(table->child(0)->state().focused);
    QVERIFY(!table->child(12)->state().focused);
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
