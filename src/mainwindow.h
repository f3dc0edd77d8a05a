#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QMainWindow>

class QLabel;
class QTimer;
class MainWindowTester;

namespace Ui {
class MainWindow;
}

constexpr int kRows = 20;
constexpr int kColumns = 10;
constexpr int kShapeCount = 7;
constexpr int kRotationCount = 4;
constexpr int kBoxSize = 4;
// Every new piece enters with its box at this column of row 0.
constexpr int kSpawnColumn = 3;

// The seven pieces in their four rotations, flat in [shape][rotation][row][column] order;
// rotation r + 1 is rotation r turned a quarter anticlockwise inside the same box.
extern const int kShapeTable[kShapeCount * kRotationCount * kBoxSize * kBoxSize];

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
// Qt 6 dropped qsrand and qrand. On Linux, Qt 5's were a std::minstd_rand per thread, where
// seed 0 acts as 1; the Qt 6 build gets the same, so that one seed draws the same pieces in both.
void qsrand(uint seed);
int qrand();
#endif

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private slots:
    void gameEvent();
    void on_StartGame_clicked();

private:
    friend class MainWindowTester;

    using Grid = int[kRows][kColumns];

    // Board and pieces
    void writePiece(Grid &grid, int value) const;
    void erasePiece();
    void placePiece();
    void spawnPiece();
    bool canSpawn() const;
    void newNextPiece();

    // Collision test and moves
    bool collides(int x, int y, int dx, int dy, int shape, int rotation) const;
    bool canMoveDown() const;
    bool canMoveLeft() const;
    bool canMoveRight() const;
    bool canRotate() const;
    void moveDown();
    void moveLeft();
    void moveRight();
    void rotate();
    void relocatePiece(int x, int y, int rotation);
    bool isMoving() const;
    void beginMove();
    void endMove();

    // Rows and score
    void clearFullRows();
    void removeRow(int row);

    // Painting
    void refreshBoard();
    void refreshPreview();
    void fitTexts();

    Ui::MainWindow *ui;
    QTimer *timer = nullptr;
    QLabel *cells[kRows][kColumns];
    QLabel *nextCells[kBoxSize][kBoxSize];
    Grid board = {};
    int shapes[kShapeCount][kRotationCount][kBoxSize][kBoxSize];
    int curX = kSpawnColumn;
    int curY = 0;
    // The piece fields start at 0 so that nothing ever reads an unset value.
    int nextShape = 0;
    int curShape = 0;
    int nextRotation = 0;
    int curRotation = 0;
    bool moving = false;
    int score = 0;
};

#endif // MAINWINDOW_H
