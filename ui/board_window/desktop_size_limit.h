// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace tessarin {

// Keeps the top-level `window` no larger than the desktop its screens make up (and never
// smaller than its size now): a larger window shows nothing more, yet its drawing and Qt's
// backing store would grow with it, by gigabytes for a 30000-pixel request. The limit follows
// screens being added, removed or changed. A size past it that the window system imposes
// anyway (an X server without a window manager grants any request) is asked back at once,
// before anything is painted at that size. The limit lives as long as the window.
void LimitToDesktop(QWidget* window);

}  // namespace tessarin
