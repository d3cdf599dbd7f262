// SPDX-License-Identifier: GPL-3.0-or-later
// Playing from the keyboard: the real window, offscreen, driven by key events and judged by the
// game, the title and the pixels on screen.

#include <gtest/gtest.h>

#include "tests/support/board_window_driver.h"
#include "tests/support/qt_printers.h"

namespace tessarin {
namespace {

using testing::Window;

QString Title(int column, int row) {
    return QStringLiteral("Tessarin  (%1,%2)").arg(column).arg(row);
}

TEST(KeyboardPlay, KeysMoveThePointAndTheTitleAndStopAtTheEdges) {
    struct Case {
        const char* keys;
        int column, row;
    };
    const Case cases[] = {
        {"Right", 10, 10},  // the first key shows where the point starts
        {"Home", 10, 10},
        {"Space", 10, 10},  // ... and plays nothing
        {"Right Right", 11, 10},
        {"Down Left Left Up Up", 8, 8},
        {"Up Up Up Up Up Up Up Up Up Up Up Up", 10, 1},
        {"Left Left Left Left Left Left Left Left Left Left Left", 1, 10},
        {"Down Down Down Down Down Down Down Down Down Down Down", 10, 19},
        {"Right Right Right Right Right Right Right Right Right Right Right", 19, 10},
        {"Up Home", 1, 10},
        {"Up End", 19, 10},
        {"Up PgUp", 10, 1},
        {"Up PgDn", 10, 19},
        {"Up Home PgDn Left Down", 1, 19},
        {"Up End PgUp Right Up", 19, 1},
    };
    for (const Case& c : cases) {
        Window w;
        w.Keys(c.keys);
        ASSERT_TRUE(w.form.KeyboardPoint().has_value()) << c.keys;
        EXPECT_EQ(w.form.KeyboardPoint()->column, c.column) << c.keys;
        EXPECT_EQ(w.form.KeyboardPoint()->row, c.row) << c.keys;
        EXPECT_EQ(w.form.windowTitle(), Title(c.column, c.row)) << c.keys;
        EXPECT_EQ(w.game().Board.cells, BoardCells{}.cells) << c.keys;
    }
}

TEST(KeyboardPlay, TheBoardHasTheKeyboardFromTheStartButNotKeysWithModifiers) {
    Window w;
    EXPECT_EQ(w.form.focusWidget(), w.canvas());
    EXPECT_FALSE(w.form.KeyboardPoint().has_value());
    // Alt still reaches the menu bar: Alt+G is the score box.
    QTest::keyClick(w.canvas(), Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(w.messages.shown.size(), 1u);
    EXPECT_FALSE(w.form.KeyboardPoint().has_value());
    w.Keys("Up");
    for (Qt::KeyboardModifier modifier : {Qt::ControlModifier, Qt::ShiftModifier}) {
        QTest::keyClick(w.canvas(), Qt::Key_Right, modifier);
        QTest::keyClick(w.canvas(), Qt::Key_Space, modifier);
    }
    EXPECT_EQ(w.form.KeyboardPoint()->column, 10);
    EXPECT_EQ(w.game().Board(10, 10), EmptyCell);
}

// Plays the same points with keys in one window and with clicks in another: the games, the
// pictures and the boxes shown must be the same, refusals included.
TEST(KeyboardDrawing, SpaceAndEnterPlayExactlyAsAReleaseWould) {
    struct Step {
        const char* keys;  // from the point before
        int column, row;   // where that leaves the keyboard point
    };
    const Step steps[] = {
        {"Up Space", 10, 10},     // empty: red there, black reply
        {"Enter", 10, 10},        // own stone: refused
        {"Left KpEnter", 9, 10},  // the keypad's Enter plays too
        {"Up Space", 9, 9},       // the reply of a zero draw is (9, 9): the computer's stone
        {"End PgDn Enter", 19, 19},
    };
    Window keys, mouse;
    keys.random.Always(0.0f);
    mouse.random.Always(0.0f);
    for (const Step& s : steps) {
        keys.Keys(s.keys);
        mouse.Click(s.column, s.row);
        EXPECT_EQ(keys.game().Board.cells, mouse.game().Board.cells) << s.keys;
        EXPECT_EQ(keys.game().CurX, mouse.game().CurX) << s.keys;
        EXPECT_EQ(keys.game().CurY, mouse.game().CurY) << s.keys;
        EXPECT_EQ(keys.game().SideFlag, mouse.game().SideFlag) << s.keys;
        EXPECT_EQ(keys.random.draws, mouse.random.draws) << s.keys;
        EXPECT_EQ(keys.canvas()->Snapshot(), mouse.canvas()->Snapshot()) << s.keys;
    }
    EXPECT_EQ(keys.game().Board(10, 10), HumanSide);
    EXPECT_EQ(keys.game().Board(9, 9), ComputerSide);
    EXPECT_EQ(keys.game().Board(19, 19), HumanSide);
    EXPECT_TRUE(keys.messages.shown.empty());
}

TEST(KeyboardPlay, AfterAFiveKeysStillMoveButPlayNothing) {
    Window w;
    for (int i = 3; i <= 6; ++i) w.game().Board(i, 10) = HumanSide;
    w.random.Script({0.0f});            // the remark
    w.Keys("Up Left Left Left Space");  // (7, 10) makes five
    ASSERT_EQ(w.game().GameOver, BoolTrue);
    ASSERT_EQ(w.messages.shown.size(), 1u);
    // A reader hears the winning stone before the remark, which the box shows alone.
    EXPECT_EQ(w.messages.leads, std::vector<std::string>{"(7,10) 紅子"});
    const BoardCells over = w.game().Board;
    w.Keys("Right Space Down Enter");
    EXPECT_EQ(w.form.windowTitle(), Title(8, 11));
    EXPECT_EQ(w.game().Board.cells, over.cells);
    EXPECT_EQ(w.game().CurX, 8);
    EXPECT_EQ(w.game().CurY, 11);
    EXPECT_EQ(w.messages.shown.size(), 1u);
}

// Whether the highlight colour on screen outlines the point, and nothing else: the pixels of
// that colour are centred on it.
bool MarkAround(Window& w, int column, int row) {
    const QImage screen = w.OnScreen();
    const QRgb highlight = w.canvas()->palette().color(QPalette::Highlight).rgb() & 0xFFFFFF;
    QRect outline;
    for (int x = 0; x < screen.width(); ++x) {
        for (int y = 0; y < screen.height(); ++y) {
            if ((screen.pixel(x, y) & 0xFFFFFF) == highlight) outline |= QRect(x, y, 1, 1);
        }
    }
    const QPointF centre = QPointF(w.PixelOf(column, row)) * screen.devicePixelRatio();
    const QPointF off = QRectF(outline).center() - centre;
    return !outline.isEmpty() && std::abs(off.x()) <= 2 && std::abs(off.y()) <= 2;
}

TEST(KeyboardDrawing, TheMarkIsDrawnOverThePictureUntilThePointerMoves) {
    Window w;
    w.random.Always(0.0f);
    w.Keys("Up Space Right");
    EXPECT_TRUE(MarkAround(w, 11, 10));
    EXPECT_NE(w.OnScreen(), w.Picture());
    // Never in the retained picture: it equals a mouse player's picture of the same game.
    Window mouse;
    mouse.random.Always(0.0f);
    mouse.MoveTo(mouse.PixelOf(10, 10));
    mouse.Click(10, 10);
    EXPECT_EQ(w.canvas()->Snapshot(), mouse.canvas()->Snapshot());
    // A mouse player's game shows exactly its picture.
    for (const QPoint point : {QPoint(12, 7), QPoint(3, 17)}) {
        mouse.MoveTo(mouse.PixelOf(point.x(), point.y()));
        mouse.Click(point.x(), point.y());
    }
    EXPECT_EQ(mouse.OnScreen(), mouse.Picture());
    // It follows a resize, and goes at the next pointer move.
    w.form.resize(500, 560);
    EXPECT_TRUE(QTest::qWaitFor([&] { return MarkAround(w, 11, 10); }));
    w.MoveTo(w.PixelOf(3, 3));
    EXPECT_EQ(w.OnScreen(), w.Picture());
    EXPECT_EQ(w.form.windowTitle(), Title(3, 3));
    // The next key brings it back where it was left, moved.
    w.Keys("Down");
    EXPECT_TRUE(MarkAround(w, 11, 11));
}

}  // namespace
}  // namespace tessarin
