#include "desktop.h"
#include "mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#ifdef Q_OS_WASM
#include <QFontDatabase>
#endif

#include <cstdlib>
#include <cstring>

namespace {
bool asksForText(int argc, char *argv[]);
}

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationVersion(QStringLiteral(KUBRISK_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kubrisk, a falling-block puzzle game. Keys: "
                                                    "A left, D right, W turn, S drop."));
    parser.addHelpOption();
    parser.addVersionOption();
    if (asksForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        parser.process(app);
        return EXIT_SUCCESS;
    }

    Desktop::choosePlatform();
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    Desktop::followDesktopScale();
#endif
    Desktop::holdStartupLog();
    QApplication app(argc, argv);
    Desktop::releaseStartupLog();
    // Qt's own options are gone from the arguments by now; anything else unknown is an error.
    parser.process(app);
#ifdef Q_OS_WASM
    // The browser lends Qt none of its fonts: the game brings the glyphs of its Chinese texts.
    const int chinese = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/chinese.ttf"));
    for (const QString &family : QFontDatabase::applicationFontFamilies(chinese))
        QFontDatabase::addApplicationFallbackFontFamily(QChar::Script_Han, family);
#endif

    // The Wayland app id, by which a desktop matches the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(KUBRISK_APP_ID));
    MainWindow window;
    Desktop::show(window);
    return app.exec();
}

namespace {

// --help and --version answer on a terminal that has no display, so they are looked for before
// the application connects to one.
bool asksForText(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *option : {"-h", "-?", "--help", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

} // namespace
