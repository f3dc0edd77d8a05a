#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDateTime>
#include <QDebug>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <cstring>
#include <random>

// clang-format off
const int kShapeTable[kShapeCount * kRotationCount * kBoxSize * kBoxSize] = {
    // Z form
    1,1,0,0, 0,1,1,0, 0,0,0,0, 0,0,0,0,
    0,1,0,0, 1,1,0,0, 1,0,0,0, 0,0,0,0,
    1,1,0,0, 0,1,1,0, 0,0,0,0, 0,0,0,0,
    0,1,0,0, 1,1,0,0, 1,0,0,0, 0,0,0,0,
    // S form
    0,1,1,0, 1,1,0,0, 0,0,0,0, 0,0,0,0,
    1,0,0,0, 1,1,0,0, 0,1,0,0, 0,0,0,0,
    0,1,1,0, 1,1,0,0, 0,0,0,0, 0,0,0,0,
    1,0,0,0, 1,1,0,0, 0,1,0,0, 0,0,0,0,
    // L form
    1,1,0,0, 0,1,0,0, 0,1,0,0, 0,0,0,0,
    1,1,1,0, 1,0,0,0, 0,0,0,0, 0,0,0,0,
    1,0,0,0, 1,0,0,0, 1,1,0,0, 0,0,0,0,
    0,0,1,0, 1,1,1,0, 0,0,0,0, 0,0,0,0,
    // mirrored L form
    1,1,0,0, 1,0,0,0, 1,0,0,0, 0,0,0,0,
    1,0,0,0, 1,1,1,0, 0,0,0,0, 0,0,0,0,
    0,1,0,0, 0,1,0,0, 1,1,0,0, 0,0,0,0,
    1,1,1,0, 0,0,1,0, 0,0,0,0, 0,0,0,0,
    // straight bar
    0,1,0,0, 0,1,0,0, 0,1,0,0, 0,1,0,0,
    0,0,0,0, 1,1,1,1, 0,0,0,0, 0,0,0,0,
    0,1,0,0, 0,1,0,0, 0,1,0,0, 0,1,0,0,
    0,0,0,0, 1,1,1,1, 0,0,0,0, 0,0,0,0,
    // square
    1,1,0,0, 1,1,0,0, 0,0,0,0, 0,0,0,0,
    1,1,0,0, 1,1,0,0, 0,0,0,0, 0,0,0,0,
    1,1,0,0, 1,1,0,0, 0,0,0,0, 0,0,0,0,
    1,1,0,0, 1,1,0,0, 0,0,0,0, 0,0,0,0,
    // T form
    0,0,0,0, 1,1,1,0, 0,1,0,0, 0,0,0,0,
    1,0,0,0, 1,1,0,0, 1,0,0,0, 0,0,0,0,
    0,1,0,0, 1,1,1,0, 0,0,0,0, 0,0,0,0,
    0,1,0,0, 1,1,0,0, 0,1,0,0, 0,0,0,0,
};
// clang-format on

namespace {

constexpr int kTickMs = 700;
constexpr int kPointsPerRow = 10;
constexpr int kCellSize = 15;
constexpr int kCellPitch = 16;

const QString kNewCellStyle = QStringLiteral("border:0px;background-color:#FFF");
const QString kFilledBoardStyle = QStringLiteral("border:0px;background:#5709A8");
const QString kEmptyBoardStyle = QStringLiteral("border:0px;background:#FFF");
const QString kFilledPreviewStyle = QStringLiteral("border:0px;background-color:#5709A7");
const QString kEmptyPreviewStyle = kNewCellStyle;

const QString kScorePrefix = QStringLiteral("分数:");
const QString kPlayingText = QStringLiteral("正在游戏...");
const QString kRestartText = QStringLiteral("重新开始");
// Scores of this many digits still fit beside the board.
constexpr int kScoreDigits = 6;

template<int Rows, int Columns>
void createCellGrid(QWidget *area, QLabel *(&grid)[Rows][Columns])
{
    for (int row = 0; row < Rows; ++row) {
        for (int column = 0; column < Columns; ++column) {
            auto *cell = new QLabel(area);
            cell->setText(QString());
            cell->setFixedSize(kCellSize, kCellSize);
            cell->setGeometry(kCellPitch * column + 1, kCellPitch * row + 1, kCellSize, kCellSize);
            cell->setStyleSheet(kNewCellStyle);
            grid[row][column] = cell;
        }
    }
}

template<int Rows, int Columns>
void paintCellGrid(QLabel *const (&grid)[Rows][Columns], const int (&values)[Rows][Columns],
                   const QString &filledStyle, const QString &emptyStyle)
{
    for (int row = 0; row < Rows; ++row) {
        for (int column = 0; column < Columns; ++column) {
            QLabel *cell = grid[row][column];
            const QString &style = values[row][column] ? filledStyle : emptyStyle;
            // setStyleSheet re-polishes even for an identical text, at many times the cost of
            // repainting the cell, so a label is only restyled when its cell has changed.
            if (cell->styleSheet() != style)
                cell->setStyleSheet(style);
        }
    }
}

// Makes the widget's font smaller, where it must be, until each of the texts fits in the width.
template<class Widget>
void fitFont(Widget *widget, const QStringList &texts, int width)
{
    const QString shown = widget->text();
    // Back to the window's font, which may have changed since the last fit.
    widget->setFont(QFont());
    QFont font = widget->font();
    // In pixels from the font itself: where no font is installed, QFontInfo knows no size.
    int size = font.pixelSize() > 0 ? font.pixelSize()
                                    : qRound(font.pointSizeF() * widget->logicalDpiY() / 72);
    const auto widest = [&] {
        int widest = 0;
        for (const QString &text : texts) {
            widget->setText(text);
            widest = qMax(widest, widget->sizeHint().width());
        }
        return widest;
    };
    while (size > 1 && widest() > width) {
        font.setPixelSize(--size);
        widget->setFont(font);
    }
    widget->setText(shown);
}

} // namespace

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
static thread_local std::minstd_rand pieceGenerator;

void qsrand(uint seed)
{
    pieceGenerator.seed(seed);
}

int qrand()
{
    return int(pieceGenerator());
}
#endif

// Construction wires the form, the two cell grids, the seed and the idle gravity timer.

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    static_assert(sizeof shapes == sizeof kShapeTable, "the shape table fills every pattern");
    std::memcpy(shapes, kShapeTable, sizeof shapes);
    ui->setupUi(this);
    createCellGrid(ui->stage, cells);
    createCellGrid(ui->Tip, nextCells);
    fitTexts();
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    qsrand(uint(QDateTime::currentDateTime().toSecsSinceEpoch()));
#else
    qsrand(QDateTime::currentDateTime().toTime_t());
#endif
    QT_WARNING_POP
    timer = new QTimer(this);
    connect(timer, SIGNAL(timeout()), this, SLOT(gameEvent()));
}

MainWindow::~MainWindow()
{
    delete ui;
}

// Input and game flow: the button starts a game, the timer pulls the piece down, keys steer it.

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    // Keys steer only while a game runs: before the first start there is no piece, and after
    // the end the recorded piece no longer matches its cells once the final tick cleared rows.
    if (timer->isActive()) {
        switch (event->key()) {
        case Qt::Key_A:
            if (canMoveLeft())
                moveLeft();
            break;
        case Qt::Key_D:
            if (canMoveRight())
                moveRight();
            break;
        case Qt::Key_W:
            if (canRotate())
                rotate();
            break;
        case Qt::Key_S:
            // The drop leaves the piece free; it comes to rest only at the next tick.
            while (canMoveDown())
                moveDown();
            break;
        default:
            break;
        }
    }
    refreshBoard();
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // The desktop's font may change while the game runs; the texts are fitted to the new one.
    if (event->type() == QEvent::FontChange)
        fitTexts();
}

void MainWindow::gameEvent()
{
    if (canMoveDown()) {
        moveDown();
        refreshBoard();
        return;
    }

    // The piece rests where it stands; its cells are already settled cells of the board.
    clearFullRows();
    if (canSpawn()) {
        spawnPiece();
        newNextPiece();
    } else {
        // Stop first: no tick may arrive while the box runs its own event loop.
        timer->stop();
        QMessageBox::information(this, QStringLiteral("Game Over"),
                                 QStringLiteral("房顶都被你丫的顶破了~~"), QMessageBox::Ok,
                                 QMessageBox::NoButton);
        ui->StartGame->setEnabled(true);
        ui->StartGame->setText(kRestartText);
    }
    refreshBoard();
}

void MainWindow::on_StartGame_clicked()
{
    ui->StartGame->setEnabled(false);
    ui->StartGame->setText(kPlayingText);
    std::memset(board, 0, sizeof board);
    score = 0;
    clearFullRows();
    // The first draw falls at once, the second waits in the preview.
    newNextPiece();
    spawnPiece();
    newNextPiece();
    refreshBoard();
    timer->start(kTickMs);
}

// The board holds the falling piece's cells like settled ones; only the piece fields tell them
// apart. A new piece enters only onto empty cells, so every cell stays 0 or 1.

void MainWindow::writePiece(Grid &grid, int value) const
{
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c) {
            if (shapes[curShape][curRotation][r][c])
                grid[curY + r][curX + c] = value;
        }
    }
}

void MainWindow::erasePiece()
{
    writePiece(board, 0);
}

void MainWindow::placePiece()
{
    writePiece(board, 1);
}

void MainWindow::spawnPiece()
{
    curShape = nextShape;
    curRotation = nextRotation;
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c)
            board[r][kSpawnColumn + c] += shapes[curShape][curRotation][r][c];
    }
    curX = kSpawnColumn;
    curY = 0;
}

bool MainWindow::canSpawn() const
{
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c) {
            if (board[r][kSpawnColumn + c] && shapes[nextShape][nextRotation][r][c])
                return false;
        }
    }
    return true;
}

void MainWindow::newNextPiece()
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    nextShape = qrand() % kShapeCount;
    nextRotation = qrand() % kRotationCount;
    QT_WARNING_POP
    refreshPreview();
}

// One collision test serves every move; the moves themselves trust the test made just before.

bool MainWindow::collides(int x, int y, int dx, int dy, int shape, int rotation) const
{
    Grid settled;
    std::memcpy(settled, board, sizeof settled);
    // Without its own cells the piece never blocks itself, even where two rotations overlap.
    writePiece(settled, 0);

    // Reading order decides the log: a settled cell met first ends the test silently.
    for (int r = 0; r < kBoxSize; ++r) {
        for (int c = 0; c < kBoxSize; ++c) {
            if (!shapes[shape][rotation][r][c])
                continue;
            const int column = x + dx + c;
            const int row = y + dy + r;
            if (column < 0 || column >= kColumns || row < 0 || row >= kRows) {
                qDebug() << "(" << x + c << "," << y + r << ")";
                return true;
            }
            if (settled[row][column] >= 1)
                return true;
        }
    }
    return false;
}

bool MainWindow::canMoveDown() const
{
    return !collides(curX, curY, 0, 1, curShape, curRotation);
}

bool MainWindow::canMoveLeft() const
{
    return !collides(curX, curY, -1, 0, curShape, curRotation);
}

bool MainWindow::canMoveRight() const
{
    return !collides(curX, curY, 1, 0, curShape, curRotation);
}

bool MainWindow::canRotate() const
{
    return !collides(curX, curY, 0, 0, curShape, (curRotation + 1) % kRotationCount);
}

void MainWindow::moveDown()
{
    relocatePiece(curX, curY + 1, curRotation);
}

void MainWindow::moveLeft()
{
    relocatePiece(curX - 1, curY, curRotation);
}

void MainWindow::moveRight()
{
    relocatePiece(curX + 1, curY, curRotation);
}

void MainWindow::rotate()
{
    relocatePiece(curX, curY, (curRotation + 1) % kRotationCount);
}

void MainWindow::relocatePiece(int x, int y, int rotation)
{
    // Ticks and keys arrive one at a time on the GUI thread and no move re-enters the event
    // loop, so a move never finds another one under way.
    Q_ASSERT(!isMoving());
    beginMove();
    erasePiece();
    curX = x;
    curY = y;
    curRotation = rotation;
    placePiece();
    endMove();
}

bool MainWindow::isMoving() const
{
    return moving;
}

void MainWindow::beginMove()
{
    moving = true;
}

void MainWindow::endMove()
{
    moving = false;
}

// Rows and score: the fullness test is a sum, which is sound because cells hold only 0 or 1.

void MainWindow::clearFullRows()
{
    for (int row = kRows - 1; row >= 0;) {
        int filled = 0;
        for (int column = 0; column < kColumns; ++column)
            filled += board[row][column];
        if (filled == kColumns) {
            // The row that drops into this one is examined next.
            removeRow(row);
            score += kPointsPerRow;
        } else {
            --row;
        }
    }
    ui->Score->setText(kScorePrefix + QString::number(score, 10));
    refreshBoard();
}

void MainWindow::removeRow(int row)
{
    // Copy from the removed row upwards so that each row is read before it is overwritten.
    for (int k = row - 1; k >= 0; --k)
        std::memcpy(board[k + 1], board[k], sizeof board[k]);
    std::memset(board[0], 0, sizeof board[0]);
}

// Painting: the labels mirror the board and the next piece; the model never touches a label. The
// score and the button keep to the room right of the board whatever the font and its DPI, since
// the window keeps its size.

void MainWindow::refreshBoard()
{
    paintCellGrid(cells, board, kFilledBoardStyle, kEmptyBoardStyle);
}

void MainWindow::refreshPreview()
{
    paintCellGrid(nextCells, shapes[nextShape][nextRotation], kFilledPreviewStyle,
                  kEmptyPreviewStyle);
}

void MainWindow::fitTexts()
{
    const QMargins margins = ui->horizontalLayout_2->contentsMargins();
    const int room = maximumWidth() - margins.left() - margins.right() - ui->stage->maximumWidth()
            - ui->horizontalLayout_2->spacing();
    QStringList scores{ui->Score->text()};
    for (char digit = '0'; digit <= '9'; ++digit)
        scores << kScorePrefix + QString(kScoreDigits, QLatin1Char(digit));
    fitFont(ui->Score, scores, room);
    fitFont(ui->StartGame, {ui->StartGame->text(), kPlayingText, kRestartText}, room);
}
