// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QSize>
#include <QTimer>
#include <functional>

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

// Whether the user has the window's size in hand: dragging its frame, or resizing it with the
// window manager's keys. Sizes given meanwhile follow the pointer, not a request, and a window
// manager holding the pointer drops what it is asked; what counts is the size at the let-go.
//
// On X11 the window manager's drag holds a pointer button down, and its keyboard resize (like
// most of its drags) takes the keyboard from the window with a grab, which the X server tells
// the window as a loss of focus "to a grab" and its return "from the ungrab". Not every window
// manager sends anything once the button is up, so a held button is looked at again until it
// is released. Elsewhere the window is never held: a Wayland compositor gives its own sizes.
class UserResizeWatch final : public QAbstractNativeEventFilter {
public:
    // letGo runs (from the event loop) once the user lets go after having held the window.
    UserResizeWatch(QWidget& window, std::function<void()> letGo);
    ~UserResizeWatch() override;
    UserResizeWatch(const UserResizeWatch&) = delete;
    UserResizeWatch& operator=(const UserResizeWatch&) = delete;

    bool Held();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool PointerButtonDown() const;
    void LookAtButtons();
    void MaybeLetGo();

    QWidget& window_;
    std::function<void()> letGo_;
    QTimer buttonWatch_;
    bool grabbed_ = false;  // another client's grab has the keyboard
    bool held_ = false;     // the user was seen holding the window and has not let go yet
};

}  // namespace tessarin
