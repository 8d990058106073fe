// The built-in pictures: sizes at every device pixel ratio, one distinct face per card id, and
// faces that stay sharp on high-resolution screens.

#include <QColor>
#include <QImage>
#include <QSet>
#include <QTest>
#include <vector>

#include "table/card_pictures.h"

using namespace tarvo;

namespace {

constexpr int kCards = 40;
constexpr int kCoveredBandPx = 25;  // what a card covered in a column still shows

// Pixels whose colours differ clearly (not by antialiasing noise), in the top `rows` rows.
int clearlyDifferentPixels(const QImage& a, const QImage& b, int rows) {
    int count = 0;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int distance =
                qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
            if (distance > 96) ++count;
        }
    return count;
}

int distinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

// Detail finer than one pixel at 100%: the brightness variance inside each aligned 2x2 block of
// a 200% image. Zero for a 100% image blown up by pixel doubling, small for a smoothed one.
double subPixelDetail(const QImage& image) {
    double detail = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const int block[] = {qGray(image.pixel(x, y)), qGray(image.pixel(x + 1, y)),
                                 qGray(image.pixel(x, y + 1)), qGray(image.pixel(x + 1, y + 1))};
            const double mean = (block[0] + block[1] + block[2] + block[3]) / 4.0;
            for (int v : block)
                detail += (v - mean) * (v - mean);
        }
    return detail;
}

std::vector<QImage> facesAt(qreal dpr) {
    std::vector<QImage> faces;
    for (int id = 1; id <= kCards; ++id)
        faces.push_back(cardFacePixmap(id, dpr).toImage().convertToFormat(QImage::Format_RGB32));
    return faces;
}

}  // namespace

class CardPicturesTest : public QObject {
    Q_OBJECT

  private slots:
    void picturesHaveTheirSizeAtEveryRatio_data() {
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<int>("faceWidth");
        QTest::addColumn<int>("faceHeight");
        QTest::addColumn<int>("backWidth");
        QTest::newRow("100%") << qreal(1) << 62 << 100 << 64;
        QTest::newRow("150%") << qreal(1.5) << 93 << 150 << 96;
        QTest::newRow("200%") << qreal(2) << 124 << 200 << 128;
    }
    void picturesHaveTheirSizeAtEveryRatio() {
        QFETCH(qreal, dpr);
        QFETCH(int, faceWidth);
        QFETCH(int, faceHeight);
        QFETCH(int, backWidth);
        for (int id = 1; id <= kCards; ++id) {
            const QPixmap face = cardFacePixmap(id, dpr);
            QCOMPARE(face.size(), QSize(faceWidth, faceHeight));
            QCOMPARE(face.devicePixelRatio(), dpr);
            QCOMPARE(face.deviceIndependentSize(), QSizeF(kCardFaceWidthPx, kCardFaceHeightPx));
        }
        const QPixmap back = cardBackPixmap(dpr);
        QCOMPARE(back.size(), QSize(backWidth, faceHeight));
        QCOMPARE(back.deviceIndependentSize(), QSizeF(kCardBackWidthPx, kCardBackHeightPx));
    }

    void noPictureIsBlank() {
        for (int id = 1; id <= kCards; ++id)
            QVERIFY2(distinctColours(cardFacePixmap(id, 1).toImage()) > 20,
                     qPrintable(QStringLiteral("face %1").arg(id)));
        QVERIFY(distinctColours(cardBackPixmap(1).toImage()) > 20);
        QVERIFY(distinctColours(titlePixmap().toImage()) > 100);
        for (const QSize& size : windowIcon().availableSizes())
            QVERIFY(distinctColours(windowIcon().pixmap(size).toImage()) > 8);
    }

    void titleAndIconHaveTheirSizes() {
        QCOMPARE(titlePixmap().size(), QSize(kTitleWidthPx, kTitleHeightPx));
        const QList<QSize> sizes = windowIcon().availableSizes();
        for (int side : kWindowIconSizesPx)
            QVERIFY(sizes.contains(QSize(side, side)));
        QCOMPARE(windowIcon().pixmap(32).size(), QSize(32, 32));
    }

    void idsOutsideTheDeckHaveNoPicture() {
        for (int id : {-1, 0, 41})
            QVERIFY(cardFacePixmap(id, 1).isNull());
    }

    // A face shows its own card: no two faces alike, and not even their covered-card bands.
    void everyFaceAndEveryTopBandIsItsOwn() {
        const std::vector<QImage> faces = facesAt(1);
        for (int a = 0; a < kCards; ++a)
            for (int b = a + 1; b < kCards; ++b) {
                const QString pair = QStringLiteral("cards %1 and %2").arg(a + 1).arg(b + 1);
                QVERIFY2(clearlyDifferentPixels(faces[a], faces[b], kCardFaceHeightPx) > 200,
                         qPrintable(pair));
                QVERIFY2(clearlyDifferentPixels(faces[a], faces[b], kCoveredBandPx) > 12,
                         qPrintable(pair + QStringLiteral(", top band")));
            }
    }

    // At 200% each face is drawn again from its vector source, not blown up from 100%.
    void a2xFaceIsSharperThanA1xFaceScaledUp() {
        const std::vector<QImage> small = facesAt(1), large = facesAt(2);
        for (int id = 1; id <= kCards; ++id) {
            const QImage& face = large[id - 1];
            const QImage smooth =
                small[id - 1].scaled(face.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            QVERIFY2(subPixelDetail(face) > 2 * subPixelDetail(smooth),
                     qPrintable(QStringLiteral("face %1").arg(id)));
        }
    }

    void picturesAreRenderedOncePerRatio() {
        QCOMPARE(cardFacePixmap(7, 2).cacheKey(), cardFacePixmap(7, 2).cacheKey());
        QVERIFY(cardFacePixmap(7, 2).cacheKey() != cardFacePixmap(7, 1).cacheKey());
        QCOMPARE(cardBackPixmap(1.5).cacheKey(), cardBackPixmap(1.5).cacheKey());
    }
};

QTEST_MAIN(CardPicturesTest)
#include "card_pictures_test.moc"
