#include "access/hint_marks.h"

#include <QEvent>
#include <QPainter>

#include "access/focus_ring.h"

namespace tarvo {

namespace {

// The sign spans the table, with a margin: one line for most of what it says.
constexpr int kSignMarginPx = 8;
// Text inside the ring's bands.
constexpr int kSignPaddingPx = kFocusRingPx + 6;

}  // namespace

HintSign::HintSign(QWidget* table) : QWidget(table) {
    setObjectName(QStringLiteral("HintSign"));
    // A press goes through to whatever lies under the sign, and puts it away.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void HintSign::Show(const QString& text, const QRect& keepClear) {
    text_ = text;
    const QRect table = parentWidget()->rect();
    const int width = table.width() - 2 * kSignMarginPx;
    const QRect bounds = fontMetrics().boundingRect(
        QRect(0, 0, width - 2 * kSignPaddingPx, table.height()), Qt::TextWordWrap, text_);
    const int height = bounds.height() + 2 * kSignPaddingPx;
    QRect r(kSignMarginPx, table.height() - height - kSignMarginPx, width, height);
    if (r.intersects(keepClear)) r.moveTop(kSignMarginPx);
    setGeometry(r);
    show();
    raise();
    update();
}

void HintSign::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    PaintRing(p, rect());
    p.setPen(Qt::white);
    p.drawText(rect().adjusted(kSignPaddingPx, kSignPaddingPx, -kSignPaddingPx, -kSignPaddingPx),
               Qt::TextWordWrap | Qt::AlignCenter, text_);
}

HintMarks::HintMarks(QWidget* window, QWidget* table)
    : QObject(window), target_(new FocusRing(table, true)), sign_(new HintSign(table)) {
    // Installed after the keyboard's filter, so it sees each key first.
    window->installEventFilter(this);
}

bool HintMarks::eventFilter(QObject*, QEvent* e) {
    if (e->type() == QEvent::KeyPress) Hide();
    return false;
}

void HintMarks::Show(const QRect& target, const QString& sign, const QRect& card) {
    Hide();
    if (!target.isNull()) {
        target_->Ring(target);
        target_->show();
        target_->raise();
    }
    if (!sign.isEmpty()) sign_->Show(sign, target.united(card));
}

void HintMarks::Hide() {
    target_->hide();
    sign_->hide();
}

bool HintMarks::TargetShown() const {
    return target_->isVisible();
}

bool HintMarks::SignShown() const {
    return sign_->isVisible();
}

QString HintMarks::SignText() const {
    return sign_->Text();
}

}  // namespace tarvo
