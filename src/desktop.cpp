#include "desktop.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QVector>
#include <QWidget>
#ifdef Q_OS_WASM
#include <QScreen>
#endif

#include <cstdio>
#include <cstdlib>
#include <utility>

#ifdef KUBRISK_X11
#include <X11/Xlib.h>
#endif

namespace {

// What Qt logs while the application connects to the display: shown once it has connected, and
// replaced by one line of our own where it cannot, since Qt would end the process with an abort.
QVector<std::pair<QtMsgType, QString>> startupMessages;
QtMessageHandler loggedBefore = nullptr;

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

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0) && defined(KUBRISK_X11)
// Whether the desktop gives its scale on X11 as Xft.dpi, read from the display's resources as Qt
// reads them.
bool desktopGivesXftDpi()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const QList<QByteArray> resources = QByteArray(XResourceManagerString(display)).split('\n');
    XCloseDisplay(display);
    for (const QByteArray &resource : resources) {
        if (resource.startsWith("Xft.dpi:\t") && resource.mid(9).toDouble() > 0)
            return true;
    }
    return false;
}
#endif

} // namespace

namespace Desktop {

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

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
// Qt 5 scales by the desktop's factor rounded to a whole number, which makes 125 % into 100 % with
// texts too large for the window and 150 % into 200 %, and on X11 takes the monitor's physical DPI
// where the desktop gives none. The window scales by the desktop's own factor instead, as with
// Qt 6. What a user sets in Qt's own variables still wins over this policy. Wayland keeps the
// output's whole-number scale.
void followDesktopScale()
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platform.startsWith(QLatin1String("wayland")))
        return;
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
            Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
#ifdef KUBRISK_X11
    if ((platform.isEmpty() || platform.startsWith(QLatin1String("xcb")))
        && qEnvironmentVariableIsEmpty("QT_FONT_DPI") && !desktopGivesXftDpi())
        qputenv("QT_FONT_DPI", "96");
#endif
}
#endif

void holdStartupLog()
{
    loggedBefore = qInstallMessageHandler(holdStartupMessage);
}

void releaseStartupLog()
{
    qInstallMessageHandler(loggedBefore);
    for (const auto &[type, text] : std::as_const(startupMessages))
        qt_message_output(type, QMessageLogContext(), text);
    startupMessages.clear();
}

// In the browser Qt's screen is the page's element, which a window shown plainly fills. The
// game's keeps its size in the middle of an element larger than itself, where the "Game Over" box
// has the room for its message on one line: Qt wraps a box's text at half the screen's width.
void show(QWidget &window)
{
#ifdef Q_OS_WASM
    window.setWindowFlag(Qt::FramelessWindowHint);
    const auto centre = [&window] {
        window.move(window.screen()->availableGeometry().center() - window.rect().center());
    };
    centre();
    QObject::connect(window.screen(), &QScreen::availableGeometryChanged, &window, centre);
    window.showNormal();
#else
    window.show();
#endif
}

} // namespace Desktop
