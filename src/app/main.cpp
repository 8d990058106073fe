#include <QApplication>

#include "access/screen_reader_watch.h"
#include "app/form1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvo"));
    QApplication::setDesktopFileName(QStringLiteral("tarvo"));
    // Before the window: a screen reader may be switched on later.
    tarvo::ScreenReaderWatch screen_reader;
    tarvo::Form1 form;
    form.show();
    return QApplication::exec();
}
