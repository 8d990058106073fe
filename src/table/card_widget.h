#pragma once
// A card on the table: its face inside a one-pixel border, 64 by 102 pixels.
// It turns Qt's mouse events into the card handlers' calls, with positions
// measured inside the border, and raises the click and double click itself.

#include <QWidget>
#include <cstdint>

namespace tarvo {

class CardMouseHandlers {
  public:
    virtual ~CardMouseHandlers() = default;
    virtual void Carta_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X,
                                 float Y) = 0;
    virtual void Carta_MouseMove(int16_t Index, int16_t Button, int16_t Shift, float X,
                                 float Y) = 0;
    virtual void Carta_MouseUp(int16_t Index, int16_t Button, int16_t Shift, float X, float Y) = 0;
    virtual void Carta_Click(int16_t Index) = 0;
    virtual void Carta_DblClick(int16_t Index) = 0;
};

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
