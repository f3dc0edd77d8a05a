#include "mainwindow.h"
#include "mainwindowtester.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <memory>
#include <random>

namespace {

using Tester = MainWindowTester;

// What an end-of-game box shows, and how the game stands while it is open.
const QString kGameOver
        = QStringLiteral("Game Over|房顶都被你丫的顶破了~~|1|timer stopped|painted");

QStringList debugLines;
QtMessageHandler testlib = nullptr;

// A pattern's cells (x column, y row) in its box, in reading order.
QVector<QPoint> pattern(int shape, int rotation)
{
    QVector<QPoint> cells;
    for (int i = 0; i < kBoxSize * kBoxSize; ++i) {
        if (kShapeTable[(shape * kRotationCount + rotation) * kBoxSize * kBoxSize + i])
            cells << QPoint(i % kBoxSize, i / kBoxSize);
    }
    return cells;
}

// What the cell labels of "stage" or "Tip" show, drawn as the tester draws the board.
QStringList picture(QWidget &window, const char *area, int columns = kColumns)
{
    static const QHash<QString, QChar> styles{{"border:0px;background:#5709A8", '#'},
                                              {"border:0px;background-color:#5709A7", '#'},
                                              {"border:0px;background:#FFF", '.'},
                                              {"border:0px;background-color:#FFF", '.'}};
    QStringList rows;
    const auto labels = window.findChild<QWidget *>(area)->findChildren<QLabel *>();
    for (int i = 0; i < labels.size(); ++i) {
        if (i % columns == 0)
            rows << QString();
        rows.last() += styles.value(labels[i]->styleSheet(), '?');
    }
    return rows;
}

QStringList shown(QStringList board)
{
    return board.replaceInStrings("@", "#");
}

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
    BoxCloser(QWidget &window, Tester &tester)
    {
        callOnTimeout([&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                const bool painted = picture(window, "stage") == shown(tester.board());
                seen << QStringList{box->windowTitle(), box->text(),
                                    QString::number(box->buttons().size()),
                                    tester.timer()->isActive() ? "timer running" : "timer stopped",
                                    painted ? "painted" : "stale"}
                                .join('|');
                box->done(QMessageBox::Ok);
            }
        });
        start(1);
    }

    QStringList seen;
};

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void shapeTable_data();
    void shapeTable();
    void construction();
    void generator();
    void play_data();
    void play();
    void randomPlay();
};

void tst_MainWindow::initTestCase()
{
    // The game's debug lines are recorded; the offscreen platform's size-hint warning is noise.
    testlib = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
                if (type == QtDebugMsg)
                    debugLines << text;
                else if (!text.contains("propagateSizeHints"))
                    testlib(type, context, text);
            });
}

void tst_MainWindow::shapeTable_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("distinctRotations");

    QTest::newRow("Z form") << 0 << 2;
    QTest::newRow("S form") << 1 << 2;
    QTest::newRow("L form") << 2 << 4;
    QTest::newRow("mirrored L form") << 3 << 4;
    QTest::newRow("straight bar") << 4 << 2;
    QTest::newRow("square") << 5 << 1;
    QTest::newRow("T form") << 6 << 4;
}

// Every rotation has four cells and is the one before it turned a quarter anticlockwise on
// screen, up to its place in the box.
void tst_MainWindow::shapeTable()
{
    QFETCH(int, shape);
    QFETCH(int, distinctRotations);

    // Cells in reading order, moved up and left until they touch row 0 and column 0.
    const auto form = [](QVector<QPoint> cells) {
        std::sort(cells.begin(), cells.end(), [](QPoint a, QPoint b) {
            return qMakePair(a.y(), a.x()) < qMakePair(b.y(), b.x());
        });
        QPoint corner = cells[0];
        for (QPoint cell : cells)
            corner.rx() = qMin(corner.x(), cell.x());
        for (QPoint &cell : cells)
            cell -= corner;
        return cells;
    };
    QVector<QVector<QPoint>> rotations;
    for (int rotation = 0; rotation < kRotationCount; ++rotation) {
        const QVector<QPoint> cells = pattern(shape, rotation);
        QCOMPARE(cells.size(), 4);
        if (!rotations.contains(cells))
            rotations << cells;
        QVector<QPoint> turned;
        for (QPoint cell : cells)
            turned << QPoint(cell.y(), -cell.x());
        QCOMPARE(form(turned), form(pattern(shape, (rotation + 1) % kRotationCount)));
    }
    QCOMPARE(rotations.size(), distinctRotations);
}

void tst_MainWindow::construction()
{
    const uint now = uint(QDateTime::currentSecsSinceEpoch());
    MainWindow window;
    Tester tester(window);
    // Pieces are drawn from a generator seeded with the clock's seconds.
    const int first = Tester::draw();
    Tester::seed(now);
    const int drawnNow = Tester::draw();
    Tester::seed(now + 1);
    QVERIFY(first == drawnNow || first == Tester::draw());

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.minimumSize(), QSize(275, 350));
    QCOMPARE(window.maximumSize(), QSize(275, 350));
    for (const char *area : {"stage", "Tip"}) {
        const auto labels = window.findChild<QWidget *>(area)->findChildren<QLabel *>();
        const int columns = labels.size() == kRows * kColumns ? kColumns : kBoxSize;
        for (int i = 0; i < labels.size(); ++i) {
            const QPoint topLeft = QPoint(i % columns, i / columns) * 16 + QPoint(1, 1);
            QCOMPARE(labels[i]->geometry(), QRect(topLeft, QSize(15, 15)));
            QCOMPARE(labels[i]->styleSheet(), "border:0px;background-color:#FFF");
        }
    }

    // Keys steer nothing before the first start; they only repaint the empty board.
    for (char key : {'w', 'd', 's', 'a'})
        QTest::keyClick(&window, key);
    QCOMPARE(tester.board(), Tester::rows("~"));
    QCOMPARE(picture(window, "stage"), Tester::rows("~"));

    // The Windows icon's 32-bit bitmap, stored bottom row first after the 22-byte directory and
    // the 40-byte bitmap header, holds the window icon's pixels byte for byte.
    QFile ico(KUBRISK_WINDOWS_ICON);
    QVERIFY(ico.open(QIODevice::ReadOnly));
    const QByteArray data = ico.readAll();
    const auto *bitmap = reinterpret_cast<const uchar *>(data.constData()) + 22 + 40;
    QCOMPARE(QImage(bitmap, 256, 256, QImage::Format_ARGB32).mirrored(), QImage(":/main.png"));
    QCOMPARE(window.windowIcon().availableSizes(), QList<QSize>{QSize(256, 256)});
}

// One seed draws the same pieces in the Qt 5 and the Qt 6 build: both draw from the
// minimal-standard engine seeded alike, Qt 5 from its own generator on Linux.
void tst_MainWindow::generator()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0) && !defined(Q_OS_LINUX)
    QSKIP("Qt 5 draws from the C library's rand() on this platform");
#endif
    for (uint seed : {0u, 1u, 7u, 1765000000u}) {
        Tester::seed(seed);
        std::minstd_rand engine(seed);
        for (int i = 0; i < 1000; ++i)
            QCOMPARE(Tester::draw(), int(engine()));
    }
}

// One row a situation: the board with the falling piece drawn as '@', the piece's shape and
// rotation and the next piece's, ticks ('t') and keys, and then the board ("" as before; no '@'
// once the game is over), the score and the debug lines.
void tst_MainWindow::play_data()
{
    QTest::addColumn<QString>("board");
    QTest::addColumn<QVector<int>>("piece");
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("score");
    QTest::addColumn<QString>("log");

    const QVector<int> z{0, 0}, s{1, 0}, l{2, 0}, upright{4, 0}, lying{4, 1}, square{5, 0};
    QTest::newRow("moves along the top") << "...@@.....|....@@....|~" << z << "dda"
                                         << "....@@....|.....@@...|~" << 0 << "";
    QTest::newRow("left wall, square turns in place")
            << "~|@@........|@@........" << square << "awwwwa"
            << "" << 0 << "( 0 , 18 ) ( 0 , 18 )";
    QTest::newRow("right wall") << "~|........@@|........@@" << square << "d"
                                << "" << 0 << "( 9 , 18 )";
    QTest::newRow("drop onto settled cells")
            << "....@@....|....@@....|~|#########." << square << "s"
            << "~|....@@....|....@@....|#########." << 0 << "";
    QTest::newRow("drop to the floor") << "..........|...@@@@...|~" << lying << "s"
                                       << "~|...@@@@..." << 0 << "( 3 , 19 )";
    QTest::newRow("wall met below the top row") << "~|.@@.......|@@........" << s << "a"
                                                << "" << 0 << "( 0 , 19 )";
    QTest::newRow("settled cell met before the wall") << "~|#@@.......|@@........" << s << "a"
                                                      << "" << 0 << "";
    QTest::newRow("settled cell met before the floor")
            << "~|@@........|#@........|.@........" << l << "s"
            << "" << 0 << "";
    QTest::newRow("upright bar in box column -1")
            << "~|.@........|.@........|.@........|.@........" << upright << "awa"
            << "~|@.........|@.........|@.........|@........." << 0 << "( -1 , 17 ) ( 0 , 16 )";
    QTest::newRow("lying bar on the floor cannot turn") << "~|...@@@@..." << lying << "w"
                                                        << "" << 0 << "( 4 , 20 )";
    QTest::newRow("turn onto a settled cell")
            << "~|...@@@....|...#@.....|.........." << QVector<int>{6, 0} << "w"
            << "" << 0 << "";
    QTest::newRow("turn from rotation 3 to 0")
            << "~|.....@....|....@@....|.....@...." << QVector<int>{6, 3} << "W"
            << "~|..........|....@@@...|.....@...." << 0 << "";
    QTest::newRow("other keys only repaint") << "~|....@@....|.....@@...|#########." << z << "x<"
                                             << "" << 0 << "";
    QTest::newRow("a dropped piece stays free")
            << ".@@.......|.@@.......|~|###......." << square << "sddt"
            << "~|...@@.....|###@@....." << 0 << "";

    // An upright bar in the last column comes to rest; the square or the lying bar is next.
    const QString bar = "~|.........@|.........@|.........@";
    const QVector<int> barThenSquare{4, 0, 5, 0}, barThenBar{4, 0, 4, 1};
    QTest::newRow("nine cells are not a full row")
            << bar + "|########.@" << barThenSquare << "t"
            << "...@@.....|...@@.....|~|.........#|.........#|.........#|########.#" << 0
            << "( 9 , 19 )";
    QTest::newRow("full rows 18 and 19")
            << "~|.........@|#........@|#########@|#########@" << barThenBar << "t"
            << "..........|...@@@@...|~|.........#|#........#" << 20 << "( 9 , 19 )";
    QTest::newRow("full rows 17 and 19 around a partial row")
            << "~|..#......@|#########@|.#.#.....@|#########@" << barThenSquare << "t"
            << "...@@.....|...@@.....|~|..#......#|.#.#.....#" << 20 << "( 9 , 19 )";
    QTest::newRow("four rows at once")
            << "~|#.........|#########@|#########@|#########@|#########@" << barThenSquare << "t"
            << "...@@.....|...@@.....|~|#........." << 40 << "( 9 , 19 )";
    QTest::newRow("full row 0") << "##########|..#.......|" + bar + "|.........@" << barThenSquare
                                << "t"
                                << "...@@.....|..#@@.....|" + QString(bar).replace('@', '#')
                    + "|.........#"
                                << 10 << "( 9 , 19 )";
    QTest::newRow("next piece meets a settled cell")
            << "...#.....@|.........@|.........@|.........@|.........#|~" << barThenSquare
            << "tadws"
            << "...#.....#|.........#|.........#|.........#|.........#|~" << 0 << "";
    QTest::newRow("settled cells beside the spawn box")
            << "###....##@|###....##@|###....##@|###....##@|...####..#|~" << barThenSquare << "t"
            << "###@@..###|###@@..###|###....###|###....###|...####..#|~" << 0 << "";
    QTest::newRow("settled cells under the next piece's empty cells")
            << "...####..@|.........@|.........@|.........@|.........#|~" << barThenBar << "t"
            << "...####..#|...@@@@..#|.........#|.........#|.........#|~" << 0 << "";
    QTest::newRow("the resting piece clears the blocking row")
            << ".........@|#########@|.........@|.........@|.........#|~" << barThenBar << "t"
            << "..........|...@@@@..#|.........#|.........#|.........#|~" << 10 << "";
    QTest::newRow("game over after clearing a row")
            << "...#.....@|.........@|.........@|#########@|.........#|~" << barThenSquare << "t"
            << "..........|...#.....#|.........#|.........#|.........#|~" << 10 << "";
}

void tst_MainWindow::play()
{
    QFETCH(QString, board);
    QFETCH(QVector<int>, piece);
    QFETCH(QString, events);
    QFETCH(QString, after);
    QFETCH(int, score);
    QFETCH(QString, log);

    MainWindow window;
    Tester tester(window);
    startGame(window);
    // The piece's first cell in reading order is the first filled cell of its pattern.
    const int first = Tester::rows(board).join(QString()).indexOf('@');
    const QPoint box = QPoint(first % kColumns, first / kColumns) - pattern(piece[0], piece[1])[0];
    tester.setBoard(board);
    tester.setPiece(piece[0], piece[1], box, piece.value(2), piece.value(3));
    BoxCloser closer(window, tester);
    debugLines.clear();
    // A tick is the timer's timeout, which must reach the gravity slot exactly once.
    for (QChar event : events) {
        if (event == 't')
            QMetaObject::invokeMethod(tester.timer(), "timeout");
        else
            QTest::keyClick(&window, event.toLatin1());
    }

    const bool over = !after.isEmpty() && !after.contains('@');
    QCOMPARE(tester.board(), Tester::rows(after.isEmpty() ? board : after));
    QCOMPARE(picture(window, "stage"), shown(tester.board()));
    QCOMPARE(debugLines.join(' '), log);
    QCOMPARE(window.findChild<QLabel *>("Score")->text(), "分数:" + QString::number(score));
    QCOMPARE(closer.seen, over ? QStringList{kGameOver} : QStringList());
    auto *button = window.findChild<QPushButton *>("StartGame");
    QCOMPARE(button->isEnabled(), over);
    QCOMPARE(button->text(), over ? "重新开始" : "正在游戏...");
}

// Plays seeded games of random ticks and keys, steered so that rows fill up, and checks after
// every event that the model and the picture stay sound and that play makes progress.
void tst_MainWindow::randomPlay()
{
    const uint randomSeed = 20261206;
    qInfo("random play seed %u", randomSeed);
    std::mt19937 random(randomSeed);
    auto window = std::make_unique<MainWindow>();
    Tester tester(*window);
    // After the window's own seeding from the clock, so that the pieces repeat too.
    Tester::seed(randomSeed);
    BoxCloser closer(*window, tester);
    auto *label = window->findChild<QLabel *>("Score");
    startGame(*window);
    const auto filled = [](const QStringList &rows) {
        return kRows * kColumns - rows.join(QString()).count('.');
    };
    const Qt::KeyboardModifiers modifiers[]
            = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier};
    int games = 1, events = 0, rows = 0, spawned = 0, target = kSpawnColumn;
    for (; games < 50 || events < 10000; ++events) {
        QVERIFY2(events < 40000, "the games never end");
        const QStringList before = tester.board();
        const int score = tester.score();
        const bool tick = random() % 3 == 0;
        if (tick) {
            tester.tick();
        } else {
            // Most keys steer towards the target column; the others are any key, held or not.
            const int x = tester.box().x();
            const char key = random() % 16 ? "ads"[target < x           ? 0
                                                           : target > x ? 1
                                                                        : 2]
                                           : "adsw q5"[random() % 7];
            QKeyEvent press(QEvent::KeyPress, QChar(key).toUpper().unicode(),
                            modifiers[random() % 3], QString(key), random() % 2);
            QApplication::sendEvent(window.get(), &press);
        }

        // A key never fills or empties a cell; a tick adds the four cells of a piece that
        // enters and takes ten off for each row it clears, worth ten points.
        const QStringList board = tester.board();
        const bool entered = tick && tester.timer()->isActive() && tester.box().y() == 0;
        const int cleared = (tester.score() - score) / 10;
        QCOMPARE(tester.score() - score, 10 * cleared);
        QCOMPARE(filled(board) - filled(before), 4 * entered - 10 * cleared);
        QVERIFY(tick || cleared == 0);
        QCOMPARE(label->text(), "分数:" + QString::number(tester.score()));
        QCOMPARE(picture(*window, "stage"), shown(board));
        QVERIFY(!tester.isMoving());
        rows += cleared;
        spawned += entered;
        if (entered) {
            // Aim the new piece's lowest cell, leftmost among equals, at the deepest column.
            int deepest = 0;
            for (int column = 0, depth = 0; column < kColumns; ++column) {
                int row = kBoxSize;
                while (row < kRows && board[row][column] == '.')
                    ++row;
                if (row > depth)
                    std::tie(deepest, depth) = std::make_pair(column, row);
            }
            const QVector<QPoint> cells = tester.pieceCells();
            const auto bottom = std::find_if(cells.begin(), cells.end(), [&](QPoint cell) {
                return cell.y() == cells.last().y();
            });
            target = deepest - bottom->x() + kSpawnColumn;
        }
        if (!tester.timer()->isActive()) {
            QCOMPARE(closer.seen.size(), games);
            // A restart clears the board and the score of the game before.
            QTest::mouseClick(window->findChild<QPushButton *>("StartGame"), Qt::LeftButton);
            QCOMPARE(filled(tester.board()), 4);
            QCOMPARE(picture(*window, "stage"), shown(tester.board()));
            QCOMPARE(picture(*window, "Tip", kBoxSize).join(QString()).count('#'), 4);
            QCOMPARE(label->text(), "分数:0");
            QCOMPARE(tester.timer()->interval(), 700);
            ++games;
        }
    }
    QCOMPARE(closer.seen.count(kGameOver), games - 1);
    qInfo("random play: %d games, %d pieces, %d events, %d rows cleared", games, games + spawned,
          events, rows);
    QVERIFY2(rows > 0 && spawned > 5 * games, "play makes no progress");
    // Every start draws two pieces and every new piece one more, shape then rotation each time.
    const int next = Tester::draw();
    Tester::seed(randomSeed);
    for (int i = 0; i < 4 * games + 2 * spawned; ++i)
        Tester::draw();
    QCOMPARE(Tester::draw(), next);
    // Destroyed in the middle of a game, with its timer running.
    window.reset();
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
