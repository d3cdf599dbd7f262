// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about/click_label.h"

#include <QMouseEvent>

namespace tessarin {

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    pressed_ = false;
    event->accept();
    // Pressing here and letting go elsewhere is no click, as with a button.
    if (rect().contains(event->position().toPoint())) emit clicked();
}

}  // namespace tessarin
