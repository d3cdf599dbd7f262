// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "engine/drawing_surface.h"
#include "engine/game_state.h"
#include "platform/client_size_request.h"
#include "platform/message_box.h"
#include "ui/board_window/board_accessibility.h"
#include "ui/board_window/board_geometry.h"
#include "ui/board_window/keyboard_point.h"
#include "ui/board_window/score_store.h"
#include "ui/board_window/window_squaring.h"

class QAction;
class QWindow;

namespace tessarin {

class BoardCanvas;
class RandomSource;
class SettingsStore;

// What the board window needs from outside: the platform services and a way to build the
// About dialog (given its owner), so tests can run the window with recorded stand-ins.
struct BoardServices {
    MessageBox& messages;
    RandomSource& random;
    SettingsStore& settings;
    std::function<QWidget*(QWidget* owner)> createAbout;
};

// The main window: owns the game, draws it, and turns mouse releases, board keys and menu
// choices into moves and commands. Game rules live in the engine; this class only wires and draws.
class Form1 final : public QMainWindow, private DrawingSurface, private TallyListener {
    Q_OBJECT

public:
    explicit Form1(BoardServices services, QWidget* parent = nullptr);
    ~Form1() override;

    GameState& Game() { return game_; }
    const GameState& Game() const { return game_; }
    // The point that the board keys move over and play at; none until the first board key.
    std::optional<GridPoint> KeyboardPoint() const { return keyPoint_; }
    BoardCanvas* Canvas() const { return canvas_; }
    QAction* HintItem() const { return hintItem_; }
    QWidget* AboutDialog() const { return about_; }

    // The menu commands.
    void NewGame();
    void ShowHint();
    void ShowScore();
    void ShowAbout();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void Form_Resize(WindowNews news);
    void Form_MouseMove(QPointF twips);
    void Form_MouseUp(QPointF twips);
    void Form_KeyDown(BoardKey key);
    void Form_QueryUnload();
    GridPoint PointUnder(QPointF twips) const;
    void ShowPointInTitle(GridPoint point);
    // A release or a play key at `point`: the human's stone there, and the computer's reply.
    void PlayAt(GridPoint point);
    // A play key: the turn at the keyboard point, told to a screen reader.
    void PlayFromKeys();
    // The stones of a keyboard turn not yet told to a screen reader, the keyboard point's first.
    QStringList UntoldTurn() const;
    // Tells a screen reader the stones of the keyboard's turn not yet told (the player's, then
    // the reply). Before a remark box Orca drops it for the box's own focus, so the box's text
    // leads with them; the way back from the box says the point alone.
    void TellTurn();
    // The keyboard point's cell takes the accessible focus from the board, when the board has
    // the keyboard: after Qt has told of the board's own focus.
    void PointTakesFocus();
    // Tells a screen reader `note` after the keyboard point, where the board has it: from the
    // menu bar the point takes the focus back once the command is done.
    void AnnounceAtPoint(const char* note, const QString& more = {});
    void PlaceKeyboardMark();
    // The menu bar takes the keyboard, as after Alt alone.
    void OpenMenuBar();

    // DrawingSurface
    void Cls() override;
    void DrawGrid() override;
    void DrawStone() override;
    // TallyListener
    void WinCounted() override;

    // A save's outcome as the player hears of it: once when wins cannot be stored, and again
    // if they are still unsaved at close; a store moved aside is told of too.
    void TellSetAside();
    void TellSaveOutcome(ScoreStore::Outcome outcome, bool closing);
    void TellOfTally(const char* text, const QString& file, const QString& logLine);

    void DrawStoneAt(int column, int row, bool black);
    void RedrawStones();
    // Tells the squaring what the window reports, and asks for the size it wants.
    void FollowWindow(WindowNews news);

    // The engine's message box: a turn's stones are told before a remark box speaks over them.
    class TellingMessages final : public MessageBox {
    public:
        explicit TellingMessages(Form1& form) : form_(form) {}
        void ShowMessage(const std::string& text) override;

    private:
        Form1& form_;
    };

    BoardServices services_;
    TellingMessages tellingMessages_{*this};
    GameState game_;
    ScoreStore scores_;
    BoardCanvas* canvas_ = nullptr;
    QAction* hintItem_ = nullptr;
    QPointer<QWidget> about_;
    std::optional<GridPoint> keyPoint_;
    const BoardView view_{game_, keyPoint_};  // what the board's reader reads
    WindowSquaring squaring_;
    UserResizeWatch resizeWatch_;
    FrameExtents frame_;         // the frame last told to the squaring
    QPointer<QWindow> watched_;  // the native window whose frame is followed
    bool requesting_ = false;    // our own size request is being made
    bool toldNotSaved_ = false;  // the player knows the last wins could not be stored
    // A turn played from the keyboard: its stones not yet told, and whether any were.
    bool keyTurn_ = false;
    bool turnTold_ = false;
    std::vector<GridPoint> untoldStones_;
};

}  // namespace tessarin
