#include "ui/board_window/board_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QMenuBar>
#include <algorithm>

#include "platform/client_size_request.h"
#include "platform/message_box.h"
#include "platform/random_source.h"
#include "resources/texts.h"
#include "ui/board_window/board_canvas.h"
#include "ui/board_window/board_geometry.h"

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

}  // namespace

Form1::Form1(BoardServices services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      game_(services_.messages, services_.random),
      scores_(services_.settings) {
    setWindowTitle(QString::fromUtf8(texts::ApplicationTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tessarin.png")));

    canvas_ = new BoardCanvas(this);
    setCentralWidget(canvas_);
    connect(canvas_, &BoardCanvas::MouseMoved, this, &Form1::Form_MouseMove);
    connect(canvas_, &BoardCanvas::MouseReleased, this, &Form1::Form_MouseUp);

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

    // The client area starts at its designed size; the menu bar comes on top of it.
    resize(canvas_->sizeHint().width(),
           canvas_->sizeHint().height() + menuBar()->sizeHint().height());

    game_.AttachSurface(this);
    game_.AttachTallyListener(this);
    Form_Load();
}

void Form1::Form_Load() {
    services_.random.SeedRandom();
    scores_.Load(game_);
    std::ranges::copy(texts::ComputerWinMessages, game_.ComputerWinMessages.begin());
    std::ranges::copy(texts::PersonWinMessages, game_.PersonWinMessages.begin());
    DrawGrid();
}

void Form1::Form_Resize(WindowNews news) {
    const QSize before = size();
    FollowWindow(news);
    // A move leaves the board alone unless it brought a new size (a frame that arrived).
    if (news == WindowNews::Moved && size() == before) return;
    if (!NormalState(windowState())) return;
    Cls();
    DrawGrid();
    // The board is the record of the game; a resize must not leave the player looking at an
    // empty grid over a live game.
    RedrawStones();
}

void Form1::FollowWindow(WindowNews news) {
    if (requesting_ || !isVisible()) return;
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    // Before the window manager has framed the window the toolkit may report nonsense margins.
    const auto margin = [](int pixels) { return std::max(0, pixels); };
    const FrameExtents frame{
        margin(inner.left() - outer.left()), margin(outer.right() - inner.right()),
        margin(inner.top() - outer.top()), margin(outer.bottom() - inner.bottom())};
    const auto wanted = squaring_.Decide({news, ModeOf(windowState()), {width(), height()}, frame});
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

void Form1::Form_MouseMove(QPointF twips) {
    const GridPoint point = PointUnder(twips);
    setWindowTitle(QString::fromUtf8(texts::PointerTitlePrefix) + QString::number(point.column) +
                   ',' + QString::number(point.row) + ')');
}

void Form1::Form_MouseUp(QPointF twips) {
    const GridPoint point = PointUnder(twips);
    game_.CurX = ToCoordinate(point.column);
    game_.CurY = ToCoordinate(point.row);
    if (game_.PlaceHumanStone()) game_.ComputerMove();
}

void Form1::Form_QueryUnload() { scores_.Save(game_); }

void Form1::NewGame() { game_.NewGame(); }

void Form1::ShowHint() {
    if (const auto caption = game_.HintCaption())
        hintItem_->setText(QString::fromStdString(*caption));
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
}

void Form1::DrawStone() { DrawStoneAt(game_.CurX, game_.CurY, game_.SideFlag != BoolFalse); }

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

void Form1::WinCounted() { scores_.Save(game_); }

void Form1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
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
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    if (about_) about_->close();
    event->accept();
}

}  // namespace tessarin
