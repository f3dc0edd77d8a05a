#ifndef MAINWINDOWTESTER_H
#define MAINWINDOWTESTER_H

#include "mainwindow.h"

#include <QPoint>
#include <QStringList>
#include <QTimer>
#include <QVector>

// The window's one friend: it sets up boards and pieces and reads the model, so that a test can
// reach a game state in one step and then drive the window the way a player does.
class MainWindowTester
{
public:
    explicit MainWindowTester(MainWindow &window)
        : w(window)
    { }

    // The board as 20 rows of '#' (any non-zero value) and '.', top row first.
    QStringList board() const
    {
        QStringList rows;
        for (const auto &row : w.board) {
            QString text;
            for (int value : row)
                text += value ? '#' : '.';
            rows << text;
        }
        return rows;
    }

    int filledCells() const { return board().join(QString()).count('#'); }

    // Replaces the board by `rows`, whose last row becomes the bottom one; rows above are empty.
    void setBoard(const QStringList &rows)
    {
        const int top = kRows - int(rows.size());
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column)
                w.board[row][column] = row >= top && rows[row - top][column] == '#';
        }
    }

    int &cell(int row, int column) { return w.board[row][column]; }

    // Makes the given piece the falling one and writes its cells, as a spawn or a move would.
    void setPiece(int shape, int rotation, int x, int y, int nextShape = 0, int nextRotation = 0)
    {
        w.curShape = shape;
        w.curRotation = rotation;
        w.curX = x;
        w.curY = y;
        w.nextShape = nextShape;
        w.nextRotation = nextRotation;
        w.placePiece();
    }

    // The falling piece's box position and rotation, and its board cells (x column, y row).
    QVector<int> piece() const { return {w.curX, w.curY, w.curRotation}; }
    QVector<QPoint> pieceCells() const
    {
        QVector<QPoint> cells;
        for (int r = 0; r < kBoxSize; ++r) {
            for (int c = 0; c < kBoxSize; ++c) {
                if (w.shapes[w.curShape][w.curRotation][r][c])
                    cells << QPoint(w.curX + c, w.curY + r);
            }
        }
        return cells;
    }

    int score() const { return w.score; }
    bool isMoving() const { return w.moving; }
    QTimer *timer() const { return w.timer; }
    void tick() { w.gameEvent(); }
    void clearFullRows() { w.clearFullRows(); }
    void refreshBoard() { w.refreshBoard(); }

private:
    MainWindow &w;
};

#endif // MAINWINDOWTESTER_H
