#ifndef DESKTOP_H
#define DESKTOP_H

#include <QtGlobal>

class QWidget;

// How the game joins the player's desktop, up to showing its window, in the order that main()
// calls it. Where no display can be had, the game says so in one line on stderr and exits with
// EXIT_FAILURE, rather than letting Qt abort.
namespace Desktop {

// Before the application exists: X11 or Wayland, whichever the session offers.
void choosePlatform();

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
// Before the application exists: the fixed window keeps its size in logical pixels on high-DPI
// screens, at the desktop's own factor; Qt 6 always does.
void followDesktopScale();
#endif

// Around the application's construction: Qt's messages from connecting to the display are held
// back, and logged once it has connected.
void holdStartupLog();
void releaseStartupLog();

// The game's window, shown where a player looks for it: placed by the window manager on a
// desktop, and in the middle of the page's element in the browser.
void show(QWidget &window);

} // namespace Desktop

#endif // DESKTOP_H
