#include "mainwindow.h"
#include "mainwindowtester.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <random>

namespace {

const QString kPurple = QStringLiteral("border:0px;background:#5709A8");
const QString kWhite = QStringLiteral("border:0px;background:#FFF");
const QString kNewCell = QStringLiteral("border:0px;background-color:#FFF");
const QString kPreviewPurple = QStringLiteral("border:0px;background-color:#5709A7");
const QString kEmptyRow(kColumns, '.');

// `bottom` as the lowest rows of a board whose rows above are empty.
QStringList boardRows(const QStringList &bottom)
{
    QStringList rows;
    while (rows.size() + bottom.size() < kRows)
        rows << kEmptyRow;
    return rows + bottom;
}

// A pattern's cells (x column, y row) shifted to touch row 0 and column 0, in reading order.
QVector<QPoint> normalized(QVector<QPoint> cells)
{
    QPoint corner = cells.first();
    for (QPoint cell : cells)
        corner = QPoint(std::min(corner.x(), cell.x()), std::min(corner.y(), cell.y()));
    for (QPoint &cell : cells)
        cell -= corner;
    std::sort(cells.begin(), cells.end(),
              [](QPoint a, QPoint b) { return qMakePair(a.y(), a.x()) < qMakePair(b.y(), b.x()); });
    return cells;
}

QVector<QPoint> pattern(int shape, int rotation)
{
    QVector<QPoint> cells;
    for (int i = 0; i < kBoxSize * kBoxSize; ++i) {
        if (kShapeTable[(shape * kRotationCount + rotation) * kBoxSize * kBoxSize + i])
            cells << QPoint(i % kBoxSize, i / kBoxSize);
    }
    return cells;
}

// What the labels of the board or the preview show: '#' the filled style, '.' the empty one.
QStringList picture(QWidget *area, const QString &filled, const QString &empty)
{
    const QList<QLabel *> labels = area->findChildren<QLabel *>();
    const int columns = area->width() / 16;
    QStringList rows{QString()};
    for (QLabel *label : labels) {
        if (rows.last().size() == columns)
            rows << QString();
        rows.last() += label->styleSheet() == filled ? '#'
                : label->styleSheet() == empty       ? '.'
                                                     : '?';
    }
    return rows;
}

QStringList boardPicture(QWidget &window)
{
    return picture(window.findChild<QWidget *>("stage"), kPurple, kWhite);
}

QStringList debugLines;

// Shows the window, as style changes reach only shown labels, and clicks the start button.
void startGame(QWidget &window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.findChild<QPushButton *>("StartGame"), Qt::LeftButton);
}

// Closes every modal box as soon as it opens, remembering what it showed and the game then.
class BoxCloser : public QTimer
{
public:
    BoxCloser(QWidget &window, MainWindowTester &tester)
    {
        callOnTimeout([&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                const bool enabled = window.findChild<QPushButton *>("StartGame")->isEnabled();
                seen << box->windowTitle() << box->text() << QString::number(box->buttons().size())
                     << (enabled ? "button enabled" : "button disabled")
                     << (tester.timer()->isActive() ? "timer running" : "timer stopped");
                box->done(QMessageBox::Ok);
            }
        });
        start(1);
    }

    QStringList seen;
};

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
    void shapeTable_data();
    void shapeTable();
    void construction();
    void start();
    void moves_data();
    void moves();
    void clearRows_data();
    void clearRows();
    void restingPiece_data();
    void restingPiece();
    void dropLeavesPieceFree();
    void randomPlay();
};

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

    QVector<QVector<QPoint>> rotations;
    for (int rotation = 0; rotation < kRotationCount; ++rotation) {
        const QVector<QPoint> cells = pattern(shape, rotation);
        QCOMPARE(cells.size(), 4);
        if (!rotations.contains(cells))
            rotations << cells;

        // A quarter turn anticlockwise on screen takes (column, row) to (row, -column).
        QVector<QPoint> turned;
        for (QPoint cell : cells)
            turned << QPoint(cell.y(), -cell.x());
        QCOMPARE(normalized(turned), normalized(pattern(shape, (rotation + 1) % kRotationCount)));
        QCOMPARE(normalized(cells) == cells, !offCorner.contains(rotation));
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
    MainWindowTester tester(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.minimumSize(), QSize(275, 350));
    QCOMPARE(window.maximumSize(), QSize(275, 350));
    QVERIFY(!tester.timer()->isActive());

    // The embedded icon, the same picture as the Windows one, is the window's own.
    const QImage icon = QImage(":/main.png").convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(icon.size(), QSize(256, 256));
    QCOMPARE(QImage(KUBRISK_WINDOWS_ICON).convertToFormat(QImage::Format_ARGB32), icon);
    QVERIFY(icon.pixelColor(0, 0).alpha() == 0 && icon.pixelColor(128, 230).alpha() == 255);
    QVERIFY(!window.windowIcon().isNull());

    const QMetaObject &meta = MainWindow::staticMetaObject;
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 2);
    for (int i = 0; i < 2; ++i) {
        const QMetaMethod slot = meta.method(meta.methodOffset() + i);
        QCOMPARE(slot.methodSignature(), i ? "on_StartGame_clicked()" : "gameEvent()");
        QCOMPARE(slot.methodType(), QMetaMethod::Slot);
        QCOMPARE(slot.access(), QMetaMethod::Private);
    }

    for (const char *name : {"stage", "Tip"}) {
        auto *area = window.findChild<QWidget *>(name);
        const QList<QLabel *> labels = area->findChildren<QLabel *>();
        const int columns = labels.size() == 200 ? 10 : 4;
        QCOMPARE(area->size(), QSize(16 * columns + 1, 16 * labels.size() / columns + 1));
        for (int i = 0; i < labels.size(); ++i) {
            const QPoint topLeft = QPoint(i % columns, i / columns) * 16 + QPoint(1, 1);
            QCOMPARE(labels[i]->geometry(), QRect(topLeft, QSize(15, 15)));
            QCOMPARE(labels[i]->maximumSize(), QSize(15, 15));
            QCOMPARE(labels[i]->styleSheet(), kNewCell);
        }
    }

    // Keys steer nothing before the first start; they only repaint the empty board.
    for (Qt::Key key : {Qt::Key_W, Qt::Key_D, Qt::Key_S, Qt::Key_A})
        QTest::keyClick(&window, key);
    QCOMPARE(tester.board(), boardRows({}));
    QCOMPARE(boardPicture(window), boardRows({}));

    // Black lines between the cells; any non-zero value paints as filled.
    tester.cell(0, 0) = 1;
    tester.cell(19, 9) = 2;
    tester.refreshBoard();
    const QImage image = window.findChild<QWidget *>("stage")->grab().toImage();
    for (int line : {0, 16, 160}) {
        QCOMPARE(image.pixelColor(line, 8), QColor(Qt::black));
        QCOMPARE(image.pixelColor(8, line * 2), QColor(Qt::black));
    }
    for (QPoint pixel : {QPoint(1, 1), QPoint(15, 15), QPoint(145, 305), QPoint(159, 319)})
        QCOMPARE(image.pixelColor(pixel), QColor("#5709A8"));
    QCOMPARE(image.pixelColor(17, 1), QColor(Qt::white));
}

void tst_MainWindow::start()
{
    MainWindow window;
    MainWindowTester tester(window);
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(2024);
    int draws[5];
    for (int &draw : draws)
        draw = qrand();
    qsrand(2024);
    QTest::mouseClick(window.findChild<QPushButton *>("StartGame"), Qt::LeftButton);
    QCOMPARE(qrand(), draws[4]);
    QT_WARNING_POP

    // The first draw falls from column 3, row 0; the second waits in the preview.
    QVector<QPoint> expected = pattern(draws[0] % kShapeCount, draws[1] % kRotationCount);
    for (QPoint &cell : expected)
        cell += QPoint(3, 0);
    QCOMPARE(tester.pieceCells(), expected);
    QCOMPARE(tester.filledCells(), 4);
    for (QPoint cell : expected)
        QCOMPARE(tester.board()[cell.y()][cell.x()], '#');
    QCOMPARE(boardPicture(window), tester.board());
    const QStringList preview
            = picture(window.findChild<QWidget *>("Tip"), kPreviewPurple, kNewCell);
    for (QPoint cell : pattern(draws[2] % kShapeCount, draws[3] % kRotationCount))
        QCOMPARE(preview[cell.y()][cell.x()], '#');
    QCOMPARE(preview.join("").count('#'), 4);

    auto *button = window.findChild<QPushButton *>("StartGame");
    QCOMPARE(button->isEnabled(), false);
    QCOMPARE(button->text(), "正在游戏...");
    QCOMPARE(window.findChild<QLabel *>("Score")->text(), "分数:0");
    QVERIFY(tester.timer()->isActive());
    QCOMPARE(tester.timer()->interval(), 700);

    // One timeout, one tick: the timer is connected exactly once.
    tester.setBoard({});
    tester.setPiece(5, 0, 3, 0);
    QMetaObject::invokeMethod(tester.timer(), "timeout");
    QCOMPARE(tester.piece(), QVector<int>({3, 1, 0}));
}

void tst_MainWindow::moves_data()
{
    QTest::addColumn<QStringList>("settled"); // the bottom rows of the board
    QTest::addColumn<QVector<int>>("piece"); // shape, rotation, box column, box row
    QTest::addColumn<int>("key");
    QTest::addColumn<QVector<int>>("after"); // box column, box row, rotation
    QTest::addColumn<QStringList>("log");

    const QStringList none;
    const int a = Qt::Key_A, d = Qt::Key_D, w = Qt::Key_W, s = Qt::Key_S;
    QTest::newRow("free move right")
            << none << QVector{2, 0, 3, 0} << d << QVector{4, 0, 0} << none;
    QTest::newRow("square at the left wall")
            << none << QVector{5, 0, 0, 10} << a << QVector{0, 10, 0} << QStringList{"( 0 , 10 )"};
    QTest::newRow("square at the right wall")
            << none << QVector{5, 0, 8, 10} << d << QVector{8, 10, 0} << QStringList{"( 9 , 10 )"};
    QTest::newRow("square on the floor")
            << none << QVector{5, 0, 4, 18} << s << QVector{4, 18, 0} << QStringList{"( 4 , 19 )"};
    QTest::newRow("drop onto settled cells")
            << QStringList{"#########."} << QVector{5, 0, 4, 0} << s << QVector{4, 17, 0} << none;
    QTest::newRow("drop to the floor")
            << none << QVector{4, 1, 3, 0} << s << QVector{3, 18, 1} << QStringList{"( 3 , 19 )"};
    QTest::newRow("S form at the left wall")
            << none << QVector{1, 0, 0, 10} << a << QVector{0, 10, 0} << QStringList{"( 0 , 11 )"};
    QTest::newRow("settled cell met before the wall")
            << QStringList{"#........."} + boardRows({}).mid(11) << QVector{1, 0, 0, 10} << a
            << QVector{0, 10, 0} << none;
    QTest::newRow("settled cell met before the floor")
            << QStringList{"#.........", kEmptyRow} << QVector{2, 0, 0, 17} << s
            << QVector{0, 17, 0} << none;
    QTest::newRow("upright bar into box column -1")
            << none << QVector{4, 0, 0, 5} << a << QVector{-1, 5, 0} << none;
    QTest::newRow("upright bar at box column -1 turns")
            << none << QVector{4, 0, -1, 5} << w << QVector{-1, 5, 0} << QStringList{"( -1 , 6 )"};
    QTest::newRow("lying bar on the floor turns")
            << none << QVector{4, 1, 3, 18} << w << QVector{3, 18, 1} << QStringList{"( 4 , 20 )"};
    QTest::newRow("turn onto a settled cell")
            << QStringList{"...#......", kEmptyRow, kEmptyRow, kEmptyRow} << QVector{6, 0, 3, 16}
            << w << QVector{3, 16, 0} << none;
    QTest::newRow("square turns in place")
            << none << QVector{5, 0, 0, 18} << w << QVector{0, 18, 1} << none;
    QTest::newRow("rotation 3 turns to 0")
            << none << QVector{6, 3, 4, 10} << w << QVector{4, 10, 0} << none;
    QTest::newRow("other keys only repaint")
            << none << QVector{0, 0, 4, 10} << int(Qt::Key_Left) << QVector{4, 10, 0} << none;
}

void tst_MainWindow::moves()
{
    QFETCH(QStringList, settled);
    QFETCH(QVector<int>, piece);
    QFETCH(int, key);
    QFETCH(QVector<int>, after);
    QFETCH(QStringList, log);

    MainWindow window;
    MainWindowTester tester(window);
    startGame(window);
    tester.setBoard(settled);
    tester.setPiece(piece[0], piece[1], piece[2], piece[3]);
    tester.refreshBoard();
    const QStringList shown = tester.board();
    StyleChanges restyled(window.findChild<QWidget *>("stage")->findChildren<QLabel *>());

    debugLines.clear();
    const QtMessageHandler testlib = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &, const QString &text) {
                if (type == QtDebugMsg)
                    debugLines << text;
            });
    QTest::keyClick(&window, Qt::Key(key));
    qInstallMessageHandler(testlib);

    QCOMPARE(debugLines, log);
    QCOMPARE(tester.piece(), after);
    QVERIFY(!tester.isMoving());
    // The piece's cells hold 1, and without them the settled cells are as they were.
    QStringList board = tester.board();
    for (QPoint cell : tester.pieceCells()) {
        QCOMPARE(board[cell.y()][cell.x()], '#');
        board[cell.y()][cell.x()] = '.';
    }
    QCOMPARE(board, boardRows(settled));
    // The repaint shows the board and restyles only the labels whose cells changed.
    QCOMPARE(boardPicture(window), tester.board());
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

    const QString full(kColumns, '#');
    const QString &empty = kEmptyRow;
    QTest::newRow("no full row") << QStringList{".#........", "#########."}
                                 << QStringList{".#........", "#########."} << 0;
    QTest::newRow("rows 18 and 19") << QStringList{"#.........", full, full}
                                    << QStringList{empty, empty, "#........."} << 20;
    QTest::newRow("rows 17 and 19 around a partial row")
            << QStringList{"..#.......", full, ".#.#......", full}
            << QStringList{empty, empty, "..#.......", ".#.#......"} << 20;
    QTest::newRow("four rows") << QStringList{"#.........", full, full, full, full}
                               << QStringList{empty, empty, empty, empty, "#........."} << 40;
    QTest::newRow("rows 0 and 19")
            << QStringList{full, "..#......."} + boardRows({full}).mid(2)
            << QStringList{empty, empty, "..#......."} + boardRows({}).mid(3) << 20;
}

void tst_MainWindow::clearRows()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(int, points);

    MainWindow window;
    MainWindowTester tester(window);
    tester.setBoard(before);
    // The second pass finds nothing more to remove.
    tester.clearFullRows();
    tester.clearFullRows();
    QCOMPARE(tester.board(), boardRows(after));
    QCOMPARE(tester.score(), points);
    QCOMPARE(window.findChild<QLabel *>("Score")->text(), "分数:" + QString::number(points));
    QCOMPARE(boardPicture(window), tester.board());
}

void tst_MainWindow::restingPiece_data()
{
    QTest::addColumn<QStringList>("top"); // rows 0 to 4 around an upright bar in column 9
    QTest::addColumn<QStringList>("after"); // rows 0 to 4 once it rests and the lying bar enters
    QTest::addColumn<bool>("ends");

    const QString bar(".........#");
    QTest::newRow("next piece meets a settled cell")
            << QStringList{bar, "......#..#", bar, bar, bar}
            << QStringList{bar, "......#..#", bar, bar, bar} << true;
    QTest::newRow("settled cells under the next piece's empty cells")
            << QStringList{"...####..#", bar, bar, bar, bar}
            << QStringList{"...####..#", "...####..#", bar, bar, bar} << false;
    QTest::newRow("settled cells beside the spawn box")
            << QStringList{"###....###", "###....###", "###....###", "###....###", bar}
            << QStringList{"###....###", "##########", "###....###", "###....###", bar} << false;
    QTest::newRow("the resting piece clears the blocking row")
            << QStringList{bar, "##########", bar, bar, bar}
            << QStringList{kEmptyRow, "...####..#", bar, bar, bar} << false;
}

void tst_MainWindow::restingPiece()
{
    QFETCH(QStringList, top);
    QFETCH(QStringList, after);
    QFETCH(bool, ends);

    MainWindow window;
    MainWindowTester tester(window);
    auto *button = window.findChild<QPushButton *>("StartGame");
    startGame(window);
    tester.setBoard(top + boardRows({}).mid(top.size()));
    tester.setPiece(4, 0, 8, 0, 4, 1);
    BoxCloser closer(window, tester);
    tester.tick();

    QCOMPARE(tester.board().mid(0, after.size()), after);
    QCOMPARE(boardPicture(window), tester.board());
    QCOMPARE(tester.score(), top.contains("##########") ? 10 : 0);
    QCOMPARE(tester.timer()->isActive(), !ends);
    if (!ends) {
        QVERIFY(closer.seen.isEmpty());
        QCOMPARE(tester.piece(), QVector<int>({3, 0, 1}));
        return;
    }
    QCOMPARE(closer.seen,
             QStringList({"Game Over", "房顶都被你丫的顶破了~~", "1", "button disabled",
                          "timer stopped"}));
    QVERIFY(button->isEnabled());
    QCOMPARE(button->text(), "重新开始");

    // Keys steer only while a game runs: the last picture stays as it is.
    for (Qt::Key key : {Qt::Key_W, Qt::Key_D, Qt::Key_S, Qt::Key_A})
        QTest::keyClick(&window, key);
    QCOMPARE(tester.board().mid(0, after.size()), after);

    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(tester.filledCells(), 4);
    QCOMPARE(window.findChild<QLabel *>("Score")->text(), "分数:0");
    QVERIFY(tester.timer()->isActive());
}

void tst_MainWindow::dropLeavesPieceFree()
{
    MainWindow window;
    MainWindowTester tester(window);
    startGame(window);
    tester.setBoard({"###......."});
    tester.setPiece(5, 0, 1, 0);
    QTest::keyClick(&window, Qt::Key_S);
    QCOMPARE(tester.piece(), QVector<int>({1, 17, 0}));
    QTest::keyClick(&window, Qt::Key_D);
    QTest::keyClick(&window, Qt::Key_D);
    tester.tick();
    QCOMPARE(tester.piece(), QVector<int>({3, 18, 0}));
}

// Plays many seeded games with random ticks and keys, and checks the game's invariants after every
// event: any sequence of input keeps the model and the picture sound.
void tst_MainWindow::randomPlay()
{
    // Walls and the floor log thousands of lines here; only the seed and the totals are kept.
    static QtMessageHandler testlib = nullptr;
    testlib = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
                if (type != QtDebugMsg && type != QtWarningMsg)
                    testlib(type, context, text);
            });
    const auto restoreHandler = qScopeGuard([] { qInstallMessageHandler(testlib); });
    const uint seed = 20261206;
    qInfo("random play seed %u", seed);
    std::mt19937 random(seed);
    struct Key
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *text;
    };
    const QVector<Key> keys{
            {Qt::Key_A, Qt::NoModifier, "a"},     {Qt::Key_D, Qt::NoModifier, "d"},
            {Qt::Key_W, Qt::NoModifier, "w"},     {Qt::Key_S, Qt::NoModifier, "s"},
            {Qt::Key_A, Qt::ShiftModifier, "A"},  {Qt::Key_D, Qt::ShiftModifier, "D"},
            {Qt::Key_W, Qt::ControlModifier, ""}, {Qt::Key_S, Qt::ControlModifier, ""},
            {Qt::Key_Left, Qt::NoModifier, ""},   {Qt::Key_Space, Qt::NoModifier, " "},
            {Qt::Key_5, Qt::NoModifier, "5"},     {Qt::Key_Q, Qt::ShiftModifier, "Q"}};

    auto window = std::make_unique<MainWindow>();
    // After the window's own seeding from the clock, so that the pieces repeat too.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(seed);
    QT_WARNING_POP
    MainWindowTester tester(*window);
    BoxCloser closer(*window, tester);
    startGame(*window);
    int games = 1, events = 0, rows = 0, target = 3;
    for (; games < 50 || events < 10000; ++events) {
        const int filled = tester.filledCells();
        const int score = tester.score();
        const bool tick = random() % 3 == 0;
        if (tick) {
            tester.tick();
        } else {
            // Most keys steer towards the piece's target column, so that rows fill up.
            const int steer = target < tester.piece()[0] ? 0 : target > tester.piece()[0] ? 1 : 3;
            const Key &key = keys[random() % 16 ? steer : int(random() % keys.size())];
            QKeyEvent press(QEvent::KeyPress, key.key, key.modifiers, key.text, random() % 2);
            QApplication::sendEvent(window.get(), &press);
        }

        for (int i = 0; i < kRows * kColumns; ++i)
            QVERIFY(tester.cell(i / kColumns, i % kColumns) == 0
                    || tester.cell(i / kColumns, i % kColumns) == 1);
        // A key never fills or empties a cell; a tick adds a new piece's four cells, if one
        // entered, and takes ten cells off for every ten points.
        const bool entered = tick && tester.timer()->isActive() && tester.piece()[1] == 0;
        QCOMPARE(tester.filledCells() - filled, (entered ? 4 : 0) - (tester.score() - score));
        QCOMPARE((tester.score() - score) % 10, 0);
        QVERIFY(tick || tester.score() == score);
        QCOMPARE(window->findChild<QLabel *>("Score")->text(),
                 "分数:" + QString::number(tester.score()));
        QCOMPARE(boardPicture(*window), tester.board());
        QVERIFY(!tester.isMoving());
        rows += (tester.score() - score) / 10;
        if (entered) {
            // Aim the new piece at the lowest column, which keeps the stack flat.
            const QStringList board = tester.board();
            int lowest = 0;
            for (int column = 0, depth = -1; column < kColumns; ++column) {
                int row = kBoxSize;
                while (row < kRows && board[row][column] == '.')
                    ++row;
                if (row > depth)
                    std::tie(lowest, depth) = std::make_pair(column, row);
            }
            const QVector<QPoint> cells = tester.pieceCells();
            // The piece's lowest cell, leftmost among equals, goes over that column.
            const QPoint bottom
                    = *std::max_element(cells.begin(), cells.end(), [](QPoint a, QPoint b) {
                          return qMakePair(a.y(), -a.x()) < qMakePair(b.y(), -b.x());
                      });
            target = lowest - bottom.x() + tester.piece()[0];
        }

        if (tester.timer()->isActive()) {
            for (QPoint cell : tester.pieceCells()) {
                QVERIFY(QRect(0, 0, kColumns, kRows).contains(cell));
                QCOMPARE(tester.cell(cell.y(), cell.x()), 1);
            }
        } else {
            QCOMPARE(closer.seen.mid(closer.seen.size() - 5, 2),
                     QStringList({"Game Over", "房顶都被你丫的顶破了~~"}));
            QTest::mouseClick(window->findChild<QPushButton *>("StartGame"), Qt::LeftButton);
            QCOMPARE(tester.filledCells(), 4);
            ++games;
        }
    }
    QCOMPARE(closer.seen.size(), 5 * (games - 1));
    qInfo("random play: %d games, %d events, %d rows cleared", games, events, rows);
    // Destroyed in the middle of a game, with its timer running.
    window.reset();
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
