// The reference for bench/peers.py: the least a Qt 6 Widgets window of the
// game's size costs to start, to keep and to drag across.
#include <QApplication>
#include <QWidget>

#include "model/card.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.resize(tarvo::kWindowOuterWidthPx, tarvo::kWindowOuterHeightPx);
    window.show();
    return QApplication::exec();
}
