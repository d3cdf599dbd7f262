// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/client_size_request.h"

#include <xcb/xcb.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace tessarin {
namespace {

xcb_connection_t* X11Connection() {
    // The offscreen platform answers to the X11 interface too, without a connection.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Looking again at a held button costs one round trip to the X server; a user's release is
// seen well within a frame or two of the screen.
constexpr int ButtonLookInterval = 40;  // milliseconds

}  // namespace

void RequestClientSize(QWidget& window, QSize size) {
    const QSize bounded = size.expandedTo(window.minimumSize()).boundedTo(window.maximumSize());
    xcb_connection_t* connection = X11Connection();
    const QWindow* handle = window.windowHandle();
    if (!connection || !handle || !window.isVisible()) {
        window.resize(bounded);
        return;
    }
    // The X window counts device pixels.
    const qreal ratio = handle->devicePixelRatio();
    const std::uint32_t values[] = {static_cast<std::uint32_t>(qRound(bounded.width() * ratio)),
                                    static_cast<std::uint32_t>(qRound(bounded.height() * ratio))};
    xcb_configure_window(connection, static_cast<xcb_window_t>(window.winId()),
                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    xcb_flush(connection);
}

UserResizeWatch::UserResizeWatch(QWidget& window, std::function<void()> letGo)
    : window_(window), letGo_(std::move(letGo)) {
    buttonWatch_.setInterval(ButtonLookInterval);
    QObject::connect(&buttonWatch_, &QTimer::timeout, [this] { LookAtButtons(); });
    if (X11Connection()) QCoreApplication::instance()->installNativeEventFilter(this);
}

UserResizeWatch::~UserResizeWatch() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool UserResizeWatch::Held() {
    if (PointerButtonDown() && !buttonWatch_.isActive()) buttonWatch_.start();
    held_ = grabbed_ || buttonWatch_.isActive();
    return held_;
}

bool UserResizeWatch::PointerButtonDown() const {
    xcb_connection_t* connection = X11Connection();
    const WId id = window_.internalWinId();
    if (!connection || !id) return false;
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(
        connection, xcb_query_pointer(connection, static_cast<xcb_window_t>(id)), nullptr);
    if (!reply) return false;
    constexpr std::uint16_t Buttons = XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2 |
                                      XCB_KEY_BUT_MASK_BUTTON_3 | XCB_KEY_BUT_MASK_BUTTON_4 |
                                      XCB_KEY_BUT_MASK_BUTTON_5;
    const bool down = (reply->mask & Buttons) != 0;
    std::free(reply);
    return down;
}

void UserResizeWatch::LookAtButtons() {
    if (PointerButtonDown()) return;
    buttonWatch_.stop();
    MaybeLetGo();
}

void UserResizeWatch::MaybeLetGo() {
    if (!held_ || grabbed_ || buttonWatch_.isActive()) return;
    held_ = false;
    // After the toolkit has seen the same event: the let-go may ask for a size at once.
    QMetaObject::invokeMethod(
        &buttonWatch_, [this] { letGo_(); }, Qt::QueuedConnection);
}

bool UserResizeWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type != XCB_FOCUS_IN && type != XCB_FOCUS_OUT) return false;
    // Focus in and focus out carry the same fields.
    const auto* focus = static_cast<const xcb_focus_in_event_t*>(message);
    const WId id = window_.internalWinId();
    if (!id || focus->event != id || focus->detail == XCB_NOTIFY_DETAIL_POINTER) return false;
    if (type == XCB_FOCUS_OUT && focus->mode == XCB_NOTIFY_MODE_GRAB) {
        grabbed_ = true;
    } else if (grabbed_ && focus->mode != XCB_NOTIFY_MODE_WHILE_GRABBED) {
        // The grab is over, whether the focus came back or went elsewhere meanwhile.
        grabbed_ = false;
        MaybeLetGo();
    }
    return false;
}

}  // namespace tessarin
