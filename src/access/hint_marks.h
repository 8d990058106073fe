#pragma once
// What H shows a sighted player besides the focus ring on the card: a
// dashed ring on the place the card goes to, or a short sign when there is
// no move to show (and, once a run, what the hint knows). Both go at the
// next key or press; until H is pressed neither exists.

#include <QObject>
#include <QRect>
#include <QString>
#include <QWidget>

namespace tarvo {

class FocusRing;

// Black, inside the focus ring's bands, with the text in white.
class HintSign final : public QWidget {
  public:
    explicit HintSign(QWidget* table);
    // Sized to `text` and placed at the table's foot, or at its head when
    // it would hide `keepClear` (the hinted card and its target).
    void Show(const QString& text, const QRect& keepClear);
    QString Text() const { return text_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QString text_;
};

// Watches the window's keys: any key puts the marks away before it acts.
class HintMarks final : public QObject {
  public:
    HintMarks(QWidget* window, QWidget* table);

    // `target`: a card place in table pixels; `sign` empty for none.
    void Show(const QRect& target, const QString& sign, const QRect& card);
    void Hide();
    bool TargetShown() const;
    bool SignShown() const;
    QString SignText() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    FocusRing* target_;
    HintSign* sign_;
};

}  // namespace tarvo
