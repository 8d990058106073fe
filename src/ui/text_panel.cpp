#include "ui/text_panel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace tarvo {

TextPanel::TextPanel(const QString& name, const QString& accessibleName, const QString& text,
                     bool scrollBar, QWidget* parent)
    : QPlainTextEdit(parent), text_(text) {
    setObjectName(name);
    setAccessibleName(accessibleName);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(shown);
    setReadOnly(true);
    // Focus from the keyboard only; a caret to read with, but no selection
    // by the mouse, whose presses are the panel's click.
    setFocusPolicy(Qt::TabFocus);
    setTextInteractionFlags(Qt::TextSelectableByKeyboard);
    setContextMenuPolicy(Qt::NoContextMenu);
    // The scroll bar's own menu ("Scroll here", "Top", ...) is no part of the game.
    verticalScrollBar()->setContextMenuPolicy(Qt::NoContextMenu);
    viewport()->setCursor(Qt::ArrowCursor);
    setVerticalScrollBarPolicy(scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, QColor(kPanelYellow));
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    hide();
}

bool TextPanel::viewportEvent(QEvent* e) {
    // A click is a left press and release on the text.
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) pressed_ = true;
            return true;
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() != Qt::LeftButton) return true;
            const bool click = pressed_ && viewport()->rect().contains(me->pos());
            pressed_ = false;
            if (click && onClick) onClick();
            return true;
        }
        default:
            break;
    }
    return QPlainTextEdit::viewportEvent(e);
}

void TextPanel::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier && onEscape) {
        onEscape();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

}  // namespace tarvo
