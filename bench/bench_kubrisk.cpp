// Measures what the player waits for: a key press, a gravity tick, a start and the window's
// construction, each with the repaint it causes, against two yardsticks from the same run.

#include "mainwindow.h"
#include "mainwindowtester.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#ifdef Q_OS_WASM
#include <emscripten.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>

#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace {

constexpr int kRepetitions = 400;

// Median wall time of `measured` in microseconds; `prepare` runs untimed before each repetition.
double medianMicroseconds(const std::function<void()> &prepare,
                          const std::function<void()> &measured)
{
    std::vector<qint64> samples;
    for (int i = 0; i < kRepetitions; ++i) {
        prepare();
        QApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        measured();
        QApplication::processEvents();
        samples.push_back(clock.nsecsElapsed());
    }
    std::nth_element(samples.begin(), samples.begin() + kRepetitions / 2, samples.end());
    return samples[kRepetitions / 2] / 1000.0;
}

// The most memory that the process has held resident, in KiB.
long peakResidentKibibytes()
{
#if defined(Q_OS_WASM)
    // The browser's memory for the program only grows: its size now is the peak.
    return long(__builtin_wasm_memory_size(0) * 64);
#elif defined(Q_OS_WIN)
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return long(counters.PeakWorkingSetSize / 1024);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
#ifndef Q_OS_WASM
    // Off the desktop's screen, unless asked; the browser has its page alone.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    // Every tick that brings a piece to rest logs the floor; the table is the only output here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QApplication app(argc, argv);

    MainWindow window;
    MainWindowTester tester(window);
    if (!showExposed(window))
        return 1;
    QMetaObject::invokeMethod(&window, "on_StartGame_clicked");
    const QList<QLabel *> boardLabels
            = window.findChild<QWidget *>("stage")->findChildren<QLabel *>();
    const auto nothing = [] {};
    struct Row
    {
        const char *name;
        double microseconds;
    };

    // A fresh square at the top of an empty board, painted, with the lying bar next.
    const auto freshPiece = [&] {
        tester.setBoard("~");
        tester.setPiece(5, 0, {3, 0}, 4, 1);
        tester.refreshBoard();
    };

    // An upright bar resting on the floor, completing the bottom row.
    const auto restingPiece = [&] {
        tester.setBoard("~|####.#####");
        tester.setPiece(4, 0, {3, 16}, 4, 1);
        tester.refreshBoard();
    };
    const auto tick = [&] { QMetaObject::invokeMethod(&window, "gameEvent"); };
    const auto startGame = [&] { QMetaObject::invokeMethod(&window, "on_StartGame_clicked"); };
    int keyPresses = 0;
    const auto keyPress
            = [&] { QTest::keyClick(&window, ++keyPresses % 2 ? Qt::Key_A : Qt::Key_D); };
    std::unique_ptr<MainWindow> other;
    const auto dropOther = [&] { other.reset(); };
    const auto showOther = [&] {
        other = std::make_unique<MainWindow>();
        other->show();
    };
    const auto restyleBoard = [&] {
        for (QLabel *label : boardLabels)
            label->setStyleSheet(label->styleSheet());
    };
    const auto repaint = [&] { window.update(); };

    freshPiece();
    const std::vector<Row> rows{
            {"key press (A, D alternately)", medianMicroseconds(nothing, keyPress)},
            {"gravity tick, piece moves down", medianMicroseconds(freshPiece, tick)},
            {"gravity tick, piece rests, row cleared", medianMicroseconds(restingPiece, tick)},
            {"start of a game", medianMicroseconds(freshPiece, startGame)},
            {"construct and show the window", medianMicroseconds(dropOther, showOther)},
            {"reference: all 200 board style sheets", medianMicroseconds(nothing, restyleBoard)},
            {"floor: bare repaint of the window", medianMicroseconds(nothing, repaint)},
    };
    const double reference = rows[5].microseconds;
    const double floor = rows[6].microseconds;

    std::printf("| %-40s | %12s | %12s | %8s |\n", "measured (median of 400)", "microseconds",
                "/ reference", "/ floor");
    std::printf("|%s|%s|%s|%s|\n", std::string(42, '-').c_str(), std::string(14, '-').c_str(),
                std::string(14, '-').c_str(), std::string(10, '-').c_str());
    for (const Row &row : rows) {
        std::printf("| %-40s | %12.1f | %12.3f | %8.2f |\n", row.name, row.microseconds,
                    row.microseconds / reference, row.microseconds / floor);
    }
    std::printf("\npeak resident memory: %ld KiB\n", peakResidentKibibytes());
#ifdef Q_OS_WASM
    // In the browser, main's return and exit() are lost once Qt has kept the runtime alive for
    // an event loop: only a forced exit tells the page that runs the benchmark its end.
    emscripten_force_exit(EXIT_SUCCESS);
#endif
    return 0;
}
