#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Keeps the fixed window at its size in logical pixels on high-DPI screens; Qt 6 always does.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QApplication app(argc, argv);
    // The Wayland app id, by which a desktop matches the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(KUBRISK_APP_ID));
    MainWindow window;
    window.show();
    return app.exec();
}
