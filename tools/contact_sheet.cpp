#include "contact_sheet.h"

#include <QFont>
#include <QPainter>
#include <array>

#include "table/card_pictures.h"

namespace tarvo {
namespace {

constexpr int kMarginPx = 12;
constexpr int kLabelWidthPx = 64;
constexpr int kCardPitchXPx = 70, kCardPitchYPx = 110;
constexpr int kSheetWidthPx = kMarginPx + kLabelWidthPx + 10 * kCardPitchXPx + kMarginPx;
constexpr int kIconRowTopPx = kMarginPx + 4 * kCardPitchYPx + 8;
constexpr int kTitleTopPx = kIconRowTopPx + 256 + 16;
constexpr int kSheetHeightPx = kTitleTopPx + kTitleHeightPx + kMarginPx;
constexpr std::array kSuitNames = {"Denari", "Coppe", "Bastoni", "Spade"};

// As the window shows a card: the picture inside a one-pixel black border.
void drawFramed(QPainter& painter, int left, int top, const QPixmap& picture) {
    const QSizeF size = picture.deviceIndependentSize();
    painter.fillRect(QRectF(left, top, size.width() + 2, size.height() + 2), Qt::black);
    painter.drawPixmap(QPointF(left + 1, top + 1), picture);
}

}  // namespace

QImage contactSheet(qreal dpr) {
    QImage sheet(qRound(kSheetWidthPx * dpr), qRound(kSheetHeightPx * dpr), QImage::Format_RGB32);
    sheet.setDevicePixelRatio(dpr);
    sheet.fill(QColor(0, 128, 0));
    QPainter painter(&sheet);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);

    const int cardsLeft = kMarginPx + kLabelWidthPx;
    for (int suit = 0; suit < 4; ++suit) {
        const int top = kMarginPx + suit * kCardPitchYPx;
        painter.drawText(QRect(kMarginPx, top, kLabelWidthPx, 102), Qt::AlignVCenter,
                         QString::fromLatin1(kSuitNames[suit]));
        for (int value = 1; value <= 10; ++value)
            drawFramed(painter, cardsLeft + (value - 1) * kCardPitchXPx, top,
                       cardFacePixmap(suit * 10 + value, dpr));
    }

    painter.drawText(QRect(kMarginPx, kIconRowTopPx, kLabelWidthPx, 102), Qt::AlignVCenter,
                     QStringLiteral("Back"));
    painter.drawPixmap(QPointF(cardsLeft, kIconRowTopPx), cardBackPixmap(dpr));
    int iconLeft = cardsLeft + kCardPitchXPx + 16;
    const QIcon icon = windowIcon();
    for (int size : kWindowIconSizesPx) {
        const QRect place(iconLeft, kIconRowTopPx, size, size);
        icon.paint(&painter, place);
        iconLeft += size + 12;
    }

    painter.drawText(QRect(kMarginPx, kTitleTopPx, kLabelWidthPx, 30), Qt::AlignTop,
                     QStringLiteral("Title"));
    painter.drawPixmap(QPointF(cardsLeft, kTitleTopPx), titlePixmap());
    return sheet;
}

}  // namespace tarvo
