// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/client_size_request.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdint>

namespace tessarin {

void RequestClientSize(QWidget& window, QSize size) {
    const QSize bounded = size.expandedTo(window.minimumSize()).boundedTo(window.maximumSize());
    // The offscreen platform answers to the X11 interface too, without a connection.
    const auto* x11 = QGuiApplication::platformName() == QLatin1String("xcb")
                          ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                          : nullptr;
    const QWindow* handle = window.windowHandle();
    if (!x11 || !x11->connection() || !handle || !window.isVisible()) {
        window.resize(bounded);
        return;
    }
    // The X window counts device pixels.
    const qreal ratio = handle->devicePixelRatio();
    const std::uint32_t values[] = {static_cast<std::uint32_t>(qRound(bounded.width() * ratio)),
                                    static_cast<std::uint32_t>(qRound(bounded.height() * ratio))};
    xcb_configure_window(x11->connection(), static_cast<xcb_window_t>(window.winId()),
                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    xcb_flush(x11->connection());
}

}  // namespace tessarin
