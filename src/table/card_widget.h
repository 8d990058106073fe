#pragma once
// A card on the table: its face inside a one-pixel border, 64 by 102 pixels.
// It turns Qt's mouse events into the card handlers' calls, with positions
// measured inside the border, and raises the click and double click itself.

#include <QPointF>
#include <QWidget>
#include <cstdint>

#include "table/card_handlers.h"

namespace tarvo {

constexpr int kCardBorderPx = 1;

class CardWidget final : public QWidget {
  public:
    CardWidget(int16_t id, TableHandlers& handlers, QWidget* parent);

    int16_t id() const { return id_; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    void Press(QMouseEvent* e);
    void DoubleClick();
    // Whether a left press completes a double click begun by a double-click
    // event this card took as its first press.
    bool SecondOfPair(const QMouseEvent* e) const;

    int16_t id_;
    TableHandlers& handlers_;
    // A left press here that a release over this card turns into a click.
    bool clickArmed_ = false;
    // A double-click event taken as a first press: when and where (screen
    // pixels). Qt forgets the pair after it; the next quick press here ends it.
    quint64 pairStartMs_ = 0;
    QPointF pairStartAt_;
    bool pairStarted_ = false;
};

// Qt's buttons as the card handlers number them: 1 left, 2 right, 4 middle.
int16_t ButtonCode(Qt::MouseButton button);
int16_t ButtonSet(Qt::MouseButtons buttons);
int16_t ShiftCode(Qt::KeyboardModifiers modifiers);

}  // namespace tarvo
