#include <QApplication>

#include "app/form1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvo"));
    QApplication::setDesktopFileName(QStringLiteral("tarvo"));
    tarvo::Form1 form;
    form.show();
    return QApplication::exec();
}
