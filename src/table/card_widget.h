#pragma once
// A card on the table: its face inside a one-pixel border, 64 by 102 pixels.
// It turns Qt's mouse events into the card handlers' calls, with positions
// measured inside the border, and raises the click and double click itself.

#include <QWidget>
#include <cstdint>

#include "table/card_handlers.h"

namespace tarvo {

constexpr int kCardWidgetWidthPx = 64;
constexpr int kCardWidgetHeightPx = 102;
constexpr int kCardBorderPx = 1;

class CardWidget final : public QWidget {
  public:
    CardWidget(int16_t id, CardMouseHandlers& handlers, QWidget* parent);

    int16_t id() const { return id_; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    void Press(QMouseEvent* e);

    int16_t id_;
    CardMouseHandlers& handlers_;
    // A left press here that a release over this card turns into a click.
    bool clickArmed_ = false;
};

// Qt's buttons as the card handlers number them: 1 left, 2 right, 4 middle.
int16_t ButtonCode(Qt::MouseButton button);
int16_t ButtonSet(Qt::MouseButtons buttons);
int16_t ShiftCode(Qt::KeyboardModifiers modifiers);

}  // namespace tarvo
