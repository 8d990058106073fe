// The deal as the player sees it: every card widget at its card's place and
// in its column's drawing order, the fixed things of the table at theirs, the
// window sized and centred, and a new game in the middle of one.

#include <QAction>
#include <QDir>
#include <QScreen>
#include <QTest>

#include "form_harness.h"
#include "positions.h"
#include "table/table_surface.h"
#include "ui/text_panel.h"

using namespace tarvo;
using namespace tarvo::testing;

namespace {

constexpr QSize kWindowSizePx(620, 480);
constexpr QSize kCardSizePx(64, 102);

QPoint ScreenCentredTopLeft(const QWidget& w) {
    const QRect screen = w.screen()->geometry();
    return screen.topLeft() + QPoint(screen.width() / 2 - kWindowSizePx.width() / 2,
                                     screen.height() / 2 - kWindowSizePx.height() / 2);
}

// Where the cards lie, for comparing two deals.
QList<QPointF> Places(const Table& t) {
    QList<QPointF> places;
    for (int i = 1; i <= kCardCount; ++i)
        places << QPointF(t.Carta[i].Left, t.Carta[i].Top);
    return places;
}

QList<int> Columns(const Table& t) {
    QList<int> cells;
    for (const auto& column : t.Columns)
        cells.append(QList<int>(std::begin(column), std::end(column)));
    return cells;
}

}  // namespace

class DealOnScreen : public QObject {
    Q_OBJECT

  private slots:
    void cardsAtTheirPlacesInColumnOrder();
    void fixedThingsAtTheirPlaces();
    void windowSizedAndCentred();
    void windowCaptionAndIcon();
    void newGameMidGameIsAFreshDealAndRecentres();
    void pictureOfTheTable();
    void cardsPaintEveryDevicePixelAtAnyScale();
    void aNewDealOverAPanelBringsEveryCardInFront();
};

void DealOnScreen::cardsAtTheirPlacesInColumnOrder() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    QString why;
    QVERIFY2(WidgetsAtModelPlaces(f, &why), qPrintable(why));
    QVERIFY2(ColumnsStackedInRowOrder(f, &why), qPrintable(why));
    for (int i = 1; i <= kCardCount; ++i) {
        QCOMPARE(f.Carta[i]->size(), kCardSizePx);
        QVERIFY(f.Carta[i]->isVisible());
    }
    // The twelve stock cards wait outside the table.
    for (int k = kFirstStockIndex; k <= kCardCount; ++k) {
        const CardWidget* card = f.Carta[h.table().Deck[k]];
        QVERIFY(!f.Surface()->rect().intersects(card->geometry()));
    }
}

void DealOnScreen::fixedThingsAtTheirPlaces() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    const TableSurface* s = h.form().Surface();
    QVERIFY(!s->TitleShown());
    QVERIFY(s->MazzoShown());
    QCOMPARE(s->Mazzo(), QRect(QPoint(540, 305), kCardSizePx));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(s->Outline(i), QRect(QPoint(459, 102 * i), kCardSizePx));
    QVERIFY(s->StripShown());
    QCOMPARE(s->Strip().topLeft(), QPoint(456, 0));
    QCOMPARE(s->Strip().width(), 156);
    QVERIFY(s->Strip().bottom() >= s->height() - 1);
}

void DealOnScreen::windowSizedAndCentred() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    const Form1& f = h.form();
    // Outside size, frame (if any) included.
    QCOMPARE(f.frameGeometry().size(), kWindowSizePx);
    QCOMPARE(f.frameGeometry().topLeft(), ScreenCentredTopLeft(f));
    // The table fills the window under the menu bar.
    QCOMPARE(f.Surface()->width(), f.width());
    QCOMPARE(f.Surface()->mapTo(&f, QPoint(0, f.Surface()->height())).y(), f.height());
}

void DealOnScreen::windowCaptionAndIcon() {
    FormHarness h;
    QVERIFY(h.form().windowTitle().endsWith(QStringLiteral(" - Tarvo")));
    // The game's own icon, drawn for the small sizes a title bar asks for,
    // set once the window has been painted.
    h.form().show();
    QTRY_VERIFY(!h.form().windowIcon().isNull());
    const QIcon icon = h.form().windowIcon();
    QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
}

void DealOnScreen::newGameMidGameIsAFreshDealAndRecentres() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    const QList<int> firstColumns = Columns(h.table());
    const QList<QPointF> firstPlaces = Places(h.table());

    // Turn the whole stock: aces go up, the stock widget goes away.
    const QPoint stock = f.Surface()->Mazzo().center();
    for (int k = 0; k < 12; ++k)
        h.Click(f.Surface(), stock);
    QCOMPARE(h.table().StockNext, kStockExhausted);
    QVERIFY(!f.Surface()->MazzoShown());
    QVERIFY(h.table().AcesUp > 0);
    f.move(f.pos() + QPoint(-37, 23));
    QTRY_VERIFY(f.frameGeometry().topLeft() != ScreenCentredTopLeft(f));

    QTest::keyClick(f.windowHandle(), Qt::Key_F2);

    // The same seed gives the same deal again, whatever the game before it left.
    QCOMPARE(h.table().StockNext, kFirstStockIndex);
    QCOMPARE(Columns(h.table()), firstColumns);
    QCOMPARE(Places(h.table()), firstPlaces);
    int stockCards = 0;
    for (int k = kFirstStockIndex; k <= kCardCount; ++k) {
        const CardPlace& c = h.table().Carta[h.table().Deck[k]];
        stockCards += c.Left == kParkingLeftPx && c.Top == kParkingTopPx && c.Mark.empty();
    }
    QCOMPARE(stockCards, 12);
    QVERIFY(f.Surface()->MazzoShown());
    QString why;
    QVERIFY2(WidgetsAtModelPlaces(f, &why), qPrintable(why));
    QVERIFY2(ColumnsStackedInRowOrder(f, &why), qPrintable(why));
    QTRY_COMPARE(f.frameGeometry().topLeft(), ScreenCentredTopLeft(f));
    QCOMPARE(f.frameGeometry().size(), kWindowSizePx);
}

void DealOnScreen::pictureOfTheTable() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    const QImage shot = f.grab().toImage();
    const QString path = QDir(QStringLiteral(TARVO_TEST_OUTPUT_DIR)).filePath("table.png");
    QVERIFY(shot.save(path));
    qInfo("table picture: %s", qPrintable(path));

    const auto at = [&](QPoint onTable) {
        return QColor(shot.pixel(f.Surface()->mapTo(&f, onTable)));
    };
    const QColor green(0, 128, 0);
    const QColor olive(128, 128, 0);
    // The bare cloth, below the columns and on the strip below the stock.
    QCOMPARE(at(QPoint(300, 420)), green);
    QCOMPARE(at(QPoint(600, 440)), green);
    // Each outline's right edge shows even with its ace on it.
    for (int i = 0; i < 4; ++i)
        QCOMPARE(at(QPoint(522, 102 * i + 50)), olive);
    // A card face has its black border; the stock shows a card back, not the cloth.
    const QRect card = f.Carta[h.table().Columns[1][1]]->geometry();
    QCOMPARE(at(card.topLeft() + QPoint(10, 0)), QColor(Qt::black));
    const QRect stock = f.Surface()->Mazzo();
    int backPixels = 0;
    for (int y = stock.top(); y <= stock.bottom(); y += 4) {
        for (int x = stock.left(); x <= stock.right(); x += 4)
            backPixels += at(QPoint(x, y)) != green;
    }
    QVERIFY2(backPixels > 300, qPrintable(QString::number(backPixels)));
}

// A card is opaque: whatever lay under it must never show through, also
// where a scale's device pixels fall between the logical ones.
void DealOnScreen::cardsPaintEveryDevicePixelAtAnyScale() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    CardWidget* card = h.form().Carta[h.table().Columns[1][1]];
    for (const double scale : {1.0, 1.25, 1.5, 2.0}) {
        QImage image((QSizeF(kCardSizePx) * scale).toSize(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        image.setDevicePixelRatio(scale);
        card->render(&image, {}, {}, QWidget::DrawChildren);
        int unpainted = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                unpainted += image.pixel(x, y) == qRgb(255, 0, 255);
        }
        QVERIFY2(
            unpainted == 0,
            qPrintable(QStringLiteral("%1 device pixels at %2 %").arg(unpainted).arg(scale * 100)));
        // The border is black all round.
        QCOMPARE(image.pixel(image.width() - 1, image.height() / 2), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(image.width() / 2, image.height() - 1), qRgb(0, 0, 0));
    }
}

// The deal brings every card it lays to the front, also one that was in
// front of all cards already: over a panel shown before it, each lies on top.
void DealOnScreen::aNewDealOverAPanelBringsEveryCardInFront() {
    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    // The card now in front of all is the first one the next deal lays.
    int16_t front = 1;
    for (int16_t i = 1; i <= kCardCount; ++i) {
        if (h.table().Carta[i].Z > h.table().Carta[front].Z) front = i;
    }
    std::vector<int16_t> order{front};
    for (int16_t i = 1; i <= kCardCount; ++i) {
        if (i != front) order.push_back(i);
    }
    h.table().Random = DrawSequence(order);
    f.SyncCards();
    f.Menu_english->trigger();
    f.Nuova_Click();
    const QObjectList stack = f.Surface()->children();
    for (int16_t i = 1; i <= kCardCount; ++i) {
        if (h.table().Carta[i].Left > kLastColumnLeftPx + 64) continue;  // not in a column
        QVERIFY2(stack.indexOf(f.Carta[i]) > stack.indexOf(f.Text2),
                 qPrintable(QStringLiteral("card %1 behind the panel").arg(i)));
    }
}

QTEST_MAIN(DealOnScreen)
#include "deal_on_screen_test.moc"
