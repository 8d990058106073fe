#pragma once

// The game's built-in pictures: 40 card faces, the card back, the title and the window icon.
// Faces and the back are rendered once per (picture, device pixel ratio) and cached;
// the title is decoded afresh each time, as it is shown only once.
// Every function needs a QGuiApplication (or QApplication) to exist, and must be called on
// its thread.

#include <QIcon>
#include <QPixmap>
#include <array>

namespace tarvo {

// Sizes in logical pixels; at a device pixel ratio of 1 they are exact screen pixels.
constexpr int kCardFaceWidthPx = 62, kCardFaceHeightPx = 100;
constexpr int kCardBackWidthPx = 64, kCardBackHeightPx = 100;
constexpr int kTitleWidthPx = 613, kTitleHeightPx = 415;
constexpr std::array<int, 5> kWindowIconSizesPx = {32, 48, 64, 128, 256};

// Face of card id 1..40 (suit Denari, Coppe, Bastoni, Spade in blocks of ten, ace first),
// kCardFaceWidthPx by kCardFaceHeightPx logical pixels with devicePixelRatio() == dpr.
// A null pixmap for an id outside 1..40.
QPixmap cardFacePixmap(int cardId, qreal dpr);

// The card back: a yellow frame around two coins, kCardBackWidthPx by kCardBackHeightPx.
QPixmap cardBackPixmap(qreal dpr);

// The title picture, kTitleWidthPx by kTitleHeightPx, decoded from the built-in JPEG.
QPixmap titlePixmap();

// The window icon, drawn for each of kWindowIconSizesPx.
QIcon windowIcon();

}  // namespace tarvo
