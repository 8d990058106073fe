#include "access/focus_ring.h"

#include <QPainter>
#include <QPen>

namespace tarvo {

namespace {

void Frame(QPainter& p, const QRect& r, int width, const QColor& colour) {
    p.fillRect(r.x(), r.y(), r.width(), width, colour);
    p.fillRect(r.x(), r.bottom() - width + 1, r.width(), width, colour);
    p.fillRect(r.x(), r.y(), width, r.height(), colour);
    p.fillRect(r.right() - width + 1, r.y(), width, r.height(), colour);
}

}  // namespace

void PaintRing(QPainter& p, const QRect& r, bool dashed) {
    Frame(p, r, 1, Qt::black);
    if (!dashed) {
        Frame(p, r.adjusted(1, 1, -1, -1), 2, QColor(kFocusYellow));
    } else {
        Frame(p, r.adjusted(1, 1, -1, -1), 2, Qt::black);
        // Dashes of three pen widths, gaps as long, along the band's middle.
        QPen pen(QColor(kFocusYellow), 2, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setDashPattern({3, 3});
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(r).adjusted(2, 2, -2, -2));
    }
    Frame(p, r.adjusted(3, 3, -3, -3), 1, Qt::black);
}

FocusRing::FocusRing(QWidget* table, bool dashed) : QWidget(table), dashed_(dashed) {
    setObjectName(dashed ? QStringLiteral("HintTarget") : QStringLiteral("FocusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void FocusRing::Ring(const QRect& card) {
    // Kept inside the table, so all four sides show: at the top and left
    // edges the band lies over the card's own edge.
    const QRect r = card.adjusted(-kFocusRingPx, -kFocusRingPx, kFocusRingPx, kFocusRingPx)
                        .intersected(parentWidget()->rect());
    if (r != geometry()) setGeometry(r);
}

void FocusRing::paintEvent(QPaintEvent*) {
    // Only the frame is painted: the card inside shows through.
    QPainter p(this);
    PaintRing(p, rect(), dashed_);
}

}  // namespace tarvo
