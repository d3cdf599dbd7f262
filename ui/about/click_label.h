// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace tessarin {

// A text label that works as a link: a click (the left button pressed and released over it)
// reports it, and so do Enter and Space once Tab has brought the focus there (give it
// Qt::TabFocus after its text interaction flags, which set the focus policy, so that a click
// leaves no focus frame). A screen reader finds a link with a press action, described by the
// label's tip.
class ClickLabel final : public QLabel {
    Q_OBJECT

public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr);

    // What a click does: reports it.
    void Activate() { emit clicked(); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool pressed_ = false;
};

}  // namespace tessarin
