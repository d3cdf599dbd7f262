// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/board_window/board_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMenuBar>
#include <QShortcut>
#include <QStringList>
#include <QWindow>
#include <algorithm>
#include <cstdio>

#include "platform/client_size_request.h"
#include "platform/message_box.h"
#include "platform/random_source.h"
#include "resources/texts.h"
#include "ui/board_window/board_accessibility.h"
#include "ui/board_window/board_canvas.h"
#include "ui/board_window/board_geometry.h"
#include "ui/board_window/desktop_size_limit.h"

namespace tessarin {
namespace {

const QColor GridColour(0, 0, 0);
const QColor HumanColour(255, 0, 0);
const QColor ComputerColour(0, 0, 0);

WindowMode ModeOf(Qt::WindowStates state) {
    if (state & Qt::WindowMinimized) return WindowMode::Minimized;
    if (state & Qt::WindowFullScreen) return WindowMode::FullScreen;
    if (state & Qt::WindowMaximized) return WindowMode::Maximized;
    return WindowMode::Normal;
}

bool NormalState(Qt::WindowStates state) { return ModeOf(state) == WindowMode::Normal; }

// The frame as the window system reports it: a window manager's frame on X11, the title bar
// Qt draws itself on a Wayland compositor that leaves decoration to the client, none where the
// compositor draws one and keeps its size to itself. The widget's own frame geometry is a copy
// taken at moves, and a title bar drawn by Qt arrives without one.
FrameExtents FrameOf(const QWindow& window) {
    const QMargins margins = window.frameMargins();
    // Before the window manager has framed the window the toolkit may report nonsense margins.
    const auto margin = [](int pixels) { return std::max(0, pixels); };
    return {margin(margins.left()), margin(margins.right()), margin(margins.top()),
            margin(margins.bottom())};
}

}  // namespace

Form1::Form1(BoardServices services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      game_(tellingMessages_, services_.random),
      scores_(services_.settings),
      resizeWatch_(*this, [this] { Form_Resize(WindowNews::LetGo); }) {
    setWindowTitle(QString::fromUtf8(texts::ApplicationTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tessarin.png")));

    canvas_ = new BoardCanvas(this);
    setCentralWidget(canvas_);
    connect(canvas_, &BoardCanvas::MouseMoved, this, &Form1::Form_MouseMove);
    connect(canvas_, &BoardCanvas::MouseReleased, this, &Form1::Form_MouseUp);
    connect(canvas_, &BoardCanvas::BoardKeyPressed, this, &Form1::Form_KeyDown);
    // Back from a box or the menu, a screen reader first hears the board; the keyboard point's
    // cell is given the focus after that, once Qt has told of the board's.
    connect(canvas_, &BoardCanvas::FocusGained, this, &Form1::PointTakesFocus,
            Qt::QueuedConnection);
    // The board has the keyboard from the start; the menu bar keeps its Alt keys.
    canvas_->setFocus();
    InstallBoardAccessibility(canvas_, &view_);

    // Four commands straight on the menu bar, no sub-menus: choosing one runs it.
    auto addCommand = [this](const char* caption, const char* name, void (Form1::*command)()) {
        QAction* item = menuBar()->addAction(QString::fromUtf8(caption));
        item->setObjectName(QString::fromUtf8(name));
        connect(item, &QAction::triggered, this, command);
        return item;
    };
    addCommand(texts::MenuNewGame, "重來", &Form1::NewGame);
    hintItem_ = addCommand(texts::MenuHint, "提示", &Form1::ShowHint);
    addCommand(texts::MenuScore, "比數", &Form1::ShowScore);
    addCommand(texts::MenuAbout, "關於", &Form1::ShowAbout);
    // F10 reaches the menu bar as on other desktops, where Alt alone may belong to the desktop.
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
            &Form1::OpenMenuBar);

    // The client area starts at its designed size; the menu bar comes on top of it.
    resize(canvas_->sizeHint().width(),
           canvas_->sizeHint().height() + menuBar()->sizeHint().height());
    LimitToDesktop(this);

    game_.AttachSurface(this);
    game_.AttachTallyListener(this);
    Form_Load();
}

Form1::~Form1() {
    // The board's reader reads this window's game: the canvas, and the reader with it, go first.
    delete canvas_;
}

void Form1::Form_Load() {
    services_.random.SeedRandom();
    scores_.Load(game_);
    // Copied whole into the game's own lists, which must be exactly as long.
    static_assert(texts::ComputerWinMessages.size() ==
                  std::tuple_size_v<decltype(game_.ComputerWinMessages)>);
    static_assert(texts::PersonWinMessages.size() ==
                  std::tuple_size_v<decltype(game_.PersonWinMessages)>);
    std::ranges::copy(texts::ComputerWinMessages, game_.ComputerWinMessages.begin());
    std::ranges::copy(texts::PersonWinMessages, game_.PersonWinMessages.begin());
    DrawGrid();
}

void Form1::Form_Resize(WindowNews news) {
    const QSize before = size();
    FollowWindow(news);
    // A move, a new frame or a let-go leaves the board alone unless it brought a new size.
    if (news != WindowNews::Resized && news != WindowNews::ModeChanged && size() == before) return;
    if (!NormalState(windowState())) return;
    Cls();
    DrawGrid();
    // The board is the record of the game; a resize must not leave the player looking at an
    // empty grid over a live game.
    RedrawStones();
}

void Form1::FollowWindow(WindowNews news) {
    if (requesting_ || !isVisible() || !windowHandle()) return;
    frame_ = FrameOf(*windowHandle());
    const bool held = news == WindowNews::Resized && resizeWatch_.Held();
    const auto wanted =
        squaring_.Decide({news, ModeOf(windowState()), {width(), height()}, frame_, held});
    if (!wanted) return;
    const QSize before = size();
    requesting_ = true;
    RequestClientSize(*this, QSize(wanted->width, wanted->height));
    requesting_ = false;
    // Where the toolkit resizes at once, that is the answer to the request.
    if (size() != before) FollowWindow(WindowNews::Resized);
}

GridPoint Form1::PointUnder(QPointF twips) const {
    // Mouse positions arrive in single precision.
    return PointFromPosition(static_cast<float>(twips.x()), static_cast<float>(twips.y()),
                             game_.CellSize, game_.Margin);
}

void Form1::Form_MouseMove(QPointF twips) { ShowPointInTitle(PointUnder(twips)); }

void Form1::Form_MouseUp(QPointF twips) { PlayAt(PointUnder(twips)); }

void Form1::Form_KeyDown(BoardKey key) {
    // The first board key only shows where the keyboard point starts: no stone is played
    // before the player has seen, or heard, where it would go.
    if (!keyPoint_) {
        keyPoint_ = KeyboardStart;
    } else if (key == BoardKey::Play) {
        PlayFromKeys();
        return;
    } else {
        const GridPoint to = MoveKeyboardPoint(*keyPoint_, key);
        // At the edge the point stays, and a reader hears nothing of a focus given again.
        if (to == *keyPoint_) {
            PlaceKeyboardMark();
            BoardAnnounce(canvas_, to, QString::fromUtf8(texts::BoardEdge));
            return;
        }
        keyPoint_ = to;
    }
    ShowPointInTitle(*keyPoint_);
    PlaceKeyboardMark();
    BoardFocusMoved(canvas_, *keyPoint_);
}

void Form1::ShowPointInTitle(GridPoint point) {
    setWindowTitle(QString::fromUtf8(texts::PointerTitlePrefix) + QString::number(point.column) +
                   ',' + QString::number(point.row) + ')');
}

void Form1::PlayAt(GridPoint point) {
    game_.CurX = ToCoordinate(point.column);
    game_.CurY = ToCoordinate(point.row);
    if (game_.PlaceHumanStone()) game_.ComputerMove();
}

void Form1::PlayFromKeys() {
    // A play that places nothing is told why, in place of the stones.
    const char* refusal = game_.GameOver != BoolFalse ? texts::GameEnded
                          : game_.Board(keyPoint_->column, keyPoint_->row) != EmptyCell
                              ? texts::PointTaken
                              : nullptr;
    keyTurn_ = true;
    turnTold_ = false;
    untoldStones_.clear();
    PlayAt(*keyPoint_);
    if (refusal && untoldStones_.empty())
        BoardAnnounce(canvas_, *keyPoint_, QString::fromUtf8(refusal));
    else
        TellTurn();
    keyTurn_ = false;
}

QStringList Form1::UntoldTurn() const {
    if (!keyTurn_ || (turnTold_ && untoldStones_.empty())) return {};
    QStringList stones{PointName(*keyPoint_, game_.Board(keyPoint_->column, keyPoint_->row))};
    for (const GridPoint stone : untoldStones_) {
        if (stone.column != keyPoint_->column || stone.row != keyPoint_->row)
            stones << PointName(stone, game_.Board(stone.column, stone.row));
    }
    return stones;
}

void Form1::TellTurn() {
    QStringList stones = UntoldTurn();
    if (stones.isEmpty()) return;
    // The keyboard point holds the player's stone, the first told; the rest follow as its note.
    stones.removeFirst();
    BoardAnnounce(canvas_, *keyPoint_, stones.join(QStringLiteral("，")));
    turnTold_ = true;
    untoldStones_.clear();
}

void Form1::TellingMessages::ShowMessage(const std::string& text) {
    // Orca passes over a focus change that the box's opening overtakes at once, so the stones
    // of the turn also lead the box's text as a screen reader reads it.
    const QStringList stones = form_.UntoldTurn();
    form_.TellTurn();
    if (stones.isEmpty())
        form_.services_.messages.ShowMessage(text);
    else
        form_.services_.messages.ShowMessageWithLead(
            stones.join(QStringLiteral("，")).toStdString(), text);
}

void Form1::PlaceKeyboardMark() {
    if (!keyPoint_) return;
    const double radius = game_.StoneRadius;
    const QPointF centre(LinePosition(keyPoint_->column, game_.CellSize, game_.Margin),
                         LinePosition(keyPoint_->row, game_.CellSize, game_.Margin));
    canvas_->PlaceMark(QRectF(centre - QPointF(radius, radius), centre + QPointF(radius, radius)));
}

void Form1::Form_QueryUnload() { TellSaveOutcome(scores_.SaveAtClose(game_), true); }

void Form1::NewGame() {
    const BoardCells before = game_.Board;
    game_.NewGame();
    // A screen reader hears of every point that the new game emptied.
    for (int x = 1; x <= BoardSize; ++x) {
        for (int y = 1; y <= BoardSize; ++y) {
            if (game_.Board(x, y) != before(x, y)) BoardCellChanged(canvas_, {x, y});
        }
    }
    AnnounceAtPoint(texts::BoardCleared);
}

void Form1::AnnounceAtPoint(const char* note, const QString& more) {
    if (!keyPoint_) return;
    BoardAnnounce(canvas_, *keyPoint_, QString::fromUtf8(note) + more);
    // Chosen from the menu bar, the bar may give its item the focus after this: once the
    // command is done, the board's point takes it back (a reader there already hears nothing).
    QMetaObject::invokeMethod(this, &Form1::PointTakesFocus, Qt::QueuedConnection);
}

void Form1::OpenMenuBar() {
    // As Alt does: the first item is highlighted (and a reader told of it), the arrows move
    // along the bar, Enter runs the item; Enter or Esc gives the keyboard back to the board.
    QMenuBar* bar = menuBar();
    if (bar->actions().isEmpty()) return;
    bar->installEventFilter(this);
    bar->setFocus(Qt::MenuBarFocusReason);
    bar->setActiveAction(bar->actions().constFirst());
}

void Form1::PointTakesFocus() {
    if (keyPoint_ && canvas_->hasFocus()) BoardFocusReturned(canvas_, *keyPoint_);
}

void Form1::ShowHint() {
    // With no free point the caption keeps whatever it showed last.
    if (const std::optional<Point> hint = game_.HintPoint()) {
        const QString where = '(' + QString::number(hint->x) + ',' + QString::number(hint->y) + ')';
        hintItem_->setText(QString::fromUtf8(texts::MenuHint) + where);
        // A reader hears a menu item's new caption, but not the same caption again.
        AnnounceAtPoint(texts::HintSaid, where);
    }
}

void Form1::ShowScore() {
    const char* remark =
        game_.PersonGrade >= game_.ComputerGrade ? texts::ScoreAhead : texts::ScoreBehind;
    services_.messages.ShowMessage(std::string(remark) + "\r\n" +
                                   std::to_string(game_.PersonGrade) + ":" +
                                   std::to_string(game_.ComputerGrade));
}

void Form1::ShowAbout() {
    // The dialog deletes itself when closed, which clears the pointer for the next build.
    if (!about_ && services_.createAbout) about_ = services_.createAbout(this);
    if (!about_) return;
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void Form1::Cls() { canvas_->Cls(); }

void Form1::DrawGrid() {
    // A client area kept taller than wide (a tiling window manager, a compositor that does not
    // let the window square itself) sizes the grid by its width, so all of it stays on screen.
    const double side = std::min(canvas_->ScaleHeight(), canvas_->ScaleWidth());
    game_.CellSize = CellSizeForHeight(static_cast<float>(side));
    game_.Margin = GridMargin;
    game_.StoneRadius = static_cast<std::int16_t>(game_.CellSize / 2);
    const double first = game_.Margin;
    const double last = LinePosition(BoardSize, game_.CellSize, game_.Margin);
    for (int i = 1; i <= BoardSize; ++i) {
        const double at = LinePosition(i, game_.CellSize, game_.Margin);
        canvas_->Line({first, at}, {last, at}, GridColour);
        canvas_->Line({at, first}, {at, last}, GridColour);
    }
    // The geometry may have changed: the keyboard point's outline follows it.
    PlaceKeyboardMark();
}

void Form1::DrawStone() {
    DrawStoneAt(game_.CurX, game_.CurY, game_.SideFlag != BoolFalse);
    // The engine stores a stone before it shows it, so the cell already tells what stands there.
    BoardCellChanged(canvas_, {game_.CurX, game_.CurY});
    if (keyTurn_) untoldStones_.push_back({game_.CurX, game_.CurY});
}

void Form1::DrawStoneAt(int column, int row, bool black) {
    canvas_->Circle(QPointF(LinePosition(column, game_.CellSize, game_.Margin),
                            LinePosition(row, game_.CellSize, game_.Margin)),
                    game_.StoneRadius, black ? ComputerColour : HumanColour);
}

void Form1::RedrawStones() {
    for (int x = 1; x <= BoardSize; ++x) {
        for (int y = 1; y <= BoardSize; ++y) {
            const std::int16_t cell = game_.Board(x, y);
            if (cell != EmptyCell) DrawStoneAt(x, y, cell == ComputerSide);
        }
    }
}

void Form1::WinCounted() { TellSaveOutcome(scores_.Save(game_), false); }

void Form1::TellSetAside() {
    const ScoreStore::SetAside aside = scores_.TakeSetAside();
    if (aside.file.isEmpty()) return;
    if (aside.tallyRead) {
        TellOfTally(texts::TallyKeptAside, aside.file,
                    "the tally file held more than a tally; kept as it was in " + aside.file +
                        ", the tally goes on");
    } else {
        TellOfTally(texts::TallySetAside, aside.file,
                    "no tally could be read from the tally file; kept as it was in " + aside.file +
                        ", the tally starts at 0:0");
    }
}

void Form1::TellSaveOutcome(ScoreStore::Outcome outcome, bool closing) {
    TellSetAside();
    if (outcome == ScoreStore::Outcome::Stored) toldNotSaved_ = false;
    if (outcome != ScoreStore::Outcome::Failed || !scores_.HasUnsavedWins(game_)) return;
    // Once while saves keep failing, not at every win; at close the wins are lost for good.
    if (closing) {
        TellOfTally(texts::TallyLostAtClose, scores_.Location(),
                    "the tally could not be saved at close (" + scores_.Problem() +
                        "); the unsaved wins are lost");
    } else if (!toldNotSaved_) {
        toldNotSaved_ = true;
        TellOfTally(texts::TallyNotSaved, scores_.Location(),
                    "the tally could not be saved (" + scores_.Problem() +
                        "); the wins are kept for the next save");
    }
}

void Form1::TellOfTally(const char* text, const QString& file, const QString& logLine) {
    std::fprintf(stderr, "Tessarin: %s\n", qPrintable(logLine));
    std::fflush(stderr);
    std::string message(text);
    if (!file.isEmpty()) message += "\r\n" + file.toStdString();
    services_.messages.ShowMessage(message);
}

void Form1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (windowHandle() && windowHandle() != watched_) {
        watched_ = windowHandle();
        watched_->installEventFilter(this);
    }
    // Becoming visible squares the window; the resize event of the first show comes too early.
    if (!event->spontaneous()) Form_Resize(WindowNews::Resized);
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!requesting_) Form_Resize(WindowNews::Resized);
}

void Form1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // A window manager's frame arrives, or changes, with a move of the client area.
    Form_Resize(WindowNews::Moved);
}

void Form1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Leaving minimised keeps the size, so no resize event need follow; leaving maximised
    // often reports the state before the size. The handler runs on every change of state.
    if (event->type() == QEvent::WindowStateChange) Form_Resize(WindowNews::ModeChanged);
    // Back from a box the board may keep the keyboard without a new focus event of its own.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QMetaObject::invokeMethod(this, &Form1::PointTakesFocus, Qt::QueuedConnection);
    else if (event->type() == QEvent::ActivationChange)
        BoardLeft(canvas_);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == menuBar() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // The bar runs the item or lets go of it first; then the board has the keyboard again.
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter ||
            key == Qt::Key_Space) {
            menuBar()->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this,
                [this] {
                    menuBar()->setActiveAction(nullptr);
                    canvas_->setFocus(Qt::MenuBarFocusReason);
                },
                Qt::QueuedConnection);
        }
    }
    // Qt draws its own title bar on a Wayland compositor that draws none, and creates it only
    // after the window is first shown: the frame arrives with a resize or an exposure of the
    // native window that brings the widget neither a new size nor a move.
    if (watched == watched_ &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Expose) &&
        watched_->size() == size() && FrameOf(*watched_) != frame_) {
        Form_Resize(WindowNews::Reframed);
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    if (about_) about_->close();
    event->accept();
}

}  // namespace tessarin
