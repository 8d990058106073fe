#include "table/card_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "table/card_pictures.h"
#include "table/press_history.h"
#include "table/table_speech.h"

namespace tarvo {

int16_t ButtonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        default:
            return 4;
    }
}

int16_t ButtonSet(Qt::MouseButtons buttons) {
    int16_t set = 0;
    if (buttons & Qt::LeftButton) set |= 1;
    if (buttons & Qt::RightButton) set |= 2;
    if (buttons & ~(Qt::LeftButton | Qt::RightButton)) set |= 4;
    return set;
}

int16_t ShiftCode(Qt::KeyboardModifiers modifiers) {
    int16_t shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= 1;
    if (modifiers & Qt::ControlModifier) shift |= 2;
    if (modifiers & Qt::AltModifier) shift |= 4;
    return shift;
}

CardWidget::CardWidget(int16_t id, CardMouseHandlers& handlers, QWidget* parent)
    : QWidget(parent), id_(id), handlers_(handlers) {
    setObjectName(QStringLiteral("Carta%1").arg(id));
    setAccessibleName(QString::fromStdString(CardName(id)));
    setFixedSize(kCardWidgetWidthPx, kCardWidgetHeightPx);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves with no button held do nothing; no need to ask for them.
    setMouseTracking(false);
    WatchPresses();
}

void CardWidget::paintEvent(QPaintEvent*) {
    // The widget is opaque: every device pixel must be painted at any scale,
    // so the border is the black ground the face is laid on, not a stroked line.
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.drawPixmap(rect().adjusted(kCardBorderPx, kCardBorderPx, -kCardBorderPx, -kCardBorderPx),
                 cardFacePixmap(id_, devicePixelRatioF()));
}

void CardWidget::Press(QMouseEvent* e) {
    const QPointF at = e->position() - QPointF(kCardBorderPx, kCardBorderPx);
    clickArmed_ = e->button() == Qt::LeftButton;
    handlers_.Carta_MouseDown(id_, ButtonCode(e->button()), ShiftCode(e->modifiers()),
                              static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void CardWidget::mousePressEvent(QMouseEvent* e) {
    Press(e);
}

void CardWidget::mouseMoveEvent(QMouseEvent* e) {
    const QPointF at = e->position() - QPointF(kCardBorderPx, kCardBorderPx);
    handlers_.Carta_MouseMove(id_, ButtonSet(e->buttons()), ShiftCode(e->modifiers()),
                              static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void CardWidget::mouseReleaseEvent(QMouseEvent* e) {
    const QPointF at = e->position() - QPointF(kCardBorderPx, kCardBorderPx);
    // The card may have moved away under the pointer during the release.
    const bool click = e->button() == Qt::LeftButton && clickArmed_ && rect().contains(e->pos());
    if (e->button() == Qt::LeftButton) clickArmed_ = false;
    handlers_.Carta_MouseUp(id_, ButtonCode(e->button()), ShiftCode(e->modifiers()),
                            static_cast<float>(at.x()), static_cast<float>(at.y()));
    if (click) handlers_.Carta_Click(id_);
}

void CardWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    // Qt sends this instead of the second of two quick presses close together,
    // wherever the first one went. It is this card's double click only when
    // the left press just before it was on this card too; anything else is a
    // press like any other, with its release and click. The release after a
    // double click is no click.
    if (e->button() != Qt::LeftButton || !PressBeforeWas(this, Qt::LeftButton)) {
        Press(e);
        return;
    }
    clickArmed_ = false;
    handlers_.Carta_DblClick(id_);
}

}  // namespace tarvo
