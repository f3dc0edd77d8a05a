#ifndef MAINWINDOWTESTER_H
#define MAINWINDOWTESTER_H

#include "mainwindow.h"

#include <QPoint>
#include <QStringList>
#include <QTimer>
#include <QVector>

// The window's one friend: it sets up boards and pieces and reads the model, so that tests can
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
                text += value ? QLatin1Char('#') : QLatin1Char('.');
            rows << text;
        }
        return rows;
    }

    // Replaces the board by `rows`, whose last row becomes the bottom one; rows above are empty.
    void setBoard(const QStringList &rows)
    {
        const int top = kRows - int(rows.size());
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column)
                w.board[row][column] = row >= top && rows[row - top][column] == QLatin1Char('#');
        }
    }

    int &cell(int row, int column) { return w.board[row][column]; }

    // Makes the given piece the falling one and writes its cells, as a spawn or a move would.
    void setPiece(int shape, int rotation, int x, int y)
    {
        w.curShape = shape;
        w.curRotation = rotation;
        w.curX = x;
        w.curY = y;
        w.placePiece();
    }

    void setNext(int shape, int rotation)
    {
        w.nextShape = shape;
        w.nextRotation = rotation;
    }

    // Board cells (x = column, y = row) of the falling piece as its fields describe it.
    QVector<QPoint> pieceCells() const
    {
        QVector<QPoint> result;
        for (int r = 0; r < kBoxSize; ++r) {
            for (int c = 0; c < kBoxSize; ++c) {
                if (w.shapes[w.curShape][w.curRotation][r][c])
                    result << QPoint(w.curX + c, w.curY + r);
            }
        }
        return result;
    }

    QPoint piecePosition() const { return {w.curX, w.curY}; }
    int pieceRotation() const { return w.curRotation; }
    int nextShape() const { return w.nextShape; }
    int nextRotation() const { return w.nextRotation; }
    int score() const { return w.score; }
    bool isMoving() const { return w.moving; }
    QTimer *timer() const { return w.timer; }

    void tick() { w.gameEvent(); }
    void clearFullRows() { w.clearFullRows(); }
    void spawnPiece() { w.spawnPiece(); }
    bool canSpawn() const { return w.canSpawn(); }
    void newNextPiece() { w.newNextPiece(); }
    void refreshBoard() { w.refreshBoard(); }

private:
    MainWindow &w;
};

#endif // MAINWINDOWTESTER_H
