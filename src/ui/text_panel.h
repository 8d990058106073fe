#pragma once
// A rules or information panel: light yellow, read-only. A click on its text
// is reported; its scroll bar is not. The mouse never gives it the focus; the
// keyboard may (the window gives it the focus when the keys opened it), and
// then its caret reads and scrolls the text and Escape is reported.

#include <QPlainTextEdit>
#include <functional>

namespace tarvo {

constexpr QRgb kPanelYellow = qRgb(255, 255, 192);

class TextPanel final : public QPlainTextEdit {
  public:
    // text: lines each ended by CR LF, as the panels keep them.
    // accessibleName: what a screen reader calls it.
    TextPanel(const QString& name, const QString& accessibleName, const QString& text,
              bool scrollBar, QWidget* parent);

    const QString& Text() const { return text_; }
    std::function<void()> onClick;
    std::function<void()> onEscape;

  protected:
    bool viewportEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    QString text_;
    bool pressed_ = false;
};

}  // namespace tarvo
