#include "table/table_surface.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <utility>

#include "model/card.h"
#include "table/card_pictures.h"

namespace tarvo {

TableSurface::TableSurface(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Table"));
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The outlines are visible from the start, over the title picture, already at their places.
    for (int i = 0; i < 4; ++i) {
        outlines_[i] = QRect(kOutlineLeftPx, qRound(foundationTopPx(i + 1)),
                             static_cast<int>(kCardWidthPx), static_cast<int>(kCardHeightPx));
    }
}

void TableSurface::SetOutline(int i, const QRect& place, bool shown) {
    update(outlines_[i]);
    outlines_[i] = place;
    outlineShown_[i] = shown;
    update(place);
}

void TableSurface::SetStrip(const QRect& place, bool shown) {
    update(strip_);
    strip_ = place;
    stripShown_ = shown;
    update(strip_);
}

void TableSurface::SetMazzo(const QRect& place) {
    update(mazzo_);
    mazzo_ = place;
    update(mazzo_);
}

void TableSurface::SetMazzoShown(bool shown) {
    if (shown == mazzoShown_) return;
    mazzoShown_ = shown;
    mazzoPressed_ = false;
    update(mazzo_);
}

void TableSurface::ClearTitle() {
    titleShown_ = false;
    title_ = QPixmap();
    update();
}

void TableSurface::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.fillRect(e->rect(), QColor(kTableGreen));
    if (titleShown_) {
        // Decoded at the first paint, not before the window maps.
        if (title_.isNull()) title_ = titlePixmap();
        p.drawPixmap(0, 0, title_);
    }
    if (stripShown_) p.fillRect(strip_, QColor(kTableGreen));
    // The outlines: an olive frame with an olive diagonal cross-hatch inside,
    // which reads as "a place for a card" on the green cloth.
    for (int i = 0; i < 4; ++i) {
        if (!outlineShown_[i]) continue;
        const QRect r = outlines_[i];
        p.fillRect(r.adjusted(1, 1, -1, -1), QBrush(QColor(kOutlineOlive), Qt::DiagCrossPattern));
        p.setPen(QColor(kOutlineOlive));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    if (mazzoShown_) p.drawPixmap(mazzo_.topLeft(), cardBackPixmap(devicePixelRatioF()));
    if (onFirstPaint) {
        // From the event loop, once this frame has gone out.
        QTimer::singleShot(0, this, std::exchange(onFirstPaint, nullptr));
    }
}

void TableSurface::mousePressEvent(QMouseEvent* e) {
    if (mazzoShown_ && mazzo_.contains(e->pos())) {
        // Only the left button clicks the stock; no button here hides the panels.
        mazzoPressed_ = e->button() == Qt::LeftButton;
        return;
    }
    if (onBarePress) onBarePress();
}

// A quick second press arrives as a double click: it is a press all the same.
void TableSurface::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
}

void TableSurface::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !mazzoPressed_) return;
    mazzoPressed_ = false;
    if (mazzoShown_ && mazzo_.contains(e->pos()) && onMazzoClick) onMazzoClick();
}

}  // namespace tarvo
