#include "mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QVector>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// What Qt logs while the application connects to the display: shown once it has connected, and
// replaced by one line of our own where it cannot, since Qt would end the process with an abort.
QVector<std::pair<QtMsgType, QString>> startupMessages;

QString displayProblem()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const QString x11 = qEnvironmentVariable("DISPLAY");
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (platform.startsWith(QLatin1String("wayland")))
        return QStringLiteral("cannot open the Wayland display \"%1\"").arg(wayland);
    if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb")))
        return QStringLiteral("cannot start on Qt's platform \"%1\"").arg(platform);
    if (!x11.isEmpty())
        return QStringLiteral("cannot open the X11 display \"%1\"").arg(x11);
    return QStringLiteral("no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)");
}

[[noreturn]] void failWithoutDisplay()
{
    std::fprintf(stderr, "kubrisk: %s; start it from a desktop session.\n",
                 qUtf8Printable(displayProblem()));
    std::_Exit(EXIT_FAILURE);
}

void holdStartupMessage(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtFatalMsg)
        failWithoutDisplay();
    startupMessages.append({type, text});
}

// Qt takes X11 unless told otherwise; a session that offers only Wayland gets Wayland. Where
// the Wayland socket is missing, the Wayland library would add a complaint of its own to ours.
void choosePlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "wayland");
    if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("wayland")))
        return;
    const QString socket = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    if (!QFileInfo::exists(QDir::isAbsolutePath(socket)
                                   ? socket
                                   : qEnvironmentVariable("XDG_RUNTIME_DIR") + '/' + socket))
        failWithoutDisplay();
}

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

    choosePlatform();
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Keeps the fixed window at its size in logical pixels on high-DPI screens; Qt 6 always does.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    const QtMessageHandler logged = qInstallMessageHandler(holdStartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(logged);
    for (const auto &[type, text] : std::as_const(startupMessages))
        qt_message_output(type, QMessageLogContext(), text);
    // Qt's own options are gone from the arguments by now; anything else unknown is an error.
    parser.process(app);

    // The Wayland app id, by which a desktop matches the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(KUBRISK_APP_ID));
    MainWindow window;
    window.show();
    return app.exec();
}
