#pragma once
// The keyboard focus drawn on the table: a yellow band between two black
// edges just outside a card's place, so it shows on the green cloth, on any
// face and on the cards around it. It never takes the mouse.

#include <QWidget>

namespace tarvo {

constexpr QRgb kFocusYellow = qRgb(255, 221, 0);
// Black edge, yellow band, black edge, in logical pixels outside the card.
constexpr int kFocusRingPx = 4;

class FocusRing final : public QWidget {
  public:
    explicit FocusRing(QWidget* table);

    // Rings the card place `card` (table pixels, the card widget's rectangle).
    void Ring(const QRect& card);

  protected:
    void paintEvent(QPaintEvent*) override;
};

}  // namespace tarvo
