// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/board_window/board_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <array>
#include <optional>

#include "engine/game_state.h"
#include "resources/texts.h"
#include "ui/board_window/board_canvas.h"

namespace tessarin {
namespace {

constexpr int CellCount = BoardSize * BoardSize;

// Children are numbered row by row, as a table's cells are: index = (row - 1) * 19 + column - 1.
int IndexOf(GridPoint point) { return (point.row - 1) * BoardSize + point.column - 1; }
GridPoint PointOf(int index) { return {index % BoardSize + 1, index / BoardSize + 1}; }

class BoardTable;

// One point of the board. Owned by Qt's accessibility cache; the table it belongs to deletes
// it when the table goes.
class BoardCell final : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    BoardCell(BoardTable* table, GridPoint point) : table_(table), point_(point) {}

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    // Not a table cell: Orca reads a table cell's whole row (19 points) whenever the row
    // changes. A list item it reads alone, by its name, without a role name.
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return point_.column - 1; }
    int rowIndex() const override { return point_.row - 1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

private:
    BoardTable* table_;
    GridPoint point_;
};

// The board canvas as a table. What stands on the board and where the keyboard point is are
// read through the board's view each time they are asked for: nothing here can go stale.
class BoardTable final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    BoardTable(BoardCanvas* canvas, const BoardView& view)
        : QAccessibleWidget(canvas, QAccessible::Table), view_(view) {}
    ~BoardTable() override {
        for (const QAccessible::Id id : cellIds_) {
            if (id != 0) QAccessible::deleteAccessibleInterface(id);
        }
    }

    // The next question about `point` gets a new object.
    void Renew(GridPoint point) {
        QAccessible::Id& id = cellIds_[IndexOf(point)];
        if (id != 0) QAccessible::deleteAccessibleInterface(id);
        id = 0;
    }
    void SetNote(std::optional<GridPoint> point, const QString& note) {
        notePoint_ = point;
        note_ = note;
    }
    QString NoteFor(GridPoint point) const {
        return notePoint_ && notePoint_->column == point.column && notePoint_->row == point.row
                   ? note_
                   : QString();
    }

    BoardCell* Cell(GridPoint point) const {
        if (!OnBoard(point.column, point.row)) return nullptr;
        QAccessible::Id& id = cellIds_[IndexOf(point)];
        if (id == 0) {
            id = QAccessible::registerAccessibleInterface(
                new BoardCell(const_cast<BoardTable*>(this), point));
        }
        return static_cast<BoardCell*>(QAccessible::accessibleInterface(id));
    }
    std::int16_t Stone(GridPoint point) const { return view_.game.Board(point.column, point.row); }
    bool HasFocusAt(GridPoint point) const {
        const auto& keyPoint = view_.keyboardPoint;
        return keyPoint && *keyPoint == point && widget()->hasFocus();
    }
    // A point's square on the screen, one cell wide, centred on the point.
    QRect CellRect(GridPoint point) const {
        const GameState& game = view_.game;
        const Twips scale = Twips::For(widget());
        const double half = game.CellSize / 2.0;
        const QPointF centre(LinePosition(point.column, game.CellSize, game.Margin),
                             LinePosition(point.row, game.CellSize, game.Margin));
        const QRectF twips(centre - QPointF(half, half), centre + QPointF(half, half));
        const QRect pixels =
            QRectF(scale.ToPixels(twips.topLeft()), scale.ToPixels(twips.bottomRight())).toRect();
        return pixels.translated(widget()->mapToGlobal(QPoint(0, 0)));
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return QString::fromUtf8(texts::BoardName);
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return CellCount; }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < CellCount ? Cell(PointOf(index)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        // Qt asks with a const pointer, but reading a cell's place is a non-const call.
        auto* cell =
            child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
        if (!cell || cell->table() != this) return -1;
        return cell->rowIndex() * BoardSize + cell->columnIndex();
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const GameState& game = view_.game;
        const QPointF twips =
            Twips::For(widget()).ToTwips(QPointF(widget()->mapFromGlobal(QPoint(x, y))));
        const GridPoint point = PointFromPosition(twips.x(), twips.y(), game.CellSize, game.Margin);
        return Cell(point);
    }
    QAccessibleInterface* focusChild() const override {
        const auto& keyPoint = view_.keyboardPoint;
        return keyPoint && widget()->window()->focusWidget() == widget() ? Cell(*keyPoint)
                                                                         : nullptr;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return Cell({column + 1, row + 1});
    }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override { return QString::number(column + 1); }
    QString rowDescription(int row) const override { return QString::number(row + 1); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return BoardSize; }
    int rowCount() const override { return BoardSize; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    const BoardView& view_;
    mutable std::array<QAccessible::Id, CellCount> cellIds_{};
    std::optional<GridPoint> notePoint_;
    QString note_;
};

bool BoardCell::isValid() const { return table_->isValid(); }
QWindow* BoardCell::window() const { return table_->window(); }
QAccessibleInterface* BoardCell::parent() const { return table_; }
QAccessibleInterface* BoardCell::table() const { return table_; }
QRect BoardCell::rect() const { return table_->CellRect(point_); }

QString BoardCell::text(QAccessible::Text t) const {
    if (t == QAccessible::Name) return PointName(point_, table_->Stone(point_));
    if (t == QAccessible::Description) return table_->NoteFor(point_);
    return QString();
}

QAccessible::State BoardCell::state() const {
    QAccessible::State state;
    state.focusable = true;
    state.focused = table_->HasFocusAt(point_);
    return state;
}

QAccessibleInterface* BoardFactory(const QString&, QObject* object) {
    auto* canvas = qobject_cast<BoardCanvas*>(object);
    const BoardView* view = canvas ? canvas->View() : nullptr;
    return view ? new BoardTable(canvas, *view) : nullptr;
}

// The board's table. Built on first use, it builds no cell until one is asked for: one a key.
BoardTable* ListenedTable(BoardCanvas* canvas) {
    return dynamic_cast<BoardTable*>(QAccessible::queryAccessibleInterface(canvas));
}

void GiveFocus(BoardTable* table, GridPoint point) {
    QAccessibleEvent event(table->Cell(point), QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

}  // namespace

QString PointName(GridPoint point, std::int16_t cell) {
    const char* what = cell == HumanSide      ? texts::CellRed
                       : cell == ComputerSide ? texts::CellBlack
                                              : texts::CellEmpty;
    return QStringLiteral("(%1,%2) ").arg(point.column).arg(point.row) + QString::fromUtf8(what);
}

void InstallBoardAccessibility(BoardCanvas* canvas, const BoardView* view) {
    static const bool installed = [] {
        QAccessible::installFactory(BoardFactory);
        return true;
    }();
    (void)installed;
    canvas->SetView(view);
}

void BoardFocusMoved(BoardCanvas* canvas, GridPoint point) {
    BoardTable* table = ListenedTable(canvas);
    if (!table || !OnBoard(point.column, point.row)) return;
    table->SetNote(std::nullopt, {});
    GiveFocus(table, point);
}

void BoardFocusReturned(BoardCanvas* canvas, GridPoint point) {
    BoardTable* table = ListenedTable(canvas);
    if (table && OnBoard(point.column, point.row)) GiveFocus(table, point);
}

void BoardLeft(BoardCanvas* canvas) {
    if (BoardTable* table = ListenedTable(canvas)) table->SetNote(std::nullopt, {});
}

void BoardCellChanged(BoardCanvas* canvas, GridPoint point) {
    BoardTable* table = ListenedTable(canvas);
    if (table && OnBoard(point.column, point.row)) table->Renew(point);
}

void BoardAnnounce(BoardCanvas* canvas, GridPoint point, const QString& note) {
    BoardTable* table = ListenedTable(canvas);
    if (!table || !OnBoard(point.column, point.row)) return;
    table->Renew(point);
    table->SetNote(point, note);
    GiveFocus(table, point);
}

}  // namespace tessarin
