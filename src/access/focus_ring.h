#pragma once
// The keyboard focus drawn on the table: a yellow band between two black
// edges just outside a card's place, so it shows on the green cloth, on any
// face and on the cards around it. It never takes the mouse.

#include <QWidget>

class QPainter;

namespace tarvo {

constexpr QRgb kFocusYellow = qRgb(255, 221, 0);
// Black edge, yellow band, black edge, in logical pixels outside the card.
constexpr int kFocusRingPx = 4;

// The ring's three bands painted just inside `r`. `dashed`: the yellow band
// broken into dashes, the mark of a place rather than of a card.
void PaintRing(QPainter& p, const QRect& r, bool dashed = false);

class FocusRing final : public QWidget {
  public:
    // `dashed`: the hint's mark on the place its card goes to.
    explicit FocusRing(QWidget* table, bool dashed = false);

    // Rings the card place `card` (table pixels, the card widget's rectangle).
    void Ring(const QRect& card);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    bool dashed_;
};

}  // namespace tarvo
