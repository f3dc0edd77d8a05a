// Plays the first pieces of a seeded game with scripted keys and saves the window as a PNG.
// Usage: kubrisk_screenshot <png path>

#include "mainwindow.h"

#include <QApplication>
#include <QKeyEvent>

#include <cstdio>

namespace {

void press(QWidget &window, Qt::Key key, int times = 1)
{
    for (int i = 0; i < times; ++i) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <png path>\n", argv[0]);
        return 2;
    }
    MainWindow window;
    window.show();
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(7);
    QT_WARNING_POP
    QMetaObject::invokeMethod(&window, "on_StartGame_clicked");

    // Each piece is turned, slid sideways (negative to the left) and dropped, then comes to rest.
    const int moves[][2] = {{0, -3}, {1, 3}, {0, -1}, {2, 1}, {1, 5}, {0, -2}, {3, 2}};
    for (const auto &[turns, shift] : moves) {
        press(window, Qt::Key_W, turns);
        press(window, shift < 0 ? Qt::Key_A : Qt::Key_D, qAbs(shift));
        press(window, Qt::Key_S);
        QMetaObject::invokeMethod(&window, "gameEvent");
    }
    for (int tick = 0; tick < 6; ++tick)
        QMetaObject::invokeMethod(&window, "gameEvent");
    QApplication::processEvents();

    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
