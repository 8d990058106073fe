#include "table/card_pictures.h"

#include <QString>
#include <QSvgRenderer>
#include <map>
#include <utility>

#include "table/svg_image.h"

namespace tarvo {
namespace {

constexpr int kCardCount = 40;

QPixmap renderedPicture(const QString& resource, QSize logicalSize, qreal dpr) {
    // The window asks for every card on each repaint: render an SVG once per ratio.
    static std::map<std::pair<QString, qreal>, QPixmap> cache;
    const auto key = std::make_pair(resource, dpr);
    if (auto found = cache.find(key); found != cache.end()) return found->second;

    QSvgRenderer renderer(resource);
    Q_ASSERT_X(renderer.isValid(), "renderedPicture", qPrintable(resource));
    QPixmap pixmap = QPixmap::fromImage(renderSvgImage(renderer, logicalSize, dpr));
    cache.emplace(key, pixmap);
    return pixmap;
}

}  // namespace

QPixmap cardFacePixmap(int cardId, qreal dpr) {
    if (cardId < 1 || cardId > kCardCount) return {};
    const QString resource =
        QStringLiteral(":/pictures/cards/card-%1.svg").arg(cardId, 2, 10, QLatin1Char('0'));
    return renderedPicture(resource, QSize(kCardFaceWidthPx, kCardFaceHeightPx), dpr);
}

QPixmap cardBackPixmap(qreal dpr) {
    return renderedPicture(QStringLiteral(":/pictures/card-back.svg"),
                           QSize(kCardBackWidthPx, kCardBackHeightPx), dpr);
}

QPixmap titlePixmap() {
    // Shown once, for the title pause: not kept, so its megabyte goes with it.
    return QPixmap(QStringLiteral(":/pictures/title.jpg"));
}

QIcon windowIcon() {
    static const QIcon icon = [] {
        QIcon built;
        for (int size : kWindowIconSizesPx)
            built.addFile(QStringLiteral(":/pictures/icons/tarvo-%1.png").arg(size),
                          QSize(size, size));
        return built;
    }();
    return icon;
}

}  // namespace tarvo
