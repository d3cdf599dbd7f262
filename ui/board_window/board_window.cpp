#include "ui/board_window/board_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QMenuBar>
#include <algorithm>

#include "platform/message_box.h"
#include "platform/random_source.h"
#include "resources/texts.h"
#include "ui/board_window/board_canvas.h"
#include "ui/board_window/board_geometry.h"
#include "ui/board_window/desktop_size_limit.h"

namespace tessarin {
namespace {

const QColor GridColour(0, 0, 0);
const QColor HumanColour(255, 0, 0);
const QColor ComputerColour(0, 0, 0);

bool NormalState(Qt::WindowStates state) {
    return !(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

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
    LimitToDesktop(this);

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

void Form1::Form_Resize() {
    if (!NormalState(windowState())) return;

    // Square by the outer size, frame and menu bar included, the smaller side winning.
    const Twips scale = Twips::For(this);
    const QSize outer = frameGeometry().size();
    const QSize extra = outer - size();
    const double widthTwips = scale.ToTwipsX(outer.width());
    const double heightTwips = scale.ToTwipsY(outer.height());
    QSize client = size();
    if (heightTwips > widthTwips) {
        client.setHeight(scale.PixelsY(widthTwips) - extra.height());
    } else {
        client.setWidth(scale.PixelsX(heightTwips) - extra.width());
    }
    // A window manager may hold the window at a size of its own (a tiling layout, a snapped
    // half screen) and answer every request with it; asking again each time would never end.
    // So a size that was already asked to change is left alone until a new size comes along.
    if (outer != squaredFrom_ && outer != squaredTo_) squaredFrom_ = squaredTo_ = QSize();
    if (client != size() && outer != squaredFrom_) {
        squaredFrom_ = outer;
        squaredTo_ = client + extra;
        squaring_ = true;
        resize(client);
        squaring_ = false;
    }
    frameExtra_ = frameGeometry().size() - size();

    Cls();
    DrawGrid();
    // The board is the record of the game; a resize must not leave the player looking at an
    // empty grid over a live game.
    RedrawStones();
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
    game_.CellSize = CellSizeForHeight(static_cast<float>(canvas_->ScaleHeight()));
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

void Form1::ResquareIfFrameChanged() {
    if (squaring_ || !isVisible()) return;
    if (frameGeometry().size() - size() != frameExtra_) Form_Resize();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!squaring_) Form_Resize();
}

void Form1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    ResquareIfFrameChanged();
}

void Form1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Coming back from minimised keeps the size, so no resize event follows: run the handler.
    // (Coming back from maximised changes the size, and the resize event runs it.)
    if (event->type() != QEvent::WindowStateChange || !NormalState(windowState())) return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (change->oldState() & Qt::WindowMinimized) Form_Resize();
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    if (about_) about_->close();
    event->accept();
}

}  // namespace tessarin
