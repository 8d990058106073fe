#include "table/svg_image.h"

#include <QPainter>
#include <QSvgRenderer>

namespace tarvo {

QImage renderSvgImage(QSvgRenderer& renderer, QSize logicalSize, qreal dpr) {
    const QSize devicePx(qRound(logicalSize.width() * dpr), qRound(logicalSize.height() * dpr));
    QImage image(devicePx, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                               QPainter::TextAntialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(devicePx)));
    }
    image.setDevicePixelRatio(dpr);
    return image;
}

}  // namespace tarvo
