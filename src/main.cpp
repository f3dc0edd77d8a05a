#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Keeps the fixed window at its size in logical pixels on high-DPI screens.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);
    MainWindow window;
    window.show();
    return app.exec();
}
