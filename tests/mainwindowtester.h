#ifndef MAINWINDOWTESTER_H
#define MAINWINDOWTESTER_H

#include "mainwindow.h"

#include <QEventLoop>
#include <QRect>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QVector>
#include <QWindow>

#include <tuple>

// The window's one friend: it sets up a game state in one step and reads the model back.
class MainWindowTester
{
public:
    explicit MainWindowTester(MainWindow &window)
        : w(window)
    { }

    // A board drawn from the top, rows split by '|', where the row '~' stands for as many empty
    // rows as make 20: '#' is a filled cell, '.' an empty one and '@' one of the falling piece.
    static QStringList rows(const QString &drawing)
    {
        QStringList rows = drawing.split('|');
        const int gap = rows.indexOf("~");
        rows.removeAt(gap);
        while (rows.size() < kRows)
            rows.insert(gap, QString(kColumns, '.'));
        return rows;
    }

    // The board drawn so, the falling piece only while a game runs. A cell that holds neither 0
    // nor 1, or a piece that is not made of filled cells of the board, spoils the drawing.
    QStringList board() const
    {
        QStringList rows;
        for (const auto &row : w.board) {
            rows << QString();
            for (int value : row)
                rows.last() += value == 1 ? '#' : value == 0 ? '.' : '?';
        }
        for (QPoint cell : w.timer->isActive() ? pieceCells() : QVector<QPoint>()) {
            if (!QRect(0, 0, kColumns, kRows).contains(cell) || rows[cell.y()][cell.x()] != '#')
                return {"the falling piece is not on the board"};
            rows[cell.y()][cell.x()] = '@';
        }
        return rows;
    }

    void setBoard(const QString &drawing)
    {
        const QString cells = rows(drawing).join(QString());
        for (int i = 0; i < kRows * kColumns; ++i)
            w.board[i / kColumns][i % kColumns] = cells[i] != '.';
    }

    // Makes a piece the falling one, with its cells written and the next piece shown, as a spawn.
    void setPiece(int shape, int rotation, QPoint box, int nextShape, int nextRotation)
    {
        std::tie(w.curShape, w.curRotation, w.curX, w.curY, w.nextShape, w.nextRotation)
                = std::make_tuple(shape, rotation, box.x(), box.y(), nextShape, nextRotation);
        w.placePiece();
        w.refreshPreview();
    }

    // The falling piece's shape and rotation, then the next piece's.
    QVector<int> pieces() const { return {w.curShape, w.curRotation, w.nextShape, w.nextRotation}; }

    // A pattern's cells (x column, y row) in its box, in reading order.
    static QVector<QPoint> pattern(int shape, int rotation)
    {
        QVector<QPoint> cells;
        for (int i = 0; i < kBoxSize * kBoxSize; ++i) {
            if (kShapeTable[(shape * kRotationCount + rotation) * kBoxSize * kBoxSize + i])
                cells << QPoint(i % kBoxSize, i / kBoxSize);
        }
        return cells;
    }

    // The board cells that the piece fields describe.
    QVector<QPoint> pieceCells() const
    {
        QVector<QPoint> cells = pattern(w.curShape, w.curRotation);
        for (QPoint &cell : cells)
            cell += box();
        return cells;
    }

    QPoint box() const { return {w.curX, w.curY}; }
    int score() const { return w.score; }
    bool isMoving() const { return w.moving; }
    QTimer *timer() const { return w.timer; }
    void tick() { w.gameEvent(); }
    void refreshBoard() { w.refreshBoard(); }

    // The game draws its pieces from Qt's generator; a test seeds it and draws alongside.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    static void seed(uint value) { qsrand(value); }
    static int draw() { return qrand(); }
    QT_WARNING_POP

private:
    MainWindow &w;
};

// Shows a window and waits until it is exposed. In the browser only a program that waits in
// an event loop lets the page expose it, which QTest's waits never do.
inline bool showExposed(QWidget &window)
{
    window.show();
#ifdef Q_OS_WASM
    QEventLoop loop;
    QTimer poll;
    poll.callOnTimeout([&] {
        if (window.windowHandle()->isExposed())
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
#endif
    return QTest::qWaitForWindowExposed(&window);
}

#endif // MAINWINDOWTESTER_H
