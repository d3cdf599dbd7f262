// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>

class QWidget;

namespace tessarin {

// Asks the window system for a new client size of a shown top-level window and lets it answer.
//
// On X11 the request goes to the window manager as it stands, and the window takes a size only
// when the window manager reports one. QWidget::resize would take the size at once instead,
// and a tiling window manager refuses without a word that Qt notices: the window would stay
// laid out for a size it never got, part of it unpainted and deaf to the pointer. Elsewhere
// (Wayland, where the client owns its size unless the compositor says otherwise, and the
// offscreen platform of the tests) it is QWidget::resize.
void RequestClientSize(QWidget& window, QSize size);

}  // namespace tessarin
