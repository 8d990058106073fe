// The reference for bench/peers.py: the least a Qt 6 Widgets window of the
// game's size costs to start, to keep and to drag across.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.resize(620, 480);
    window.show();
    return QApplication::exec();
}
