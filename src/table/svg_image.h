#pragma once

#include <QImage>
#include <QSize>

class QSvgRenderer;

namespace tarvo {

// Draws the whole SVG into an image of logicalSize * dpr device pixels (rounded), tagged with
// dpr, on a transparent background. Rendering at the device's resolution keeps edges and text
// sharp where a scaled-up 1x image would blur.
QImage renderSvgImage(QSvgRenderer& renderer, QSize logicalSize, qreal dpr);

}  // namespace tarvo
