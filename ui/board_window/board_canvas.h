// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

#include "platform/twips.h"
#include "ui/board_window/keyboard_point.h"

namespace tessarin {

struct BoardView;

// The board window's drawing surface: a retained image in twips. What is drawn stays until
// Cls, across repaints, covering and resizing, and can be drawn before the window is shown.
// The image has the screen's device pixel ratio, so lines and stones stay sharp on
// high-density screens.
//
// It also takes the keyboard: board keys (see keyboard_point.h) are passed on as they come,
// and the keyboard point is marked by an outline drawn over the picture, never into it.
class BoardCanvas final : public QWidget {
    Q_OBJECT

public:
    explicit BoardCanvas(QWidget* parent = nullptr);

    // Height and width of the client area in twips.
    double ScaleHeight() const;
    double ScaleWidth() const;
    void Cls();
    void Line(QPointF from, QPointF to, const QColor& colour);
    // A filled disc whose outline and fill share `colour`.
    void Circle(QPointF centre, double radius, const QColor& colour);

    // Where the keyboard point's outline goes: around `twips`, a rectangle in twips. It shows
    // from the next board key until the next pointer move, so a player who only uses the mouse
    // never sees it.
    void PlaceMark(QRectF twips);

    // What is on the surface now, in device pixels (tests read its pixels).
    QImage Snapshot();
    Twips Scale() const { return Twips::For(this); }
    QSize sizeHint() const override;

    // What a screen reader reads the board through (board_accessibility.h); none by default.
    void SetView(const BoardView* view) { view_ = view; }
    const BoardView* View() const { return view_; }

signals:
    void MouseMoved(QPointF twips);
    void MouseReleased(QPointF twips);
    void BoardKeyPressed(BoardKey key);
    void FocusGained();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    const BoardView* view_ = nullptr;
    // Makes the image cover the widget, keeping what is drawn: a maximised window keeps its
    // stones on screen until the next clear.
    void FitImage();
    void HideMark();
    QImage BlankImage(QSize deviceSize, qreal ratio) const;
    QSize DeviceSize() const;
    QColor Background() const;

    QImage image_;
    QRectF mark_;  // twips
    bool markShown_ = false;
};

}  // namespace tessarin
