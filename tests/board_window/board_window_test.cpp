// The board window driven like a user would, offscreen, with the message box, the random
// generator and the settings store replaced.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <memory>

#include "engine/game_state.h"
#include "tests/board_window/memory_settings.h"
#include "tests/support/qt_printers.h"
#include "tests/support/recorders.h"
#include "ui/board_window/board_canvas.h"
#include "ui/board_window/board_geometry.h"
#include "ui/board_window/board_window.h"

namespace tessarin {
namespace {

using testing::MemorySettings;
using testing::RecordingMessageBox;
using testing::ScriptedRandom;

constexpr QRgb Red = 0xFF0000;  // pixels are compared without their alpha
constexpr QRgb Black = 0x000000;

class BoardWindowTest : public ::testing::Test {
protected:
    void Open() {
        form = std::make_unique<Form1>(BoardServices{messages, random, settings, nullptr});
    }
    void Show() {
        if (!form) Open();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    GameState& game() { return form->Game(); }

    // Pixel position of a board point on the canvas, from the geometry the game holds now.
    QPoint PixelOf(int column, int row) const {
        const Twips scale = form->Canvas()->Scale();
        GameState& g = form->Game();
        return QPointF(scale.ToPixelsX(LinePosition(column, g.CellSize, g.Margin)),
                       scale.ToPixelsY(LinePosition(row, g.CellSize, g.Margin)))
            .toPoint();
    }
    void Release(QPoint pixel, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(form->Canvas(), button, Qt::NoModifier, pixel);
    }
    // A pointer movement delivered straight to the canvas, at any position, fractions included.
    void MoveTo(QPointF pixel) {
        QMouseEvent move(QEvent::MouseMove, pixel, form->Canvas()->mapToGlobal(pixel), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form->Canvas(), &move);
    }
    void ClickPoint(int column, int row, Qt::MouseButton button = Qt::LeftButton) {
        Release(PixelOf(column, row), button);
    }
    QRgb PixelAt(int column, int row) {
        const QImage image = form->Canvas()->Snapshot();
        const QPoint p = (QPointF(PixelOf(column, row)) * image.devicePixelRatio()).toPoint();
        return image.pixel(p) & 0xFFFFFF;
    }
    // Whether the grid passes within a pixel of the point: lines fall on whole pixels, the
    // point's exact position need not.
    bool GridCrossingAt(int column, int row) {
        const QImage image = form->Canvas()->Snapshot();
        const QPoint p = (QPointF(PixelOf(column, row)) * image.devicePixelRatio()).toPoint();
        int dark = 0;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                dark += (image.pixel(p + QPoint(dx, dy)) & 0xFFFFFF) == Black;
        return dark > 0;
    }
    int Stones(std::int16_t side) {
        int n = 0;
        for (int x = 1; x <= BoardSize; ++x)
            for (int y = 1; y <= BoardSize; ++y) n += game().Board(x, y) == side;
        return n;
    }
    void PutStones(std::int16_t side, std::initializer_list<Point> points) {
        for (Point p : points) game().Board(p.x, p.y) = side;
    }

    RecordingMessageBox messages;
    ScriptedRandom random;
    MemorySettings settings;
    std::unique_ptr<Form1> form;
};

TEST_F(BoardWindowTest, LoadsCountersSeedsAndFillsRemarksBeforeShowing) {
    settings.Set("PersonGrade", "4");
    settings.Set("ComputerGrade", "-2");
    Open();
    EXPECT_EQ(random.seeds, 1);
    EXPECT_EQ(random.draws, 0);
    EXPECT_EQ(game().PersonGrade, 4);
    EXPECT_EQ(game().ComputerGrade, -2);
    EXPECT_EQ(game().PersonWinMessages[0], "哇！你太強了吧！");
    EXPECT_EQ(game().ComputerWinMessages[10], "想贏我，哼！還早的很呢！");
    // The grid is in place before the window is shown.
    EXPECT_EQ(game().CellSize, 336);
    EXPECT_EQ(game().StoneRadius, 168);
    EXPECT_EQ(game().Margin, 200);
    EXPECT_EQ(form->windowTitle(), "Tessarin");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BoardWindowTest, LoadSeedsFirstThenReadsAndCloseWritesInOrder) {
    // Notes its seeding in the same log as the settings store, to see what came first.
    class LoggingRandom final : public RandomSource {
    public:
        explicit LoggingRandom(std::vector<QString>& log) : log_(log) {}
        void SeedRandom() override { log_.push_back("seed"); }
        float NextRandom() override { return 0.0f; }

    private:
        std::vector<QString>& log_;
    } loggingRandom(settings.log);
    settings.Set("PersonGrade", "3");
    {
        Form1 window({messages, loggingRandom, settings, nullptr});
        window.show();
        window.close();
    }
    // The close reads the counts again and writes them back, all under the store's lock.
    const std::vector<QString> expected = {"seed",
                                           "read PersonGrade",
                                           "read ComputerGrade",
                                           "lock Tessarin",
                                           "read PersonGrade",
                                           "read ComputerGrade",
                                           "save PersonGrade=3",
                                           "save ComputerGrade=0",
                                           "unlock"};
    EXPECT_EQ(settings.log, expected);
}

TEST_F(BoardWindowTest, MenuBarHasTheFourCommandsAtTopLevel) {
    Open();
    const QList<QAction*> items = form->menuBar()->actions();
    ASSERT_EQ(items.size(), 4);
    const char* captions[] = {"重來(&N)", "提示(&H)", "比數(&G)", "關於(&A)"};
    const char* names[] = {"重來", "提示", "比數", "關於"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items[i]->text(), QString::fromUtf8(captions[i]));
        EXPECT_EQ(items[i]->objectName(), QString::fromUtf8(names[i]));
        EXPECT_EQ(items[i]->menu(), nullptr);
    }
}

TEST_F(BoardWindowTest, ShowsSquareWithTheInitialGrid) {
    Show();
    EXPECT_EQ(form->frameGeometry().width(), form->frameGeometry().height());
    EXPECT_EQ(game().CellSize, 336);  // squaring kept the designed client height
    EXPECT_EQ(game().CellSize, CellSizeForHeight(form->Canvas()->ScaleHeight()));
    // Drawn at the screen's own density, so it stays sharp on high-density screens.
    EXPECT_EQ(form->Canvas()->Snapshot().devicePixelRatio(), form->Canvas()->devicePixelRatioF());
    EXPECT_TRUE(GridCrossingAt(1, 1));
    EXPECT_TRUE(GridCrossingAt(19, 19));
    EXPECT_TRUE(GridCrossingAt(10, 10));
    EXPECT_NE(PixelAt(10, 10), Red);
}

TEST_F(BoardWindowTest, TitleFollowsThePointerEverywhere) {
    Show();
    const Twips scale = form->Canvas()->Scale();
    struct Case {
        double x, y;
        const char* title;
    };
    const Case cases[] = {
        {3224, 3224, "Tessarin  (10,10)"},
        {100, 6300, "Tessarin  (1,19)"},
        {6500, 100, "Tessarin  (20,1)"},
    };
    for (const Case& c : cases) {
        MoveTo(QPointF(scale.ToPixelsX(c.x), scale.ToPixelsY(c.y)));
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(c.title)) << c.x << "," << c.y;
    }
}

TEST_F(BoardWindowTest, AWholeTurnFromOneRelease) {
    Show();
    // Every tie replaces the point held: the last of the eight best neighbours wins.
    random.Always(0.5f);
    ClickPoint(10, 10, Qt::RightButton);  // any button plays
    EXPECT_EQ(game().Board(10, 10), HumanSide);
    EXPECT_EQ(game().Board(11, 11), ComputerSide);
    EXPECT_EQ(game().CurX, 11);
    EXPECT_EQ(game().CurY, 11);
    EXPECT_EQ(game().SideFlag, BoolFalse);
    EXPECT_EQ(PixelAt(10, 10), Red);
    EXPECT_EQ(PixelAt(11, 11), Black);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BoardWindowTest, RefusedReleasesOnlyMoveTheCursor) {
    Show();
    random.Always(0.0f);
    ClickPoint(10, 10);
    const BoardCells before = game().Board;
    const int drawsBefore = random.draws;
    const Twips scale = form->Canvas()->Scale();
    struct Case {
        QPoint pixel;
        int x, y;
    };
    const Case cases[] = {
        {PixelOf(10, 10), 10, 10},  // own stone
        {PixelOf(9, 9), 9, 9},      // the computer's reply: no draw ever replaced (9, 9)
        {QPointF(scale.ToPixelsX(6500), scale.ToPixelsY(3224)).toPoint(), 20, 10},  // right margin
    };
    ASSERT_EQ(game().Board(9, 9), ComputerSide);
    for (const Case& c : cases) {
        Release(c.pixel);
        EXPECT_EQ(game().CurX, c.x);
        EXPECT_EQ(game().CurY, c.y);
        EXPECT_EQ(game().Board.cells, before.cells);
        EXPECT_EQ(random.draws, drawsBefore);
        EXPECT_EQ(game().SideFlag, BoolFalse);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BoardWindowTest, HumanFiveEndsTheGameWithoutReplyAndKeepsTheTallyAtOnce) {
    settings.Set("PersonGrade", "2");
    Show();
    PutStones(HumanSide, {{3, 3}, {4, 4}, {5, 5}, {6, 6}});
    random.Script({0.0f});  // remark index 0
    ClickPoint(7, 7);
    EXPECT_EQ(game().GameOver, BoolTrue);
    EXPECT_EQ(Stones(ComputerSide), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], "哇！你太強了吧！");
    EXPECT_EQ(game().PersonGrade, 3);
    // Written right after the win, not only at close.
    EXPECT_EQ(settings.Get("PersonGrade"), "3");
    EXPECT_EQ(settings.Get("ComputerGrade"), "0");
    // The game takes no more stones; the title still follows the pointer.
    ClickPoint(15, 15);
    EXPECT_EQ(game().Board(15, 15), EmptyCell);
    MoveTo(PixelOf(2, 3));
    EXPECT_EQ(form->windowTitle(), "Tessarin  (2,3)");
}

TEST_F(BoardWindowTest, NewGameClearsBoardAndSurfaceButNotCountersOrHint) {
    Show();
    random.Always(0.0f);
    ClickPoint(10, 10);
    form->ShowHint();
    const QString hint = form->HintItem()->text();
    game().GameOver = BoolTrue;
    game().PersonGrade = 5;
    form->findChild<QAction*>(QStringLiteral("重來"))->trigger();
    EXPECT_EQ(Stones(HumanSide) + Stones(ComputerSide), 0);
    EXPECT_EQ(game().GameOver, BoolFalse);
    EXPECT_EQ(game().SideFlag, BoolFalse);
    EXPECT_EQ(game().PersonGrade, 5);
    EXPECT_EQ(form->HintItem()->text(), hint);
    EXPECT_NE(PixelAt(10, 10), Red);
    EXPECT_TRUE(GridCrossingAt(10, 10));
    ClickPoint(10, 10);
    EXPECT_EQ(PixelAt(10, 10), Red);
}

TEST_F(BoardWindowTest, HintWritesOnlyItsOwnCaption) {
    Show();
    random.Always(0.0f);  // no tie ever replaces: the first of the best points stays
    form->findChild<QAction*>(QStringLiteral("提示"))->trigger();
    EXPECT_EQ(form->HintItem()->text(), "提示(&H)(5,5)");
    EXPECT_EQ(Stones(HumanSide) + Stones(ComputerSide), 0);
    EXPECT_EQ(game().SideFlag, BoolFalse);
    // After the end of a game it still scans.
    game().GameOver = BoolTrue;
    PutStones(ComputerSide, {{1, 1}, {2, 1}, {3, 1}, {4, 1}});
    form->ShowHint();
    EXPECT_EQ(form->HintItem()->text(), "提示(&H)(5,1)");
}

TEST_F(BoardWindowTest, ScoreBoxRemarkAndTally) {
    struct Case {
        int person, computer;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "你竟然這麼厲害！\r\n0:0"},     {2, 2, "你竟然這麼厲害！\r\n2:2"},
        {1, 4, "慢慢加油吧！\r\n1:4"},         {3, 5, "慢慢加油吧！\r\n3:5"},
        {-1, -3, "你竟然這麼厲害！\r\n-1:-3"}, {32767, -32768, "你竟然這麼厲害！\r\n32767:-32768"},
    };
    Open();
    for (const Case& c : cases) {
        game().PersonGrade = static_cast<std::int16_t>(c.person);
        game().ComputerGrade = static_cast<std::int16_t>(c.computer);
        messages.shown.clear();
        form->findChild<QAction*>(QStringLiteral("比數"))->trigger();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0], c.text);
    }
}

TEST_F(BoardWindowTest, ClosingWritesBothCountersAndAcceptsEvenWhenTheStoreFails) {
    Show();
    game().PersonGrade = 2;
    EXPECT_TRUE(form->close());
    EXPECT_EQ(settings.Get("PersonGrade"), "2");
    EXPECT_EQ(settings.Get("ComputerGrade"), "0");

    settings.failWrites = true;
    Show();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(BoardWindowTest, UnusableStoredValuesReadAsZero) {
    const char* stored[] = {"abc", "", "32768", "-32769", "1.5", "0x10", " 7", "99999999999"};
    for (const char* value : stored) {
        settings.Set("PersonGrade", QString::fromLatin1(value));
        settings.Set("ComputerGrade", "6");
        Open();
        EXPECT_EQ(game().PersonGrade, 0) << value;
        EXPECT_EQ(game().ComputerGrade, 6) << value;
    }
    settings.failReads = true;
    Open();
    EXPECT_EQ(game().ComputerGrade, 0);
}

TEST_F(BoardWindowTest, ResizeSquaresTheWindowAndRedrawsTheStones) {
    Show();
    random.Always(0.0f);
    ClickPoint(10, 10);
    ASSERT_EQ(game().Board(9, 9), ComputerSide);
    const BoardCells board = game().Board;

    struct Case {
        int width, height;
    };
    const Case cases[] = {{400, 700}, {800, 500}, {300, 300}, {1000, 1000}};
    for (const Case& c : cases) {
        form->resize(c.width, c.height);
        QTest::qWait(1);
        const QSize outer = form->frameGeometry().size();
        EXPECT_EQ(outer.width(), outer.height()) << c.width << "x" << c.height;
        EXPECT_EQ(game().CellSize, CellSizeForHeight(form->Canvas()->ScaleHeight()));
        // The game goes on and is still on screen, at the new geometry.
        EXPECT_EQ(game().Board.cells, board.cells);
        EXPECT_EQ(game().SideFlag, BoolFalse);
        EXPECT_EQ(PixelAt(10, 10), Red);
        EXPECT_EQ(PixelAt(9, 9), Black);
    }
}

TEST_F(BoardWindowTest, AWindowKeptTallerThanWideSizesTheGridByItsWidth) {
    Show();
    // A window manager that will not let the window lose height, at a size the desktop holds
    // at any scale.
    const int height = form->height();
    form->setMinimumHeight(height);
    form->resize(height * 2 / 3, height);
    QTest::qWait(1);
    ASSERT_GT(form->Canvas()->height(), form->Canvas()->width());
    EXPECT_EQ(game().CellSize, CellSizeForHeight(form->Canvas()->ScaleWidth()));
    const QPoint last = PixelOf(BoardSize, BoardSize);
    EXPECT_LT(last.x(), form->Canvas()->width());
    EXPECT_TRUE(GridCrossingAt(BoardSize, BoardSize));
    random.Always(0.0f);
    ClickPoint(BoardSize, 1);
    EXPECT_EQ(game().Board(BoardSize, 1), HumanSide);
    EXPECT_EQ(PixelAt(BoardSize, 1), Red);
}

TEST_F(BoardWindowTest, MaximizedWindowKeepsItsDrawing) {
    Show();
    random.Always(0.0f);
    ClickPoint(10, 10);
    const std::int16_t cellSize = game().CellSize;
    form->showMaximized();
    QTest::qWait(20);
    EXPECT_EQ(game().CellSize, cellSize);  // the handler did nothing while maximized
    EXPECT_EQ(PixelAt(10, 10), Red);
    form->showNormal();
    QTest::qWait(20);
    EXPECT_EQ(PixelAt(10, 10), Red);
}

TEST_F(BoardWindowTest, ReleasesFarOutsideTheBoardPlaceNothing) {
    Show();
    const QPointF far[] = {{-100000, 40}, {40, -3e7}, {1e7, 1e7}, {3e9, -3e9}};
    for (QPointF at : far) {
        QMouseEvent release(QEvent::MouseButtonRelease, at, form->Canvas()->mapToGlobal(at),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form->Canvas(), &release);
        EXPECT_FALSE(OnBoard(game().CurX, game().CurY)) << at.x() << "," << at.y();
    }
    EXPECT_EQ(Stones(HumanSide) + Stones(ComputerSide), 0);
    EXPECT_EQ(random.draws, 0);
}

}  // namespace
}  // namespace tessarin
