#include "table/card_widget.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

#include "model/card.h"
#include "table/card_pictures.h"
#include "table/pointer_watcher.h"

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

CardWidget::CardWidget(int16_t id, TableHandlers& handlers, QWidget* parent)
    : QWidget(parent), id_(id), handlers_(handlers) {
    setObjectName(QStringLiteral("Carta%1").arg(id));
    setFixedSize(static_cast<int>(kCardWidthPx), static_cast<int>(kCardHeightPx));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves with no button held do nothing; no need to ask for them.
    setMouseTracking(false);
    // Its double clicks need the press history from the first press on.
    PointerWatcher::Instance();
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
    pairStarted_ = false;
    const QPointF at = e->position() - QPointF(kCardBorderPx, kCardBorderPx);
    clickArmed_ = e->button() == Qt::LeftButton;
    handlers_.Carta_MouseDown(id_, ButtonCode(e->button()), ShiftCode(e->modifiers()),
                              static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void CardWidget::mousePressEvent(QMouseEvent* e) {
    if (SecondOfPair(e)) {
        DoubleClick();
        return;
    }
    Press(e);
}

bool CardWidget::SecondOfPair(const QMouseEvent* e) const {
    if (!pairStarted_ || e->button() != Qt::LeftButton ||
        !PointerWatcher::Instance().PressBeforeWas(this, Qt::LeftButton)) {
        return false;
    }
    const QStyleHints* hints = QGuiApplication::styleHints();
    const QPointF moved = e->globalPosition() - pairStartAt_;
    const qreal distance = hints->mouseDoubleClickDistance();
    return e->timestamp() - pairStartMs_ <
               static_cast<quint64>(hints->mouseDoubleClickInterval()) &&
           qAbs(moved.x()) <= distance && qAbs(moved.y()) <= distance;
}

void CardWidget::DoubleClick() {
    pairStarted_ = false;
    // The release after a double click is no click.
    clickArmed_ = false;
    handlers_.Carta_DblClick(id_);
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
    // press like any other, with its release and click, and the first press
    // of a double click of this card if another left press comes quickly.
    if (e->button() == Qt::LeftButton &&
        PointerWatcher::Instance().PressBeforeWas(this, Qt::LeftButton)) {
        DoubleClick();
        return;
    }
    Press(e);
    if (e->button() == Qt::LeftButton) {
        pairStarted_ = true;
        pairStartMs_ = e->timestamp();
        pairStartAt_ = e->globalPosition();
    }
}

}  // namespace tarvo
