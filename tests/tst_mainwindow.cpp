#include "mainwindow.h"
#include "mainwindowtester.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

namespace {

const QString kPurple = QStringLiteral("border:0px;background:#5709A8");
const QString kWhite = QStringLiteral("border:0px;background:#FFF");
const QString kNewCell = QStringLiteral("border:0px;background-color:#FFF");
const QString kPreviewPurple = QStringLiteral("border:0px;background-color:#5709A7");

QStringList emptyRows(int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows << QString(kColumns, '.');
    return rows;
}

bool filled(int shape, int rotation, int row, int column)
{
    return kShapeTable[((shape * kRotationCount + rotation) * kBoxSize + row) * kBoxSize + column];
}

// A pattern's cells (x = column, y = row), moved to touch row 0 and column 0, in reading order.
QVector<QPoint> normalized(QVector<QPoint> cells)
{
    const int left = std::min_element(cells.begin(), cells.end(), [](QPoint a, QPoint b) {
                         return a.x() < b.x();
                     })->x();
    const int top = std::min_element(cells.begin(), cells.end(), [](QPoint a, QPoint b) {
                        return a.y() < b.y();
                    })->y();
    for (QPoint &cell : cells)
        cell -= QPoint(left, top);
    std::sort(cells.begin(), cells.end(), [](QPoint a, QPoint b) {
        return std::make_pair(a.y(), a.x()) < std::make_pair(b.y(), b.x());
    });
    return cells;
}

QVector<QPoint> pattern(int shape, int rotation)
{
    QVector<QPoint> cells;
    for (int row = 0; row < kBoxSize; ++row) {
        for (int column = 0; column < kBoxSize; ++column) {
            if (filled(shape, rotation, row, column))
                cells << QPoint(column, row);
        }
    }
    return cells;
}

QStringList debugLines;

void recordDebugLine(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        debugLines << message;
}

// Answers the next modal message box as soon as it opens and remembers what it showed.
class BoxCloser : public QObject
{
public:
    explicit BoxCloser(QPushButton *startButton, QTimer *gravity)
    {
        poll.callOnTimeout([=] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = QStringList{box->windowTitle(), box->text()};
            buttons = box->buttons().size();
            buttonEnabledWhileOpen = startButton->isEnabled();
            gravityWhileOpen = gravity->isActive();
            box->done(QMessageBox::Ok);
        });
        poll.start(10);
    }

    QStringList seen;
    int buttons = 0;
    bool buttonEnabledWhileOpen = true;
    bool gravityWhileOpen = true;

private:
    QTimer poll;
};

// The board as its labels show it: '#' purple, '.' white, '?' anything else.
QStringList picture(const MainWindow &window)
{
    const QList<QLabel *> labels = window.findChild<QWidget *>("stage")->findChildren<QLabel *>();
    QStringList rows;
    for (int i = 0; i < labels.size(); i += kColumns) {
        QString row;
        for (int column = 0; column < kColumns; ++column) {
            const QString style = labels[i + column]->styleSheet();
            row += style == kPurple ? '#' : style == kWhite ? '.' : '?';
        }
        rows << row;
    }
    return rows;
}

// Records which of the given labels receive a style change.
class StyleChanges : public QObject
{
public:
    explicit StyleChanges(const QList<QLabel *> &labels)
        : labels(labels)
    {
        for (QLabel *label : labels)
            label->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::StyleChange)
            indices << labels.indexOf(static_cast<QLabel *>(watched));
        return false;
    }

    QSet<int> indices;

private:
    const QList<QLabel *> labels;
};

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void shapeTable_data();
    void shapeTable();
    void construction();
    void spawn_data();
    void spawn();
    void nextPieceDraw();
    void grab();
    void moves_data();
    void moves();
    void clearRows_data();
    void clearRows();
    void startAndFall();
    void dropLeavesPieceFree();
    void restingPiece_data();
    void restingPiece();
    void keysBeforeFirstStart();

private:
    void start(MainWindow &window);
};

void tst_MainWindow::init()
{
    debugLines.clear();
}

void tst_MainWindow::start(MainWindow &window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.findChild<QPushButton *>("StartGame"), Qt::LeftButton);
}

void tst_MainWindow::shapeTable_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("distinctRotations");
    QTest::addColumn<QVector<int>>("offCorner"); // rotations leaving box row 0 or column 0 empty

    QTest::newRow("Z form") << 0 << 2 << QVector<int>{};
    QTest::newRow("S form") << 1 << 2 << QVector<int>{};
    QTest::newRow("L form") << 2 << 4 << QVector<int>{};
    QTest::newRow("mirrored L form") << 3 << 4 << QVector<int>{};
    QTest::newRow("straight bar") << 4 << 2 << QVector<int>{0, 1, 2, 3};
    QTest::newRow("square") << 5 << 1 << QVector<int>{};
    QTest::newRow("T form") << 6 << 4 << QVector<int>{0};
}

void tst_MainWindow::shapeTable()
{
    QFETCH(int, shape);
    QFETCH(int, distinctRotations);
    QFETCH(QVector<int>, offCorner);

    QSet<QString> rotations;
    for (int rotation = 0; rotation < kRotationCount; ++rotation) {
        const QVector<QPoint> cells = pattern(shape, rotation);
        QCOMPARE(cells.size(), 4);
        QString text;
        for (int i = 0; i < kBoxSize * kBoxSize; ++i)
            text += filled(shape, rotation, i / kBoxSize, i % kBoxSize) ? '#' : '.';
        rotations << text;

        // A quarter turn anticlockwise on screen maps (column, row) to (row, -column).
        QVector<QPoint> turned;
        for (QPoint cell : cells)
            turned << QPoint(cell.y(), -cell.x());
        QCOMPARE(normalized(turned), normalized(pattern(shape, (rotation + 1) % kRotationCount)));

        const bool touchesCorner
                = std::any_of(cells.begin(), cells.end(), [](QPoint cell) { return cell.y() == 0; })
                && std::any_of(cells.begin(), cells.end(),
                               [](QPoint cell) { return cell.x() == 0; });
        QCOMPARE(touchesCorner, !offCorner.contains(rotation));

        for (int other = 0; other < kShapeCount * kRotationCount; ++other) {
            if (other / kRotationCount != shape)
                QVERIFY(normalized(cells)
                        != normalized(pattern(other / kRotationCount, other % kRotationCount)));
        }
    }
    QCOMPARE(rotations.size(), distinctRotations);
}

void tst_MainWindow::construction()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), "Kubrisk");
    QCOMPARE(window.minimumSize(), QSize(275, 350));
    QCOMPARE(window.maximumSize(), QSize(275, 350));
    QCOMPARE(window.findChild<QLabel *>("Score")->text(), "点击开始游戏");
    QCOMPARE(window.findChild<QPushButton *>("StartGame")->text(), "开始游戏");
    QVERIFY(!MainWindowTester(window).timer()->isActive());

    const QVector<std::pair<const char *, QSize>> areas{{"stage", {10, 20}}, {"Tip", {4, 4}}};
    for (const auto &[name, grid] : areas) {
        auto *area = window.findChild<QWidget *>(name);
        QCOMPARE(area->size(), QSize(16 * grid.width() + 1, 16 * grid.height() + 1));
        const QList<QLabel *> labels = area->findChildren<QLabel *>();
        QCOMPARE(labels.size(), grid.width() * grid.height());
        for (int i = 0; i < labels.size(); ++i) {
            const QPoint cell(i % grid.width(), i / grid.width());
            QCOMPARE(labels[i]->geometry(), QRect(cell * 16 + QPoint(1, 1), QSize(15, 15)));
            QCOMPARE(labels[i]->maximumSize(), labels[i]->minimumSize());
            QCOMPARE(labels[i]->styleSheet(), kNewCell);
            QVERIFY(labels[i]->text().isEmpty());
        }
    }

    const QMetaObject &meta = MainWindow::staticMetaObject;
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 2);
    for (int i = 0; i < 2; ++i) {
        const QMetaMethod slot = meta.method(meta.methodOffset() + i);
        QCOMPARE(slot.methodSignature(), i ? "on_StartGame_clicked()" : "gameEvent()");
        QCOMPARE(slot.methodType(), QMetaMethod::Slot);
        QCOMPARE(slot.access(), QMetaMethod::Private);
    }
}

void tst_MainWindow::spawn_data()
{
    QTest::addColumn<QStringList>("before"); // board rows 0 to 4
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("rotation");
    QTest::addColumn<QStringList>("after"); // empty when the piece does not fit

    const QString empty(10, '.');
    QTest::newRow("lying bar on an empty board")
            << QStringList{empty, empty, empty, empty, empty} << 4 << 1
            << QStringList{empty, "...####...", empty, empty, empty};
    QTest::newRow("upright bar on an empty board")
            << QStringList{empty, empty, empty, empty, empty} << 4 << 0
            << QStringList{"....#.....", "....#.....", "....#.....", "....#.....", empty};
    QTest::newRow("full row under the lying bar's empty row")
            << QStringList{"##########", empty, empty, empty, empty} << 4 << 1
            << QStringList{"##########", "...####...", empty, empty, empty};
    QTest::newRow("cells beside and below the spawn box")
            << QStringList{"###....###", "###....###", "###....###", "###....###", "##########"}
            << 4 << 0
            << QStringList{"###.#..###", "###.#..###", "###.#..###", "###.#..###", "##########"};
    QTest::newRow("one settled cell under the piece")
            << QStringList{empty, "......#...", empty, empty, empty} << 4 << 1 << QStringList{};
    QTest::newRow("T pointing down meets row 2")
            << QStringList{empty, empty, "....#.....", empty, empty} << 6 << 0 << QStringList{};
}

void tst_MainWindow::spawn()
{
    QFETCH(QStringList, before);
    QFETCH(int, shape);
    QFETCH(int, rotation);
    QFETCH(QStringList, after);

    MainWindow window;
    MainWindowTester tester(window);
    // The falling piece would clash everywhere; only the next piece may count.
    tester.setPiece(5, 0, 3, 0);
    tester.setBoard(before + emptyRows(kRows - before.size()));
    tester.setNext(shape, rotation);
    QCOMPARE(tester.canSpawn(), !after.isEmpty());
    if (after.isEmpty())
        return;
    tester.spawnPiece();
    QCOMPARE(tester.board().mid(0, after.size()), after);
    QCOMPARE(tester.piecePosition(), QPoint(3, 0));
    QCOMPARE(tester.pieceRotation(), rotation);
}

void tst_MainWindow::nextPieceDraw()
{
    MainWindow window;
    MainWindowTester tester(window);
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(2024);
    const int shape = qrand() % kShapeCount;
    const int rotation = qrand() % kRotationCount;
    const int following = qrand();
    qsrand(2024);
    tester.newNextPiece();
    QCOMPARE(qrand(), following);
    QT_WARNING_POP

    QCOMPARE(tester.nextShape(), shape);
    QCOMPARE(tester.nextRotation(), rotation);
    const QList<QLabel *> preview = window.findChild<QWidget *>("Tip")->findChildren<QLabel *>();
    for (int i = 0; i < preview.size(); ++i) {
        const bool cell = filled(shape, rotation, i / kBoxSize, i % kBoxSize);
        QCOMPARE(preview[i]->styleSheet(), cell ? kPreviewPurple : kNewCell);
    }
}

void tst_MainWindow::grab()
{
    MainWindow window;
    MainWindowTester tester(window);
    tester.cell(0, 0) = 1;
    tester.cell(19, 9) = 2;
    tester.refreshBoard();
    const QImage image = window.findChild<QWidget *>("stage")->grab().toImage();

    for (int line : {0, 16, 160}) {
        QCOMPARE(image.pixelColor(line, 8), QColor(Qt::black));
        QCOMPARE(image.pixelColor(8, line * 2), QColor(Qt::black));
    }
    QCOMPARE(image.pixelColor(1, 1), QColor("#5709A8"));
    QCOMPARE(image.pixelColor(15, 15), QColor("#5709A8"));
    QCOMPARE(image.pixelColor(17, 1), QColor(Qt::white));
    QCOMPARE(image.pixelColor(145, 305), QColor("#5709A8"));
    QCOMPARE(image.pixelColor(159, 319), QColor("#5709A8"));
}

void tst_MainWindow::moves_data()
{
    QTest::addColumn<QStringList>("settled"); // the bottom rows of the board
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("rotation");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("turnedTo");
    QTest::addColumn<QStringList>("log");

    const QStringList none;
    QTest::newRow("free move right")
            << none << 2 << 0 << QPoint(3, 0) << int(Qt::Key_D) << QPoint(4, 0) << 0 << none;
    QTest::newRow("square at the left wall") << none << 5 << 0 << QPoint(0, 10) << int(Qt::Key_A)
                                             << QPoint(0, 10) << 0 << QStringList{"( 0 , 10 )"};
    QTest::newRow("square at the right wall") << none << 5 << 0 << QPoint(8, 10) << int(Qt::Key_D)
                                              << QPoint(8, 10) << 0 << QStringList{"( 9 , 10 )"};
    QTest::newRow("square on the floor") << none << 5 << 0 << QPoint(4, 18) << int(Qt::Key_S)
                                         << QPoint(4, 18) << 0 << QStringList{"( 4 , 19 )"};
    QTest::newRow("drop onto settled cells") << QStringList{"#########."} << 5 << 0 << QPoint(4, 0)
                                             << int(Qt::Key_S) << QPoint(4, 17) << 0 << none;
    QTest::newRow("drop to the floor") << none << 4 << 1 << QPoint(3, 0) << int(Qt::Key_S)
                                       << QPoint(3, 18) << 1 << QStringList{"( 3 , 19 )"};
    QTest::newRow("S form at the left wall") << none << 1 << 0 << QPoint(0, 10) << int(Qt::Key_A)
                                             << QPoint(0, 10) << 0 << QStringList{"( 0 , 11 )"};
    QTest::newRow("settled cell met before the wall")
            << QStringList{"#........."} + emptyRows(9) << 1 << 0 << QPoint(0, 10) << int(Qt::Key_A)
            << QPoint(0, 10) << 0 << none;
    QTest::newRow("settled cell met before the floor")
            << QStringList{"#.........", ".........."} << 2 << 0 << QPoint(0, 17) << int(Qt::Key_S)
            << QPoint(0, 17) << 0 << none;
    QTest::newRow("upright bar into box column -1")
            << none << 4 << 0 << QPoint(0, 5) << int(Qt::Key_A) << QPoint(-1, 5) << 0 << none;
    QTest::newRow("upright bar at box column -1 turns")
            << none << 4 << 0 << QPoint(-1, 5) << int(Qt::Key_W) << QPoint(-1, 5) << 0
            << QStringList{"( -1 , 6 )"};
    QTest::newRow("lying bar on the floor turns")
            << none << 4 << 1 << QPoint(3, 18) << int(Qt::Key_W) << QPoint(3, 18) << 1
            << QStringList{"( 4 , 20 )"};
    QTest::newRow("turn onto a settled cell")
            << QStringList{"...#......", "..........", "..........", ".........."} << 6 << 0
            << QPoint(3, 16) << int(Qt::Key_W) << QPoint(3, 16) << 0 << none;
    QTest::newRow("square turns in place")
            << none << 5 << 0 << QPoint(0, 18) << int(Qt::Key_W) << QPoint(0, 18) << 1 << none;
    QTest::newRow("rotation 3 turns to 0")
            << none << 6 << 3 << QPoint(4, 10) << int(Qt::Key_W) << QPoint(4, 10) << 0 << none;
    QTest::newRow("other keys only repaint")
            << none << 0 << 0 << QPoint(4, 10) << int(Qt::Key_Left) << QPoint(4, 10) << 0 << none;
}

void tst_MainWindow::moves()
{
    QFETCH(QStringList, settled);
    QFETCH(int, shape);
    QFETCH(int, rotation);
    QFETCH(QPoint, from);
    QFETCH(int, key);
    QFETCH(QPoint, to);
    QFETCH(int, turnedTo);
    QFETCH(QStringList, log);

    MainWindow window;
    MainWindowTester tester(window);
    start(window);
    tester.setBoard(settled);
    const QStringList before = tester.board();
    tester.setPiece(shape, rotation, from.x(), from.y());
    tester.refreshBoard();
    const QStringList shown = tester.board();
    StyleChanges restyled(window.findChild<QWidget *>("stage")->findChildren<QLabel *>());

    qInstallMessageHandler(recordDebugLine);
    QTest::keyClick(&window, Qt::Key(key));
    qInstallMessageHandler(nullptr);

    QCOMPARE(debugLines, log);
    QCOMPARE(tester.piecePosition(), to);
    QCOMPARE(tester.pieceRotation(), turnedTo);
    QVERIFY(!tester.isMoving());
    // The piece's four cells hold 1, and taking them out gives back the settled cells.
    QStringList board = tester.board();
    for (QPoint cell : tester.pieceCells()) {
        QCOMPARE(board[cell.y()][cell.x()], '#');
        board[cell.y()][cell.x()] = '.';
    }
    QCOMPARE(board, before);
    QCOMPARE(picture(window), tester.board());
    // A repaint restyles only the labels whose cells changed.
    QSet<int> changed;
    for (int i = 0; i < kRows * kColumns; ++i) {
        if (shown[i / kColumns][i % kColumns] != tester.board()[i / kColumns][i % kColumns])
            changed << i;
    }
    QCOMPARE(restyled.indices, changed);
}

void tst_MainWindow::clearRows_data()
{
    QTest::addColumn<QStringList>("before"); // the bottom rows of the board
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("points");

    const QString full(10, '#');
    const QString empty(10, '.');
    QTest::newRow("no full row") << QStringList{".#........", "#########."}
                                 << QStringList{".#........", "#########."} << 0;
    QTest::newRow("rows 18 and 19") << QStringList{"#.........", full, full}
                                    << QStringList{empty, empty, "#........."} << 20;
    QTest::newRow("rows 17 and 19 around a partial row")
            << QStringList{"..#.......", full, ".#.#......", full}
            << QStringList{empty, empty, "..#.......", ".#.#......"} << 20;
    QTest::newRow("four rows") << QStringList{"#.........", full, full, full, full}
                               << QStringList{empty, empty, empty, empty, "#........."} << 40;
    QTest::newRow("row 0") << QStringList{full, "..#......."} + emptyRows(18)
                           << QStringList{empty, "..#......."} + emptyRows(18) << 10;
}

void tst_MainWindow::clearRows()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(int, points);

    MainWindow window;
    MainWindowTester tester(window);
    tester.setBoard(before);
    tester.clearFullRows();
    tester.clearFullRows();
    QCOMPARE(tester.board(), emptyRows(kRows - after.size()) + after);
    QCOMPARE(tester.score(), points);
    QCOMPARE(window.findChild<QLabel *>("Score")->text(), "分数:" + QString::number(points));
    QCOMPARE(picture(window), tester.board());
}

void tst_MainWindow::startAndFall()
{
    MainWindow window;
    MainWindowTester tester(window);
    start(window);
    auto *button = window.findChild<QPushButton *>("StartGame");
    QVERIFY(!button->isEnabled());
    QCOMPARE(button->text(), "正在游戏...");
    QCOMPARE(window.findChild<QLabel *>("Score")->text(), "分数:0");
    QCOMPARE(tester.timer()->interval(), 700);
    QVERIFY(tester.timer()->isActive());
    QCOMPARE(tester.piecePosition(), QPoint(3, 0));
    QCOMPARE(tester.board().join("").count('#'), 4);
    QCOMPARE(picture(window), tester.board());
    const QList<QLabel *> preview = window.findChild<QWidget *>("Tip")->findChildren<QLabel *>();
    QCOMPARE(std::count_if(preview.begin(), preview.end(),
                           [](QLabel *cell) { return cell->styleSheet() == kPreviewPurple; }),
             4);

    // One timeout, one tick: the timer is connected exactly once.
    tester.setPiece(5, 0, 3, 0);
    tester.setBoard({});
    tester.setPiece(5, 0, 3, 0);
    QMetaObject::invokeMethod(tester.timer(), "timeout");
    QCOMPARE(tester.piecePosition(), QPoint(3, 1));
    QCOMPARE(picture(window), tester.board());
}

void tst_MainWindow::dropLeavesPieceFree()
{
    MainWindow window;
    MainWindowTester tester(window);
    start(window);
    tester.setBoard({"###......."});
    tester.setPiece(5, 0, 1, 0);
    QTest::keyClick(&window, Qt::Key_S);
    QCOMPARE(tester.piecePosition(), QPoint(1, 17));
    QTest::keyClick(&window, Qt::Key_D);
    QTest::keyClick(&window, Qt::Key_D);
    tester.tick();
    QCOMPARE(tester.piecePosition(), QPoint(3, 18));
    QCOMPARE(tester.score(), 0);
}

void tst_MainWindow::restingPiece_data()
{
    QTest::addColumn<QStringList>("top"); // rows 0 to 4 around the piece resting in column 9
    QTest::addColumn<QStringList>("after"); // rows 0 to 4 after the tick
    QTest::addColumn<bool>("ends");

    const QString bar(".........#");
    QTest::newRow("next piece meets a settled cell")
            << QStringList{bar, "......#..#", bar, bar, bar}
            << QStringList{bar, "......#..#", bar, bar, bar} << true;
    QTest::newRow("settled cells under the next piece's empty cells")
            << QStringList{"...####..#", bar, bar, bar, bar}
            << QStringList{"...####..#", "...####..#", bar, bar, bar} << false;
    QTest::newRow("the resting piece clears the blocking row")
            << QStringList{bar, "##########", bar, bar, bar}
            << QStringList{"..........", "...####..#", bar, bar, bar} << false;
}

void tst_MainWindow::restingPiece()
{
    QFETCH(QStringList, top);
    QFETCH(QStringList, after);
    QFETCH(bool, ends);

    MainWindow window;
    MainWindowTester tester(window);
    start(window);
    tester.setBoard(top + emptyRows(kRows - top.size()));
    tester.setPiece(4, 0, 8, 0); // the upright bar in column 9, resting on row 4
    tester.setNext(4, 1); // the lying bar enters on row 1
    auto *button = window.findChild<QPushButton *>("StartGame");

    BoxCloser closer(button, tester.timer());
    tester.tick();
    QCOMPARE(tester.board().mid(0, after.size()), after);
    QCOMPARE(picture(window), tester.board());
    QCOMPARE(tester.score(), top.contains("##########") ? 10 : 0);
    QCOMPARE(tester.timer()->isActive(), !ends);
    if (!ends) {
        QVERIFY(closer.seen.isEmpty());
        QCOMPARE(tester.piecePosition(), QPoint(3, 0));
        return;
    }
    QCOMPARE(closer.seen, QStringList({"Game Over", "房顶都被你丫的顶破了~~"}));
    QCOMPARE(closer.buttons, 1);
    QVERIFY(!closer.buttonEnabledWhileOpen);
    QVERIFY(!closer.gravityWhileOpen);
    QVERIFY(button->isEnabled());
    QCOMPARE(button->text(), "重新开始");

    // After the end the keys leave the last picture alone.
    const QStringList last = tester.board();
    for (Qt::Key key : {Qt::Key_W, Qt::Key_D, Qt::Key_S, Qt::Key_A})
        QTest::keyClick(&window, key);
    QCOMPARE(tester.board(), last);

    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(tester.board().join("").count('#'), 4);
    QCOMPARE(tester.score(), 0);
    QCOMPARE(window.findChild<QLabel *>("Score")->text(), "分数:0");
    QVERIFY(tester.timer()->isActive());
}

void tst_MainWindow::keysBeforeFirstStart()
{
    MainWindow window;
    MainWindowTester tester(window);
    for (Qt::Key key : {Qt::Key_W, Qt::Key_D, Qt::Key_S, Qt::Key_A})
        QTest::keyClick(&window, key);
    QCOMPARE(tester.board(), emptyRows(kRows));
    QCOMPARE(picture(window), tester.board());
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
