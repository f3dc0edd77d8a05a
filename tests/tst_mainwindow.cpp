#include "mainwindow.h"
#include "mainwindowtester.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <random>

namespace {

using Tester = MainWindowTester;

// What an end-of-game box shows, and how the game and the button stand while it is open.
const QString kGameOver = QStringLiteral(
        "Game Over|房顶都被你丫的顶破了~~|1|timer stopped|painted|正在游戏... off");

QStringList debugLines;
QtMessageHandler testlib = nullptr;

// The board's or the preview's labels, drawn as the board is; a style not its area's own is '?'.
QStringList picture(QWidget &window, bool preview = false)
{
    const QHash<QString, QChar> styles = preview
            ? QHash<QString, QChar>{{"border:0px;background-color:#5709A7", '#'},
                                    {"border:0px;background-color:#FFF", '.'}}
            : QHash<QString, QChar>{{"border:0px;background:#5709A8", '#'},
                                    {"border:0px;background:#FFF", '.'}};
    QStringList rows;
    const auto labels
            = window.findChild<QWidget *>(preview ? "Tip" : "stage")->findChildren<QLabel *>();
    for (int i = 0; i < labels.size(); ++i) {
        if (i % (preview ? kBoxSize : kColumns) == 0)
            rows << QString();
        rows.last() += styles.value(labels[i]->styleSheet(), '?');
    }
    return rows;
}

QStringList shown(QStringList board)
{
    return board.replaceInStrings("@", "#");
}

// The next piece as the preview shows it.
QStringList preview(const Tester &tester)
{
    QStringList rows = QString("....|....|....|....").split('|');
    for (QPoint cell : Tester::pattern(tester.pieces()[2], tester.pieces()[3]))
        rows[cell.y()][cell.x()] = '#';
    return rows;
}

// Shows the window, as style changes reach only shown labels, and clicks the start button.
void startGame(QWidget &window)
{
    QVERIFY(showExposed(window));
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
                const auto *button = window.findChild<QPushButton *>("StartGame");
                seen << box->windowTitle() + '|' + box->text() + '|'
                                + QString::number(box->buttons().size())
                                + (tester.timer()->isActive() ? "|timer running" : "|timer stopped")
                                + (picture(window) == shown(tester.board()) ? "|painted|"
                                                                            : "|stale|")
                                + button->text() + (button->isEnabled() ? " on" : " off");
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
    void shapeTable();
    void construction_data();
    void construction();
    void play_data();
    void play();
    void randomPlay();
    void look();
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

// Each rotation has four cells and is the one before turned a quarter anticlockwise in its box.
void tst_MainWindow::shapeTable()
{
    // The cells moved up and left until they touch row 0 and column 0, as box indices in order.
    const auto form = [](const QVector<QPoint> &cells) {
        const QPoint corner = QPolygon(cells).boundingRect().topLeft();
        QVector<int> form;
        for (QPoint cell : cells)
            form << (cell.y() - corner.y()) * kBoxSize + cell.x() - corner.x();
        std::sort(form.begin(), form.end());
        return form;
    };
    for (int shape = 0; shape < kShapeCount; ++shape) {
        for (int rotation = 0; rotation < kRotationCount; ++rotation) {
            QVector<QPoint> turned;
            for (QPoint cell : Tester::pattern(shape, rotation))
                turned << QPoint(cell.y(), -cell.x());
            QCOMPARE(turned.size(), 4);
            QCOMPARE(form(turned), form(Tester::pattern(shape, (rotation + 1) % kRotationCount)));
        }
    }
}

void tst_MainWindow::construction_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("whileShown");
    QTest::newRow("small font") << 6 << 0;
    QTest::newRow("14 points, about 9 at 144 dpi") << 14 << 0;
    QTest::newRow("small font, then a large one") << 6 << 30;
    QTest::newRow("large font, then a small one") << 30 << 6;
}

// At any font size, also changed while shown, the board keeps its place and pixels, and the label
// and the button show their texts in full right of it, in the window's font wherever it fits.
void tst_MainWindow::construction()
{
    QFETCH(int, points);
    QFETCH(int, whileShown);
    const QFont font = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(font); });
    QApplication::setFont(QFont(font.family(), points));
    const uint before = uint(QDateTime::currentSecsSinceEpoch());
    MainWindow window;
    const uint after = uint(QDateTime::currentSecsSinceEpoch());
    // Pieces are drawn from a generator seeded with the clock's seconds while the window was
    // made, which takes more than a second under an emulator on a busy machine.
    const int first = Tester::draw();
    bool seeded = false;
    for (uint second = before; second <= after && !seeded; ++second) {
        Tester::seed(second);
        seeded = Tester::draw() == first;
    }
    QVERIFY(seeded);

    QVERIFY(showExposed(window));
    // As a font that the desktop changes reaches the window.
    if (whileShown > 0)
        window.setFont(QFont(font.family(), whileShown));
    auto *stage = window.findChild<QWidget *>("stage");
    QCOMPARE(stage->mapTo(&window, QPoint()), QPoint(11, 11));
    // The board and the preview, whatever the style and palette: white 15-pixel cells, black grid.
    const QImage shot = window.grab().toImage();
    for (const char *area : {"stage", "Tip"}) {
        const auto *frame = window.findChild<QWidget *>(area);
        QCOMPARE(frame->size(), frame == stage ? QSize(161, 321) : QSize(65, 65));
        for (int i = 0; i < frame->width() * frame->height(); ++i) {
            const QPoint at(i % frame->width(), i / frame->width());
            QCOMPARE(shot.pixel(frame->mapTo(&window, at)),
                     at.x() % 16 && at.y() % 16 ? ~0u : ~0u << 24);
        }
    }
    const auto fits = [&](auto *widget, const char *text) {
        widget->setText(text);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        return QRect(172, 0, 275 - 172, 350)
                       .contains(QRect(widget->mapTo(&window, QPoint()), widget->size()))
                && widget->width() >= widget->sizeHint().width()
                && widget->height() >= widget->sizeHint().height()
                && (window.font().pointSize() > 9 || widget->font() == window.font());
    };
    for (const char *text : {"点击开始游戏", "分数:0", "分数:999990", "分数:888888"})
        QVERIFY2(fits(window.findChild<QLabel *>("Score"), text), text);
    for (const char *text : {"开始游戏", "正在游戏...", "重新开始"})
        QVERIFY2(fits(window.findChild<QPushButton *>("StartGame"), text), text);
    QCOMPARE(window.windowIcon().availableSizes(), QList<QSize>{QSize(256, 256)});
}

// A row a situation: the board with the falling piece as '@', its shape and rotation and the next
// one's, ticks ('t') and keys; then the board ("" as before, no '@' once over), score and log.
void tst_MainWindow::play_data()
{
    QTest::addColumn<QString>("board");
    QTest::addColumn<QVector<int>>("piece");
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("score");
    QTest::addColumn<QString>("log");
    const auto row = [](const char *name, const QString &board, const QVector<int> &piece,
                        const char *events, const QString &after, int score, const char *log) {
        QTest::newRow(name) << board << piece << QString(events) << after << score << QString(log);
    };

    const QVector<int> z{0, 0}, s{1, 0}, upright{4, 0}, lying{4, 1}, square{5, 0};
    row("moves along the top", "...@@.....|....@@....|~", z, "dda", "....@@....|.....@@...|~", 0,
        "");
    row("left wall, square turns in place", "~|@@........|@@........", square, "awwwwa", "", 0,
        "( 0 , 18 ) ( 0 , 18 )");
    row("drop onto settled cells", "....@@....|....@@....|~|#########.", square, "s",
        "~|....@@....|....@@....|#########.", 0, "");
    row("drop to the floor", "..........|...@@@@...|~", lying, "s", "~|...@@@@...", 0,
        "( 3 , 19 )");
    row("wall met below the top row", "~|.@@.......|@@........", s, "a", "", 0, "( 0 , 19 )");
    row("settled cell met before the wall", "~|#@@.......|@@........", s, "a", "", 0, "");
    row("upright bar in box column -1", "~|.@........|.@........|.@........|.@........", upright,
        "awa", "~|@.........|@.........|@.........|@.........", 0, "( -1 , 17 ) ( 0 , 16 )");
    row("lying bar on the floor cannot turn", "~|...@@@@...", lying, "w", "", 0, "( 4 , 20 )");
    row("turn onto a settled cell", "~|...@@@....|...#@.....|..........", {6, 0}, "w", "", 0, "");
    row("turn from rotation 3 to 0", "~|.....@....|....@@....|.....@....", {6, 3}, "W",
        "~|..........|....@@@...|.....@....", 0, "");
    row("other keys only repaint", "~|....@@....|.....@@...|#########.", z, "x<", "", 0, "");
    row("a dropped piece stays free", ".@@.......|.@@.......|~|###.......", square, "sddt",
        "~|...@@.....|###@@.....", 0, "");

    // An upright bar in the last column comes to rest; the square or the lying bar is next.
    const QString bar = "~|.........@|.........@|.........@",
                  rested = "~|.........#|.........#|.........#";
    const QVector<int> barThenSquare{4, 0, 5, 0}, barThenBar{4, 0, 4, 1};
    row("nine cells are not a full row", bar + "|########.@", barThenSquare, "t",
        "...@@.....|...@@.....|" + rested + "|########.#", 0, "( 9 , 19 )");
    row("full rows 17 and 19 around a partial row", "~|..#......@|#########@|.#.#.....@|#########@",
        barThenSquare, "t", "...@@.....|...@@.....|~|..#......#|.#.#.....#", 20, "( 9 , 19 )");
    row("four rows at once", "~|#.........|#########@|#########@|#########@|#########@",
        barThenSquare, "t", "...@@.....|...@@.....|~|#.........", 40, "( 9 , 19 )");
    row("full row 0", "##########|..#.......|" + bar + "|.........@", barThenSquare, "t",
        "...@@.....|..#@@.....|" + rested + "|.........#", 10, "( 9 , 19 )");
    row("next piece meets a settled cell",
        "...#.....@|.........@|.........@|.........@|.........#|~", barThenSquare, "tadws",
        "...#.....#|.........#|.........#|.........#|.........#|~", 0, "");
    row("settled cells beside the spawn box",
        "###....##@|###....##@|###....##@|###....##@|...####..#|~", barThenSquare, "t",
        "###@@..###|###@@..###|###....###|###....###|...####..#|~", 0, "");
    row("settled cells under the next piece's empty cells",
        "...####..@|.........@|.........@|.........@|.........#|~", barThenBar, "t",
        "...####..#|...@@@@..#|.........#|.........#|.........#|~", 0, "");
    row("the resting piece clears the blocking row",
        ".........@|#########@|.........@|.........@|.........#|~", barThenBar, "t",
        "..........|...@@@@..#|.........#|.........#|.........#|~", 10, "");
    row("game over after clearing a row",
        "...#.....@|.........@|.........@|#########@|.........#|~", barThenSquare, "t",
        "..........|...#.....#|.........#|.........#|.........#|~", 10, "");
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
    // Seeded after the window's own seeding, so that the pieces that enter are always the same.
    Tester::seed(1);
    startGame(window);
    // The piece's first cell in reading order is the first filled cell of its pattern.
    const int first = Tester::rows(board).join(QString()).indexOf('@');
    const QPoint box
            = QPoint(first % kColumns, first / kColumns) - Tester::pattern(piece[0], piece[1])[0];
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
    QCOMPARE(picture(window), shown(tester.board()));
    QCOMPARE(picture(window, true), preview(tester));
    QCOMPARE(debugLines.join(' '), log);
    QCOMPARE(window.findChild<QLabel *>("Score")->text(), "分数:" + QString::number(score));
    QCOMPARE(closer.seen, over ? QStringList{kGameOver} : QStringList());
    auto *button = window.findChild<QPushButton *>("StartGame");
    QCOMPARE(button->text() + (button->isEnabled() ? " on" : " off"),
             over ? "重新开始 on" : "正在游戏... off");
}

// Plays seeded games of random ticks and keys, steered so that rows fill up, and checks after
// every event that the model and the picture stay sound and that play makes progress.
void tst_MainWindow::randomPlay()
{
    const uint randomSeed = 20261206;
    std::mt19937 random(randomSeed);
    auto window = std::make_unique<MainWindow>();
    Tester tester(*window);
    // Drawn ahead, then seeded again after the window's clock seed: a piece is the next 2 draws.
    Tester::seed(randomSeed);
    QVector<int> draws;
    while (draws.size() < 20000)
        draws << Tester::draw() % kShapeCount << Tester::draw() % kRotationCount;
    Tester::seed(randomSeed);
    auto drawn = draws.cbegin();
    BoxCloser closer(*window, tester);
    auto *label = window->findChild<QLabel *>("Score");
    startGame(*window);
    const auto filled = [](const QStringList &rows) {
        return kRows * kColumns - rows.join(QString()).count('.');
    };
    const Qt::KeyboardModifiers modifiers[]
            = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier};
    int games = 0, events = 0, rows = 0, spawned = 0, target = kSpawnColumn;
    for (bool start = true; start || games < 50 || events < 10000; ++events) {
        QVERIFY2(events < 40000, "the games never end");
        if (start) {
            // A (re)start clears board and score, drops the first new piece, previews the second.
            QCOMPARE(filled(tester.board()), 4);
            QCOMPARE(label->text(), "分数:0");
            QCOMPARE(tester.timer()->interval(), 700);
            QCOMPARE(tester.pieces(), QVector<int>(drawn, drawn + 4));
            QCOMPARE(picture(*window), shown(tester.board()));
            QCOMPARE(picture(*window, true), preview(tester));
            drawn += 4;
            ++games;
            start = false;
        }
        const QStringList boardBefore = tester.board();
        const QVector<int> before = tester.pieces();
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
        QCOMPARE(filled(board) - filled(boardBefore), 4 * entered - 10 * cleared);
        QVERIFY(tick || cleared == 0);
        QCOMPARE(label->text(), "分数:" + QString::number(tester.score()));
        QCOMPARE(picture(*window), shown(board));
        QVERIFY(!tester.isMoving());
        rows += cleared;
        spawned += entered;
        if (entered) {
            // The piece from the preview falls, and the preview shows the next draw.
            QCOMPARE(tester.pieces(), before.mid(2) + QVector<int>(drawn, drawn + 2));
            QCOMPARE(picture(*window, true), preview(tester));
            drawn += 2;
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
            QTest::mouseClick(window->findChild<QPushButton *>("StartGame"), Qt::LeftButton);
            start = true;
        }
    }
    QCOMPARE(closer.seen.count(kGameOver), games - 1);
    qInfo("random play: seed %u, %d games, %d pieces, %d events, %d rows cleared", randomSeed,
          games, games + spawned, events, rows);
    QVERIFY2(rows > 0 && spawned > 5 * games, "play makes no progress");
    // Destroyed in the middle of a game, with its timer running.
    window.reset();
}

// On Windows, as its check runs it: the style that KUBRISK_LOOK names, and the score's and the
// button's backgrounds (mean lightness) and texts (extreme pixels) on the side of its tone.
void tst_MainWindow::look()
{
    const QStringList look = qEnvironmentVariable("KUBRISK_LOOK").split(' ');
    if (look.size() != 2)
        QSKIP("KUBRISK_LOOK names no style and tone");
    MainWindow window;
    QVERIFY(showExposed(window));
    QCOMPARE(QApplication::style()->objectName(), look[0]);
    for (const char *name : {"Score", "StartGame"}) {
        const QImage image = window.findChild<QWidget *>(name)->grab().toImage();
        qreal mean = 0, darkest = 1, lightest = 0;
        for (int i = 0; i < image.width() * image.height(); ++i) {
            const qreal lightness
                    = QColor(image.pixel(i % image.width(), i / image.width())).lightnessF();
            mean += lightness / (image.width() * image.height());
            darkest = std::min(darkest, lightness);
            lightest = std::max(lightest, lightness);
        }
        qInfo("%s: background %.2f, text %.2f to %.2f", name, mean, darkest, lightest);
        QVERIFY(look[1] == "dark" ? mean < 0.5 && lightest > 0.5 : mean > 0.5 && darkest < 0.5);
    }
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
