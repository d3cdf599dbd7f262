// SPDX-License-Identifier: GPL-3.0-or-later
// The board window driven like a user would, offscreen, with the message box, the random
// generator and the settings store replaced.

#include <gtest/gtest.h>

#include <QGlyphRun>
#include <QMenuBar>
#include <QRawFont>
#include <QTextLayout>

#include "tests/support/board_window_driver.h"
#include "tests/support/qt_printers.h"

namespace tessarin {
namespace {

using namespace testing;

TEST(BoardWindowTest, LoadsCountersSeedsAndFillsRemarksBeforeShowing) {
    Window w(Shown::No, Stored({{"PersonGrade", "4"}, {"ComputerGrade", "-2"}}));
    EXPECT_EQ(w.random.seeds, 1);
    EXPECT_EQ(w.random.draws, 0);
    EXPECT_EQ(w.game().PersonGrade, 4);
    EXPECT_EQ(w.game().ComputerGrade, -2);
    EXPECT_EQ(w.game().PersonWinMessages[0], "哇！你太強了吧！");
    EXPECT_EQ(w.game().ComputerWinMessages[10], "想贏我，哼！還早的很呢！");
    // The grid is in place before the window is shown.
    EXPECT_EQ(w.game().CellSize, 336);
    EXPECT_EQ(w.game().StoneRadius, 168);
    EXPECT_EQ(w.game().Margin, 200);
    EXPECT_EQ(w.form.windowTitle(), "Tessarin");
    EXPECT_TRUE(w.messages.shown.empty());
}

TEST(BoardWindowTest, LoadSeedsFirstThenReadsAndCloseWritesInOrder) {
    RecordedServices s;
    // Notes its seeding in the same log as the settings store, to see what came first.
    class LoggingRandom final : public RandomSource {
    public:
        explicit LoggingRandom(std::vector<QString>& log) : log_(log) {}
        void SeedRandom() override { log_.push_back("seed"); }
        float NextRandom() override { return 0.0f; }

    private:
        std::vector<QString>& log_;
    } loggingRandom(s.settings.log);
    s.settings.Set("PersonGrade", "3");
    {
        Form1 window({s.messages, loggingRandom, s.settings, nullptr});
        window.show();
        window.close();
    }
    // The close reads the counts again and writes both back at once, all under the store's lock.
    // The load reads under the lock too.
    const std::vector<QString> expected = {"seed",
                                           "lock Tessarin",
                                           "read Info",
                                           "unlock",
                                           "lock Tessarin",
                                           "read Info",
                                           "save PersonGrade=3 ComputerGrade=0",
                                           "unlock"};
    EXPECT_EQ(s.settings.log, expected);
}

// Lays the text out the way a widget would, with font fallback, and lists the faces of the
// glyphs that came out as glyph 0 (the "missing glyph" box).
QString MissingGlyphs(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QString missing;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        for (quint32 glyph : run.glyphIndexes()) {
            if (glyph == 0) missing += run.rawFont().familyName() + ' ';
        }
    }
    return missing;
}

// The Chinese captions render with a Chinese face, never as empty boxes.
TEST(BoardWindowTest, MenuBarHasTheFourCommandsAtTopLevelInAChineseFace) {
    // An unassigned code point has no glyph in any installed face: the check must see it.
    ASSERT_FALSE(MissingGlyphs(QString(QChar(0x0378)), QFont()).isEmpty());
    Window w(Shown::No);
    const QList<QAction*> items = w.form.menuBar()->actions();
    ASSERT_EQ(items.size(), 4);
    const char* captions[] = {"重來(&N)", "提示(&H)", "比數(&G)", "關於(&A)"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items[i]->text(), QString::fromUtf8(captions[i]));
        EXPECT_EQ(items[i]->objectName(), QString::fromUtf8(captions[i]).chopped(4));
        EXPECT_EQ(items[i]->menu(), nullptr);
        // With the figures a hint adds to its caption.
        const QString shown = items[i]->text().remove('&') + "(10,10)";
        EXPECT_EQ(MissingGlyphs(shown, w.form.menuBar()->font()), QString()) << shown.toStdString();
    }
}

TEST(BoardDrawing, ShowsSquareWithTheInitialGrid) {
    Window w;
    EXPECT_EQ(w.form.frameGeometry().width(), w.form.frameGeometry().height());
    EXPECT_EQ(w.game().CellSize, 336);  // squaring kept the designed client height
    EXPECT_EQ(w.game().CellSize, CellSizeForHeight(w.canvas()->ScaleHeight()));
    // Drawn at the screen's own density, so it stays sharp on high-density screens.
    EXPECT_EQ(w.canvas()->Snapshot().devicePixelRatio(), w.canvas()->devicePixelRatioF());
    EXPECT_TRUE(w.GridCrossingAt(1, 1));
    EXPECT_TRUE(w.GridCrossingAt(19, 19));
    EXPECT_TRUE(w.GridCrossingAt(10, 10));
    EXPECT_NE(w.PixelAt(10, 10), Red);
}

TEST(BoardDrawing, TitleFollowsThePointerEverywhere) {
    Window w;
    const Twips scale = w.canvas()->Scale();
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
        w.MoveTo(QPointF(scale.ToPixelsX(c.x), scale.ToPixelsY(c.y)));
        EXPECT_EQ(w.form.windowTitle(), QString::fromUtf8(c.title)) << c.x << "," << c.y;
    }
}

TEST(BoardDrawing, AWholeTurnFromOneRelease) {
    Window w;
    // Every tie replaces the point held: the last of the eight best neighbours wins.
    w.random.Always(0.5f);
    w.Click(10, 10, Qt::RightButton);  // any button plays
    EXPECT_EQ(w.game().Board(10, 10), HumanSide);
    EXPECT_EQ(w.game().Board(11, 11), ComputerSide);
    EXPECT_EQ(w.game().CurX, 11);
    EXPECT_EQ(w.game().CurY, 11);
    EXPECT_EQ(w.game().SideFlag, BoolFalse);
    EXPECT_EQ(w.PixelAt(10, 10), Red);
    EXPECT_EQ(w.PixelAt(11, 11), Black);
    EXPECT_TRUE(w.messages.shown.empty());
}

TEST(BoardDrawing, RefusedReleasesOnlyMoveTheCursor) {
    Window w;
    w.random.Always(0.0f);
    w.Click(10, 10);
    const BoardCells before = w.game().Board;
    const int drawsBefore = w.random.draws;
    const Twips scale = w.canvas()->Scale();
    struct Case {
        QPoint pixel;
        int x, y;
    };
    const Case cases[] = {
        {w.PixelOf(10, 10), 10, 10},  // own stone
        {w.PixelOf(9, 9), 9, 9},      // the computer's reply: no draw ever replaced (9, 9)
        {QPointF(scale.ToPixelsX(6500), scale.ToPixelsY(3224)).toPoint(), 20, 10},  // right margin
    };
    ASSERT_EQ(w.game().Board(9, 9), ComputerSide);
    for (const Case& c : cases) {
        w.ClickAt(c.pixel);
        EXPECT_EQ(w.game().CurX, c.x);
        EXPECT_EQ(w.game().CurY, c.y);
        EXPECT_EQ(w.game().Board.cells, before.cells);
        EXPECT_EQ(w.random.draws, drawsBefore);
        EXPECT_EQ(w.game().SideFlag, BoolFalse);
    }
    EXPECT_TRUE(w.messages.shown.empty());
}

TEST(BoardDrawing, HumanFiveEndsTheGameWithoutReplyAndKeepsTheTallyAtOnce) {
    Window w(Shown::Yes, Stored({{"PersonGrade", "2"}}));
    w.PutStones(HumanSide, {{3, 3}, {4, 4}, {5, 5}, {6, 6}});
    w.random.Script({0.0f});  // remark index 0
    w.Click(7, 7);
    EXPECT_EQ(w.game().GameOver, BoolTrue);
    EXPECT_EQ(w.Stones(ComputerSide), 0);
    EXPECT_EQ(w.messages.shown, std::vector<std::string>{"哇！你太強了吧！"});
    EXPECT_EQ(w.game().PersonGrade, 3);
    // Written right after the win, not only at close.
    EXPECT_EQ(w.settings.Get("PersonGrade"), "3");
    EXPECT_EQ(w.settings.Get("ComputerGrade"), "0");
    // The game takes no more stones; the title still follows the pointer.
    w.Click(15, 15);
    EXPECT_EQ(w.game().Board(15, 15), EmptyCell);
    w.MoveTo(w.PixelOf(2, 3));
    EXPECT_EQ(w.form.windowTitle(), "Tessarin  (2,3)");
}

TEST(BoardDrawing, NewGameClearsBoardAndSurfaceButNotCountersOrHint) {
    Window w;
    w.random.Always(0.0f);
    w.Click(10, 10);
    w.form.ShowHint();
    const QString hint = w.form.HintItem()->text();
    w.game().GameOver = BoolTrue;
    w.game().PersonGrade = 5;
    w.Choose("重來");
    EXPECT_EQ(w.Stones(HumanSide) + w.Stones(ComputerSide), 0);
    EXPECT_EQ(w.game().GameOver, BoolFalse);
    EXPECT_EQ(w.game().SideFlag, BoolFalse);
    EXPECT_EQ(w.game().PersonGrade, 5);
    EXPECT_EQ(w.form.HintItem()->text(), hint);
    EXPECT_NE(w.PixelAt(10, 10), Red);
    EXPECT_TRUE(w.GridCrossingAt(10, 10));
    w.Click(10, 10);
    EXPECT_EQ(w.PixelAt(10, 10), Red);
}

TEST(BoardWindowTest, HintWritesOnlyItsOwnCaption) {
    Window w;
    w.random.Always(0.0f);  // no tie ever replaces: the first of the best points stays
    w.Choose("提示");
    EXPECT_EQ(w.form.HintItem()->text(), "提示(&H)(5,5)");
    EXPECT_EQ(w.Stones(HumanSide) + w.Stones(ComputerSide), 0);
    EXPECT_EQ(w.game().SideFlag, BoolFalse);
    // After the end of a game it still scans.
    w.game().GameOver = BoolTrue;
    w.PutStones(ComputerSide, {{1, 1}, {2, 1}, {3, 1}, {4, 1}});
    w.form.ShowHint();
    EXPECT_EQ(w.form.HintItem()->text(), "提示(&H)(5,1)");
}

TEST(BoardWindowTest, ScoreBoxRemarkAndTally) {
    struct Case {
        int person, computer;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "你竟然這麼厲害！\r\n0:0"},     {2, 2, "你竟然這麼厲害！\r\n2:2"},
        {1, 4, "慢慢加油吧！\r\n1:4"},         {3, 5, "慢慢加油吧！\r\n3:5"},
        {-1, -3, "你竟然這麼厲害！\r\n-1:-3"}, {32767, -32768, "你竟然這麼厲害！\r\n32767:-32768"},
    };
    Window w(Shown::No);
    for (const Case& c : cases) {
        w.game().PersonGrade = static_cast<std::int16_t>(c.person);
        w.game().ComputerGrade = static_cast<std::int16_t>(c.computer);
        w.messages.shown.clear();
        w.Choose("比數");
        EXPECT_EQ(w.messages.shown, std::vector<std::string>{c.text});
    }
}

TEST(BoardWindowTest, ClosingAcceptsEvenWhenTheStoreFails) {
    Window w;
    w.settings.failWrites = true;
    EXPECT_TRUE(w.form.close());
    EXPECT_FALSE(w.form.isVisible());
}

TEST(BoardDrawing, ResizeSquaresTheWindowAndRedrawsTheStones) {
    Window w;
    w.random.Always(0.0f);
    w.Click(10, 10);
    ASSERT_EQ(w.game().Board(9, 9), ComputerSide);
    const BoardCells board = w.game().Board;
    for (const QSize size :
         {QSize(400, 700), QSize(800, 500), QSize(300, 300), QSize(1000, 1000)}) {
        w.form.resize(size);
        QTest::qWait(1);
        const QSize outer = w.form.frameGeometry().size();
        EXPECT_EQ(outer.width(), outer.height()) << size.width() << "x" << size.height();
        EXPECT_EQ(w.game().CellSize, CellSizeForHeight(w.canvas()->ScaleHeight()));
        // The game goes on and is still on screen, at the new geometry.
        EXPECT_EQ(w.game().Board.cells, board.cells);
        EXPECT_EQ(w.game().SideFlag, BoolFalse);
        EXPECT_EQ(w.PixelAt(10, 10), Red);
        EXPECT_EQ(w.PixelAt(9, 9), Black);
    }
}

TEST(BoardDrawing, AWindowKeptTallerThanWideSizesTheGridByItsWidth) {
    Window w;
    // A window manager that will not let the window lose height, at a size the desktop holds
    // at any scale.
    const int height = w.form.height();
    w.form.setMinimumHeight(height);
    w.form.resize(height * 2 / 3, height);
    QTest::qWait(1);
    ASSERT_GT(w.canvas()->height(), w.canvas()->width());
    EXPECT_EQ(w.game().CellSize, CellSizeForHeight(w.canvas()->ScaleWidth()));
    const QPoint last = w.PixelOf(BoardSize, BoardSize);
    EXPECT_LT(last.x(), w.canvas()->width());
    EXPECT_TRUE(w.GridCrossingAt(BoardSize, BoardSize));
    w.random.Always(0.0f);
    w.Click(BoardSize, 1);
    EXPECT_EQ(w.game().Board(BoardSize, 1), HumanSide);
    EXPECT_EQ(w.PixelAt(BoardSize, 1), Red);
}

TEST(BoardDrawing, MaximizedWindowKeepsItsDrawing) {
    Window w;
    w.random.Always(0.0f);
    w.Click(10, 10);
    const std::int16_t cellSize = w.game().CellSize;
    w.form.showMaximized();
    QTest::qWait(20);
    EXPECT_EQ(w.game().CellSize, cellSize);  // the handler did nothing while maximized
    EXPECT_EQ(w.PixelAt(10, 10), Red);
    w.form.showNormal();
    QTest::qWait(20);
    EXPECT_EQ(w.PixelAt(10, 10), Red);
}

TEST(BoardDrawing, ReleasesFarOutsideTheBoardPlaceNothing) {
    Window w;
    for (QPointF at :
         {QPointF(-100000, 40), QPointF(40, -3e7), QPointF(1e7, 1e7), QPointF(3e9, -3e9)}) {
        w.ReleaseAt(at);
        EXPECT_FALSE(OnBoard(w.game().CurX, w.game().CurY)) << at.x() << "," << at.y();
    }
    EXPECT_EQ(w.Stones(HumanSide) + w.Stones(ComputerSide), 0);
    EXPECT_EQ(w.random.draws, 0);
}

}  // namespace
}  // namespace tessarin
