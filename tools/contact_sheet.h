#pragma once

#include <QImage>

namespace tarvo {

// One picture of everything built in, on the table green: the 40 faces in four suit rows
// (each inside the one-pixel border the window gives a card), the back, the icon at every size
// and the title. Drawn at device pixel ratio dpr.
QImage contactSheet(qreal dpr);

}  // namespace tarvo
