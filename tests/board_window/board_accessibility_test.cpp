// SPDX-License-Identifier: GPL-3.0-or-later
// The board as a screen reader reads it: the real window, offscreen, judged by the accessible
// table its canvas offers.

#include <gtest/gtest.h>

#include <QAccessible>

#include "tests/support/board_window_driver.h"
#include "tests/support/qt_printers.h"

namespace tessarin {
namespace {

using testing::Window;

// What a screen reader finds. (Whether Qt hands the focus and name-change events on to the
// platform is seen end to end, over AT-SPI: the offscreen platform drops every event.)
QString TextAt(QAccessibleInterface* table, int column, int row,
               QAccessible::Text text = QAccessible::Name) {
    return table->tableInterface()->cellAt(row - 1, column - 1)->text(text);
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
    EXPECT_EQ(TextAt(table, 10, 10), "(10,10) 紅子");
    EXPECT_EQ(TextAt(table, 9, 9), "(9,9) 黑子");
    // A reader speaks the focused cell; the reply follows as its note, until the point moves.
    EXPECT_EQ(TextAt(table, 10, 10, QAccessible::Description), "(9,9) 黑子");
    w.Keys("Space");  // refused: the reason is the note
    EXPECT_EQ(TextAt(table, 10, 10, QAccessible::Description), "這裡已經有子了");
    w.Keys("Left");
    EXPECT_EQ(TextAt(table, 10, 10, QAccessible::Description), "");
    EXPECT_EQ(TextAt(table, 9, 10, QAccessible::Description), "");
    w.form.NewGame();
    EXPECT_EQ(TextAt(table, 9, 10, QAccessible::Description), "棋盤已清空");
    EXPECT_EQ(TextAt(table, 10, 10), "(10,10) 空");
    EXPECT_EQ(TextAt(table, 9, 9), "(9,9) 空");
}

}  // namespace
}  // namespace tessarin
