// SPDX-License-Identifier: GPL-3.0-or-later
// Playing from the keyboard, and the board as a screen reader reads it: the real window,
// offscreen, driven by key events and judged by the game, the title, the pixels on screen and
// the accessible table.

#include <gtest/gtest.h>

#include <QAccessible>

#include "tests/support/board_window_driver.h"
#include "tests/support/qt_printers.h"

namespace tessarin {
namespace {

using testing::Window;

QString Title(int column, int row) {
    return QStringLiteral("Tessarin  (%1,%2)").arg(column).arg(row);
}

TEST(KeyboardPlay, TheBoardHasTheKeyboardFromTheStart) {
    Window w;
    EXPECT_EQ(w.form.focusWidget(), w.canvas());
    EXPECT_FALSE(w.form.KeyboardPoint().has_value());
    // Alt still reaches the menu bar: Alt+G is the score box.
    QTest::keyClick(w.canvas(), Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(w.messages.shown.size(), 1u);
    EXPECT_FALSE(w.form.KeyboardPoint().has_value());
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

TEST(KeyboardPlay, KeysWithModifiersAreNotBoardKeys) {
    Window w;
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
    mouse.Click(10, 10);
    EXPECT_EQ(w.canvas()->Snapshot(), mouse.canvas()->Snapshot());
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

TEST(KeyboardDrawing, AMouseOnlyGameShowsExactlyItsPicture) {
    Window w;
    w.random.Always(0.0f);
    for (const QPoint point : {QPoint(10, 10), QPoint(12, 7), QPoint(3, 17)}) {
        w.MoveTo(w.PixelOf(point.x(), point.y()));
        w.Click(point.x(), point.y());
    }
    EXPECT_EQ(w.OnScreen(), w.Picture());
}

// --- The board as a screen reader reads it -------------------------------------------------

// What a screen reader finds. (Whether Qt hands the focus and name-change events on to the
// platform is seen end to end, over AT-SPI: the offscreen platform drops every event.)
QString NameAt(QAccessibleInterface* table, int column, int row) {
    return table->tableInterface()->cellAt(row - 1, column - 1)->text(QAccessible::Name);
}

TEST(BoardAccessibility, TheBoardIsATableOfNamedPoints) {
    Window w;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(w.canvas());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->text(QAccessible::Name), "棋盤");
    ASSERT_NE(table->tableInterface(), nullptr);
    EXPECT_EQ(table->tableInterface()->rowCount(), 19);
    EXPECT_EQ(table->tableInterface()->columnCount(), 19);
    EXPECT_EQ(table->childCount(), 361);
    QAccessibleInterface* cell = table->tableInterface()->cellAt(2, 6);  // row 3, column 7
    ASSERT_NE(cell, nullptr);
    // An item, not a table cell: Orca reads a table cell's whole row at every change of row.
    EXPECT_EQ(cell->role(), QAccessible::ListItem);
    EXPECT_EQ(cell->text(QAccessible::Name), "(7,3) 空");
    EXPECT_EQ(cell->parent(), table);
    EXPECT_EQ(table->indexOfChild(cell), 2 * 19 + 6);
    EXPECT_EQ(table->child(2 * 19 + 6), cell);
    EXPECT_EQ(cell->tableCellInterface()->columnIndex(), 6);
    EXPECT_EQ(cell->tableCellInterface()->rowIndex(), 2);
    // The cell's square on screen holds the point, and the point finds the cell.
    const QPoint centre = w.canvas()->mapToGlobal(w.PixelOf(7, 3));
    EXPECT_TRUE(cell->rect().contains(centre));
    EXPECT_EQ(table->childAt(centre.x(), centre.y()), cell);
    EXPECT_EQ(table->tableInterface()->cellAt(19, 0), nullptr);
}

TEST(BoardAccessibility, FocusFollowsTheKeyboardPointAndNamesFollowTheStones) {
    Window w;
    w.random.Always(0.0f);  // the reply is (9, 9)
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(w.canvas());
    EXPECT_EQ(table->focusChild(), nullptr);
    w.Keys("Up Right");
    EXPECT_EQ(table->focusChild(), table->tableInterface()->cellAt(9, 10));
    EXPECT_TRUE(table->focusChild()->state().focused);
    w.Keys("Left");
    const QAccessible::Id before = QAccessible::uniqueId(table->focusChild());
    w.Keys("Space");
    EXPECT_EQ(table->focusChild(), table->tableInterface()->cellAt(9, 9));
    // The played point is a new object: a reader given the focus there speaks it anew.
    EXPECT_NE(QAccessible::uniqueId(table->focusChild()), before);
    EXPECT_FALSE(table->tableInterface()->cellAt(9, 10)->state().focused);
    EXPECT_EQ(NameAt(table, 10, 10), "(10,10) 紅子");
    EXPECT_EQ(NameAt(table, 9, 9), "(9,9) 黑子");
    // A reader speaks the focused cell; the reply follows as its note, until the point moves.
    auto note = [&](int column, int row) {
        return table->tableInterface()->cellAt(row - 1, column - 1)->text(QAccessible::Description);
    };
    EXPECT_EQ(note(10, 10), "(9,9) 黑子");
    w.Keys("Space");  // refused: no note
    EXPECT_EQ(note(10, 10), "");
    w.Keys("Space Left");
    EXPECT_EQ(note(10, 10), "");
    EXPECT_EQ(note(9, 10), "");
    w.form.NewGame();
    EXPECT_EQ(note(9, 10), "棋盤已清空");
    EXPECT_EQ(NameAt(table, 10, 10), "(10,10) 空");
    EXPECT_EQ(NameAt(table, 9, 9), "(9,9) 空");
}

}  // namespace
}  // namespace tessarin
