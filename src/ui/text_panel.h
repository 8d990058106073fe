#pragma once
// A rules or information panel: light yellow, read-only, never takes the
// keyboard focus. A click on its text is reported; its scroll bar is not.

#include <QPlainTextEdit>
#include <functional>

namespace tarvo {

constexpr QRgb kPanelYellow = qRgb(255, 255, 192);

class TextPanel final : public QPlainTextEdit {
  public:
    // text: lines each ended by CR LF, as the panels keep them.
    TextPanel(const QString& name, const QString& text, bool scrollBar, QWidget* parent);

    const QString& Text() const { return text_; }
    std::function<void()> onClick;

  protected:
    bool viewportEvent(QEvent* e) override;

  private:
    QString text_;
    bool pressed_ = false;
};

}  // namespace tarvo
