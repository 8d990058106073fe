#pragma once
// The table under the menu bar: the green cloth, the title picture until the
// first pause ends, and what is painted behind every card: the foundation
// outlines, the strip and the stock (a card back). Presses on the stock make
// its clicks; presses anywhere else on the bare table are reported as such.

#include <QPixmap>
#include <QRect>
#include <QWidget>
#include <array>
#include <functional>

#include "model/table_places.h"

namespace tarvo {

constexpr QRgb kTableGreen = qRgb(0, 128, 0);
constexpr QRgb kOutlineOlive = qRgb(128, 128, 0);
// Shape1: one pixel right of the foundation's cards.
constexpr int kOutlineLeftPx = 459;

// A rectangle of table pixels as the surface's widgets take it.
inline QRect ToQRect(const PxRect& r) {
    return QRect(qRound(r.left), qRound(r.top), qRound(r.width), qRound(r.height));
}

class TableSurface final : public QWidget {
  public:
    explicit TableSurface(QWidget* parent);

    // Shape1(i): the outline of foundation place i (0..3).
    void SetOutline(int i, const QRect& place, bool shown);
    QRect Outline(int i) const { return outlines_[i]; }
    // Label5: the strip behind the foundations.
    void SetStrip(const QRect& place, bool shown);
    QRect Strip() const { return strip_; }
    bool StripShown() const { return stripShown_; }
    // Mazzo: the untaken stock.
    void SetMazzo(const QRect& place);
    QRect Mazzo() const { return mazzo_; }
    void SetMazzoShown(bool shown);
    bool MazzoShown() const { return mazzoShown_; }
    void ClearTitle();
    bool TitleShown() const { return titleShown_; }

    std::function<void()> onMazzoClick;
    std::function<void()> onBarePress;
    // Once, after the table's first paint: the window is on screen.
    std::function<void()> onFirstPaint;

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    bool titleShown_ = true;
    QPixmap title_;
    std::array<QRect, 4> outlines_;
    std::array<bool, 4> outlineShown_{true, true, true, true};
    QRect strip_;
    bool stripShown_ = false;
    QRect mazzo_;
    bool mazzoShown_ = false;
    bool mazzoPressed_ = false;
};

}  // namespace tarvo
