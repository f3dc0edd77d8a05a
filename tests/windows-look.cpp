// Shows the game's window in the style and palette that Windows gives it, and writes one line on
// what they made of it: the style's name; "light" where the score's and the button's backgrounds
// are light and their texts dark, "dark" where the reverse, else "mixed"; a digest of the board
// and the preview, which keep their own style sheets whatever the palette; and the lightness (0 to
// 1) of those backgrounds and texts.
//   kubrisk_look OUTPUT

#include "mainwindow.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QStyle>

#include <algorithm>
#include <vector>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MainWindow window;
    window.show();
    QApplication::processEvents();
    const QImage shot = window.grab().toImage();
    const auto part = [&](const char *name) {
        const QWidget *widget = window.findChild<QWidget *>(QLatin1String(name));
        return shot.copy(QRect(widget->mapTo(&window, QPoint()), widget->size()));
    };
    QCryptographicHash board(QCryptographicHash::Md5);
    for (const char *name : {"stage", "Tip"}) {
        const QImage image = part(name);
        board.addData(QByteArray::fromRawData(reinterpret_cast<const char *>(image.constBits()),
                                              int(image.sizeInBytes())));
    }
    // A widget's background is its median lightness, its text the pixel farthest from that.
    QStringList line{QApplication::style()->name(), QString(), board.result().toHex()};
    bool light = true, dark = true;
    for (const char *name : {"Score", "StartGame"}) {
        const QImage image = part(name);
        std::vector<qreal> lightness;
        for (int i = 0; i < image.width() * image.height(); ++i)
            lightness.push_back(
                    QColor(image.pixel(i % image.width(), i / image.width())).lightnessF());
        std::sort(lightness.begin(), lightness.end());
        const qreal background = lightness[lightness.size() / 2];
        const qreal text = background - lightness.front() > lightness.back() - background
                ? lightness.front()
                : lightness.back();
        line << QString::asprintf("%s %.2f/%.2f", name, background, text);
        light = light && background > 0.5 && text < 0.5;
        dark = dark && background < 0.5 && text > 0.5;
    }
    line[1] = light ? "light" : dark ? "dark" : "mixed";
    QFile output(QString::fromLocal8Bit(argv[argc - 1]));
    return output.open(QIODevice::WriteOnly) && output.write(line.join(' ').toUtf8() + '\n') > 0
            ? 0
            : 1;
}
